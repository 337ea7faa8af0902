#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ContentTools {

// One element of an XML document in the engine's dialect, built in memory and
// written by WriteXml. Texts are UTF-8. The dialect has no entities, so an
// attribute value is written between the quote it does not contain; a value
// holding both quotes, or a name that is not a plain XML name, cannot be
// written and makes WriteXml throw std::invalid_argument.
class XmlElement {
public:
    explicit XmlElement(const std::string& name);
    XmlElement(XmlElement&&) = default;
    XmlElement& operator=(XmlElement&&) = default;

    // Sets (or overwrites) an attribute; attributes keep the order of their
    // first setting, so the output is deterministic.
    XmlElement& Set(const std::string& attribute, const std::string& value);
    XmlElement& Set(const std::string& attribute, const char* value);
    XmlElement& Set(const std::string& attribute, int value);
    XmlElement& Set(const std::string& attribute, float value);
    // Two or four numbers separated by blanks, as the engine reads vectors.
    XmlElement& Set(const std::string& attribute, float x, float y);
    XmlElement& Set(const std::string& attribute, float x, float y, float z, float w);

    // A new last child; the reference stays valid while this element lives.
    XmlElement& Add(const std::string& name);
    XmlElement& Add(XmlElement&& child);

    const std::string& Name() const { return name_; }
    // The attribute's value, or null.
    const std::string* Get(const std::string& attribute) const;
    const std::vector<std::pair<std::string, std::string>>& Attributes() const { return attributes_; }
    size_t ChildCount() const { return children_.size(); }
    const XmlElement& Child(size_t i) const { return *children_[i]; }
    XmlElement& Child(size_t i) { return *children_[i]; }
    // The first child of that name, or null.
    XmlElement* Find(const std::string& name);

private:
    std::string name_;
    std::vector<std::pair<std::string, std::string>> attributes_;
    std::vector<std::unique_ptr<XmlElement>> children_;
};

// A number as the files carry it: the shortest of up to 6 significant digits
// ("1", "0.5", "-12.25"), never an exponent for the values content uses.
std::string XmlNumber(float value);

// The document: an optional UTF-8 byte-order mark, then the element with its
// subtree, two blanks of indent a level, one element a line.
std::string WriteXml(const XmlElement& root, bool byteOrderMark = true);
// One element and its subtree on a single line, without the mark (the
// entries of the shared resource lists).
std::string WriteXmlLine(const XmlElement& element);

} // namespace ContentTools

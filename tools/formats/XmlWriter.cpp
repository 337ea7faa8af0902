#include "tools/formats/XmlWriter.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace ContentTools {

namespace {

bool IsNameCharacter(char c, bool first)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')
        return true;
    return !first && ((c >= '0' && c <= '9') || c == '-' || c == '.');
}

void CheckName(const std::string& name)
{
    bool ok = !name.empty();
    for (size_t i = 0; ok && i < name.size(); ++i)
        ok = IsNameCharacter(name[i], i == 0);
    if (!ok)
        throw std::invalid_argument("XML name \"" + name + "\" is not a plain name");
}

void Indent(std::string& out, int level)
{
    out.append(static_cast<size_t>(level) * 2, ' ');
}

void WriteElement(std::string& out, const XmlElement& e, int level, bool lines)
{
    CheckName(e.Name());
    if (lines)
        Indent(out, level);
    out += '<';
    out += e.Name();
    for (const auto& a : e.Attributes()) {
        CheckName(a.first);
        const bool hasDouble = a.second.find('"') != std::string::npos;
        const bool hasSingle = a.second.find('\'') != std::string::npos;
        if (hasDouble && hasSingle)
            throw std::invalid_argument("attribute \"" + a.first + "\" of <" + e.Name() +
                                        "> holds both quotes and cannot be written");
        const char quote = hasDouble ? '\'' : '"';
        out += ' ';
        out += a.first;
        out += '=';
        out += quote;
        out += a.second;
        out += quote;
    }
    if (e.ChildCount() == 0) {
        out += lines ? "/>\n" : "/>";
        return;
    }
    out += lines ? ">\n" : ">";
    for (size_t i = 0; i < e.ChildCount(); ++i)
        WriteElement(out, e.Child(i), level + 1, lines);
    if (lines)
        Indent(out, level);
    out += "</";
    out += e.Name();
    out += lines ? ">\n" : ">";
}

} // namespace

XmlElement::XmlElement(const std::string& name) : name_(name) {}

XmlElement& XmlElement::Set(const std::string& attribute, const std::string& value)
{
    for (auto& a : attributes_)
        if (a.first == attribute) {
            a.second = value;
            return *this;
        }
    attributes_.emplace_back(attribute, value);
    return *this;
}

XmlElement& XmlElement::Set(const std::string& attribute, const char* value)
{
    return Set(attribute, std::string(value));
}

XmlElement& XmlElement::Set(const std::string& attribute, int value)
{
    return Set(attribute, std::to_string(value));
}

XmlElement& XmlElement::Set(const std::string& attribute, float value)
{
    return Set(attribute, XmlNumber(value));
}

XmlElement& XmlElement::Set(const std::string& attribute, float x, float y)
{
    return Set(attribute, XmlNumber(x) + " " + XmlNumber(y));
}

XmlElement& XmlElement::Set(const std::string& attribute, float x, float y, float z, float w)
{
    return Set(attribute, XmlNumber(x) + " " + XmlNumber(y) + " " + XmlNumber(z) + " " + XmlNumber(w));
}

XmlElement& XmlElement::Add(const std::string& name)
{
    children_.emplace_back(new XmlElement(name));
    return *children_.back();
}

XmlElement& XmlElement::Add(XmlElement&& child)
{
    children_.emplace_back(new XmlElement(std::move(child)));
    return *children_.back();
}

const std::string* XmlElement::Get(const std::string& attribute) const
{
    for (const auto& a : attributes_)
        if (a.first == attribute)
            return &a.second;
    return nullptr;
}

XmlElement* XmlElement::Find(const std::string& name)
{
    for (auto& c : children_)
        if (c->Name() == name)
            return c.get();
    return nullptr;
}

std::string XmlNumber(float value)
{
    if (!std::isfinite(value))
        throw std::invalid_argument("XML number is not finite");
    if (value == 0.0f)
        return "0"; // also for -0, which would otherwise print its sign
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    return text;
}

std::string WriteXml(const XmlElement& root, bool byteOrderMark)
{
    std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
    WriteElement(out, root, 0, true);
    return out;
}

std::string WriteXmlLine(const XmlElement& element)
{
    std::string out;
    WriteElement(out, element, 0, false);
    return out;
}

} // namespace ContentTools

#pragma once
#include <map>
#include <string>
#include <vector>

#include "engine/foundation/SmallObjectPool.h"
#include "engine/foundation/XMLValue.h"

namespace GameTools {

struct XMLAttribute {
    std::string name;
    XMLValue value;
    XMLAttribute(const std::string& name_, const std::wstring& value_) : name(name_), value(value_) {}
    XMLAttribute(const std::string& name_, std::wstring&& value_) : name(name_), value(std::move(value_)) {}

    static void* operator new(size_t size) { return KorvaneEngine::SmallObjectPool::Allocate(size); }
    static void operator delete(void* p, size_t size) { KorvaneEngine::SmallObjectPool::Free(p, size); }
};

// How a lookup reports a missing child or attribute: through the log at the
// warning, error or fatal level (fatal does not return); anything else is silent.
enum XMLReport { kReportSilent = 0, kReportWarning = 1, kReportError = 2, kReportFatal = 3 };

// One element of a parsed XML tree. A node owns its attributes and children;
// deleting it deletes the whole subtree and takes it out of its parent.
class XMLNode {
public:
    typedef std::vector<XMLNode*, KorvaneEngine::PoolAllocator<XMLNode*>> NodeList;
    typedef std::vector<XMLAttribute*, KorvaneEngine::PoolAllocator<XMLAttribute*>> AttributeList;

    virtual ~XMLNode();
    XMLNode();
    XMLNode(const std::string& name, XMLNode* parent);
    XMLNode(const std::string& name, const std::string& value, XMLNode* parent);
    XMLNode(const XMLNode&) = delete;
    XMLNode& operator=(const XMLNode&) = delete;

    XMLNode* CreateChild();
    // Moves the child here from its current parent (without deleting it).
    XMLNode* AddChild(XMLNode* child);
    // Deletes the child when it is still attached here; ignores strangers.
    void RemoveChild(XMLNode* child);

    // First child of that name in document order, or null after reporting.
    XMLNode* GetChild(const std::string& name, int report = kReportSilent);
    void GetChildren(std::vector<XMLNode*>& out) const;
    void GetChildrenByName(const std::string& name, std::vector<XMLNode*>& out) const;
    // The children in document order, without copying.
    const NodeList& GetChildList() const { return children_; }

    // The attribute's value, or null after reporting.
    XMLValue* GetAttribute(const std::string& name, int report = kReportSilent);
    bool HasAttribute(const std::string& name) const { return attributeIndex_.count(name) != 0; }
    XMLAttribute* FindAttribute(const std::string& name) const;
    // Overwrites an existing attribute or appends a new one.
    void SetAttribute(const std::string& name, const std::wstring& value);
    void SetAttribute(const std::string& name, std::wstring&& value);
    // Appends a new attribute; null (and nothing changed) when the name exists.
    XMLAttribute* AddNewAttribute(const std::string& name, std::wstring&& value);
    const AttributeList& GetAttributes() const { return attributes_; }

    const std::string& GetName() const { return name_; }
    XMLValue& GetValue() { return value_; }
    const XMLValue& GetValue() const { return value_; }
    XMLNode* GetParent() const { return parent_; }

    // "/a/b" from the top down; unnamed nodes add nothing.
    std::string GetPath() const;

    // Trees are made of many small nodes; they come from the block pool.
    static void* operator new(size_t size) { return KorvaneEngine::SmallObjectPool::Allocate(size); }
    static void operator delete(void* p, size_t size) { KorvaneEngine::SmallObjectPool::Free(p, size); }

private:
    void Detach();
    void Append(XMLNode* child);
    void Report(int report, const std::string& message) const;

    std::string name_;
    XMLValue value_;
    AttributeList attributes_;
    std::map<std::string, XMLAttribute*, std::less<std::string>,
             KorvaneEngine::PoolAllocator<std::pair<const std::string, XMLAttribute*>>>
        attributeIndex_;
    NodeList children_;
    std::multimap<std::string, XMLNode*, std::less<std::string>,
                  KorvaneEngine::PoolAllocator<std::pair<const std::string, XMLNode*>>>
        childIndex_;
    XMLNode* parent_ = nullptr;
};

} // namespace GameTools

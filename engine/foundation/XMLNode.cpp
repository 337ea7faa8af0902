#include "engine/foundation/XMLNode.h"

#include <algorithm>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"

using namespace KorvaneEngine;

namespace GameTools {

XMLNode::XMLNode() {}

// A node under construction has no parent and no children, so it is appended
// without AddChild's checks (which would cost the parser time per level of depth).
XMLNode::XMLNode(const std::string& name, XMLNode* parent) : name_(name)
{
    if (parent)
        parent->Append(this);
}

XMLNode::XMLNode(const std::string& name, const std::string& value, XMLNode* parent) : name_(name)
{
    value_.SetString(value);
    if (parent)
        parent->Append(this);
}

XMLNode::~XMLNode()
{
    Detach();
    for (XMLAttribute* a : attributes_)
        delete a;
    // The subtree is taken apart level by level rather than by recursive
    // destructors: unclosed elements are legal, so a hostile file can nest a
    // million levels deep, which recursion would answer with a stack overflow.
    std::vector<XMLNode*> pending(children_.begin(), children_.end());
    children_.clear();
    childIndex_.clear();
    for (size_t i = 0; i < pending.size(); ++i)
        pending[i]->parent_ = nullptr;
    while (!pending.empty()) {
        XMLNode* n = pending.back();
        pending.pop_back();
        for (XMLNode* c : n->children_) {
            c->parent_ = nullptr;
            pending.push_back(c);
        }
        n->children_.clear();
        n->childIndex_.clear();
        delete n; // no parent and no children left: nothing recursive happens
    }
}

void XMLNode::Detach()
{
    XMLNode* p = parent_;
    if (!p)
        return;
    parent_ = nullptr;
    auto it = std::find(p->children_.begin(), p->children_.end(), this);
    if (it != p->children_.end())
        p->children_.erase(it);
    auto range = p->childIndex_.equal_range(name_);
    for (auto i = range.first; i != range.second; ++i)
        if (i->second == this) {
            p->childIndex_.erase(i);
            break;
        }
}

XMLNode* XMLNode::CreateChild()
{
    return new XMLNode(std::string(), this);
}

XMLNode* XMLNode::AddChild(XMLNode* child)
{
    if (!child)
        return child;
    // A node cannot hold itself or one of its ancestors: that would make a cycle
    // that deletes nodes twice.
    for (const XMLNode* n = this; n; n = n->parent_)
        if (n == child)
            return child;
    child->Detach();
    Append(child);
    return child;
}

void XMLNode::Append(XMLNode* child)
{
    children_.push_back(child);
    childIndex_.emplace(child->name_, child);
    child->parent_ = this;
}

void XMLNode::RemoveChild(XMLNode* child)
{
    if (!child)
        return;
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end())
        return;
    children_.erase(it);
    auto range = childIndex_.equal_range(child->name_);
    for (auto i = range.first; i != range.second; ++i)
        if (i->second == child) {
            childIndex_.erase(i);
            break;
        }
    if (child->parent_ == this) {
        child->parent_ = nullptr;
        delete child;
    }
}

std::string XMLNode::GetPath() const
{
    std::string path;
    for (const XMLNode* n = this; n; n = n->parent_)
        if (!n->name_.empty())
            path = "/" + n->name_ + path;
    return path;
}

void XMLNode::Report(int report, const std::string& message) const
{
    if (report < kReportWarning || report > kReportFatal)
        return;
    MessageManager* log = MessageManager::Instance();
    if (report == kReportFatal) {
        if (log)
            log->LogFatal(message);
        throw FatalError(message); // no log yet: still never return
    }
    if (!log)
        return;
    if (report == kReportWarning)
        log->LogWarning(message);
    else
        log->LogError(message);
}

XMLNode* XMLNode::GetChild(const std::string& name, int report)
{
    auto it = childIndex_.find(name);
    if (it != childIndex_.end())
        return it->second;
    Report(report, "Failed to find \"" + GetPath() + "/" + name + "\" node");
    return nullptr;
}

void XMLNode::GetChildren(std::vector<XMLNode*>& out) const
{
    out.assign(children_.begin(), children_.end());
}

void XMLNode::GetChildrenByName(const std::string& name, std::vector<XMLNode*>& out) const
{
    out.clear();
    auto range = childIndex_.equal_range(name);
    for (auto i = range.first; i != range.second; ++i)
        out.push_back(i->second);
}

XMLValue* XMLNode::GetAttribute(const std::string& name, int report)
{
    auto it = attributeIndex_.find(name);
    if (it != attributeIndex_.end())
        return &it->second->value;
    Report(report, "Failed to find \"" + name + "\" attribute in \"" + GetPath() + "\" node");
    return nullptr;
}

XMLAttribute* XMLNode::FindAttribute(const std::string& name) const
{
    auto it = attributeIndex_.find(name);
    return it == attributeIndex_.end() ? nullptr : it->second;
}

void XMLNode::SetAttribute(const std::string& name, const std::wstring& value)
{
    auto it = attributeIndex_.find(name);
    if (it != attributeIndex_.end()) {
        it->second->value.SetWideString(value);
        return;
    }
    XMLAttribute* a = new XMLAttribute(name, value);
    attributes_.push_back(a);
    attributeIndex_.emplace(name, a);
}

void XMLNode::SetAttribute(const std::string& name, std::wstring&& value)
{
    auto it = attributeIndex_.find(name);
    if (it != attributeIndex_.end())
        it->second->value.SetWideString(std::move(value));
    else
        AddNewAttribute(name, std::move(value));
}

XMLAttribute* XMLNode::AddNewAttribute(const std::string& name, std::wstring&& value)
{
    auto slot = attributeIndex_.emplace(name, nullptr);
    if (!slot.second)
        return nullptr;
    XMLAttribute* a = new XMLAttribute(name, std::move(value));
    slot.first->second = a;
    attributes_.push_back(a);
    return a;
}

} // namespace GameTools

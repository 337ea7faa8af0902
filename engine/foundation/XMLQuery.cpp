#include "engine/foundation/XMLQuery.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace GameTools {

namespace {

typedef std::vector<std::pair<std::string, std::string>> Conditions;

inline bool IsVisible(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 128 || (u > 0x20 && u < 0x7F);
}

bool ParsePredicate(const std::string& text, Conditions& out)
{
    std::string name, value;
    bool expectName = true, afterEquals = false, inQuotes = false;
    char quote = 0;
    for (char c : text) {
        if (!IsVisible(c)) {
            if (inQuotes)
                value.push_back(c);
            continue;
        }
        if (expectName) {
            if (c == '=') {
                if (name.empty())
                    return false;
                expectName = false;
                afterEquals = true;
            } else if (c == ',' || c == ';') {
                if (!name.empty())
                    return false;
            } else {
                name.push_back(c);
            }
        } else if (inQuotes) {
            if (c == quote) {
                out.emplace_back(name, value);
                name.clear();
                value.clear();
                inQuotes = false;
                afterEquals = false;
                expectName = true;
            } else {
                value.push_back(c);
            }
        } else if (afterEquals) {
            if (c != '\'' && c != '"')
                return false;
            inQuotes = true;
            quote = c;
        }
    }
    if (expectName && !name.empty())
        return false;
    return !afterEquals && !inQuotes;
}

bool Matches(XMLNode* node, const Conditions& conditions)
{
    for (const auto& c : conditions) {
        XMLValue* v = node->GetAttribute(c.first, kReportSilent);
        if (!v || v->GetString() != c.second)
            return false;
    }
    return true;
}

// Step by step over the whole front of matching nodes. Expanding each node in
// order and keeping the groups in order yields the same depth-first document
// order as a recursive walk, without recursion depth growing with the query.
std::vector<XMLNode*> Walk(XMLNode* start, const std::string& query)
{
    std::vector<XMLNode*> front;
    if (!start)
        return front;
    front.push_back(start);
    std::string q = query;
    std::vector<XMLNode*> next, candidates;
    Conditions conditions;
    while (!q.empty() && !front.empty()) {
        const size_t npos = std::string::npos;
        size_t s = q.find('/'), b = q.find('['), e = q.find(']');
        // A slash inside the first step's brackets, or "]" before (or without) "[".
        if (s != npos && b != npos && b < s && s < e)
            return {};
        if (e != npos && (b == npos || b > e))
            return {};
        bool hasPredicate = b != npos && (s == npos || b < s);
        conditions.clear();
        if (hasPredicate) {
            size_t end = e == npos ? q.size() : e;
            if (!ParsePredicate(q.substr(b + 1, end - b - 1), conditions))
                return {};
        }
        std::string name = q.substr(0, std::min(b, s));
        std::string rest = s == npos ? std::string() : q.substr(s + 1);
        if (name.empty() && !hasPredicate) {
            q.swap(rest); // a leading or doubled "/" steps nowhere
            continue;
        }
        next.clear();
        for (XMLNode* n : front) {
            if (name.empty())
                n->GetChildren(candidates);
            else
                n->GetChildrenByName(name, candidates);
            for (XMLNode* c : candidates)
                if (Matches(c, conditions))
                    next.push_back(c);
        }
        front.swap(next);
        q.swap(rest);
    }
    return front;
}

} // namespace

XMLNode* FindXMLNode(XMLNode* start, const std::string& query)
{
    std::vector<XMLNode*> r = Walk(start, query);
    return r.empty() ? nullptr : r.front();
}

XMLValue* FindXMLAttribute(XMLNode* start, const std::string& query, const std::string& attribute)
{
    for (XMLNode* n : Walk(start, query))
        if (XMLValue* v = n->GetAttribute(attribute, kReportSilent))
            return v;
    return nullptr;
}

XMLValue* FindXMLValue(XMLNode* start, const std::string& query)
{
    std::vector<XMLNode*> r = Walk(start, query);
    return r.empty() ? nullptr : &r.front()->GetValue();
}

} // namespace GameTools

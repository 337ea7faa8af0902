#pragma once
#include <string>

#include "engine/foundation/XMLNode.h"

namespace GameTools {

// Path queries over a parsed tree: steps separated by "/", each a node name
// (may be empty: any child when it has a predicate) with at most one predicate
// of attribute conditions, as in "faders/fader[name='x']" or
// "templates/[name=\"t\"; kind='y']". Results point into the tree; a query
// that does not parse finds nothing.

// The first matching node, or null.
XMLNode* FindXMLNode(XMLNode* start, const std::string& query);
// The attribute of the first matching node that has it, or null.
XMLValue* FindXMLAttribute(XMLNode* start, const std::string& query, const std::string& attribute);
// The text of the first matching node, or null when nothing matches.
XMLValue* FindXMLValue(XMLNode* start, const std::string& query);

} // namespace GameTools

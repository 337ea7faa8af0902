#pragma once
#include <string>

#include "engine/foundation/XMLNode.h"

namespace GameTools {

// Reader of the engine's XML dialect: elements, attributes in single or double
// quotes, self-closing tags, element text, comments ("<!-- " with the blank)
// and skipped "<?...?>" declarations. No entities, CDATA, DOCTYPE or
// namespaces: text stays verbatim. A structural fault throws FileError
// "XML format error at line <n>: code <k>".
//
// With a root given, every top-level element becomes its child. With a null
// root the file's single top-level element becomes the root and is stored into
// the caller's pointer; on failure that partial tree is deleted and the pointer
// set back to null.
class XMLParser {
public:
    virtual ~XMLParser();
    XMLParser();

    // The state machine over an already read text; each 16-bit unit is one character.
    void ParseString(XMLNode*& root, const std::wstring& text);
};

} // namespace GameTools

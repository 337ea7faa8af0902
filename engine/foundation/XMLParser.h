#pragma once
#include <string>

#include "engine/foundation/XMLNode.h"

namespace KorvaneEngine {
class FileTextual;
}

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

    // Opens the file through the file manager (packs included; the encoding is
    // found from its byte-order mark) and parses it. A null root receives the
    // file's top element. File errors pass on with their own message.
    void ParseFile(XMLNode*& root, const std::string& fileName);
    // The usual entry, with a root made by the caller: the file's top-level
    // elements become its children. (A null root here gets a tree nobody can
    // reach; it is checked and freed again.)
    void ParseFile(XMLNode* const& root, const std::string& fileName);
    // An already opened text file into the given root.
    void Parse(XMLNode* root, KorvaneEngine::FileTextual* file);
    // Reads the rest of the file as one text and parses it.
    void ParseText(XMLNode*& root, KorvaneEngine::FileTextual* file);
    // The state machine over an already read text; each 16-bit unit is one character.
    void ParseString(XMLNode*& root, const std::wstring& text);
};

} // namespace GameTools

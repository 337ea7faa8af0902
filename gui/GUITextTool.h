#pragma once
#include <string>
#include <vector>

namespace GameTools {
class XMLNode;
}

namespace GUITools {

// Every user-visible text by key, in one language. Reads
// "data\ui\texts\texts.xml" and then "data\ui\texts\default_texts.xml" once;
// a key's text is texts/<key>/<language> "text", the game's file winning over
// the defaults. Each file that fails to read is logged and left out, so the
// other one still serves.
class GUITextTool {
public:
    explicit GUITextTool(const std::string& language);
    virtual ~GUITextTool();
    GUITextTool(const GUITextTool&) = delete;
    GUITextTool& operator=(const GUITextTool&) = delete;

    // The text of key ("common/exit") in the tool's language; L"UNKNOWN"
    // (never logged: windows probe keys) when no file has it in that language.
    std::wstring GetText(const std::string& key) const;

    const std::string& GetLanguage() const { return language; }
    // The "texts" nodes that were read, the game's file first.
    const std::vector<GameTools::XMLNode*>& GetTables() const { return tables; }

private:
    void ReadFile(const std::string& fileName);

    std::string language;
    GameTools::XMLNode* root = nullptr;           // owns one child per file read
    std::vector<GameTools::XMLNode*> tables;      // point into root
};

} // namespace GUITools

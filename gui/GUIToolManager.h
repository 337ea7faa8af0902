#pragma once
#include <string>
#include <vector>

namespace GameTools {
class XMLNode;
}

namespace GUITools {

class GUIFontTool;
class GUITextTool;

// The XML side of the GUI, made once by the application: every window
// description under "data\ui\windows", the font table and the text table, all
// in one language. XML windows take their descriptions, fonts and texts from
// here.
class GUIToolManager {
public:
    explicit GUIToolManager(const std::string& language);
    virtual ~GUIToolManager();
    GUIToolManager(const GUIToolManager&) = delete;
    GUIToolManager& operator=(const GUIToolManager&) = delete;

    // The common parent of every loaded description: windows, templates and
    // the fader table are its children, in load order (the first of a name
    // wins a lookup).
    GameTools::XMLNode* GetRoot() const { return root; }
    const std::string& GetLanguage() const { return language; }
    GUIFontTool* GetFontTool() const { return fontTool; }
    GUITextTool* GetTextTool() const { return textTool; }
    // The loaded files in load order: lower-case file names (with extension),
    // and the top element each contributed.
    const std::vector<std::string>& GetWindowNames() const { return windowNames; }
    const std::vector<GameTools::XMLNode*>& GetWindowDescriptions() const { return windowDescriptions; }

private:
    void LoadDescriptions();

    std::string language;
    GUIFontTool* fontTool = nullptr;
    GUITextTool* textTool = nullptr;
    std::vector<std::string> windowNames;
    std::vector<GameTools::XMLNode*> windowDescriptions;
    GameTools::XMLNode* root = nullptr;
};

} // namespace GUITools

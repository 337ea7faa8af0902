#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace GameTools {
class XMLNode;
}

namespace KorvaneEngine {
class GUIFont;
class GUIFontManager;
class ShaderUser;
} // namespace KorvaneEngine

namespace GUITools {

// The font table: turns the font description files into engine fonts of the
// GUI manager's font manager and gives them out by name. The constructor
// reads "data\ui\fonts\fonts_basic.xml"; LoadAdditionalFonts reads
// "data\ui\fonts\fonts_additional.xml" once the game's further resources are
// in. Any entry's file paths, size and properties may be overridden for one
// language by a child element named by the language code.
//
// Each font has its shader user, released with the table. An entry that is
// incomplete, names a font already loaded or whose glyph file fails is logged
// and left out; the other entries load.
class GUIFontTool {
public:
    explicit GUIFontTool(const std::string& language);
    virtual ~GUIFontTool();
    GUIFontTool(const GUIFontTool&) = delete;
    GUIFontTool& operator=(const GUIFontTool&) = delete;

    void LoadAdditionalFonts();
    void LoadFonts(const std::string& fileName);

    // -1 when there is no font of that name.
    int32_t GetFontId(const std::string& name) const;
    // Null when there is no font of that name.
    KorvaneEngine::GUIFont* GetFont(const std::string& name) const;

    KorvaneEngine::GUIFontManager* GetFontManager() const { return fontManager; }
    const std::string& GetLanguage() const { return language; }
    const std::map<std::string, int32_t>& GetFontIds() const { return fontIds; }

private:
    void LoadEntry(GameTools::XMLNode* entry, uint32_t index);

    KorvaneEngine::GUIFontManager* fontManager = nullptr;
    std::string language;
    int32_t nextId = 0;
    std::map<std::string, int32_t> fontIds;
    std::map<std::string, KorvaneEngine::ShaderUser*> shaderUsers;
};

} // namespace GUITools

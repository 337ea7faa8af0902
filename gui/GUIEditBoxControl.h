#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"
#include "gui/GUIControl.h"

namespace KorvaneEngine {
class GUIEditBox;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

class GUIFontTool;

// The text-entry field ("edit_box"). The widget is made before the
// description's settings are read, so they are handed to it every frame in
// which it is visible. Windows read and set the text on the widget.
class GUIEditBoxControl : public GUIControl {
public:
    GUIEditBoxControl(GameTools::DataKeeper* registry, GUIFontTool* fontTool, KorvaneEngine::GUIWindow* parent,
        const GUIControlDescription& description);
    ~GUIEditBoxControl() override;
    void Update() override;

    // -1 (no text drawn) for an empty or unknown name.
    void SetFont(const std::string& name);
    // Below 1 counts as 1: the widget's limits are unsigned.
    void SetMaxCharacterCount(int32_t count);

    KorvaneEngine::GUIEditBox* GetEditBox() const { return editBox; }
    const std::string& GetFontName() const { return fontName; }
    int32_t GetFontId() const { return fontId; }
    int32_t GetMaxCharacterCount() const { return maxCharacterCount; }

    // Set from the description.
    KorvaneEngine::Color fontColor = KorvaneEngine::Color(1, 1, 1, 1);
    KorvaneEngine::Vector2 textOffset = KorvaneEngine::Vector2(0, 0);
    uint16_t cursorCharacter = '_';
    float maxTextLength = 800;     // widest text in GUI units
    float visibleTextWidth = 800;

private:
    GUIFontTool* fontTool;
    KorvaneEngine::GUIEditBox* editBox = nullptr;
    std::string fontName;
    int32_t fontId = -1;
    int32_t maxCharacterCount = 255;
};

} // namespace GUITools

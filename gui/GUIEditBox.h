#pragma once
#include <cstdint>
#include <string>

#include "gui/GUIWindow.h"

namespace KorvaneEngine {

class GUIFont;
class GUISoundManager;

// One line of wide text entry. Everything happens in UpdateInput: the typed
// character or editing key of this frame, the text within maxCount characters
// and maxLength GUI units, the visible part scrolled (in jumps of 5
// characters) so the text cursor stays in view, the text and a blinking
// cursor character queued for this frame's render, and the print cue when the
// text changed.
class GUIEditBox : public GUIWindow {
public:
    static const uint32_t kScrollJump = 5;

    ~GUIEditBox() override;
    bool UpdateInput(const Vector2& cursor, bool held, bool pressed) override;

    GUIEditBox(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
        const Vector2& position, const Vector2& size, const Model* source, const ShaderDescriptor* shader,
        int32_t fontId, const Color& fontColor, const Vector2& textOffset, uint32_t maxCount, float maxLength,
        float visibleWidth, uint16_t cursorCharacter, GUIWindow* parent);

    // Not cut to the limits; the cursor goes to the end.
    void SetText(const std::wstring& text);
    const std::wstring& GetText() const { return text; }
    void SetFont(int32_t id);
    void SetTextOffset(const Vector2& offset) { textOffset = offset; }
    // The blinking cursor's character (and the one-character text drawn).
    void SetCursorCharacter(uint16_t c)
    {
        cursorCharacter_ = c;
        cursorText_.assign(1, static_cast<wchar_t>(c));
    }
    uint16_t GetCursorCharacter() const { return cursorCharacter_; }
    // (text + c) is within both limits.
    bool CanInsert(wchar_t c) const;
    // Scrolls right until the part from the offset to the cursor, with the
    // cursor character, fits the visible width (never past the cursor).
    void UpdateVisibleText();

    int32_t GetFontId() const { return fontId_; }
    GUIFont* GetFont() const { return font_; }
    int32_t GetCursor() const { return cursor_; }
    int32_t GetScrollOffset() const { return offset_; }
    // The part of the text queued for display this frame.
    const std::wstring& GetShownText() const { return shown_; }

    std::wstring text;
    Color fontColor;
    Vector2 textOffset;
    uint32_t maxCount;
    float maxLength;
    float visibleWidth;
    bool overwrite = false;
    bool active = true;
    std::string printSoundName = "gui_default_edit_box_print";

private:
    float Width(const std::wstring& s) const;
    // Where End puts the cursor: the end, or the last character when full.
    int32_t EndPosition() const;
    void MoveRight();
    void MoveLeft();
    bool HandleKey(uint16_t code);
    bool HandleCharacter(wchar_t c);

    GUISoundManager* soundManager_;
    int32_t fontId_ = -1;
    GUIFont* font_ = nullptr;
    uint16_t cursorCharacter_;
    std::wstring cursorText_;
    int32_t cursor_ = 0;
    int32_t offset_ = 0;
    std::wstring shown_;
};

} // namespace KorvaneEngine

#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class GUIEditBox;
class GUIFont;
class GUIWindow;
class ShaderDescriptor;
class ShaderUser;

// The drop-down console: a translucent full-width panel that slides down from
// the top of the GUI screen, shows every log record in its level's colour and
// runs typed lines through the configuration (history, name completion,
// scroll-back). One engine service; the engine runs Update in its input step
// right after the GUI manager's pass and deletes the console first.
class Console : public GlobalPointerHolder<Console> {
public:
    // States of the panel.
    static constexpr int32_t kOpening = 0;
    static constexpr int32_t kOpen = 1;
    static constexpr int32_t kClosing = 2;
    static constexpr int32_t kClosed = 3;

    // One stored piece of printed text; a row is one or more pieces, the last
    // of which ends it.
    struct Piece {
        Color color;
        std::wstring text;
        bool endsRow = false;
        float width = 0.0f;
    };

    virtual ~Console();
    // Needs the configuration, the shader manager and the GUI manager (with
    // its screen size set); the font id is the font manager's.
    Console(const std::string& versionText, const ShaderDescriptor& background, int32_t fontId,
        uint16_t cursorCharacter, uint16_t promptCharacter, uint16_t separatorCharacter, const std::string& keyName,
        float alpha, float size, float speed);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // A change is stored; disabling closes the console.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    // Open only from closing or closed, Close only from opening or open.
    void Open();
    void Close();
    // Appends to the scroll-back; a piece wider than the GUI screen wraps.
    void Print(const Color& color, const std::wstring& text);
    void Update();

    int32_t GetState() const { return state_; }
    GUIWindow* GetPanel() const { return panel_; }
    GUIEditBox* GetInputLine() const { return input_; }
    const std::vector<Piece>& GetPieces() const { return pieces_; }
    const std::vector<std::wstring>& GetHistory() const { return history_; }
    uint32_t GetHistoryPosition() const { return historyPosition_; }
    uint32_t GetScroll() const { return scroll_; }
    const std::wstring& GetBanner() const { return banner_; }
    const std::wstring& GetSeparator() const { return separator_; }
    // The values in effect: the variables when in range, else the
    // constructor's.
    float GetEffectiveAlpha() const;
    float GetEffectiveSize() const;
    float GetEffectiveSpeed() const;
    const std::string& GetEffectiveKey();

private:
    void PrintLog();
    void Animate(float frameTime);
    void Draw();
    void HandleKey(uint16_t code);
    void ExecuteInput();
    void Complete();
    float Width(const std::wstring& text) const;
    // text repeated or padded until just short of the GUI screen's width.
    std::wstring PadToWidth(const std::wstring& text, wchar_t fill, bool prepend) const;

    int32_t state_ = kClosed;
    std::string keyName_;
    float alpha_;
    float size_;
    float speed_;
    std::wstring prompt_;
    std::wstring separator_;
    std::wstring banner_;
    std::string say_;
    ShaderUser* shaderUser_ = nullptr;
    int32_t fontId_;
    GUIFont* font_ = nullptr;
    GUIWindow* panel_ = nullptr;
    GUIEditBox* input_ = nullptr;
    uint32_t scroll_ = 0;
    std::vector<Piece> pieces_;
    uint32_t historyPosition_ = 0;
    std::vector<std::wstring> history_;
    float margin_ = 0.0f;
    float lineHeight_ = 0.0f;
    std::wstring speakerName_ = L"Wendro";
    bool enabled_ = true;

    // The constructor's values, the fallbacks for out-of-range settings.
    float defaultAlpha_, defaultSize_, defaultSpeed_;
    // The key name last warned about, so a bad setting is logged once.
    std::string badKeyName_;
    // Colour of the last log record, for levels without one of their own.
    Color lastColor_ = Color(1, 1, 1, 1);
    float screenWidth_ = 0.0f, screenHeight_ = 0.0f;
};

} // namespace KorvaneEngine

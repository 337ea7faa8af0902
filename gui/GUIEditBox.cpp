#include "gui/GUIEditBox.h"

#include <cmath>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/TimerManager.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"
#include "gui/GUISoundManager.h"

namespace KorvaneEngine {

namespace {
// Windows virtual-key codes of the editing keys.
const uint16_t kBackspace = 0x08;
const uint16_t kEnd = 0x23;
const uint16_t kHome = 0x24;
const uint16_t kLeft = 0x25;
const uint16_t kRight = 0x27;
const uint16_t kInsert = 0x2D;
const uint16_t kDelete = 0x2E;
const float kBlinkPeriod = 0.4f;
} // namespace

GUIEditBox::GUIEditBox(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
    const Vector2& position_, const Vector2& size_, const Model* source, const ShaderDescriptor* shader,
    int32_t fontId, const Color& fontColor_, const Vector2& textOffset_, uint32_t maxCount_, float maxLength_,
    float visibleWidth_, uint16_t cursorCharacter, GUIWindow* parent)
    : GUIWindow(fontManager, camera, flags, position_, size_, source, shader, parent), fontColor(fontColor_),
      textOffset(textOffset_), maxCount(maxCount_), maxLength(maxLength_), visibleWidth(visibleWidth_),
      soundManager_(soundManager), cursorCharacter_(cursorCharacter),
      cursorText_(1, static_cast<wchar_t>(cursorCharacter))
{
    SetFont(fontId);
}

GUIEditBox::~GUIEditBox() {}

void GUIEditBox::SetFont(int32_t id)
{
    fontId_ = id;
    font_ = (id != -1 && GetFontManager()) ? GetFontManager()->GetFont(id) : nullptr;
}

float GUIEditBox::Width(const std::wstring& s) const
{
    if (!font_)
        return 0.0f;
    Vector2 out;
    return font_->GetTextSize(out, s, 0.0f, font_->size).x;
}

int32_t GUIEditBox::EndPosition() const
{
    // A count of 0 leaves the cursor at 0 instead of -1.
    const int64_t last = maxCount > 0 ? static_cast<int64_t>(maxCount) - 1 : 0;
    const int64_t length = static_cast<int64_t>(text.size());
    return static_cast<int32_t>(length < last ? length : last);
}

void GUIEditBox::SetText(const std::wstring& t)
{
    text = t;
    cursor_ = EndPosition();
    offset_ = 0;
    UpdateVisibleText();
}

bool GUIEditBox::CanInsert(wchar_t c) const
{
    const std::wstring longer = text + c;
    return longer.size() <= maxCount && Width(longer) <= maxLength;
}

void GUIEditBox::UpdateVisibleText()
{
    if (!font_)
        return;
    if (offset_ > cursor_)
        offset_ = cursor_;
    // Stops at the cursor: a visible width below the cursor glyph's cannot be
    // met, and the offset must not pass the cursor.
    while (offset_ < cursor_ &&
           Width(text.substr(offset_, static_cast<size_t>(cursor_ - offset_)) + cursorText_) > visibleWidth)
        ++offset_;
}

void GUIEditBox::MoveRight()
{
    const int32_t c0 = cursor_, s0 = offset_;
    cursor_ = EndPosition();
    offset_ = 0;
    UpdateVisibleText();
    const int32_t e = offset_;
    const int32_t last = EndPosition();
    const int32_t maxCursor = maxCount > 0 ? static_cast<int32_t>(maxCount) - 1 : 0;
    cursor_ = c0 + 1 < maxCursor ? c0 + 1 : maxCursor;
    if (cursor_ > last && cursor_ > static_cast<int32_t>(text.size()))
        cursor_ = static_cast<int32_t>(text.size());
    const std::wstring part = text.substr(s0 < static_cast<int32_t>(text.size()) ? s0 : text.size(),
                                  static_cast<size_t>(cursor_ - s0 + 1));
    if (Width(part + cursorText_) <= visibleWidth)
        offset_ = s0;
    else
        offset_ = s0 + static_cast<int32_t>(kScrollJump) < e ? s0 + static_cast<int32_t>(kScrollJump) : e;
    if (offset_ > cursor_)
        offset_ = cursor_;
}

void GUIEditBox::MoveLeft()
{
    if (cursor_ > offset_)
        return;
    offset_ = offset_ > static_cast<int32_t>(kScrollJump) ? offset_ - static_cast<int32_t>(kScrollJump) : 0;
    UpdateVisibleText();
}

bool GUIEditBox::HandleKey(uint16_t code)
{
    const int32_t length = static_cast<int32_t>(text.size());
    switch (code) {
    case kInsert:
        overwrite = !overwrite;
        return false;
    case kDelete:
        if (cursor_ >= length)
            return false;
        text.erase(static_cast<size_t>(cursor_), 1);
        return true;
    case kBackspace:
        if (cursor_ <= 0)
            return false;
        // A full text keeps the cursor on its last character: Backspace there
        // takes that character. Anywhere else it takes the one before.
        if (cursor_ + 1 == length && static_cast<uint32_t>(length) >= maxCount) {
            text.erase(static_cast<size_t>(cursor_), 1);
        } else {
            text.erase(static_cast<size_t>(cursor_ - 1), 1);
            --cursor_;
            MoveLeft();
        }
        return true;
    case kLeft:
        if (cursor_ > 0) {
            --cursor_;
            MoveLeft();
        }
        return false;
    case kRight:
        if (cursor_ < length)
            MoveRight();
        return false;
    case kHome:
        cursor_ = 0;
        offset_ = 0;
        return false;
    case kEnd:
        cursor_ = EndPosition();
        UpdateVisibleText();
        return false;
    default:
        return false;
    }
}

bool GUIEditBox::HandleCharacter(wchar_t c)
{
    if (c != L' ' && !font_->HasGlyph(c))
        c = L'a';
    const int32_t length = static_cast<int32_t>(text.size());
    bool changed = false;
    if (overwrite && cursor_ < length) {
        text[static_cast<size_t>(cursor_)] = c;
        changed = true;
    } else if (CanInsert(c)) {
        if (cursor_ >= length)
            text.push_back(c);
        else
            text.insert(static_cast<size_t>(cursor_), 1, c);
        changed = true;
    }
    if (changed && cursor_ < static_cast<int32_t>(text.size()))
        MoveRight();
    return changed;
}

bool GUIEditBox::UpdateInput(const Vector2& cursor, bool held, bool pressed)
{
    const bool result = GUIWindow::UpdateInput(cursor, held, pressed);
    if (!result || !font_)
        return result;
    Color color = fontColor;
    color.a *= GetAlpha();
    bool changed = false;
    const Controls* controls = Controls::Instance();
    uint16_t code = 0;
    bool isCharacter = false;
    if (active && controls && controls->GetTypedCharacter(code, isCharacter))
        changed = isCharacter ? HandleCharacter(static_cast<wchar_t>(code)) : HandleKey(code);

    const size_t from = static_cast<size_t>(offset_) < text.size() ? static_cast<size_t>(offset_) : text.size();
    shown_ = text.substr(from);
    if (Width(shown_) > visibleWidth) {
        size_t n = 0;
        while (n < shown_.size() && Width(shown_.substr(0, n + 1)) <= visibleWidth)
            ++n;
        shown_.resize(n);
    }
    PrintText(0, fontId_, textOffset, color, shown_, 0.0f, -1.0f);

    const TimerManager* timers = TimerManager::Instance();
    const float seconds = timers && timers->GetFrameTimer() ? timers->GetFrameTimer()->GetTime() : 0.0f;
    if (active && static_cast<int64_t>(std::floor(seconds / kBlinkPeriod)) % 2 == 0) {
        const int32_t before = cursor_ - offset_;
        const size_t n = before > 0 ? static_cast<size_t>(before) : 0;
        const Vector2 at = textOffset + Vector2(Width(shown_.substr(0, n)), 0);
        PrintText(0, fontId_, at, color, cursorText_, 0.0f, -1.0f);
    }
    if (changed && soundManager_)
        soundManager_->Play(printSoundName);
    return result;
}

} // namespace KorvaneEngine

#include "gui/Console.h"

#include <algorithm>
#include <cstring>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/KeyNames.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/Shader.h"
#include "gui/GUIEditBox.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"

namespace KorvaneEngine {

namespace {
// Windows virtual-key codes the console acts on.
const uint16_t kTab = 0x09;
const uint16_t kEnter = 0x0D;
const uint16_t kEscape = 0x1B;
const uint16_t kPageUp = 0x21;
const uint16_t kPageDown = 0x22;
const uint16_t kUp = 0x26;
const uint16_t kDown = 0x28;

const char* const kAlphaName = "ui_console_alpha";
const char* const kSizeName = "ui_console_size";
const char* const kSpeedName = "ui_console_speed";
const char* const kKeyName = "ui_console_key";
const char* const kSayName = "say";
const char* const kDefaultKey = "~";

// The banner and the separator are padded at most this many characters.
const size_t kMaxPadding = 255;

const Color kWhite(1, 1, 1, 1);
const Color kGreen(0, 1, 0, 1);
const Color kGrey(0.5f, 0.5f, 0.5f, 1);
const Color kRed(1, 0, 0, 1);
const Color kBlue(0, 0, 1, 1);

bool IsKeyName(const std::string& name)
{
    for (const KeyName& k : KeyNames)
        if (name == k.name)
            return true;
    return false;
}

void Warn(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogWarning(text);
}

std::wstring Quoted(const std::string& text) { return L"\"" + NarrowToWide(text) + L"\""; }
} // namespace

Console::Console(const std::string& versionText, const ShaderDescriptor& background, int32_t fontId,
    uint16_t cursorCharacter, uint16_t promptCharacter, uint16_t separatorCharacter, const std::string& keyName,
    float alpha, float size, float speed)
    : keyName_(keyName), alpha_(alpha), size_(size), speed_(speed), fontId_(fontId)
{
    GUIManager* gui = GUIManager::Instance();
    screenWidth_ = gui ? gui->GetScreenWidth() : 0.0f;
    screenHeight_ = gui ? gui->GetScreenHeight() : 0.0f;

    // The constructor's values are what an out-of-range setting falls back
    // to, so they must be usable themselves.
    defaultAlpha_ = alpha > 0.0f && alpha <= 1.0f ? alpha : 1.0f;
    defaultSize_ = size > 0.0f && size <= screenHeight_ ? size : screenHeight_;
    defaultSpeed_ = speed > 0.0f ? speed : 1000.0f;
    if (!IsKeyName(keyName_)) {
        Warn("Console key \"" + keyName_ + "\" is not a key name, \"~\" is used");
        keyName_ = kDefaultKey;
    }

    if (Config* config = Config::Instance()) {
        config->Register(kAlphaName, kConfigFloat, false, true, &alpha_, FloatToString(defaultAlpha_, 4), false);
        config->Register(kSizeName, kConfigFloat, false, true, &size_, FloatToString(defaultSize_, 4), false);
        config->Register(kSpeedName, kConfigFloat, false, true, &speed_, FloatToString(defaultSpeed_, 4), false);
        config->Register(kKeyName, kConfigString, false, true, &keyName_, keyName_, false);
        config->Register(kSayName, kConfigString, false, false, &say_, "", false);
    }

    GUIFontManager* fonts = gui ? gui->GetFontManager() : nullptr;
    font_ = fonts && fontId_ != -1 ? fonts->GetFont(fontId_) : nullptr;
    if (!font_) {
        // Without the font the console still takes lines; it only draws no
        // text (the input line and the pieces measure nothing).
        if (MessageManager* log = MessageManager::Instance())
            log->LogError("Console font " + IntToString(fontId_) + " is not loaded, the console shows no text");
        fontId_ = -1;
    }
    const float fontSize = font_ ? font_->size : 0.0f;
    margin_ = 0.2f * fontSize;
    lineHeight_ = 1.2f * fontSize;
    prompt_.assign(1, static_cast<wchar_t>(promptCharacter));

    if (ShaderManager* shaders = ShaderManager::Instance())
        shaderUser_ = shaders->GetShaderUser(background, true);
    if (gui) {
        panel_ = gui->CreateWindow(GUIWindow::kColored | GUIWindow::kLayerFront, Vector2(0, screenHeight_),
            Vector2(screenWidth_, screenHeight_), nullptr, shaderUser_, nullptr);
        const float promptWidth = Width(prompt_);
        input_ = gui->CreateEditBox(GUIWindow::kShown, Vector2(promptWidth, lineHeight_ + margin_), Vector2(0, 0),
            nullptr, nullptr, fontId_, kBlue, Vector2(0, 0), 255, screenWidth_ * 4.0f, screenWidth_ - promptWidth,
            cursorCharacter, panel_);
        // Closed, like after Close: the line takes keys only once the panel is
        // down, so the toggle key's own character, which can arrive a frame
        // after the key, is not typed into it.
        input_->active = false;
    }

    banner_ = PadToWidth(NarrowToWide(versionText), L' ', true);
    separator_ = PadToWidth(std::wstring(), static_cast<wchar_t>(separatorCharacter), false);
}

Console::~Console()
{
    // The configuration may be saved after the console is gone: it keeps the
    // values, not pointers into this object.
    if (Config* config = Config::Instance()) {
        for (const char* name : {kAlphaName, kSizeName, kSpeedName, kKeyName, kSayName})
            config->UnregisterVariable(name);
    }
    if (GUIManager* gui = GUIManager::Instance()) {
        gui->DestroyEditBox(input_);
        gui->DestroyWindow(panel_);
    }
    if (shaderUser_)
        if (ShaderManager* shaders = ShaderManager::Instance())
            shaders->RemoveShaderUser(shaderUser_);
    ResetInstance(this);
}

float Console::Width(const std::wstring& text) const
{
    if (!font_ || text.empty())
        return 0.0f;
    Vector2 out;
    return font_->GetTextSize(out, text, 0.0f, font_->size).x;
}

std::wstring Console::PadToWidth(const std::wstring& text, wchar_t fill, bool prepend) const
{
    // One character at a time until the text is wider than the screen, then
    // the last one added goes again, so the text ends at the right edge. A
    // text that is already too wide (or too long to pad) gets nothing.
    std::wstring out = text;
    const size_t room = text.size() < kMaxPadding ? kMaxPadding - text.size() : 0;
    size_t added = 0;
    while (added < room && Width(out) <= screenWidth_) {
        if (prepend)
            out.insert(out.begin(), fill);
        else
            out.push_back(fill);
        ++added;
    }
    if (added > 0 && Width(out) > screenWidth_) {
        if (prepend)
            out.erase(out.begin());
        else
            out.pop_back();
    }
    return out;
}

float Console::GetEffectiveAlpha() const { return alpha_ > 0.0f && alpha_ <= 1.0f ? alpha_ : defaultAlpha_; }

float Console::GetEffectiveSize() const
{
    return size_ > 0.0f && size_ <= screenHeight_ ? size_ : defaultSize_;
}

float Console::GetEffectiveSpeed() const { return speed_ > 0.0f ? speed_ : defaultSpeed_; }

const std::string& Console::GetEffectiveKey()
{
    static const std::string fallback = kDefaultKey;
    if (IsKeyName(keyName_))
        return keyName_;
    if (badKeyName_ != keyName_) {
        badKeyName_ = keyName_;
        Warn("Console key \"" + keyName_ + "\" is not a key name, \"~\" is used");
    }
    return fallback;
}

void Console::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (!enabled_)
        Close();
}

void Console::Open()
{
    if (state_ != kClosing && state_ != kClosed)
        return;
    state_ = kOpening;
    if (panel_)
        panel_->SetFlags(GUIWindow::kShown);
    if (input_)
        input_->SetText(std::wstring());
}

void Console::Close()
{
    if (state_ != kOpening && state_ != kOpen)
        return;
    state_ = kClosing;
    if (input_)
        input_->active = false;
}

void Console::Print(const Color& color, const std::wstring& text)
{
    std::wstring piece;
    size_t i = 0;
    while (i < text.size()) {
        const wchar_t c = text[i];
        piece.push_back(c);
        // A piece too wide for the screen ends before its last character,
        // which starts the next piece; a piece of one character stays whole
        // however wide its glyph, else it would wrap for ever.
        bool retake = false;
        if (c != L'\n' && piece.size() > 1 && Width(piece) > screenWidth_) {
            piece.back() = L'\n';
            retake = true;
        }
        if (!retake)
            ++i;
        if (piece.back() == L'\n' || i == text.size()) {
            Piece p;
            p.color = color;
            p.text = piece;
            p.endsRow = piece.back() == L'\n';
            p.width = Width(piece);
            pieces_.push_back(p);
            piece.clear();
        }
    }
}

void Console::PrintLog()
{
    const MessageManager* log = MessageManager::Instance();
    if (!log)
        return;
    const int count = log->GetHistorySize();
    for (int i = 0; i < count; ++i) {
        const LogRecord* record = log->GetHistoryRecord(i);
        if (!record)
            continue;
        // Levels without a colour of their own (fatal) take the one before.
        switch (record->level) {
        case 0: lastColor_ = kWhite; break;
        case 1: lastColor_ = kGreen; break;
        case 2: lastColor_ = kGrey; break;
        case 3: lastColor_ = kRed; break;
        default: break;
        }
        Print(lastColor_, NarrowToWide(record->text));
    }
}

void Console::Animate(float frameTime)
{
    if (!panel_)
        return;
    const float size = GetEffectiveSize();
    const float speed = GetEffectiveSpeed();
    Vector2 p = panel_->GetPosition();
    switch (state_) {
    case kOpening:
        p.y -= speed * frameTime;
        if (screenHeight_ - p.y > size) {
            state_ = kOpen;
            p.y = screenHeight_ - size;
            if (input_)
                input_->active = true;
        }
        break;
    case kClosing:
        p.y += speed * frameTime;
        if (p.y > screenHeight_) {
            state_ = kClosed;
            p.y = screenHeight_;
            panel_->ClearFlags(GUIWindow::kShown);
            scroll_ = 0;
        }
        break;
    case kOpen: p.y = screenHeight_ - size; break;
    default: break;
    }
    p.x = 0.0f;
    panel_->SetPosition(p);
}

void Console::Draw()
{
    if (!panel_ || !font_)
        return;
    const float fontSize = font_->size;
    auto print = [&](float x, float y, const Color& c, const std::wstring& t) {
        panel_->PrintText(0, fontId_, Vector2(x, y), c, t, 0.0f, fontSize);
    };
    float y = margin_;
    print(0, y, kWhite, banner_);
    y += lineHeight_;
    print(0, y, kWhite, prompt_);
    if (scroll_ != 0) {
        y += lineHeight_;
        print(0, y, kWhite, separator_);
    }
    y += lineHeight_;

    // Rows from the newest back: a row is the pieces after the previous
    // row's end up to and including its own end (the newest row may still be
    // open). The newest scroll rows are skipped; older ones are drawn upwards
    // while they fit inside the part of the panel that is on screen.
    auto rowStart = [&](size_t end) {
        size_t s = end - 1;
        while (s > 0 && !pieces_[s - 1].endsRow)
            --s;
        return s;
    };
    size_t end = pieces_.size();
    uint32_t skipped = 0;
    while (skipped < scroll_ && end > 0) {
        end = rowStart(end);
        ++skipped;
    }
    scroll_ = skipped;
    const float top = GetEffectiveSize();
    while (end > 0 && y + fontSize <= top) {
        const size_t start = rowStart(end);
        float x = 0.0f;
        for (size_t i = start; i < end; ++i) {
            print(x, y, pieces_[i].color, pieces_[i].text);
            x += pieces_[i].width;
        }
        y += lineHeight_;
        end = start;
    }
}

void Console::Update()
{
    PrintLog();

    const Controls* controls = Controls::Instance();
    if (enabled_ && controls && controls->IsPressed(GetEffectiveKey())) {
        if (state_ == kClosing || state_ == kClosed)
            Open();
        else
            Close();
    }

    const TimerManager* timers = TimerManager::Instance();
    Animate(timers ? timers->frameTime : 0.0f);
    if (state_ == kClosed)
        return;

    if (panel_)
        panel_->SetColor(Color(1, 1, 1, GetEffectiveAlpha()));
    Draw();

    uint16_t code = 0;
    bool isCharacter = false;
    if (controls && controls->GetTypedCharacter(code, isCharacter) && !isCharacter)
        HandleKey(code);
}

void Console::HandleKey(uint16_t code)
{
    if (!input_)
        return;
    switch (code) {
    case kEnter: ExecuteInput(); break;
    case kEscape: input_->SetText(std::wstring()); break;
    case kTab: Complete(); break;
    case kUp:
        if (historyPosition_ > 0) {
            --historyPosition_;
            input_->SetText(history_[historyPosition_]);
        }
        break;
    case kDown:
        if (historyPosition_ < history_.size()) {
            ++historyPosition_;
            input_->SetText(historyPosition_ == history_.size() ? std::wstring() : history_[historyPosition_]);
        }
        break;
    case kPageUp: ++scroll_; break;
    case kPageDown:
        if (scroll_ > 0)
            --scroll_;
        break;
    default: break;
    }
}

void Console::ExecuteInput()
{
    std::wstring t = input_->GetText();
    if (t.empty() || t == L"\\")
        return;
    input_->SetText(std::wstring());
    Config* config = Config::Instance();
    if (!config)
        return;
    std::string name;
    const uint32_t result = config->ExecuteLine(WideToNarrow(t), &name);
    if (result == kExecuteEmptyLine)
        return;
    if (t[0] != L'\\')
        t.insert(t.begin(), L'\\');
    history_.push_back(t);
    historyPosition_ = static_cast<uint32_t>(history_.size());
    Print(kBlue, prompt_ + t + L"\n");

    switch (result) {
    case kExecuteDone:
        if (name == kSayName) {
            Print(kWhite, speakerName_ + L": \"");
            Print(kGreen, NarrowToWide(config->GetValueString(kSayName)));
            Print(kWhite, L"\"\n");
        }
        break;
    case 1:
        // The configuration parses every value it is given, so this is not
        // reached; kept for a configuration that refuses values.
        Print(kWhite, L"Invalid argument");
        break;
    case kExecuteReadOnly: Print(kWhite, Quoted(name) + L" is read only\n"); break;
    case kExecuteNoValue:
        if (name != kSayName)
            Print(kWhite, Quoted(name) + L" is " + Quoted(config->GetValueString(name)) + L", default is " +
                Quoted(config->GetDefaultValue(name)) + L"\n");
        break;
    case kExecuteUnknownName: Print(kWhite, L"Unknown command " + Quoted(name) + L"\n"); break;
    default: break;
    }
}

void Console::Complete()
{
    std::wstring t = ToLowerCopy(input_->GetText());
    if (t.empty())
        return;
    if (t[0] != L'\\')
        t.insert(t.begin(), L'\\');
    std::vector<std::wstring> candidates;
    if (const Config* config = Config::Instance()) {
        std::vector<std::string> names;
        config->GetVariableNames(names);
        for (const std::string& n : names) {
            const std::wstring c = L"\\" + NarrowToWide(n);
            if (c.compare(0, t.size(), t) == 0)
                candidates.push_back(c);
        }
    }
    if (candidates.empty()) {
        input_->SetText(t);
    } else if (candidates.size() == 1) {
        input_->SetText(candidates[0] + L" ");
    } else {
        Print(kBlue, t + L"\n");
        std::wstring common = candidates[0];
        for (const std::wstring& c : candidates) {
            Print(kWhite, L"    " + c + L"\n");
            size_t n = 0;
            while (n < common.size() && n < c.size() && common[n] == c[n])
                ++n;
            common.resize(n);
        }
        input_->SetText(common);
    }
}

} // namespace KorvaneEngine

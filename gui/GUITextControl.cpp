#include "gui/GUITextControl.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/XMLValue.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIManager.h"
#include "gui/GUITextTool.h"
#include "gui/GUIWindow.h"

using namespace KorvaneEngine;

namespace GUITools {

namespace {

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || std::iswspace(c);
}

wchar_t Upper(wchar_t c)
{
    std::wstring s(1, c);
    ToUpper(s);
    return s[0];
}

// Removes leading and trailing white space of a line and of its rule tags.
void Trim(std::wstring& line, std::vector<int32_t>& tags)
{
    size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1]))
        --end;
    size_t start = 0;
    while (start < end && IsBlank(line[start]))
        ++start;
    line = line.substr(start, end - start);
    tags = std::vector<int32_t>(tags.begin() + start, tags.begin() + end);
}

// The value of a style-rule setting: from after its name to the next ")",
// within the rule's header.
bool Setting(const std::wstring& header, const wchar_t* name, std::wstring& value)
{
    const size_t at = header.find(name);
    if (at == std::wstring::npos)
        return false;
    const size_t from = at + std::wcslen(name);
    const size_t close = header.find(L')', from);
    value = header.substr(from, close == std::wstring::npos ? std::wstring::npos : close - from);
    return true;
}

// A size the font can be drawn at: a number that is not finite is the
// font's own size, and none is beyond the largest.
float UsableSize(float size, float own)
{
    if (!std::isfinite(size))
        size = own;
    if (!std::isfinite(size))
        size = 1;
    return std::min(std::max(size, 0.0f), GUITextControl::kMaxFontSize);
}

} // namespace

GUITextControl::GUITextControl(GameTools::DataKeeper* registry, GUIFontTool* fontTool_, GUITextTool* textTool_,
    GUIWindow* parent, const GUIControlDescription& d)
    : GUIControl(registry, d.key), fontTool(fontTool_), textTool(textTool_)
{
    // Made at the defaults; Update applies the description's layout.
    GUIWindow* w = Manager().CreateWindow(
        GUIWindow::kColored, position, size, FindModel(d.modelName), FindShader(d.shaderName), parent);
    w->ScaleUV(d.uv);
    AttachWidget(w, d, true);
}

GUITextControl::~GUITextControl()
{
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyWindow(widget);
}

GUIFont* GUITextControl::Font(int32_t id) const
{
    GUIFontManager* fonts = fontTool ? fontTool->GetFontManager() : nullptr;
    return fonts && id >= 0 ? fonts->GetFont(id) : nullptr;
}

void GUITextControl::SetFont(const std::string& name)
{
    fontName = name;
    fontId = fontTool ? fontTool->GetFontId(name) : -1;
    if (!name.empty() && fontId < 0)
        LogErrorIfOpen("(GUITextControl::SetFont): Unknown \"" + name + "\" font of \"" + key + "\" control");
    layoutNeeded = true;
}

void GUITextControl::SetText(const std::string& expression_)
{
    if (printingMode && expression_ != expression)
        printingDone = false;
    expression = expression_;
    text = Resolve(expression);
    layoutNeeded = true;
}

void GUITextControl::SetLiteralText(const std::wstring& literal)
{
    if (printingMode && literal != text)
        printingDone = false;
    expression = "'" + WideToNarrow(literal) + "'";
    text = literal;
    layoutNeeded = true;
}

void GUITextControl::SetTextVariable(const std::wstring& name, const std::wstring& value)
{
    layoutNeeded = true;
    for (size_t i = 0; i < variableNames.size(); ++i)
        if (variableNames[i] == name) {
            variableValues[i] = value;
            return;
        }
    variableNames.push_back(name);
    variableValues.push_back(value);
}

void GUITextControl::SetFontSize(float size_)
{
    fontSize = std::isfinite(size_) ? std::min(size_, kMaxFontSize) : -1.0f;
    layoutNeeded = true;
}

void GUITextControl::SetMultiline(bool on)
{
    multiline = on;
    layoutNeeded = true;
}

void GUITextControl::SetAutoFontSize(bool on)
{
    autoFontSize = on;
    layoutNeeded = true;
}

std::wstring GUITextControl::Resolve(const std::string& expr) const
{
    std::wstring out;
    size_t start = 0;
    while (start <= expr.size()) {
        const size_t plus = expr.find('+', start);
        std::string part = expr.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        start = plus == std::string::npos ? expr.size() + 1 : plus + 1;
        if (part.empty())
            continue;
        std::string unit;
        const size_t open = part.rfind('['), close = part.rfind(']');
        if (open != std::string::npos && close != std::string::npos && open < close) {
            unit = ToLowerCopy(part.substr(open, close - open + 1));
            const std::string raw = part.substr(open, close - open + 1);
            for (size_t at; (at = part.find(raw)) != std::string::npos;)
                part.erase(at, raw.size());
        }
        // One quote alone is no literal: it would have no inside.
        std::wstring piece;
        if (part.size() >= 2 && IsQuote(part.front()) && IsQuote(part.back()))
            piece = NarrowToWide(part.substr(1, part.size() - 2));
        else
            piece = textTool ? textTool->GetText(part) : std::wstring(L"UNKNOWN");
        if (unit == "[u]") {
            ToUpper(piece);
        } else if (unit == "[l]") {
            ToLower(piece);
        } else if (unit == "[fu]") {
            if (!piece.empty())
                piece[0] = Upper(piece[0]);
        } else if (unit == "[wu]") {
            ToLower(piece);
            // Every word, a last one-letter word too.
            for (size_t i = 0; i < piece.size(); ++i)
                if (i == 0 || piece[i - 1] == L' ')
                    piece[i] = Upper(piece[i]);
        }
        out += piece;
    }
    return out;
}

void GUITextControl::ApplyRules(std::wstring& t, std::vector<int32_t>& tags)
{
    for (size_t at; (at = t.find(L"{rule")) != std::wstring::npos;) {
        // The header ends at the first "}" after "{rule", the styled text at
        // the next one. Without both the rest stays plain text: a name a
        // player typed may hold "{rule".
        const size_t p1 = t.find(L'}', at);
        if (p1 == std::wstring::npos)
            return;
        const size_t p2 = t.find(L'}', p1 + 1);
        if (p2 == std::wstring::npos)
            return;
        Rule rule;
        const std::wstring header = t.substr(at, p1 - at);
        std::wstring value;
        if (Setting(header, L"color(", value)) {
            rule.hasColor = true;
            rule.color = GameTools::XMLValue(value).GetVector4();
        }
        if (Setting(header, L"font(", value)) {
            rule.hasFont = true;
            rule.fontId = fontTool ? fontTool->GetFontId(WideToNarrow(TrimCopy(value))) : -1;
        }
        if (Setting(header, L"size(", value)) {
            rule.hasSize = true;
            rule.sizeFactor = GameTools::XMLValue(value).GetFloat();
        }
        if (Setting(header, L"offset(", value)) {
            rule.hasOffset = true;
            rule.offset = GameTools::XMLValue(value).GetVector2();
        }
        rules.push_back(rule);
        // The closing "}" goes, then the header with the character after it
        // (normally a blank); "}}" styles nothing and takes no further character.
        const size_t count = p2 > p1 + 1 ? p2 - p1 - 2 : 0;
        t.erase(p2, 1);
        tags.erase(tags.begin() + p2);
        const size_t headerEnd = std::min(p2 > p1 + 1 ? p1 + 2 : p1 + 1, t.size());
        t.erase(at, headerEnd - at);
        tags.erase(tags.begin() + at, tags.begin() + headerEnd);
        const int32_t number = static_cast<int32_t>(rules.size());
        for (size_t i = at; i < at + count && i < tags.size(); ++i)
            tags[i] = number;
    }
}

void GUITextControl::BreakLines(const std::wstring& t, const std::vector<int32_t>& tags, GUIFont* font)
{
    lines.clear();
    lineRules.clear();
    std::wstring line;
    std::vector<int32_t> lineTags;
    Vector2 measured;
    for (size_t i = 0; i < t.size(); ++i) {
        const wchar_t c = t[i];
        if (c == 13 || c == 10 || c == L'|') {
            lines.push_back(line);
            lineRules.push_back(lineTags);
            line.clear();
            lineTags.clear();
            continue;
        }
        line += c;
        lineTags.push_back(tags[i]);
        if (!multiline || line.size() < 2)
            continue;
        font->GetTextSize(measured, line, angle, currentFontSize);
        const size_t blank = line.rfind(L' ');
        if (measured.x > size.x && blank != std::wstring::npos) {
            std::wstring head = line.substr(0, blank);
            std::vector<int32_t> headTags(lineTags.begin(), lineTags.begin() + blank);
            Trim(head, headTags);
            if (!head.empty()) {
                lines.push_back(head);
                lineRules.push_back(headTags);
            }
            line.erase(0, blank);
            lineTags.erase(lineTags.begin(), lineTags.begin() + blank);
        }
    }
    Trim(line, lineTags);
    if (!line.empty()) {
        lines.push_back(line);
        lineRules.push_back(lineTags);
    }
}

void GUITextControl::Layout()
{
    GUIFont* font = Font(fontId);
    if (!font)
        return;
    layoutNeeded = false;
    if (printingMode) {
        previous.lines = lines;
        previous.lineRules = lineRules;
        previous.rules = rules;
    }
    rules.clear();
    lineRules.clear();
    if (expression.empty()) {
        lines.clear();
        characterCount = 0;
        return;
    }
    std::wstring t = text;
    for (size_t v = 0; v < variableNames.size(); ++v)
        ReplaceAll(t, L"%" + variableNames[v] + L"%", variableValues[v]);
    std::vector<int32_t> tags(t.size(), 0);
    ApplyRules(t, tags);

    currentFontSize = UsableSize(fontSize < 0 ? font->size : fontSize, font->size);
    for (;;) {
        BreakLines(t, tags, font);
        characterCount = 0;
        float width = 0;
        Vector2 measured;
        for (const std::wstring& l : lines) {
            characterCount += static_cast<int32_t>(l.size());
            width = std::max(width, font->GetTextSize(measured, l, angle, currentFontSize).x);
        }
        const float n = static_cast<float>(lines.size());
        const float height = n * currentFontSize + (n > 0 ? (n - 1) * lineSpace : 0);
        if (!autoFontSize || lines.empty() || currentFontSize <= kMinAutoFontSize ||
            (width <= size.x && height <= size.y))
            break;
        currentFontSize = std::max(currentFontSize - 1, kMinAutoFontSize);
    }
}

float GUITextControl::PrintingStep(float dt)
{
    const bool erasing = !previous.lines.empty() || !(IsShowing() || IsPending());
    // The speed, but fast enough to stand complete within the time limit, so
    // a limit also gives a text without a speed its pace. A limit of 0 leaves
    // no time at all; a negative one sets none. Only where neither gives a
    // pace does the text appear at once. The pace is the current text's, also
    // while the old one is being erased.
    float speed = printingSpeed;
    if (maxPrintingTime > 0)
        speed = std::max(speed, characterCount / maxPrintingTime);
    const bool instant = maxPrintingTime == 0 || !(speed > 0) || !std::isfinite(speed);
    const float step = instant ? 0 : speed * dt;
    if (!erasing) {
        printed += step;
        // Done once the whole text stands; until then a window may wait.
        printingDone = instant || printed >= characterCount;
        if (printingDone)
            printed = characterCount + kEpsilon;
    } else {
        printed -= step;
        printingDone = false;
        if (instant || printed <= kEpsilon) {
            printed = 0;
            // A text erased for a hide is done once gone. An old text gone
            // makes way for the new one, which is not done until it stands
            // (windows wait on the flag), unless it is empty.
            printingDone = previous.lines.empty() || characterCount == 0;
            previous = Layouted();
        }
    }
    return printed;
}

void GUITextControl::DrawLine(const std::wstring& line, const std::vector<int32_t>& tags, std::vector<Rule>& lineRules_,
    size_t count, const Vector2& start, int32_t flags)
{
    GUIFontManager* fonts = fontTool->GetFontManager();
    GUIFont* font = Font(fontId);
    // The line is placed and its runs measured at the size drawn (the font's
    // height in a measure is its size): the font takes it for the whole line
    // and gets its own back at the end. A printed part is drawn from the whole
    // line's place without alignment of its own.
    const float ownSize = font->size;
    font->size = currentFontSize;
    Vector2 base, aligned;
    fonts->GetTextPosition(base, 0, fontId, *widget, Vector2(0, 0), 0, L"");
    fonts->GetTextPosition(aligned, flags, fontId, *widget, start, angle, line);
    Vector2 pen = aligned - base;
    const Vector2 direction(std::cos(angle), std::sin(angle));
    const float fade = HasFader() ? GetFadeValue() : 1.0f;

    for (size_t i = 0; i < count;) {
        size_t j = i;
        while (j < count && tags[j] == tags[i])
            ++j;
        const std::wstring run = line.substr(i, j - i);
        Color c = color;
        int32_t id = fontId;
        float runSize = currentFontSize;
        Vector2 offset(0, 0);
        Rule* rule = tags[i] > 0 && size_t(tags[i]) <= lineRules_.size() ? &lineRules_[tags[i] - 1] : nullptr;
        if (rule) {
            if (rule->hasColor)
                c = rule->color;
            if (rule->hasFont && rule->fontId >= 0)
                id = rule->fontId;
            if (rule->hasSize)
                runSize = UsableSize(runSize * rule->sizeFactor, currentFontSize);
            if (rule->hasOffset)
                offset = rule->offset;
        }
        c.w *= fade;
        widget->PrintText(0, id, pen + offset, c, run, angle, runSize);
        GUIFont* runFont = Font(id);
        Vector2 runExtent, withNext, next;
        if (runFont)
            runFont->GetTextSize(runExtent, run, angle, runSize);
        if (rule) {
            rule->start = pen + offset;
            rule->end = rule->start + runExtent;
        }
        // The advance, not the ink: the run with the next character, less
        // that character.
        float advance = runExtent.x;
        if (runFont && j < line.size()) {
            const std::wstring nextCharacter(1, line[j]);
            runFont->GetTextSize(withNext, run + nextCharacter, angle, runSize);
            runFont->GetTextSize(next, nextCharacter, angle, runSize);
            advance = withNext.x - next.x;
        }
        pen += direction * advance;
        i = j;
    }
    font->size = ownSize;
}

void GUITextControl::Draw(float dt)
{
    if (fontName.empty() || expression.empty() || !Font(fontId) || !fontTool->GetFontManager())
        return;
    if (printingMode)
        PrintingStep(dt);
    const bool erasing = printingMode && !previous.lines.empty();
    const std::vector<std::wstring>& drawn = erasing ? previous.lines : lines;
    const std::vector<std::vector<int32_t>>& drawnTags = erasing ? previous.lineRules : lineRules;
    std::vector<Rule>& drawnRules = erasing ? previous.rules : rules;
    if (drawn.empty())
        return;

    int32_t flags = 1;
    if (horizontalAlignment.find("left") != std::string::npos)
        flags = 4;
    else if (horizontalAlignment.find("right") != std::string::npos)
        flags = 8;
    const float n = static_cast<float>(drawn.size());
    const float lineStep = currentFontSize + lineSpace;
    float y = 0;
    if (drawn.size() < 2) {
        if (verticalAlignment.find("top") != std::string::npos)
            flags |= 16;
        else if (verticalAlignment.find("bottom") != std::string::npos)
            flags |= 32;
        else
            flags |= 2;
    } else if (verticalAlignment.find("top") != std::string::npos) {
        y = size.y - currentFontSize;
    } else if (verticalAlignment.find("bottom") != std::string::npos) {
        y = (n - 1) * lineStep;
    } else {
        y = (size.y - n * lineStep) / 2 + (n - 1) * lineStep;
    }

    float budget = printed;
    for (size_t l = 0; l < drawn.size(); ++l, y -= lineStep) {
        size_t count = drawn[l].size();
        if (printingMode) {
            if (budget <= kEpsilon)
                break;
            count = std::min(count, static_cast<size_t>(budget));
            budget -= static_cast<float>(drawn[l].size());
        }
        DrawLine(drawn[l], drawnTags[l], drawnRules, count, Vector2(0, y), flags);
    }
}

void GUITextControl::Update()
{
    GUIControl::Update();
    if (!widget)
        return;
    if (!widget->IsVisible()) {
        if (printingMode) {
            previous = Layouted();
            printed = 0;
            printingDone = characterCount == 0;
        }
        return;
    }
    if (layoutNeeded)
        Layout();
    TimerManager* timers = TimerManager::Instance();
    Draw(timers ? timers->frameTime : 0.0f);
}

} // namespace GUITools

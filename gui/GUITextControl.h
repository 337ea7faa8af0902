#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"
#include "gui/GUIControl.h"

namespace KorvaneEngine {
class GUIFont;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

class GUIFontTool;
class GUITextTool;

// A localised, formatted text on a plain widget ("text_label").
//
// The text is an expression: parts joined by "+", each a text key or a quoted
// literal, each optionally with a case unit in brackets ("[u]", "[l]", "[fu]",
// "[wu]"). The resolved text may hold variables ("%NAME%", filled in at
// layout) and style rules: "{rule color(r g b a) font(name) size(f)
// offset(x y)} styled text}". Lines break at CR, LF and "|", and with
// multiline also at the last blank that keeps a line within the widget. Auto
// font size shrinks the font until the text fits, down to size 8. Printing
// mode types the text out character by character, erasing the old text
// backwards first.
class GUITextControl : public GUIControl {
public:
    // Sizes beyond this are taken as this: auto sizing steps down by 1.
    static constexpr float kMaxFontSize = 1000.0f;
    static constexpr float kMinAutoFontSize = 8.0f;

    // One style rule and where its text was last drawn (widget coordinates).
    struct Rule {
        bool hasColor = false;
        KorvaneEngine::Color color;
        bool hasFont = false;
        int32_t fontId = -1;
        bool hasSize = false;
        float sizeFactor = 1;
        bool hasOffset = false;
        KorvaneEngine::Vector2 offset;
        KorvaneEngine::Vector2 start;
        KorvaneEngine::Vector2 end;
    };

    GUITextControl(GameTools::DataKeeper* registry, GUIFontTool* fontTool, GUITextTool* textTool,
        KorvaneEngine::GUIWindow* parent, const GUIControlDescription& description);
    ~GUITextControl() override;
    void Update() override;

    // An unknown name is logged; the control then draws nothing.
    void SetFont(const std::string& name);
    void SetText(const std::string& expression);
    // The text as is, without keys, units or literal quotes.
    void SetLiteralText(const std::wstring& text);
    void SetTextVariable(const std::wstring& name, const std::wstring& value);
    // Below 0: the font's own size; not a number: the font's own size too.
    void SetFontSize(float size);
    void SetMultiline(bool on);
    void SetAutoFontSize(bool on);
    // Lays the text out now (the description's size settings ask for it);
    // otherwise the next visible Update does when something changed.
    void Layout();

    const std::string& GetFontName() const { return fontName; }
    int32_t GetFontId() const { return fontId; }
    const std::string& GetExpression() const { return expression; }
    const std::wstring& GetText() const { return text; }
    float GetFontSize() const { return fontSize; }
    bool IsMultiline() const { return multiline; }
    bool IsAutoFontSize() const { return autoFontSize; }
    const std::vector<std::wstring>& GetLines() const { return lines; }
    int32_t GetCharacterCount() const { return characterCount; }
    const std::vector<Rule>& GetRules() const { return rules; }
    float GetCurrentFontSize() const { return currentFontSize; }
    float GetPrinted() const { return printed; }
    bool IsPrintingDone() const { return printingDone; }
    bool IsLayoutNeeded() const { return layoutNeeded; }

    // Set from the description.
    std::string horizontalAlignment = "left";  // contains "left", "right", else centred
    std::string verticalAlignment = "bottom";  // contains "top", "bottom", else centred
    KorvaneEngine::Color color = KorvaneEngine::Color(1, 1, 1, 1);
    float angle = 0;
    float lineSpace = 0;
    bool printingMode = false;
    float printingSpeed = 1;         // characters a second
    float maxPrintingTime = 100000;  // seconds; 0: at once, less: no limit

private:
    struct Layouted {
        std::vector<std::wstring> lines;
        std::vector<std::vector<int32_t>> lineRules;
        std::vector<Rule> rules;
    };

    KorvaneEngine::GUIFont* Font(int32_t id) const;
    std::wstring Resolve(const std::string& expression) const;
    void ApplyRules(std::wstring& text, std::vector<int32_t>& tags);
    void BreakLines(const std::wstring& text, const std::vector<int32_t>& tags, KorvaneEngine::GUIFont* font);
    float PrintingStep(float dt);
    void Draw(float dt);
    void DrawLine(const std::wstring& line, const std::vector<int32_t>& tags, std::vector<Rule>& lineRules, size_t count,
        const KorvaneEngine::Vector2& start, int32_t flags);

    GUIFontTool* fontTool;
    GUITextTool* textTool;
    std::string fontName;
    int32_t fontId = -1;
    std::string expression;
    std::wstring text;
    float fontSize = -1;
    bool multiline = false;
    bool autoFontSize = false;
    std::vector<std::wstring> lines;
    int32_t characterCount = 0;
    std::vector<Rule> rules;
    std::vector<std::vector<int32_t>> lineRules;
    float printed = 0;
    bool printingDone = true;
    Layouted previous;  // being erased in printing mode; no lines = none
    std::vector<std::wstring> variableNames;
    std::vector<std::wstring> variableValues;
    float currentFontSize = 0;
    bool layoutNeeded = false;
};

} // namespace GUITools

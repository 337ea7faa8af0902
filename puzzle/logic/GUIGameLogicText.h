#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIFontManager;
class GUIWindow;
} // namespace KorvaneEngine

namespace Puzzle {

// A short text over the play area (a put's points and combo, a bonus's name)
// that grows in, drifts up, fades out and then reports itself dead. It lives
// on unscaled time, so it keeps moving while the game is paused.
class GUIGameLogicText {
public:
    // Lines are split at each line feed; a last piece after the final line
    // feed counts only when it is not empty. parent is the widget printed on.
    GUIGameLogicText(const KorvaneEngine::Vector2& position, const std::wstring& text, int32_t fontId,
                     KorvaneEngine::GUIWindow* parent);
    virtual ~GUIGameLogicText();
    GUIGameLogicText(const GUIGameLogicText&) = delete;
    GUIGameLogicText& operator=(const GUIGameLogicText&) = delete;

    // One frame: ages by the frame time, lays the lines out and prints them.
    // Without the font (id -1 or unknown) nothing is measured or printed, but
    // the text still ages and dies.
    void Update();

    bool IsAlive() const { return alive_; }
    float GetAge() const { return age_; }
    const std::vector<std::wstring>& GetLines() const { return lines_; }
    // Where each line was printed in the last update, in the parent's units.
    const std::vector<KorvaneEngine::Vector2>& GetLinePositions() const { return positions_; }
    const std::vector<float>& GetLineWidths() const { return widths_; }
    float GetLineHeight() const { return lineHeight_; }
    float GetAlpha() const { return alpha_; }

private:
    KorvaneEngine::GUIFontManager* fonts_;
    int32_t fontId_;
    KorvaneEngine::Vector2 anchor_;
    std::vector<std::wstring> lines_;
    KorvaneEngine::GUIWindow* parent_;
    float age_ = 0.0f;
    bool alive_ = true;
    std::vector<KorvaneEngine::Vector2> positions_;
    std::vector<float> widths_;
    float lineHeight_ = 0.0f;
    float alpha_ = 0.0f;
};

} // namespace Puzzle

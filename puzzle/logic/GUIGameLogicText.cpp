#include "gui/GUIManager.h"

#include "puzzle/logic/GUIGameLogicText.h"

#include <algorithm>

#include "engine/foundation/TimerManager.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"
#include "gui/GUIWindow.h"

namespace Puzzle {

using KorvaneEngine::Vector2;

namespace {
const float kGrowTime = 0.2f;
const float kFullHeight = 22.0f;
const float kRiseSpeed = 35.0f;
const float kFadeStart = 1.2f;
const float kFadeTime = 0.75f;
const float kLifetime = kFadeStart + kFadeTime;
// Lines are kept this far inside the 800-unit GUI screen.
const float kLeftEdge = 5.0f;
const float kRightEdge = 795.0f;
} // namespace

GUIGameLogicText::GUIGameLogicText(const Vector2& position, const std::wstring& text, int32_t fontId,
                                   KorvaneEngine::GUIWindow* parent)
    : fonts_(nullptr), fontId_(fontId), anchor_(position), parent_(parent)
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        fonts_ = gui->GetFontManager();
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == L'\n') {
            lines_.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    if (start < text.size())
        lines_.push_back(text.substr(start));
}

GUIGameLogicText::~GUIGameLogicText() {}

void GUIGameLogicText::Update()
{
    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    age_ += timers ? timers->frameTime : 0.0f;
    const float g = std::min(age_, kGrowTime) * (1.0f / kGrowTime);
    alpha_ = g;
    lineHeight_ = g * kFullHeight;
    float rise = 0.0f;
    if (age_ > kGrowTime)
        rise = (age_ - kGrowTime) * kRiseSpeed;
    if (age_ > kFadeStart)
        alpha_ = 1.0f - std::min(age_ - kFadeStart, kFadeTime) / kFadeTime;
    if (age_ > kLifetime)
        alive_ = false;  // still drawn in this frame

    KorvaneEngine::GUIFont* font = fonts_ ? fonts_->GetFont(fontId_) : nullptr;
    positions_.clear();
    if (!font || !parent_)
        return;
    const size_t n = lines_.size();
    const float h = lineHeight_;
    widths_.resize(n);
    float left = 0.0f, right = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        Vector2 measured;
        font->GetTextSize(measured, lines_[i], 0.0f, h);
        widths_[i] = measured.x;
        const Vector2 at = anchor_ + Vector2(-widths_[i] * 0.5f, float(n - 1 - i) * h - float(n) * h * 0.5f) +
                           Vector2(0.0f, rise);
        positions_.push_back(at);
        left = i ? std::min(left, at.x) : at.x;
        right = i ? std::max(right, at.x + widths_[i]) : at.x + widths_[i];
    }
    float shift = 0.0f;
    if (left < kLeftEdge)
        shift = kLeftEdge - left;
    else if (right > kRightEdge)
        shift = kRightEdge - right;
    const KorvaneEngine::Color colour(1.0f, 1.0f, 1.0f, alpha_);
    for (size_t i = 0; i < n; ++i) {
        positions_[i].x += shift;
        parent_->PrintText(0, fontId_, positions_[i], colour, lines_[i], 0.0f, h);
    }
}

} // namespace Puzzle

#include "gui/GUIScroll.h"

#include "engine/foundation/TimerManager.h"
#include "gui/GUIButton.h"

namespace KorvaneEngine {

namespace {
const float kClockTolerance = 0.0001f;
} // namespace

GUIScroll::GUIScroll(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
    const Vector2& position_, const Vector2& size_, const Model* source, const ShaderDescriptor* shader,
    int32_t orientation_, const Vector2& toddlerMin, const Vector2& toddlerMax, uint32_t count, GUIWindow* parent)
    : GUISlider(fontManager, soundManager, camera, flags, position_, size_, source, shader, orientation_, toddlerMin,
          toddlerMax, count, parent)
{
    GUIScroll::CreateToddler(Vector2(0, 0), nullptr, nullptr);
    CreateIncreaseButton(Vector2(0, 0), Vector2(0, 0), nullptr, nullptr);
    CreateDecreaseButton(Vector2(0, 0), Vector2(0, 0), nullptr, nullptr);
}

GUIScroll::~GUIScroll()
{
    increase_.reset();
    decrease_.reset();
}

void GUIScroll::CreateToddler(const Vector2& toddlerSize, const Model* source, const ShaderDescriptor* shader)
{
    GUISlider::CreateToddler(toddlerSize, source, shader);
    toddler_->SetHeight(2);
    toddler_->selectSoundName = "gui_default_scroll_toddler_select";
    toddler_->clickSoundName = "gui_default_scroll_toddler_click";
}

std::unique_ptr<GUIButton> GUIScroll::MakeStepButton(const Vector2& at, const Vector2& extent, const Model* source,
    const ShaderDescriptor* shader)
{
    std::unique_ptr<GUIButton> b = MakeButton(at, extent, source, shader);
    b->selectSoundName = "gui_default_scroll_navigation_select";
    b->clickSoundName = "gui_default_scroll_navigation_click";
    return b;
}

void GUIScroll::CreateIncreaseButton(const Vector2& at, const Vector2& extent, const Model* source,
    const ShaderDescriptor* shader)
{
    increase_.reset();
    increase_ = MakeStepButton(at, extent, source, shader);
}

void GUIScroll::CreateDecreaseButton(const Vector2& at, const Vector2& extent, const Model* source,
    const ShaderDescriptor* shader)
{
    decrease_.reset();
    decrease_ = MakeStepButton(at, extent, source, shader);
}

bool GUIScroll::UpdateInput(const Vector2& cursor, bool held, bool pressed)
{
    if (!GUISlider::UpdateInput(cursor, held, pressed)) {
        repeatClock = 0.0f;
        return false;
    }
    increase_->UpdateInput(cursor, held, pressed);
    decrease_->UpdateInput(cursor, held, pressed);
    bool up = increase_->IsPressActive() && increase_->mouseOver;
    bool down = decrease_->IsPressActive() && decrease_->mouseOver;
    if (inverted) {
        const bool t = up;
        up = down;
        down = t;
    }
    if (!up && !down) {
        repeatClock = 0.0f;
        return true;
    }
    const TimerManager* timers = TimerManager::Instance();
    repeatClock += timers ? timers->frameTime : 0.0f;
    while (repeatClock > kClockTolerance) {
        repeatClock -= kRepeatInterval;
        // Neither direction may wrap round the unsigned value.
        if (up)
            SetValue(static_cast<uint64_t>(value) + step < valueCount - 1 ? value + step : valueCount - 1);
        if (down)
            SetValue(value > step ? value - step : 0);
    }
    return true;
}

bool GUIScroll::Render()
{
    if (!GUISlider::Render())
        return false;
    increase_->Render();
    decrease_->Render();
    return true;
}

void GUIScroll::SetColor(const Color& color)
{
    GUISlider::SetColor(color);
    increase_->SetColor(color);
    decrease_->SetColor(color);
}

void GUIScroll::SetAlpha(float alpha)
{
    GUISlider::SetAlpha(alpha);
    increase_->SetAlpha(alpha);
    decrease_->SetAlpha(alpha);
}

void GUIScroll::SetEnabled(bool enabled)
{
    if (enabled == IsEnabled())
        return;
    GUISlider::SetEnabled(enabled);
    increase_->SetEnabled(enabled);
    decrease_->SetEnabled(enabled);
}

bool GUIScroll::IsPressed() const
{
    return GUISlider::IsPressed() || increase_->IsPressActive() || decrease_->IsPressActive();
}

} // namespace KorvaneEngine

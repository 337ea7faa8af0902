#include "gui/GUISlider.h"

#include <cmath>

#include "engine/render/Model.h"
#include "gui/GUIButton.h"

namespace KorvaneEngine {

GUISlider::GUISlider(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
    const Vector2& position_, const Vector2& size_, const Model* source, const ShaderDescriptor* shader,
    int32_t orientation_, const Vector2& toddlerMin, const Vector2& toddlerMax, uint32_t count, GUIWindow* parent)
    : GUIWindow(fontManager, camera, flags, position_, size_, source, shader, parent), orientation(orientation_),
      valueCount(count < 2 ? 2 : count), soundManager_(soundManager), toddlerMin_(toddlerMin),
      toddlerMax_(toddlerMax)
{
    GUISlider::CreateToddler(Vector2(0, 0), nullptr, nullptr);
    SetValue(0);
}

GUISlider::~GUISlider()
{
    toddler_.reset();
}

std::unique_ptr<GUIButton> GUISlider::MakeButton(const Vector2& at, const Vector2& extent, const Model* source,
    const ShaderDescriptor* shader)
{
    const uint32_t flags = GUIWindow::kShown | (GetFlags() & GUIWindow::kColored);
    return std::unique_ptr<GUIButton>(
        new GUIButton(GetFontManager(), soundManager_, GetCamera(), flags, at, extent, source, shader, this));
}

void GUISlider::CreateToddler(const Vector2& toddlerSize, const Model* source, const ShaderDescriptor* shader)
{
    toddler_.reset();
    toddlerSize_ = toddlerSize;
    toddler_ = MakeButton(toddlerMin_, toddlerMax_ - toddlerMin_ + toddlerSize_, source, shader);
    toddler_->autoTransform = false;
    toddler_->selectSoundName = "gui_default_slider_toddler_select";
    toddler_->clickSoundName = "gui_default_slider_toddler_click";
    SetValue(value);
}

void GUISlider::FitToddler()
{
    if (toddler_)
        toddler_->SetSize(toddlerMax_ - toddlerMin_ + toddlerSize_);
}

void GUISlider::SetToddlerMinPosition(const Vector2& p)
{
    toddlerMin_ = p;
    if (toddler_)
        toddler_->SetPosition(p);
    FitToddler();
}

void GUISlider::SetToddlerMaxPosition(const Vector2& p)
{
    toddlerMax_ = p;
    FitToddler();
}

void GUISlider::SetToddlerSize(const Vector2& s)
{
    toddlerSize_ = s;
    FitToddler();
}

void GUISlider::SetValue(uint32_t v)
{
    value = v < valueCount - 1 ? v : valueCount - 1;
}

void GUISlider::SetValueCount(uint32_t count)
{
    if (count == valueCount)
        return;
    valueCount = count < 2 ? 2 : count;
    SetValue(value);
}

bool GUISlider::UpdateInput(const Vector2& cursor, bool held, bool pressed)
{
    if (!GUIWindow::UpdateInput(cursor, held, pressed))
        return false;
    if (!toddler_ || !toddler_->UpdateInput(cursor, held, pressed))
        return false;
    if (state == kDisabled)
        return false;
    state = mouseOver ? kMouseOver : kNormal;
    if (toddler_->IsPressActive()) {
        const Vector2 a = GetAbsolutePosition();
        const int axis = orientation == 0 ? 0 : 1;
        float range = toddlerMax_[axis] - toddlerMin_[axis];
        // A track of length 1 or less counts as 1: no division by zero.
        if (range <= 1.0f)
            range = 1.0f;
        float t = (cursor[axis] - a[axis] - toddlerMin_[axis] - toddlerSize_[axis] * 0.5f) / range;
        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
        if (inverted)
            t = 1.0f - t;
        const float f = static_cast<float>(valueCount - 1) * t;
        const float whole = std::floor(f);
        SetValue(static_cast<uint32_t>(whole) + (f - whole >= 0.5f ? 1u : 0u));
    }
    return true;
}

bool GUISlider::Render()
{
    if (!GUIWindow::Render())
        return false;
    if (toddler_) {
        if (Model* m = toddler_->GetModel()) {
            float t = static_cast<float>(value) / static_cast<float>(valueCount - 1);
            if (inverted)
                t = 1.0f - t;
            const Vector2 at = GetAbsolutePosition() + toddlerMin_ + (toddlerMax_ - toddlerMin_) * t;
            Matrix4 translation, scale;
            Matrix4::SetTranslation(translation, Vector3(at.x, at.y, 0));
            Matrix4::SetScale(scale, Vector3(toddlerSize_.x, toddlerSize_.y, 1));
            m->localMatrix = translation * scale * toddler_->baseMatrix;
            m->box.SetTransform(m->localMatrix);
        }
        toddler_->Render();
    }
    ShowModelFrame(static_cast<float>(state));
    return true;
}

void GUISlider::UpdateVisibility()
{
    const bool was = IsVisible();
    GUIWindow::UpdateVisibility();
    if (IsVisible() && !was && state != kDisabled)
        state = kNormal;
}

void GUISlider::SetColor(const Color& color)
{
    GUIWindow::SetColor(color);
    if (toddler_)
        toddler_->SetColor(color);
}

void GUISlider::SetAlpha(float alpha)
{
    GUIWindow::SetAlpha(alpha);
    if (toddler_)
        toddler_->SetAlpha(alpha);
}

void GUISlider::SetEnabled(bool enabled)
{
    if (enabled == IsEnabled())
        return;
    state = enabled ? kNormal : kDisabled;
    if (toddler_)
        toddler_->SetEnabled(enabled);
}

bool GUISlider::IsPressed() const
{
    return toddler_ && toddler_->IsPressActive();
}

} // namespace KorvaneEngine

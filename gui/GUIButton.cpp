#include "gui/GUIButton.h"

#include "gui/GUISoundManager.h"

namespace KorvaneEngine {

GUIButton::GUIButton(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
    const Vector2& position_, const Vector2& size_, const Model* source, const ShaderDescriptor* shader,
    GUIWindow* parent)
    : GUIWindow(fontManager, camera, flags, position_, size_, source, shader, parent), soundManager_(soundManager)
{
}

GUIButton::~GUIButton() {}

bool GUIButton::UpdateInput(const Vector2& cursor, bool held, bool pressed)
{
    clicked = false;
    if (!GUIWindow::UpdateInput(cursor, held, pressed) || state_ == kDisabled)
        return false;
    if (mouseOver && pressed && !pressActive_) {
        pressActive_ = true;
        if (soundManager_)
            soundManager_->Play(clickSoundName);
    }
    if (pressActive_) {
        if (!held) {
            clicked = mouseOver;
            pressActive_ = false;
        } else {
            state_ = mouseOver ? kPressed : kNormal;
        }
    }
    if (!pressActive_) {
        state_ = mouseOver ? kMouseOver : kNormal;
        if (mouseOver && !previousMouseOver_ && soundManager_)
            soundManager_->Play(selectSoundName);
    }
    previousMouseOver_ = mouseOver;
    return true;
}

bool GUIButton::Render()
{
    if (!GUIWindow::Render())
        return false;
    ShowModelFrame(static_cast<float>(GetState()));
    return true;
}

void GUIButton::UpdateVisibility()
{
    const bool was = IsVisible();
    GUIWindow::UpdateVisibility();
    if (!IsVisible())
        pressActive_ = false;
    if (IsVisible() && !was && state_ != kDisabled)
        state_ = kNormal;
}

void GUIButton::SetEnabled(bool enabled)
{
    state_ = enabled ? kNormal : kDisabled;
    pressActive_ = false;
}

int32_t GUIButton::GetState() const
{
    return state_;
}

} // namespace KorvaneEngine

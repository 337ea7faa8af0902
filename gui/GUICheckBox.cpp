#include "gui/GUICheckBox.h"

namespace KorvaneEngine {

GUICheckBox::GUICheckBox(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
    const Vector2& position_, const Vector2& size_, const Model* source, const ShaderDescriptor* shader,
    GUIWindow* parent)
    : GUIButton(fontManager, soundManager, camera, flags, position_, size_, source, shader, parent)
{
    selectSoundName = "gui_default_check_box_select";
    clickSoundName = "gui_default_check_box_click";
}

GUICheckBox::~GUICheckBox() {}

bool GUICheckBox::UpdateInput(const Vector2& cursor, bool held, bool pressed)
{
    if (!GUIButton::UpdateInput(cursor, held, pressed))
        return false;
    if (clicked)
        checked = !checked;
    return true;
}

int32_t GUICheckBox::GetState() const
{
    if (state_ == kDisabled)
        return checked ? 7 : 6;
    return checked ? state_ + 3 : state_;
}

} // namespace KorvaneEngine

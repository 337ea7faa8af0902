#pragma once
#include "gui/GUIButton.h"

namespace KorvaneEngine {

// A button whose every click flips checked. Its state (and model frame) is the
// button state, plus 3 when checked; disabled reads 6 unchecked, 7 checked.
class GUICheckBox : public GUIButton {
public:
    ~GUICheckBox() override;
    bool UpdateInput(const Vector2& cursor, bool held, bool pressed) override;
    int32_t GetState() const override;

    GUICheckBox(GUIFontManager* fontManager, GUISoundManager* soundManager, Camera* camera, uint32_t flags,
        const Vector2& position, const Vector2& size, const Model* source, const ShaderDescriptor* shader,
        GUIWindow* parent);

    int32_t checked = 0;
};

} // namespace KorvaneEngine

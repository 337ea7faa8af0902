#pragma once
#include "gui/GUIControl.h"

namespace KorvaneEngine {
class GUIButton;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

// A button. Its model's frames show the button's state, so the control never
// plays them on show and hide. Windows read the clicked flag from the widget.
class GUIButtonControl : public GUIControl {
public:
    GUIButtonControl(GameTools::DataKeeper* registry, KorvaneEngine::GUIWindow* parent,
        const GUIControlDescription& description);
    ~GUIButtonControl() override;
    void Update() override;

    KorvaneEngine::GUIButton* GetButton() const { return button; }

private:
    KorvaneEngine::GUIButton* button = nullptr;
};

} // namespace GUITools

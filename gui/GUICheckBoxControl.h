#pragma once
#include "gui/GUIControl.h"

namespace KorvaneEngine {
class GUICheckBox;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

// A check box. Like the button, its frames are its state; windows read the
// checked flag from the widget.
class GUICheckBoxControl : public GUIControl {
public:
    GUICheckBoxControl(GameTools::DataKeeper* registry, KorvaneEngine::GUIWindow* parent,
        const GUIControlDescription& description);
    ~GUICheckBoxControl() override;
    void Update() override;

    KorvaneEngine::GUICheckBox* GetCheckBox() const { return checkBox; }

private:
    KorvaneEngine::GUICheckBox* checkBox = nullptr;
};

} // namespace GUITools

#pragma once
#include "gui/GUIControl.h"

namespace KorvaneEngine {
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

// A plain widget that groups its children and shows a model; it plays the
// model's show and hide frames.
class GUIWindowControl : public GUIControl {
public:
    GUIWindowControl(GameTools::DataKeeper* registry, KorvaneEngine::GUIWindow* parent,
        const GUIControlDescription& description);
    ~GUIWindowControl() override;
    void Update() override;
};

} // namespace GUITools

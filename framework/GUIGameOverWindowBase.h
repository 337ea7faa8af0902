#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the notice of a lost level: the screen's result code is all the game
// base needs of it.
class GUIGameOverWindowBase : public GUIFrameworkWindow {
public:
    GUIGameOverWindowBase();
    ~GUIGameOverWindowBase() override;
};

} // namespace GameFramework

#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the quit question: the screen's result code is all the game
// base needs of it.
class GUIExitWindowBase : public GUIFrameworkWindow {
public:
    GUIExitWindowBase();
    ~GUIExitWindowBase() override;
};

} // namespace GameFramework

#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the main menu: the screen's result code is all the game
// base needs of it.
class GUIMainMenuWindowBase : public GUIFrameworkWindow {
public:
    GUIMainMenuWindowBase();
    ~GUIMainMenuWindowBase() override;
};

} // namespace GameFramework

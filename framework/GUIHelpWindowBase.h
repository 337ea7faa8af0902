#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the credits and help page: the screen's result code is all the game
// base needs of it.
class GUIHelpWindowBase : public GUIFrameworkWindow {
public:
    GUIHelpWindowBase();
    ~GUIHelpWindowBase() override;
};

} // namespace GameFramework

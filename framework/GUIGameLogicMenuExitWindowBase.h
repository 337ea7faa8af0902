#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the question before leaving a level for the main menu: the screen's result code is all the game
// base needs of it.
class GUIGameLogicMenuExitWindowBase : public GUIFrameworkWindow {
public:
    GUIGameLogicMenuExitWindowBase();
    ~GUIGameLogicMenuExitWindowBase() override;
};

} // namespace GameFramework

#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the quit question during play: the screen's result code is all the game
// base needs of it.
class GUIGameLogicGameExitWindowBase : public GUIFrameworkWindow {
public:
    GUIGameLogicGameExitWindowBase();
    ~GUIGameLogicGameExitWindowBase() override;
};

} // namespace GameFramework

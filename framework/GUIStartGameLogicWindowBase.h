#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the choice of what to play: the screen's result code is all the game
// base needs of it.
class GUIStartGameLogicWindowBase : public GUIFrameworkWindow {
public:
    GUIStartGameLogicWindowBase();
    ~GUIStartGameLogicWindowBase() override;
};

} // namespace GameFramework

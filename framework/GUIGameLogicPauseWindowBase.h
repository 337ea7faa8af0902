#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the pause notice during play: the screen's result code is all the game
// base needs of it.
class GUIGameLogicPauseWindowBase : public GUIFrameworkWindow {
public:
    GUIGameLogicPauseWindowBase();
    ~GUIGameLogicPauseWindowBase() override;
};

} // namespace GameFramework

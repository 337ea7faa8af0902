#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the question before restarting a level: the screen's result code is all the game
// base needs of it.
class GUIGameLogicRestartWindowBase : public GUIFrameworkWindow {
public:
    GUIGameLogicRestartWindowBase();
    ~GUIGameLogicRestartWindowBase() override;
};

} // namespace GameFramework

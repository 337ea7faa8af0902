#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the offer to continue a saved game: the screen's result code is all the game
// base needs of it.
class GUIContinueGameLogicWindowBase : public GUIFrameworkWindow {
public:
    GUIContinueGameLogicWindowBase();
    ~GUIContinueGameLogicWindowBase() override;
};

} // namespace GameFramework

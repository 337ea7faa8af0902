#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the notice that a player name is taken: the screen's result code is all the game
// base needs of it.
class GUIProfileNameConflictWindowBase : public GUIFrameworkWindow {
public:
    GUIProfileNameConflictWindowBase();
    ~GUIProfileNameConflictWindowBase() override;
};

} // namespace GameFramework

#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the publishers' logos at start-up: the screen's result code is all the game
// base needs of it.
class GUILogosWindowBase : public GUIFrameworkWindow {
public:
    GUILogosWindowBase();
    ~GUILogosWindowBase() override;
};

} // namespace GameFramework

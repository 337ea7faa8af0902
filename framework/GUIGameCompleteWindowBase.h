#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

// The framework side of the end of the whole game: the screen's result code is all the game
// base needs of it.
class GUIGameCompleteWindowBase : public GUIFrameworkWindow {
public:
    GUIGameCompleteWindowBase();
    ~GUIGameCompleteWindowBase() override;
};

} // namespace GameFramework

#pragma once
#include "framework/GUIContinueGameLogicWindowBase.h"

namespace Puzzle {

// No screen of its own: a saved game is never continued; the offer answers 13
// at once (the start-game window follows).
class GUIContinueGameLogicWindow : public GameFramework::GUIContinueGameLogicWindowBase {
public:
    GUIContinueGameLogicWindow();
    ~GUIContinueGameLogicWindow() override;

    void Show(int32_t mode) override;
};

} // namespace Puzzle

#pragma once
#include "framework/GUIGameCompleteWindowBase.h"

namespace Puzzle {

// No screen of its own: the end of the whole game answers 1 at once.
class GUIGameCompleteWindow : public GameFramework::GUIGameCompleteWindowBase {
public:
    GUIGameCompleteWindow();
    ~GUIGameCompleteWindow() override;

    void Show(int32_t mode) override;
};

} // namespace Puzzle

#pragma once
#include "framework/GUIStageCompleteWindowBase.h"

namespace Puzzle {

// No screen of its own: shown with the last level of a stage it answers at
// once, 22 when that was the game's very last level, else 13.
class GUIStageCompleteWindow : public GameFramework::GUIStageCompleteWindowBase {
public:
    explicit GUIStageCompleteWindow(GameFramework::LevelManagerBase* levelManager);
    ~GUIStageCompleteWindow() override;

    void ShowWithPosition(int32_t mode, const GameFramework::Level& position) override;
};

} // namespace Puzzle

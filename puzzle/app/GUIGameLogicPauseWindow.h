#pragma once
#include "framework/GUIGameLogicPauseWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The pause notice during play ("window_game_logic_pause"): 19 resumes.
// When both buttons are clicked in one frame the later code below wins.
class GUIGameLogicPauseWindow : public GameFramework::GUIGameLogicPauseWindowBase, public GUIMenuWindow {
public:
    GUIGameLogicPauseWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
        GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicPauseWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* buttons[1] = {};
};

} // namespace Puzzle

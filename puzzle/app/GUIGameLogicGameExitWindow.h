#pragma once
#include "framework/GUIGameLogicGameExitWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The quit question during play ("window_game_logic_game_exit"): 23 quits,
// 19 resumes.
// When both buttons are clicked in one frame the later code below wins.
class GUIGameLogicGameExitWindow : public GameFramework::GUIGameLogicGameExitWindowBase, public GUIMenuWindow {
public:
    GUIGameLogicGameExitWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
        GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicGameExitWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* buttons[2] = {};
};

} // namespace Puzzle

#pragma once
#include "framework/GUIGameLogicRestartWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The question before a level restarts ("window_game_logic_restart"): 13
// restarts, 16 goes back to the in-game menu.
// When both buttons are clicked in one frame the later code below wins.
class GUIGameLogicRestartWindow : public GameFramework::GUIGameLogicRestartWindowBase, public GUIMenuWindow {
public:
    GUIGameLogicRestartWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
        GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicRestartWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* buttons[2] = {};
};

} // namespace Puzzle

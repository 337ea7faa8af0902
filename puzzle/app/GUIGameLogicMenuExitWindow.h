#pragma once
#include "framework/GUIGameLogicMenuExitWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The question before a level is left for the main menu
// ("window_game_logic_menu_exit"): 3 leaves, 16 goes back to the in-game menu.
// When both buttons are clicked in one frame the later code below wins.
class GUIGameLogicMenuExitWindow : public GameFramework::GUIGameLogicMenuExitWindowBase, public GUIMenuWindow {
public:
    GUIGameLogicMenuExitWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
        GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicMenuExitWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* buttons[2] = {};
};

} // namespace Puzzle

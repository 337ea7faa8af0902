#pragma once
#include "framework/GUIHelpWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The credits and help page ("window_credits"): 3 back to the main menu.
// When both buttons are clicked in one frame the later code below wins.
class GUIHelpWindow : public GameFramework::GUIHelpWindowBase, public GUIMenuWindow {
public:
    GUIHelpWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
        GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIHelpWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* buttons[1] = {};
};

} // namespace Puzzle

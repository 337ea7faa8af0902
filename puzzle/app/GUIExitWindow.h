#pragma once
#include "framework/GUIExitWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The quit question outside play ("window_exit"): 23 quits; the other button
// goes back to where it was opened from: 2 the welcome (mode 4), 3 the main
// menu (mode 6), 6 the new-profile window (mode 11); from anywhere else it
// sets no code.
class GUIExitWindow : public GameFramework::GUIExitWindowBase, public GUIMenuWindow {
public:
    GUIExitWindow(GameFramework::SoundController* sound, GameData* gameData, GUITools::GUIToolManager* toolManager,
                  GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget);
    ~GUIExitWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* backButton;
    KorvaneEngine::GUIButton* quitButton;
};

} // namespace Puzzle

#pragma once
#include "framework/GUIWelcomeWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUIEditBox;
} // namespace KorvaneEngine

namespace Puzzle {

// The first player's welcome ("window_welcome"): a name and OK, or exit.
// Confirming creates the player (no conflict test: there is no other one).
// Codes: 3 main menu, 4 exit.
class GUIWelcomeWindow : public GameFramework::GUIWelcomeWindowBase, public GUIMenuWindow {
public:
    GUIWelcomeWindow(GameFramework::ProfileManagerBase* profileManager, GameFramework::SoundController* sound,
                     GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                     KorvaneEngine::GUIWindow* parentWidget);
    ~GUIWelcomeWindow() override;

    void Update() override;
    // Empties the name field.
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIEditBox* nameEdit;
    KorvaneEngine::GUIButton* exitButton;
    KorvaneEngine::GUIButton* okButton;
};

} // namespace Puzzle

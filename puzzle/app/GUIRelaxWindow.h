#pragma once
#include "framework/GUIFrameworkWindow.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace GameFramework {
class ProfileManagerBase;
}

namespace Puzzle {

// The offer of relax mode after a lost game ("window_relax"), the one window
// the framework does not know: the game makes, updates and answers it. Accept
// puts the current player's play value to 1 (relax) and saves the player;
// decline leaves the player alone; both answer 20. No animated title frame.
class GUIRelaxWindow : public GameFramework::GUIFrameworkWindow, public GUIMenuWindow {
public:
    static constexpr int32_t kAnswered = 20;
    static constexpr uint32_t kRelaxPlayValue = 1;

    GUIRelaxWindow(GameFramework::ProfileManagerBase* profileManager, GameFramework::SoundController* sound,
                   GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                   KorvaneEngine::GUIWindow* parentWidget);
    ~GUIRelaxWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    GameFramework::ProfileManagerBase* profileManager;
    KorvaneEngine::GUIButton* acceptButton;
    KorvaneEngine::GUIButton* declineButton;
};

} // namespace Puzzle

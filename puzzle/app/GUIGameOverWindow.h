#pragma once
#include "framework/GUIGameOverWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

class ProfileManager;

// The notice of a lost level ("window_game_over"). Its button offers relax
// mode once (code 25; the player's flag 3 is cleared and saved), never to a
// player already in relax mode; otherwise, and afterwards, it answers 1.
// Shown with mode 26 (back from the relax offer) it answers 1 at once
// without showing anything.
class GUIGameOverWindow : public GameFramework::GUIGameOverWindowBase, public GUIMenuWindow {
public:
    GUIGameOverWindow(ProfileManager* profileManager, GameFramework::SoundController* sound, GameData* gameData,
                      GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                      KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameOverWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    ProfileManager* profileManager;
    KorvaneEngine::GUIButton* okButton;
};

} // namespace Puzzle

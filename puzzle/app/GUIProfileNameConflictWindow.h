#pragma once
#include "framework/GUIProfileNameConflictWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The notice that a name is taken ("window_profile_name_conflict"). OK or
// Enter goes back where it came from: 6 the new-profile window (mode 11),
// else 7 the rename window.
class GUIProfileNameConflictWindow : public GameFramework::GUIProfileNameConflictWindowBase, public GUIMenuWindow {
public:
    GUIProfileNameConflictWindow(GameFramework::SoundController* sound, GameData* gameData,
                                 GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                 KorvaneEngine::GUIWindow* parentWidget);
    ~GUIProfileNameConflictWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

private:
    KorvaneEngine::GUIButton* okButton;
};

} // namespace Puzzle

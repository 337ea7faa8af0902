#pragma once
#include "framework/GUINewProfileWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUIEditBox;
} // namespace KorvaneEngine

namespace Puzzle {

// A new player ("window_new_profile"). With no player left its cancel reads
// "common/exit" and leads to the quit question.
// Codes: 9 name taken, 5 profiles, 4 exit.
class GUINewProfileWindow : public GameFramework::GUINewProfileWindowBase, public GUIMenuWindow {
public:
    GUINewProfileWindow(GameFramework::ProfileManagerBase* profileManager, GameFramework::SoundController* sound,
                        GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                        KorvaneEngine::GUIWindow* parentWidget);
    ~GUINewProfileWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;
    void ShowWithReset(int32_t mode, bool clearName) override;

    bool HasNoProfiles() const { return noProfiles; }

private:
    KorvaneEngine::GUIEditBox* nameEdit;
    KorvaneEngine::GUIButton* okButton;
    KorvaneEngine::GUIButton* cancelButton;
    GUITools::GUITextControl* cancelTitle;
    bool noProfiles = false;
};

} // namespace Puzzle

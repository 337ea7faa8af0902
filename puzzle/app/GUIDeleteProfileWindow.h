#pragma once
#include "framework/GUIDeleteProfileWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace Puzzle {

// The question before a player is deleted ("window_delete_profile"); its
// text names the player ("%PROFILE_NAME%", in double quotes).
// Codes: 5 profiles, 6 new profile (none left).
class GUIDeleteProfileWindow : public GameFramework::GUIDeleteProfileWindowBase, public GUIMenuWindow {
public:
    GUIDeleteProfileWindow(GameFramework::ProfileManagerBase* profileManager, GameFramework::SoundController* sound,
                           GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                           KorvaneEngine::GUIWindow* parentWidget);
    ~GUIDeleteProfileWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;
    void ShowWithProfileName(int32_t mode, const std::wstring& name) override;

private:
    KorvaneEngine::GUIButton* yesButton;
    KorvaneEngine::GUIButton* noButton;
};

} // namespace Puzzle

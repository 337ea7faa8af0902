#pragma once
#include "framework/GUIMainMenuWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
}

namespace GameFramework {
class ProfileManagerBase;
}

namespace Puzzle {

// The main menu ("window_main_menu"): start, options, change player, credits
// and exit, whose captions change font as the pointer moves over them, under
// a title that greets the current player ("%PROFILE_NAME%"). Shown from the
// end of a game (modes 7 and 22 to 26) it stays hidden and reports "play"
// at once, so the player lands on the start-game path.
//
// Codes: 5 change player, 24 play, 11 options, 4 exit, 12 credits.
class GUIMainMenuWindow : public GameFramework::GUIMainMenuWindowBase, public GUIMenuWindow {
public:
    GUIMainMenuWindow(GameFramework::ProfileManagerBase* profileManager, GameFramework::SoundController* sound,
                      GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                      KorvaneEngine::GUIWindow* parentWidget);
    ~GUIMainMenuWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

    static bool IsRelayMode(int32_t mode);

private:
    GameFramework::ProfileManagerBase* profileManager;
    static const int kButtonCount = 5;
    KorvaneEngine::GUIButton* buttons[kButtonCount] = {};
    GUITools::GUITextControl* titles[kButtonCount] = {};
};

} // namespace Puzzle

#pragma once
#include "framework/GUIGameLogicWindowBase.h"
#include "gui/GUIWindowBase.h"

namespace KorvaneEngine {
class GUIButton;
class GUICheckBox;
} // namespace KorvaneEngine

namespace GUITools {
class GUITextControl;
class GUIToolManager;
class GUIWindowControl;
} // namespace GUITools

namespace Puzzle {

class GameData;
class GUIMenuWindowManager;
class ProfileManager;

// The play screen's frame ("window_game_logic"), shown while a level is
// played: the level stars, buttons for the in-game menu, minimising, full
// screen and quitting, the pause and menu keys, and frame statistics while
// "d_show_statistics" is on. It is no menu window, but while it hides it
// holds the menus' turn with no holder, so no menu appears over the level
// before it has gone.
//
// Codes (while active, that is with no in-game dialog open): 4 quit, 15
// pause ("SPACE", "P"), 16 menu ("ESCAPE" or its button); later rules win.
class GUIGameLogicWindow : public GameFramework::GUIGameLogicWindowBase, public GUITools::GUIWindowBase {
public:
    GUIGameLogicWindow(ProfileManager* profileManager, GameData* owner,
                       GUITools::GUIToolManager* descriptions, GUIMenuWindowManager* manager,
                       KorvaneEngine::GUIWindow* parentWidget);
    ~GUIGameLogicWindow() override;

    void Update() override;
    void Hide() override;
    void ShowWithGameLogic(int32_t mode, GameFramework::GameLogicBase* logic) override;
    void SetActive(bool active) override;

    KorvaneEngine::GUIWindow* GetStatisticsWidget() const { return statistics; }

private:
    void PrintStatistics();

    GUIMenuWindowManager* manager;
    GameData* owner;
    KorvaneEngine::GUIWindow* statistics = nullptr;
    GUITools::GUIWindowControl* rootControl;
    KorvaneEngine::GUIButton* menuButton;
    KorvaneEngine::GUIButton* minimizeButton;
    KorvaneEngine::GUICheckBox* fullscreenCheckBox;
    KorvaneEngine::GUIButton* closeButton;
    GUITools::GUITextControl* starsText;
    ProfileManager* puzzleProfiles;
    GameFramework::GameLogicBase* shownLogic = nullptr;
};

} // namespace Puzzle

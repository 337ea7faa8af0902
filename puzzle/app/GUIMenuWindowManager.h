#pragma once
#include <vector>

namespace GUITools {
class GUIWindowBase;
}

namespace Puzzle {

class GameData;
class GUIMenuWindow;

// Every menu window of the game and the one turn they share: a window asked
// to show waits until the window holding the turn has finished hiding, so at
// most one menu window is appearing or on screen at a time. The turn may also
// be taken with no holder (the play screen does so while it hides), which
// keeps every menu waiting until it is given back.
//
// The windows are not owned. Each adds itself when it is made; the game
// deletes the manager before the windows, and the windows never call it from
// their destructors.
class GUIMenuWindowManager {
public:
    // The game data is not owned; it provides the small publisher logos.
    explicit GUIMenuWindowManager(GameData* gameData);
    virtual ~GUIMenuWindowManager();
    GUIMenuWindowManager(const GUIMenuWindowManager&) = delete;
    GUIMenuWindowManager& operator=(const GUIMenuWindowManager&) = delete;

    // Windows are updated in the order they were added.
    void AddWindow(GUIMenuWindow* window);
    // Gives the turn to the window (null: taken with no holder) when it is
    // free; otherwise nothing.
    void TakeTurn(GUIMenuWindow* window);
    void ReleaseTurn();
    // Once per frame, after the screens' own updates: every hidden window's
    // transition first, then every shown one's, so a window that finishes
    // hiding gives the turn back before a waiting one asks for it.
    void Update();
    // A hook at the start of the frame; the menus need nothing there.
    void BeginFrame();
    // The window's "logo_additional_0" and "logo_additional_1" controls show
    // the small publisher logos; a control whose logo the game data lacks is
    // disabled (and so hidden).
    void SetupAdditionalLogos(GUITools::GUIWindowBase* window);

    bool IsTurnFree() const { return turnFree; }
    GUIMenuWindow* GetTurnHolder() const { return turnHolder; }
    const std::vector<GUIMenuWindow*>& GetWindows() const { return windows; }

private:
    GameData* gameData;
    std::vector<GUIMenuWindow*> windows;
    bool turnFree = true;
    GUIMenuWindow* turnHolder = nullptr;
};

} // namespace Puzzle

#pragma once
#include <string>

#include "gui/GUIWindowBase.h"

namespace GameFramework {
class SoundController;
}

namespace GUITools {
class GUITextControl;
class GUIToolManager;
class GUIWindowControl;
} // namespace GUITools

namespace Puzzle {

class GameData;
class GUIMenuWindowManager;

// A screen described in XML that takes turns with the other menu windows and
// plays "window_appear" and "window_disappear" (sound ids 1 and 2) when its
// "/window" panel has appeared or vanished. It knows the common controls
// every menu may have: "/window" (the panel), "/title" (a printed heading),
// "/window/text", "/title_mount_animated" and "/title_mount_static" (frames
// behind the heading); a missing one is null.
//
// SetVisible(true) only asks for the turn; the window appears in the
// manager's pass once the turn is free. All per-frame work is in
// UpdateTransition, which the manager calls.
//
// A concrete screen derives first from its framework window base and second
// from this class.
class GUIMenuWindow : public GUITools::GUIWindowBase {
public:
    // Builds the window from the description of windowName (faults there are
    // fatal), adds itself to the manager and lets it place the small logos.
    GUIMenuWindow(GameFramework::SoundController* soundController, GameData* gameData,
                  GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                  KorvaneEngine::GUIWindow* parentWidget, const std::string& windowName);
    // Leaves the manager alone: the game deletes it first.
    ~GUIMenuWindow() override;

    // Nothing: the manager drives the window.
    void Update() override;
    // true: the window waits for the turn. false: a window that has appeared
    // starts hiding (a pending show is dropped).
    void SetVisible(bool visible) override;
    // Asked to be visible and on screen.
    bool IsVisible() const override;
    virtual void UpdateTransition();

    // The visibility last asked for.
    bool IsShown() const { return shown; }
    bool IsShowPending() const { return showPending; }
    bool IsSoundPending() const { return soundPending; }

    GUITools::GUIWindowControl* GetPanelControl() const { return windowControl; }
    GUITools::GUITextControl* GetTitleControl() const { return titleControl; }
    GUITools::GUITextControl* GetMainTextControl() const { return textControl; }
    GUITools::GUIWindowControl* GetTitleMountAnimated() const { return titleMountAnimated; }
    GUITools::GUIWindowControl* GetTitleMountStatic() const { return titleMountStatic; }
    GameData* GetGameData() const { return gameData; }
    GUIMenuWindowManager* GetManager() const { return manager; }

protected:
    GameFramework::SoundController* soundController;
    GameData* gameData;
    GUIMenuWindowManager* manager;
    GUITools::GUIWindowControl* windowControl = nullptr;
    GUITools::GUITextControl* titleControl = nullptr;
    GUITools::GUITextControl* textControl = nullptr;
    GUITools::GUIWindowControl* titleMountAnimated = nullptr;
    GUITools::GUIWindowControl* titleMountStatic = nullptr;
    bool soundPending = false;
    bool shown = false;
    bool showPending = false;

private:
    // Still on screen as far as the turn is concerned.
    bool IsStillHiding() const;
};

} // namespace Puzzle

#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace KorvaneEngine {
class Config;
}

namespace GameFramework {

class GameLogicBase;
class ProfileBase;
class ProfileManagerBase;

// The framework side of the play screen: the level being played, the player
// playing it, whether the screen takes input (not while an in-game dialog is
// open over it) and its copy of the full-screen setting, which follows the
// configuration while a window-mode change is pending.
class GUIGameLogicWindowBase : public GUIFrameworkWindow {
public:
    explicit GUIGameLogicWindowBase(ProfileManagerBase* profileManager);
    ~GUIGameLogicWindowBase() override;

    void Update() override;
    // Forgets the level and the player.
    void Hide() override;
    // Shows; keeps the level (not owned) and the current player, copies the
    // full-screen flag and activates the screen through SetActive.
    virtual void ShowWithGameLogic(int32_t mode, GameLogicBase* logic);
    virtual void SetActive(bool active);
    // Minimises the program window.
    void MinimizeWindow();

    bool IsActive() const { return active; }
    bool GetFullscreenCopy() const { return fullscreenCopy; }
    GameLogicBase* GetGameLogic() const { return gameLogic; }
    ProfileBase* GetProfile() const { return profile; }

protected:
    // The configuration's video block (mode text and full-screen flag);
    // null when no configuration exists.
    KorvaneEngine::Config* videoSettings;
    ProfileManagerBase* profileManager;
    ProfileBase* profile = nullptr;
    GameLogicBase* gameLogic = nullptr;
    bool fullscreenCopy = false;
    bool active = false;
};

} // namespace GameFramework

#pragma once
#include "framework/GUIFrameworkWindow.h"

namespace KorvaneEngine {
class Config;
}

namespace GameFramework {

class ProfileManagerBase;
class SoundController;

// The controller's music and sound volumes into the current player's
// options, then the player is saved; nothing without a current player.
void StoreVolumes(SoundController* soundController, ProfileManagerBase* profileManager);

// The framework side of the in-game menu: volumes and full screen. The
// volumes are recorded when it opens; closing it saves the configuration and
// gives the current player the controller's volumes.
class GUIGameLogicMenuWindowBase : public GUIFrameworkWindow {
public:
    GUIGameLogicMenuWindowBase(SoundController* soundController, ProfileManagerBase* profileManager);
    ~GUIGameLogicMenuWindowBase() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;
    // Switches between window and full screen when the chosen flag differs
    // from the configuration's: the flag is set, saved, and the switch asked
    // for ("v_window_change_mode").
    virtual void ApplyWindowMode();

    bool GetChosenFullscreen() const { return chosenFullscreen; }
    void SetChosenFullscreen(bool on) { chosenFullscreen = on; }
    float GetRecordedSoundVolume() const { return recordedSoundVolume; }
    float GetRecordedMusicVolume() const { return recordedMusicVolume; }

protected:
    KorvaneEngine::Config* videoSettings;
    SoundController* soundController;
    ProfileManagerBase* profileManager;
    bool chosenFullscreen = false;
    float recordedSoundVolume = 1.0f;
    float recordedMusicVolume = 1.0f;
};

} // namespace GameFramework

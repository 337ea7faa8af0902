#pragma once
#include <cstdint>
#include <vector>

#include "framework/GUIFrameworkWindow.h"

namespace KorvaneEngine {
class Config;
}

namespace GameFramework {

class ProfileManagerBase;
class SoundController;
struct VideoMode;

// The framework side of the options: the display sizes on offer (sorted,
// owned), the one chosen with its colour depth, full screen, and the volumes
// as they were when the window opened (so a cancel can give them back).
// Applying writes the choice into the configuration and asks for a display
// reset only when something changed.
//
// With no display size on offer the size is never applied and no index is
// read: the selected index then means nothing.
class GUIOptionsWindowBase : public GUIFrameworkWindow {
public:
    GUIOptionsWindowBase(SoundController* soundController, ProfileManagerBase* profileManager);
    ~GUIOptionsWindowBase() override;

    void Update() override;
    // Selects the configuration's current size (or the default's), takes its
    // depth and the full-screen flag, records both volumes.
    void Show(int32_t mode) override;
    virtual void ApplySettings();
    // The default size and depth of "v_mode", full screen, the controller's
    // default volumes.
    virtual void ResetToDefaults();
    // The volumes recorded at Show go back to the controller.
    virtual void RevertVolumes();

    // Adds a size unless one of that width and height is there; keeps order.
    void AddVideoMode(uint32_t width, uint32_t height);
    bool FindVideoMode(uint32_t width, uint32_t height, uint32_t* index) const;
    // The entry matching the default of "v_mode"; 0 when none does.
    uint32_t GetDefaultIndex() const;

    const std::vector<VideoMode*>& GetVideoModes() const { return videoModes; }
    uint32_t GetSelectedIndex() const { return selectedIndex; }
    // An index outside the list is ignored.
    void SetSelectedIndex(uint32_t index);
    // Null when the list is empty.
    const VideoMode* GetSelectedMode() const;
    uint32_t GetBitsPerPixel() const { return bitsPerPixel; }
    bool GetChosenFullscreen() const { return chosenFullscreen; }
    void SetChosenFullscreen(bool on) { chosenFullscreen = on; }
    float GetRecordedSoundVolume() const { return recordedSoundVolume; }
    float GetRecordedMusicVolume() const { return recordedMusicVolume; }

protected:
    KorvaneEngine::Config* videoSettings;
    SoundController* soundController;
    ProfileManagerBase* profileManager;
    uint32_t selectedIndex = 0;
    std::vector<VideoMode*> videoModes;
    bool chosenFullscreen = false;
    uint32_t bitsPerPixel = 32;
    float recordedSoundVolume = 1.0f;
    float recordedMusicVolume = 1.0f;
};

} // namespace GameFramework

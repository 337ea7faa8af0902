#pragma once
#include <string>

#include "framework/GUIOptionsWindowBase.h"
#include "puzzle/app/GUIMenuWindow.h"

namespace KorvaneEngine {
class GUIButton;
class GUICheckBox;
class GUIScroll;
} // namespace KorvaneEngine

namespace GameFramework {
class ProfileManagerBase;
}

namespace Puzzle {

// The options ("window_options"): the effect and music volumes, applied at
// once while the sliders move (slider value v in 0..1000 is the volume
// v / 1000, 30 a step click), full screen and the display size, applied only
// by OK (through "g_update_video_mode"), the defaults, and cancel, which gives
// the volumes of the moment the window opened back. OK and cancel answer 3.
class GUIOptionsWindow : public GameFramework::GUIOptionsWindowBase, public GUIMenuWindow {
public:
    static constexpr uint32_t kSliderValues = 1001;
    static constexpr uint32_t kSliderStep = 30;

    GUIOptionsWindow(GameFramework::SoundController* sound, GameFramework::ProfileManagerBase* profileManager,
                     GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                     KorvaneEngine::GUIWindow* parentWidget);
    ~GUIOptionsWindow() override;

    void Update() override;
    void Show(int32_t mode) override;
    void Hide() override;

    // A volume as the sliders' value: the nearest step, so 0.285 is 285.
    static uint32_t ToSliderValue(float volume);

    KorvaneEngine::GUIScroll* GetSoundSlider() const { return soundSlider; }
    KorvaneEngine::GUIScroll* GetMusicSlider() const { return musicSlider; }
    KorvaneEngine::GUICheckBox* GetFullscreenCheckBox() const { return fullscreenCheckBox; }

private:
    // The sliders and the check box from the controller and the choice.
    void ShowSettings(float soundVolume, float musicVolume);

    KorvaneEngine::GUIScroll* soundSlider;
    KorvaneEngine::GUIScroll* musicSlider;
    KorvaneEngine::GUICheckBox* fullscreenCheckBox;
    GUITools::GUITextControl* videoModeText;
    KorvaneEngine::GUIButton* decreaseVideoModeButton;
    KorvaneEngine::GUIButton* increaseVideoModeButton;
    KorvaneEngine::GUIButton* okButton;
    KorvaneEngine::GUIButton* defaultsButton;
    KorvaneEngine::GUIButton* cancelButton;
    // The mode text last given to the text control.
    std::string shownModeText;
};

} // namespace Puzzle

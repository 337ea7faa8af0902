#include "puzzle/app/GUIOptionsWindow.h"

#include <cmath>

#include "engine/audio_input/Sound.h"
#include "engine/foundation/Config.h"
#include "framework/SoundController.h"
#include "framework/VideoMode.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIScroll.h"
#include "gui/GUITextControl.h"
#include "puzzle/app/MenuControls.h"
#include "puzzle/app/SoundTable.h"

namespace Puzzle {

namespace {

// A slider's volume is applied when it differs from the controller's by more.
const float kVolumeTolerance = 0.001f;
const uint32_t kModes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};

} // namespace

GUIOptionsWindow::GUIOptionsWindow(GameFramework::SoundController* sound, GameFramework::ProfileManagerBase* profiles,
                                   GameData* data, GUITools::GUIToolManager* toolManager,
                                   GUIMenuWindowManager* manager, KorvaneEngine::GUIWindow* parentWidget)
    : GUIOptionsWindowBase(sound, profiles),
      GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_options"),
      soundSlider(GetGUIScroll(GetName() + "/window/sound")),
      musicSlider(GetGUIScroll(GetName() + "/window/music")),
      fullscreenCheckBox(GetGUICheckBox(GetName() + "/window/fullscreen")),
      videoModeText(GetTextControl(GetName() + "/window/video_mode/text")),
      decreaseVideoModeButton(GetGUIButton(GetName() + "/window/decrease_video_mode")),
      increaseVideoModeButton(GetGUIButton(GetName() + "/window/increase_video_mode")),
      okButton(GetGUIButton(GetName() + "/window/button_2")),
      defaultsButton(GetGUIButton(GetName() + "/window/button_1")),
      cancelButton(GetGUIButton(GetName() + "/window/button_0"))
{
    for (KorvaneEngine::GUIScroll* s : {soundSlider, musicSlider})
        if (s) {
            s->SetValueCount(kSliderValues);
            s->step = kSliderStep;
        }
    for (const auto& m : kModes)
        AddVideoMode(m[0], m[1]);
}

GUIOptionsWindow::~GUIOptionsWindow() {}

uint32_t GUIOptionsWindow::ToSliderValue(float volume)
{
    // Volumes are floats near a thousandth: 0.285f is 0.28499999, which
    // truncated would put every step a thousandth off.
    const float v = std::round(volume * 1000.0f);
    return v <= 0.0f ? 0u : (v >= 1000.0f ? 1000u : static_cast<uint32_t>(v));
}

void GUIOptionsWindow::ShowSettings(float soundVolume, float musicVolume)
{
    if (soundSlider)
        soundSlider->SetValue(ToSliderValue(soundVolume));
    if (musicSlider)
        musicSlider->SetValue(ToSliderValue(musicVolume));
    MenuControls::SetChecked(fullscreenCheckBox, chosenFullscreen);
}

void GUIOptionsWindow::Show(int32_t m)
{
    GUIOptionsWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
    ShowSettings(recordedSoundVolume, recordedMusicVolume);
}

void GUIOptionsWindow::Hide()
{
    GUIOptionsWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIOptionsWindow::Update()
{
    GUIOptionsWindowBase::Update();
    GUIMenuWindow::Update();
    // A switch made elsewhere (Alt+Enter) shows here while it is pending.
    if (videoSettings && !videoSettings->IsCommandDone("v_window_change_mode"))
        MenuControls::SetChecked(fullscreenCheckBox, chosenFullscreen);
    if (!GUIMenuWindow::IsVisible())
        return;

    // Both bases keep the controller; it is the same one.
    GameFramework::SoundController* sounds = GUIOptionsWindowBase::soundController;
    if (sounds) {
        if (soundSlider) {
            const float sound = soundSlider->value / 1000.0f;
            if (std::fabs(sound - sounds->GetSoundVolume()) > kVolumeTolerance)
                sounds->SetSoundVolume(sound);
        }
        if (musicSlider) {
            const float music = musicSlider->value / 1000.0f;
            if (std::fabs(music - sounds->GetMusicVolume()) > kVolumeTolerance)
                sounds->SetMusicVolume(music);
        }
        // The slider's own sound loops while the effect slider is held.
        const bool playing = sounds->GetSoundState(kSoundVolumeSlider) == KorvaneEngine::Sound::kPlaying;
        if (soundSlider && soundSlider->IsPressed()) {
            if (!playing)
                sounds->PlaySound(kSoundVolumeSlider);
        } else if (playing) {
            sounds->StopSound(kSoundVolumeSlider);
        }
    }

    if (MenuControls::Clicked(decreaseVideoModeButton) && selectedIndex > 0)
        --selectedIndex;
    if (MenuControls::Clicked(increaseVideoModeButton) && selectedIndex + 1 < videoModes.size())
        ++selectedIndex;
    if (MenuControls::Clicked(okButton)) {
        chosenFullscreen = fullscreenCheckBox && fullscreenCheckBox->checked != 0;
        ApplySettings();
        eventCode = 3;
    }
    if (MenuControls::Clicked(defaultsButton) && sounds) {
        ResetToDefaults();
        ShowSettings(sounds->GetSoundVolume(), sounds->GetMusicVolume());
    }
    if (MenuControls::Clicked(cancelButton)) {
        RevertVolumes();
        // The sliders too: while the window is still shown (fading out, or
        // left open by its owner) the volume step above would otherwise put
        // the cancelled volumes back on the next frame.
        ShowSettings(recordedSoundVolume, recordedMusicVolume);
        eventCode = 3;
    }
    if (const GameFramework::VideoMode* selected = GetSelectedMode())
        if (videoModeText && selected->text != shownModeText) {
            shownModeText = selected->text;
            videoModeText->SetText("'" + shownModeText + "'");
        }
}

} // namespace Puzzle

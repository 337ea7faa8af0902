#include "puzzle/app/GUIGameLogicMenuWindow.h"

#include <cmath>

#include "engine/foundation/Config.h"
#include "engine/foundation/StringUtils.h"
#include "framework/SoundController.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIControl.h"
#include "gui/GUIScroll.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/MenuControls.h"

namespace Puzzle {

namespace {

const uint32_t kVolumeSteps = 1000;
// One repeat of a step button moves a volume by this many steps.
const uint32_t kVolumeStep = 30;
// Smaller changes are not worth a volume update.
const float kVolumeEpsilon = 0.001f;
const int32_t kSliderSound = 0;
const int32_t kPlaying = 0;

void SetUpVolume(KorvaneEngine::GUIScroll* scroll)
{
    if (!scroll)
        return;
    scroll->SetValueCount(kVolumeSteps + 1);
    scroll->step = kVolumeStep;
}

uint32_t VolumeValue(float volume)
{
    const float v = std::fmin(1.0f, std::fmax(0.0f, volume));
    return static_cast<uint32_t>(std::lround(v * kVolumeSteps));
}

} // namespace

GUIGameLogicMenuWindow::GUIGameLogicMenuWindow(GameFramework::SoundController* sound,
                                               GameFramework::ProfileManagerBase* profiles, GameData* data,
                                               GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                               KorvaneEngine::GUIWindow* parentWidget)
    : GUIGameLogicMenuWindowBase(sound, profiles),
      GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_logic_menu"),
      soundScroll(GetGUIScroll(GetName() + "/window/sound")), musicScroll(GetGUIScroll(GetName() + "/window/music")),
      fullscreenCheckBox(GetGUICheckBox(GetName() + "/window/fullscreen"))
{
    for (int i = 0; i < 3; ++i)
        buttons[i] = GetGUIButton(GetName() + "/window/button_" + KorvaneEngine::IntToString(i));
    SetUpVolume(soundScroll);
    SetUpVolume(musicScroll);
    if (windowControl)
        windowShowOffset = windowControl->showOffset;
    if (GUITools::GUIControl* first = GetControl(GetName() + "/window/button_0"))
        controlShowOffset = first->showOffset;
}

GUIGameLogicMenuWindow::~GUIGameLogicMenuWindow() {}

void GUIGameLogicMenuWindow::Show(int32_t m)
{
    GUIGameLogicMenuWindowBase::Show(m);
    const bool fromPlay = m == 17;
    SetControlEnabled(titleMountAnimated, fromPlay);
    SetControlEnabled(titleMountStatic, !fromPlay);
    const float windowOffset = fromPlay ? windowShowOffset : 0.0f;
    const float controlOffset = fromPlay ? controlShowOffset : controlShowOffset - windowShowOffset;
    for (GUITools::GUIControl* c : GetControls()) {
        if (c->faderName == "game_logic_window")
            c->showOffset = windowOffset;
        else if (c->faderName == "game_logic_control")
            c->showOffset = controlOffset;
    }
    GUIMenuWindow::SetVisible(true);
    if (soundScroll)
        soundScroll->SetValue(VolumeValue(recordedSoundVolume));
    if (musicScroll)
        musicScroll->SetValue(VolumeValue(recordedMusicVolume));
    MenuControls::SetChecked(fullscreenCheckBox, chosenFullscreen);
}

void GUIGameLogicMenuWindow::Hide()
{
    GUIGameLogicMenuWindowBase::Hide();
    // Back to play the frame goes with the menu; on to a confirmation it
    // stays as the static one.
    SetControlEnabled(titleMountAnimated, eventCode == 19);
    SetControlEnabled(titleMountStatic, eventCode != 19);
    GUIMenuWindow::SetVisible(false);
    // A drag cut short by the close would leave the slider sound looping.
    GameFramework::SoundController* sound = GUIMenuWindow::soundController;
    if (sound && sound->GetSoundState(kSliderSound) == kPlaying)
        sound->StopSound(kSliderSound);
}

void GUIGameLogicMenuWindow::Update()
{
    GUIGameLogicMenuWindowBase::Update();
    GUIMenuWindow::Update();
    if (videoSettings && !videoSettings->IsCommandDone("v_window_change_mode"))
        MenuControls::SetChecked(fullscreenCheckBox, chosenFullscreen);
    if (!GUIMenuWindow::IsVisible())
        return;
    if (GameFramework::SoundController* sound = GUIMenuWindow::soundController) {
        if (soundScroll) {
            const float v = soundScroll->value / static_cast<float>(kVolumeSteps);
            if (std::fabs(v - sound->GetSoundVolume()) > kVolumeEpsilon)
                sound->SetSoundVolume(v);
        }
        if (musicScroll) {
            const float v = musicScroll->value / static_cast<float>(kVolumeSteps);
            if (std::fabs(v - sound->GetMusicVolume()) > kVolumeEpsilon)
                sound->SetMusicVolume(v);
        }
        const bool playing = sound->GetSoundState(kSliderSound) == kPlaying;
        if (soundScroll && soundScroll->IsPressed()) {
            if (!playing)
                sound->PlaySound(kSliderSound);
        } else if (playing) {
            sound->StopSound(kSliderSound);
        }
    }
    if (MenuControls::Clicked(fullscreenCheckBox)) {
        chosenFullscreen = fullscreenCheckBox->checked != 0;
        ApplyWindowMode();
    }
    if (MenuControls::Clicked(buttons[0]))
        eventCode = 18;
    if (MenuControls::Clicked(buttons[1]))
        eventCode = 17;
    if (MenuControls::Clicked(buttons[2]))
        eventCode = 19;
}

} // namespace Puzzle

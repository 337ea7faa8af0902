#include "framework/GUIGameLogicMenuWindowBase.h"

#include "engine/foundation/Config.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "framework/SoundController.h"

namespace GameFramework {

void StoreVolumes(SoundController* sound, ProfileManagerBase* profiles)
{
    ProfileBase* profile = profiles ? profiles->GetCurrentProfile() : nullptr;
    if (!profile)
        return;
    if (sound) {
        profile->SetMusicVolume(sound->GetMusicVolume());
        profile->SetSoundVolume(sound->GetSoundVolume());
    }
    profile->Save();
}

GUIGameLogicMenuWindowBase::GUIGameLogicMenuWindowBase(SoundController* sound, ProfileManagerBase* profiles)
    : videoSettings(KorvaneEngine::Config::Instance()), soundController(sound), profileManager(profiles)
{
}

GUIGameLogicMenuWindowBase::~GUIGameLogicMenuWindowBase() {}

void GUIGameLogicMenuWindowBase::Update()
{
    GUIFrameworkWindow::Update();
    if (videoSettings && !videoSettings->IsCommandDone("v_window_change_mode"))
        chosenFullscreen = videoSettings->fullscreen;
}

void GUIGameLogicMenuWindowBase::Show(int32_t m)
{
    GUIFrameworkWindow::Show(m);
    chosenFullscreen = videoSettings && videoSettings->fullscreen;
    if (soundController) {
        recordedSoundVolume = soundController->GetSoundVolume();
        recordedMusicVolume = soundController->GetMusicVolume();
    }
}

void GUIGameLogicMenuWindowBase::Hide()
{
    GUIFrameworkWindow::Hide();
    if (videoSettings)
        videoSettings->Save();
    StoreVolumes(soundController, profileManager);
}

void GUIGameLogicMenuWindowBase::ApplyWindowMode()
{
    if (!videoSettings || chosenFullscreen == videoSettings->fullscreen)
        return;
    videoSettings->fullscreen = chosenFullscreen;
    videoSettings->Save();
    videoSettings->SetCommandDone("v_window_change_mode", false);
}

} // namespace GameFramework

#include "framework/GUIOptionsWindowBase.h"

#include <algorithm>

#include "engine/foundation/Config.h"
#include "engine/foundation/StringUtils.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/SoundController.h"
#include "framework/VideoMode.h"

namespace GameFramework {

namespace {

const char kModeVariable[] = "v_mode";

} // namespace

GUIOptionsWindowBase::GUIOptionsWindowBase(SoundController* sound, ProfileManagerBase* profiles)
    : videoSettings(KorvaneEngine::Config::Instance()), soundController(sound), profileManager(profiles)
{
}

GUIOptionsWindowBase::~GUIOptionsWindowBase()
{
    for (VideoMode* m : videoModes)
        delete m;
}

void GUIOptionsWindowBase::Update()
{
    GUIFrameworkWindow::Update();
    if (videoSettings && !videoSettings->IsCommandDone("v_window_change_mode"))
        chosenFullscreen = videoSettings->fullscreen;
}

void GUIOptionsWindowBase::Show(int32_t m)
{
    GUIFrameworkWindow::Show(m);
    uint32_t width = 0, height = 0, bits = 32;
    if (videoSettings)
        KorvaneEngine::ParseVideoMode(videoSettings->videoMode, &width, &height, &bits);
    uint32_t index = 0;
    selectedIndex = FindVideoMode(width, height, &index) ? index : GetDefaultIndex();
    bitsPerPixel = bits;
    chosenFullscreen = videoSettings && videoSettings->fullscreen;
    if (soundController) {
        recordedSoundVolume = soundController->GetSoundVolume();
        recordedMusicVolume = soundController->GetMusicVolume();
    }
}

void GUIOptionsWindowBase::ApplySettings()
{
    bool changed = false;
    if (videoSettings) {
        if (const VideoMode* mode = GetSelectedMode()) {
            const std::string text = mode->text + "x" + KorvaneEngine::UnsignedToString(bitsPerPixel);
            if (text != KorvaneEngine::ToLowerCopy(videoSettings->videoMode)) {
                videoSettings->videoMode = text;
                changed = true;
            }
        }
        if (chosenFullscreen != videoSettings->fullscreen) {
            videoSettings->fullscreen = chosenFullscreen;
            changed = true;
        }
        if (changed)
            videoSettings->SetCommandDone("g_update_video_mode", false);
        videoSettings->Save();
    }
    StoreVolumes(soundController, profileManager);
}

void GUIOptionsWindowBase::ResetToDefaults()
{
    selectedIndex = GetDefaultIndex();
    uint32_t width = 0, height = 0, bits = 32;
    if (videoSettings)
        KorvaneEngine::ParseVideoMode(videoSettings->GetDefaultValue(kModeVariable), &width, &height, &bits);
    bitsPerPixel = bits;
    chosenFullscreen = true;
    if (soundController) {
        soundController->SetSoundVolume(soundController->GetDefaultSoundVolume());
        soundController->SetMusicVolume(soundController->GetDefaultMusicVolume());
    }
}

void GUIOptionsWindowBase::RevertVolumes()
{
    if (!soundController)
        return;
    soundController->SetSoundVolume(recordedSoundVolume);
    soundController->SetMusicVolume(recordedMusicVolume);
}

void GUIOptionsWindowBase::AddVideoMode(uint32_t width, uint32_t height)
{
    if (FindVideoMode(width, height, nullptr))
        return;
    videoModes.push_back(new VideoMode(width, height));
    std::stable_sort(videoModes.begin(), videoModes.end(),
                     [](const VideoMode* a, const VideoMode* b) { return *a < *b; });
}

bool GUIOptionsWindowBase::FindVideoMode(uint32_t width, uint32_t height, uint32_t* index) const
{
    for (size_t i = 0; i < videoModes.size(); ++i)
        if (videoModes[i]->width == width && videoModes[i]->height == height) {
            if (index)
                *index = static_cast<uint32_t>(i);
            return true;
        }
    return false;
}

uint32_t GUIOptionsWindowBase::GetDefaultIndex() const
{
    if (!videoSettings)
        return 0;
    uint32_t width = 0, height = 0, bits = 0;
    KorvaneEngine::ParseVideoMode(videoSettings->GetDefaultValue(kModeVariable), &width, &height, &bits);
    uint32_t index = 0;
    return FindVideoMode(width, height, &index) ? index : 0;
}

void GUIOptionsWindowBase::SetSelectedIndex(uint32_t index)
{
    if (index < videoModes.size())
        selectedIndex = index;
}

const VideoMode* GUIOptionsWindowBase::GetSelectedMode() const
{
    return selectedIndex < videoModes.size() ? videoModes[selectedIndex] : nullptr;
}

} // namespace GameFramework

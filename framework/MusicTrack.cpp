#include "framework/MusicTrack.h"

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/TimerManager.h"

namespace GameFramework {

using KorvaneEngine::SoundManager;

namespace {

// The manager the track's sound belongs to; null when the track cannot play.
SoundManager* ManagerFor(KorvaneEngine::Sound* sound)
{
    return sound ? SoundManager::Instance() : nullptr;
}

} // namespace

MusicTrack::MusicTrack(const std::string& fileName, bool loop, int32_t trackId) : trackId(trackId)
{
    if (SoundManager* manager = SoundManager::Instance())
        sound = manager->CreateSound(fileName, false, "");
    if (!sound)
        return;
    volume = sound->GetVolume();
    sound->SetLoop(loop);
}

MusicTrack::~MusicTrack()
{
    if (SoundManager* manager = ManagerFor(sound))
        manager->DeleteSound(sound);
    sound = nullptr;
}

void MusicTrack::SetFade(int32_t state, float speed)
{
    fadeState = state;
    fadeSpeed = speed;
}

int32_t MusicTrack::GetState() const
{
    if (!ManagerFor(sound))
        return KorvaneEngine::Sound::kStopped;
    return sound->GetState();
}

void MusicTrack::SetVolume(float v)
{
    volume = v;
    if (ManagerFor(sound))
        sound->SetVolume(volume * baseVolume);
}

void MusicTrack::SetBaseVolume(float b)
{
    baseVolume = b;
    SetVolume(volume);
}

void MusicTrack::Stop()
{
    if (SoundManager* manager = ManagerFor(sound))
        manager->StopSound(sound, true);
}

void MusicTrack::Pause()
{
    if (SoundManager* manager = ManagerFor(sound))
        manager->PauseSound(sound, true);
}

void MusicTrack::Play()
{
    fadeState = kFadeNone;
    if (SoundManager* manager = ManagerFor(sound))
        manager->PlaySound(sound, true);
}

void MusicTrack::Update()
{
    KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    const float dt = timers ? timers->frameTime : 0.0f;
    if (fadeState == kFadeIn) {
        volume += fadeSpeed * dt;
        if (volume >= 1.0f) {
            volume = 1.0f;
            fadeState = kFadeNone;
        }
    } else if (fadeState == kFadeOut || fadeState == kFadeOutPause || fadeState == kFadeOutStop) {
        volume -= fadeSpeed * dt;
        if (volume < 0.0f) {
            if (fadeState == kFadeOutStop)
                Stop();
            else if (fadeState == kFadeOutPause)
                Pause();
            volume = 0.0f;
            fadeState = kFadeNone;
        }
    }
    // Also with no fade: the controller's jitter reaches the sound this way.
    SetVolume(volume);
}

} // namespace GameFramework

#include "framework/SoundController.h"

#include <algorithm>
#include <cmath>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "framework/MusicTrack.h"
#include "framework/SoundEntry.h"

namespace GameFramework {

using KorvaneEngine::Config;
using KorvaneEngine::Sound;
using KorvaneEngine::SoundManager;

namespace {

const char kMusicVolumeName[] = "g_music_volume";
const char kSoundVolumeName[] = "g_sound_volume";
// Two starts of one effect closer than this would only sound as one, louder.
const float kRestartInterval = 0.02f;
const float kVolumeJitter = 0.0005f;
// The old track's fade when a channel changes track.
const float kChangeFadeSpeed = 1.0f;

float Clamp01(float v)
{
    // NaN (a hand-edited .ini) counts as silence rather than spreading.
    if (!(v > 0.0f))
        return 0.0f;
    return v < 1.0f ? v : 1.0f;
}

float MainTime()
{
    KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    if (!timers || !timers->GetFrameTimer())
        return 0.0f;
    return timers->GetFrameTimer()->GetTime();
}

} // namespace

SoundController::SoundController(float defaultMusicVolume, float defaultSoundVolume)
    : musicVolume(defaultMusicVolume), soundVolume(defaultSoundVolume)
{
    // Registered even without sound: a save drops the names never registered,
    // and the player's setting must survive a run without a sound device.
    if (Config* config = Config::Instance()) {
        config->Register(kMusicVolumeName, KorvaneEngine::kConfigFloat, false, true, &musicVolume,
                         KorvaneEngine::FloatToString(defaultMusicVolume, 6), false);
        config->Register(kSoundVolumeName, KorvaneEngine::kConfigFloat, false, true, &soundVolume,
                         KorvaneEngine::FloatToString(defaultSoundVolume, 6), false);
    }
    SetMusicVolume(musicVolume);
    SetSoundVolume(soundVolume);
}

SoundController::~SoundController()
{
    if (SoundManager* manager = SoundManager::Instance())
        for (SoundEntry* entry : soundEntries)
            manager->DeleteSound(entry->sound);
    for (SoundEntry* entry : soundEntries)
        delete entry;
    soundEntries.clear();
    channels.clear();
    for (MusicTrack* track : musicTracks)
        delete track;
    musicTracks.clear();
    if (Config* config = Config::Instance()) {
        config->UnregisterVariable(kMusicVolumeName);
        config->UnregisterVariable(kSoundVolumeName);
    }
}

void SoundController::AddMusic(int32_t trackId, const std::string& fileName, bool loop)
{
    if (!SoundManager::Instance())
        return;
    MusicTrack* track = new MusicTrack(fileName, loop, trackId);
    if (!track->GetSound()) {
        KorvaneEngine::LogErrorIfOpen("Sound controller: no sound for the music file \"" + fileName +
                                      "\"; track " + KorvaneEngine::IntToString(trackId) + " is left out");
        delete track;
        return;
    }
    track->SetBaseVolume(musicVolume);
    musicTracks.push_back(track);
}

void SoundController::AddSound(int32_t soundId, const std::string& fileName, bool loop, int32_t count, bool flag)
{
    SoundManager* manager = SoundManager::Instance();
    if (!manager)
        return;
    for (int32_t i = 0; i < count; ++i) {
        Sound* sound = manager->CreateSound(fileName, flag, "");
        if (!sound) {
            KorvaneEngine::LogErrorIfOpen("Sound controller: no sound for the file \"" + fileName + "\"; sound " +
                                          KorvaneEngine::IntToString(soundId) + " is left out");
            return;
        }
        sound->SetLoop(loop);
        sound->SetVolume(soundVolume);
        soundEntries.push_back(new SoundEntry(soundId, fileName, sound, loop));
    }
}

void SoundController::SetMusicVolume(float volume)
{
    musicVolume = Clamp01(volume);
    if (!SoundManager::Instance())
        return;
    for (MusicTrack* track : musicTracks)
        track->SetBaseVolume(musicVolume);
}

void SoundController::SetSoundVolume(float volume)
{
    soundVolume = Clamp01(volume);
    SoundManager* manager = SoundManager::Instance();
    if (!manager)
        return;
    // Every live sound but the music: the GUI's sounds too, which the GUI
    // sound manager made through the same SoundManager.
    const uint32_t count = manager->GetSoundCount();
    for (uint32_t i = 0; i < count; ++i) {
        Sound* sound = manager->GetSound(i);
        if (!sound)
            continue;
        bool music = false;
        for (MusicTrack* track : musicTracks)
            if (track->GetSound() == sound) {
                music = true;
                break;
            }
        if (!music)
            sound->SetVolume(soundVolume);
    }
}

void SoundController::ApplySoundVolume() { SetSoundVolume(soundVolume); }

float SoundController::GetDefaultMusicVolume() const
{
    Config* config = Config::Instance();
    return config ? KorvaneEngine::StringToFloat(config->GetDefaultValue(kMusicVolumeName)) : 1.0f;
}

float SoundController::GetDefaultSoundVolume() const
{
    Config* config = Config::Instance();
    return config ? KorvaneEngine::StringToFloat(config->GetDefaultValue(kSoundVolumeName)) : 1.0f;
}

void SoundController::PlaySound(int32_t soundId)
{
    SoundManager* manager = SoundManager::Instance();
    if (!manager)
        return;
    const float now = MainTime();
    SoundEntry* chosen = nullptr;
    for (SoundEntry* entry : soundEntries) {
        if (entry->soundId != soundId)
            continue;
        if (std::fabs(now - entry->lastStart) < kRestartInterval)
            return;
        if (!chosen || entry->lastStart < chosen->lastStart)
            chosen = entry;
    }
    if (!chosen)
        return;
    // A loop already running goes on; a one-shot starts again from the top.
    if (!chosen->loop || chosen->sound->GetState() != Sound::kPlaying)
        manager->PlaySound(chosen->sound, false);
    chosen->lastStart = now;
}

void SoundController::StopSound(int32_t soundId)
{
    SoundManager* manager = SoundManager::Instance();
    if (!manager)
        return;
    for (SoundEntry* entry : soundEntries)
        if (entry->soundId == soundId)
            manager->StopSound(entry->sound, false);
}

int32_t SoundController::GetSoundState(int32_t soundId) const
{
    if (!SoundManager::Instance())
        return Sound::kStopped;
    for (SoundEntry* entry : soundEntries)
        if (entry->soundId == soundId)
            return entry->sound->GetState();
    return Sound::kStopped;
}

void SoundController::SetSoundLoop(int32_t soundId, bool loop)
{
    if (!SoundManager::Instance())
        return;
    for (SoundEntry* entry : soundEntries)
        if (entry->soundId == soundId) {
            entry->loop = loop;
            entry->sound->SetLoop(loop);
        }
}

void SoundController::SetSoundTempo(int32_t soundId, float tempo)
{
    if (!SoundManager::Instance())
        return;
    for (SoundEntry* entry : soundEntries)
        if (entry->soundId == soundId)
            entry->sound->SetTempo(tempo);
}

MusicTrack* SoundController::FindTrack(int32_t trackId) const
{
    for (MusicTrack* track : musicTracks)
        if (track->GetTrackId() == trackId)
            return track;
    return nullptr;
}

MusicTrack* SoundController::GetChannelTrack(int32_t channel) const
{
    auto it = channels.find(channel);
    return it == channels.end() ? nullptr : it->second;
}

void SoundController::PlayMusic(int32_t channel, int32_t trackId, bool fadeIn, float speed)
{
    if (!SoundManager::Instance())
        return;
    MusicTrack* requested = FindTrack(trackId);
    if (!requested)
        return;
    MusicTrack*& current = channels[channel];
    if (current && current != requested) {
        current->SetFade(MusicTrack::kFadeOutStop, kChangeFadeSpeed);
    } else if (current == requested && requested->GetState() == Sound::kPlaying) {
        return;
    }
    current = requested;
    if (fadeIn) {
        requested->SetVolume(0.0f);
        requested->Play();
        requested->SetFade(MusicTrack::kFadeIn, speed);
    } else {
        requested->SetVolume(1.0f);
        requested->Play();
    }
}

void SoundController::StopMusic(int32_t channel, bool fadeOut, float speed)
{
    if (!SoundManager::Instance())
        return;
    MusicTrack* track = GetChannelTrack(channel);
    if (!track)
        return;
    const int32_t state = track->GetState();
    if (state == Sound::kStopped)
        return;
    if (state == Sound::kPaused || !fadeOut)
        track->Stop();
    else
        track->SetFade(MusicTrack::kFadeOutStop, speed);
}

void SoundController::PauseMusic(int32_t channel, bool pause, bool fade, float speed)
{
    if (!SoundManager::Instance())
        return;
    MusicTrack* track = GetChannelTrack(channel);
    if (!track)
        return;
    const int32_t state = track->GetState();
    if (pause) {
        if (state != Sound::kPlaying)
            return;
        const bool stopping = track->GetFadeState() == MusicTrack::kFadeOutStop;
        if (fade) {
            // A track on its way out stays on its way out.
            if (!stopping)
                track->SetFade(MusicTrack::kFadeOutPause, speed);
        } else if (stopping) {
            track->Stop();
        } else {
            track->Pause();
        }
        return;
    }
    if (state != Sound::kPaused)
        return;
    if (fade) {
        track->SetVolume(0.0f);
        track->Play();
        track->SetFade(MusicTrack::kFadeIn, speed);
    } else {
        track->SetVolume(1.0f);
        track->Play();
    }
}

int32_t SoundController::GetMusicState(int32_t channel) const
{
    if (!SoundManager::Instance())
        return Sound::kStopped;
    MusicTrack* track = GetChannelTrack(channel);
    return track ? track->GetState() : Sound::kStopped;
}

void SoundController::StopAllMusic(bool fade, float speed)
{
    for (const auto& c : channels)
        StopMusic(c.first, fade, speed);
}

void SoundController::PauseAllMusic(bool pause, bool fade, float speed)
{
    for (const auto& c : channels)
        PauseMusic(c.first, pause, fade, speed);
}

void SoundController::Update()
{
    if (!SoundManager::Instance())
        return;
    for (MusicTrack* track : musicTracks)
        track->Update();
    const float keepSound = soundVolume;
    const float keepMusic = musicVolume;
    SetSoundVolume(Clamp01(keepSound + KorvaneEngine::RandomSignedUnit() * kVolumeJitter));
    SetMusicVolume(Clamp01(keepMusic + KorvaneEngine::RandomSignedUnit() * kVolumeJitter));
    soundVolume = keepSound;
    musicVolume = keepMusic;
}

} // namespace GameFramework

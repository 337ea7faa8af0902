#pragma once
// The multimedia header renames PlaySound to PlaySoundA; seeing it first makes
// the member below carry the same name in every unit that uses it.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace GameFramework {

class MusicTrack;
class SoundEntry;

// The game's owner of music and sound effects above the engine's SoundManager,
// addressed by integer ids. Music plays on numbered channels with fades;
// effects have a pool of instances per id and start at most once per 0.02 s.
// The two master volumes are the console variables "g_music_volume" and
// "g_sound_volume", saved with the configuration.
//
// Without a SoundManager (no sound device) every sound operation does nothing
// and every state query reports 2 (stopped); the volumes are still kept,
// clamped and saved.
class SoundController {
public:
    // Registers the two volume variables (a value read from the .ini wins over
    // the default) and applies them clamped.
    SoundController(float defaultMusicVolume, float defaultSoundVolume);
    // Deletes every sound, then unregisters the variables so that the .ini
    // written at engine shut-down still holds their values.
    ~SoundController();
    SoundController(const SoundController&) = delete;
    SoundController& operator=(const SoundController&) = delete;

    // A file whose engine sound cannot be made is left out (logged): playing
    // its id then does nothing.
    void AddMusic(int32_t trackId, const std::string& fileName, bool loop);
    void AddSound(int32_t soundId, const std::string& fileName, bool loop, int32_t count, bool flag);

    float GetMusicVolume() const { return musicVolume; }
    float GetSoundVolume() const { return soundVolume; }
    // Clamped to 0..1; music goes to every track as its base volume, sound to
    // every engine sound that is not a track's.
    void SetMusicVolume(float volume);
    void SetSoundVolume(float volume);
    void ApplySoundVolume();
    // The registered defaults, for an options screen's reset.
    float GetDefaultMusicVolume() const;
    float GetDefaultSoundVolume() const;

    void PlaySound(int32_t soundId);
    void StopSound(int32_t soundId);
    int32_t GetSoundState(int32_t soundId) const;
    void SetSoundLoop(int32_t soundId, bool loop);
    void SetSoundTempo(int32_t soundId, float tempo);

    // An id never registered changes nothing: the channel keeps its track.
    void PlayMusic(int32_t channel, int32_t trackId, bool fadeIn, float speed);
    void StopMusic(int32_t channel, bool fadeOut, float speed);
    void PauseMusic(int32_t channel, bool pause, bool fade, float speed);
    int32_t GetMusicState(int32_t channel) const;
    void StopAllMusic(bool fade, float speed);
    void PauseAllMusic(bool pause, bool fade, float speed);

    // Once per frame: the fades, then every engine sound's volume anew with a
    // jitter of at most 0.0005 (the variables keep their exact values).
    void Update();

    // For inspection (options screens, tests): registration order.
    const std::vector<SoundEntry*>& GetSoundEntries() const { return soundEntries; }
    const std::vector<MusicTrack*>& GetMusicTracks() const { return musicTracks; }
    MusicTrack* GetChannelTrack(int32_t channel) const;

private:
    MusicTrack* FindTrack(int32_t trackId) const;

    std::vector<SoundEntry*> soundEntries;
    std::vector<MusicTrack*> musicTracks;
    float musicVolume = 1.0f;
    float soundVolume = 1.0f;
    std::map<int32_t, MusicTrack*> channels;
};

} // namespace GameFramework

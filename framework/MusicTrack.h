#pragma once
#include <cstdint>
#include <string>

namespace KorvaneEngine {
class Sound;
}

namespace GameFramework {

// One music file with its own fade. The engine sound always plays at
// volume x base volume: the fade moves volume, the player's music setting
// moves the base.
class MusicTrack {
public:
    enum Fade : int32_t {
        kFadeNone = 0,
        kFadeIn = 1,
        kFadeOut = 2,          // to silence, still playing
        kFadeOutPause = 3,
        kFadeOutStop = 4,
    };

    // The engine sound comes from the SoundManager; without one, or when it
    // gives none, the track has no sound and every call on it does nothing.
    MusicTrack(const std::string& fileName, bool loop, int32_t trackId);
    ~MusicTrack();
    MusicTrack(const MusicTrack&) = delete;
    MusicTrack& operator=(const MusicTrack&) = delete;

    void SetFade(int32_t state, float speed);
    // 0 playing, 1 paused, 2 stopped (also without a sound or a SoundManager).
    int32_t GetState() const;
    void SetVolume(float v);
    void SetBaseVolume(float b);
    // Immediate, not queued: a fade that ends must silence the track at once.
    void Stop();
    void Pause();
    void Play();
    // One fade step by the frame time.
    void Update();

    KorvaneEngine::Sound* GetSound() const { return sound; }
    int32_t GetTrackId() const { return trackId; }
    float GetVolume() const { return volume; }
    float GetBaseVolume() const { return baseVolume; }
    int32_t GetFadeState() const { return fadeState; }
    float GetFadeSpeed() const { return fadeSpeed; }

private:
    KorvaneEngine::Sound* sound = nullptr;
    int32_t trackId;
    float volume = 1.0f;
    float baseVolume = 1.0f;
    int32_t fadeState = kFadeNone;
    float fadeSpeed = 0.0f;
};

} // namespace GameFramework

#pragma once
#include <cstdint>
#include <string>

namespace KorvaneEngine {
class Sound;
}

namespace GameFramework {

// One instance of a sound effect. Several entries with one id are that
// sound's instance pool; the controller starts the least recently started.
class SoundEntry {
public:
    SoundEntry(int32_t soundId, const std::string& fileName, KorvaneEngine::Sound* sound, bool loop)
        : soundId(soundId), fileName(fileName), sound(sound), loop(loop)
    {
    }

    int32_t soundId;
    std::string fileName;
    KorvaneEngine::Sound* sound; // owned through the SoundManager; never null
    uint8_t loop;
    float lastStart = 0.0f;      // main timer seconds of the last start
};

} // namespace GameFramework

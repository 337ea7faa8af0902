#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class SoundBuffer;
class SoundBufferManager;

// One playable instance of a sound file with its own settings and its own
// buffer from the buffer manager. States: 0 playing, 1 paused, 2 stopped.
class Sound {
public:
    static constexpr int32_t kPlaying = 0;
    static constexpr int32_t kPaused = 1;
    static constexpr int32_t kStopped = 2;

    virtual ~Sound();
    // Every frame: a sound that finished by itself becomes stopped, a lost
    // device buffer is recovered.
    virtual void Refresh();
    // From the start when stopped or playing, from the held position when
    // paused. False when the device could not take the sound.
    virtual bool Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void SetLoop(bool flag);
    // Linear 0..1.
    virtual void SetVolume(float value);
    // Playback frequency factor; 1 is the file's own rate.
    virtual void SetTempo(float value);
    virtual void SetPosition(const Vector3& value);
    virtual int32_t GetState() = 0;

    Sound& operator=(const Sound&) = delete;

    const std::string& GetName() const { return name; }
    SoundBuffer* GetBuffer() const { return buffer; }
    SoundBufferManager* GetBufferManager() const { return bufferManager; }
    bool GetLoop() const { return loop; }
    float GetVolume() const { return volume; }
    float GetTempo() const { return tempo; }
    const Vector3& GetPosition() const { return position; }

protected:
    Sound(SoundBufferManager* manager, const std::string& fileName, bool resident);
    // The source's settings; a buffer of its own, always resident.
    Sound(const Sound& source);

    SoundBufferManager* bufferManager;
    std::string name;
    SoundBuffer* buffer = nullptr;
    bool loop = false;
    float volume = 1.0f;
    float tempo = 1.0f;
    Vector3 position;
};

} // namespace KorvaneEngine

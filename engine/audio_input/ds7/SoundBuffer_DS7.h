#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/audio_input/SoundBuffer.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class SoundSystem_DS7;
class Timer;

// One DirectSound secondary buffer: a static sound held whole, or a looping
// ring of blocks refilled while it plays. A stream's play position is measured
// with its own timer rather than read from the device.
class SoundBuffer_DS7 : public SoundBuffer {
public:
    SoundBuffer_DS7(SoundSystem_DS7& system, const std::string& fileName, uint8_t* staging, bool resident);
    // Shares the source's device sample memory.
    SoundBuffer_DS7(SoundSystem_DS7& system, const SoundBuffer_DS7& source, uint8_t* staging);
    ~SoundBuffer_DS7() override;

    void Unload() override;
    void Load(SoundBuffer* source) override;
    void CreateBuffer(SoundBuffer* source) override;
    void ReleaseBuffer() override;
    bool WriteData(uint32_t blockIndex, uint32_t size) override;
    void QueueBuffer(uint32_t blockIndex) override;
    void UnqueueProcessedBuffers(std::vector<uint32_t>* blocks) override;

    // Makes the device buffer when there is none; false when that failed.
    bool Play(bool loop);
    void Pause();
    void Stop();
    bool IsPlaying();
    bool IsLost();
    // Restores lost device memory and, for a static sound, its samples.
    bool Restore();
    void SetVolume(float value);
    void SetTempo(float value);
    void SetPosition(const Vector3& value);
    // A new secondary buffer for this sound; a static one is filled at once.
    bool CreateDeviceBuffer();

    IDirectSoundBuffer* GetDeviceBuffer() const { return deviceBuffer; }
    IDirectSound3DBuffer* Get3DBuffer() const { return buffer3D; }
    bool IsFinished() const { return finished; }
    uint64_t GetBytesPlayed() const { return bytesPlayed; }
    Timer* GetStreamTimer() const { return streamTimer; }
    float GetVolume() const { return volume; }

private:
    // Writes the whole static sound into the device buffer.
    bool FillStatic();

    SoundSystem_DS7& system;
    IDirectSound* device;
    IDirectSoundBuffer* deviceBuffer = nullptr;
    IDirectSound3DBuffer* buffer3D = nullptr;
    uint32_t lastRingPosition = 0;
    // 64-bit so that a long-playing stream cannot wrap around.
    uint64_t bytesPlayed = 0;
    bool finished = false;
    float volume = 1.0f;
    Timer* streamTimer = nullptr;
};

} // namespace KorvaneEngine

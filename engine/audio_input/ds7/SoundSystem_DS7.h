#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <string>

#include "engine/audio_input/SoundSystem.h"

namespace KorvaneEngine {

// The sound system on DirectSound: the device, the 22,050 Hz 16-bit stereo
// primary buffer, the optional 3D listener and the factories of the back-end's
// sounds and buffers.
class SoundSystem_DS7 : public SoundSystem {
public:
    // Throws Error (empty message, the reason is in the log) when the device,
    // its cooperative level or the primary buffer cannot be set up. A missing
    // 3D listener only switches 3D off.
    explicit SoundSystem_DS7(bool use3D);
    ~SoundSystem_DS7() override;

    void Refresh() override;
    Sound* CreateSound(const std::string& fileName, bool resident) override;
    Sound* CloneSound(const Sound& source) override;
    SoundBuffer* CreateSoundBuffer(const std::string& fileName, uint8_t* staging, bool resident) override;
    SoundBuffer* CreateSoundBufferCopy(const SoundBuffer& source, uint8_t* staging) override;
    void SetListenerPosition(const Vector3& position) override;
    void SetListenerOrientation(const Vector3& front, const Vector3& up) override;
    void ResetListener() override;

    // Logs a failed result at error level with the calling method's name and
    // its documented description; true when the call succeeded.
    static bool CheckResult(const std::string& method, HRESULT hr);
    // The description CheckResult logs for a result code.
    static std::string DescribeResult(HRESULT hr);
    // DirectSound volume in hundredths of a decibel for a linear volume.
    static int32_t VolumeToAttenuation(float volume);

    IDirectSound* GetDevice() const { return device; }
    IDirectSoundBuffer* GetPrimaryBuffer() const { return primaryBuffer; }
    IDirectSound3DListener* GetListener() const { return listener; }

private:
    void Release();

    IDirectSound* device = nullptr;
    IDirectSoundBuffer* primaryBuffer = nullptr;
    IDirectSound3DListener* listener = nullptr;
};

} // namespace KorvaneEngine

#include "engine/audio_input/ds7/SoundSystem_DS7.h"

#include <cmath>

#include "engine/audio_input/ds7/SoundBuffer_DS7.h"
#include "engine/audio_input/ds7/Sound_DS7.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/Window.h"

namespace KorvaneEngine {

namespace {

template <class T> void ReleaseInterface(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

} // namespace

SoundSystem_DS7::SoundSystem_DS7(bool use3DSound) : SoundSystem(use3DSound)
{
    LogMessageIfOpen("\nInitialization of DirectSound Subsystem:");

    LogMessageIfOpen("...Creating a device...");
    if (FAILED(DirectSoundCreate(nullptr, &device, nullptr))) {
        device = nullptr;
        LogErrorIfOpen("Failed to create a device");
        Release();
        throw Error("");
    }

    LogMessageIfOpen("...Set cooperative level...");
    // The engine's window is made before the sound system; a program without
    // one (a tool) still gets a device bound to the desktop.
    HWND window = Window::Instance() ? Window::Instance()->GetHandle() : nullptr;
    if (!window)
        window = GetDesktopWindow();
    if (FAILED(device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        LogErrorIfOpen("Failed to set cooperative level");
        Release();
        throw Error("");
    }

    LogMessageIfOpen("...Create primary buffer...");
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | (use3D ? DSBCAPS_CTRL3D : 0);
    description.dwBufferBytes = 0;
    description.lpwfxFormat = nullptr;
    description.guid3DAlgorithm = GUID_NULL;
    if (FAILED(device->CreateSoundBuffer(&description, &primaryBuffer, nullptr))) {
        primaryBuffer = nullptr;
        LogErrorIfOpen("Failed to create primary buffer");
        Release();
        throw Error("");
    }

    LogMessageIfOpen("...Set primary buffer format...");
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 88200;
    format.cbSize = 0;
    if (FAILED(primaryBuffer->SetFormat(&format))) {
        LogErrorIfOpen("Failed to set primary buffer format");
        Release();
        throw Error("");
    }

    if (use3D) {
        LogMessageIfOpen("...Get the 3D listener from the primary buffer...");
        void* p = nullptr;
        if (FAILED(primaryBuffer->QueryInterface(IID_IDirectSound3DListener, &p)) || !p) {
            LogErrorIfOpen("Failed to get the 3D listener from the primary buffer");
            listener = nullptr;
            use3D = false;
        } else {
            listener = static_cast<IDirectSound3DListener*>(p);
        }
    }

    LogMessageIfOpen("");
    ResetListener();
}

SoundSystem_DS7::~SoundSystem_DS7()
{
    LogMessageIfOpen("DirectSound system destroying:");
    Release();
}

void SoundSystem_DS7::Release()
{
    if (listener) {
        LogMessageIfOpen("...Releasing 3D listener...");
        ReleaseInterface(listener);
    }
    if (primaryBuffer) {
        LogMessageIfOpen("...Releasing primary buffer...");
        ReleaseInterface(primaryBuffer);
    }
    if (device) {
        LogMessageIfOpen("...Releasing device...");
        ReleaseInterface(device);
    }
}

void SoundSystem_DS7::Refresh()
{
    if (primaryBuffer) {
        DWORD status = 0;
        if (CheckResult("SoundSystem_DS7::Refresh", primaryBuffer->GetStatus(&status)) && status == DSBSTATUS_BUFFERLOST)
            CheckResult("SoundSystem_DS7::Refresh", primaryBuffer->Restore());
    }
    if (listener)
        CheckResult("SoundSystem_DS7::Refresh", listener->CommitDeferredSettings());
}

Sound* SoundSystem_DS7::CreateSound(const std::string& fileName, bool resident)
{
    return new Sound_DS7(bufferManager, fileName, resident);
}

Sound* SoundSystem_DS7::CloneSound(const Sound& source)
{
    const Sound_DS7* sound = dynamic_cast<const Sound_DS7*>(&source);
    return sound ? new Sound_DS7(*sound) : nullptr;
}

SoundBuffer* SoundSystem_DS7::CreateSoundBuffer(const std::string& fileName, uint8_t* staging, bool resident)
{
    return new SoundBuffer_DS7(*this, fileName, staging, resident);
}

SoundBuffer* SoundSystem_DS7::CreateSoundBufferCopy(const SoundBuffer& source, uint8_t* staging)
{
    const SoundBuffer_DS7* buffer = dynamic_cast<const SoundBuffer_DS7*>(&source);
    return buffer ? new SoundBuffer_DS7(*this, *buffer, staging) : nullptr;
}

void SoundSystem_DS7::SetListenerPosition(const Vector3& position)
{
    SoundSystem::SetListenerPosition(position);
    if (listener)
        CheckResult("SoundSystem_DS7::SetListenerPosition",
            listener->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED));
}

void SoundSystem_DS7::SetListenerOrientation(const Vector3& front, const Vector3& up)
{
    SoundSystem::SetListenerOrientation(front, up);
    if (listener)
        CheckResult("SoundSystem_DS7::SetListenerOrientation",
            listener->SetOrientation(front.x, front.y, front.z, up.x, up.y, up.z, DS3D_DEFERRED));
}

void SoundSystem_DS7::ResetListener() { SoundSystem::ResetListener(); }

std::string SoundSystem_DS7::DescribeResult(HRESULT hr)
{
    switch (static_cast<uint32_t>(hr)) {
    case 0x80070005u: return "The request failed because access was denied.";
    case 0x8878000Au:
        return "The request failed because resources, such as a priority level, were already in use by another caller.";
    case 0x88780082u: return "The object is already initialized.";
    case 0x88780064u: return "The specified wave format is not supported.";
    case 0x88780096u: return "The buffer memory has been lost and must be restored.";
    case 0x8878001Eu: return "The buffer control (volume, pan, and so on) requested by the caller is not available.";
    case 0x80004005u: return "An undetermined error occurred inside the DirectSound subsystem.";
    case 0x88780032u: return "This function is not valid for the current state of this object.";
    case 0x80070057u: return "An invalid parameter was passed to the returning function.";
    case 0x80040110u: return "The object does not support aggregation.";
    case 0x88780078u: return "No sound driver is available for use.";
    case 0x80004002u: return "The requested COM interface is not available.";
    case 0x887800A0u: return "Another application has a higher priority level, preventing this call from succeeding.";
    case 0x8007000Eu:
        return "The DirectSound subsystem could not allocate sufficient memory to complete the caller's request.";
    case 0x88780046u: return "The caller does not have the priority level required for the function to succeed.";
    case 0x887800AAu:
        return "The IDirectSound::Initialize method has not been called or has not been called successfully before "
               "other methods were called.";
    case 0x80004001u: return "The function called is not supported at this time.";
    default: return "Unknown error (Code: " + IntToString(static_cast<int32_t>(hr)) + ")";
    }
}

bool SoundSystem_DS7::CheckResult(const std::string& method, HRESULT hr)
{
    // Success codes other than DS_OK (DS_NO_VIRTUALIZATION and the like) are
    // not failures and are not logged.
    if (SUCCEEDED(hr))
        return true;
    LogErrorIfOpen("DirectSound Subsystem (" + method + "): " + DescribeResult(hr));
    return false;
}

int32_t SoundSystem_DS7::VolumeToAttenuation(float volume)
{
    // NaN and anything near silence are the floor.
    if (!(volume >= 0.0001f))
        return -10000;
    // Louder than the file is beyond what the device accepts.
    if (volume >= 1.0f)
        return 0;
    float r = 1.0f / volume;
    float l = static_cast<float>(std::log(r));
    double a = static_cast<double>(l) * -1000.0;
    int32_t attenuation = static_cast<int32_t>(a);
    return attenuation < -10000 ? -10000 : attenuation;
}

} // namespace KorvaneEngine

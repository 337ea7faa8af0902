#include "engine/audio_input/ds7/SoundBuffer_DS7.h"

#include <cstring>

#include "engine/audio_input/SoundFileReader.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"

namespace KorvaneEngine {

namespace {

} // namespace

SoundBuffer_DS7::SoundBuffer_DS7(SoundSystem_DS7& owner, const std::string& fileName, uint8_t* stagingBlock, bool isResident)
    : SoundBuffer(fileName, stagingBlock, isResident), system(owner), device(owner.GetDevice())
{
    Load(nullptr);
}

SoundBuffer_DS7::SoundBuffer_DS7(SoundSystem_DS7& owner, const SoundBuffer_DS7& source, uint8_t* stagingBlock)
    : SoundBuffer(source, stagingBlock), system(owner), device(owner.GetDevice())
{
    Load(const_cast<SoundBuffer_DS7*>(&source));
}

SoundBuffer_DS7::~SoundBuffer_DS7() { Unload(); }

void SoundBuffer_DS7::Load(SoundBuffer* source)
{
    SoundBuffer::Load(source);
    if (streamed && !streamTimer) {
        if (TimerManager* timers = TimerManager::Instance())
            streamTimer = timers->CreateTimer(0.0f, false);
        if (streamTimer) {
            streamTimer->SetTime(0.0f);
            streamTimer->SetPaused(true);
        }
    }
}

void SoundBuffer_DS7::Unload()
{
    SoundBuffer::Unload();
    ReleaseBuffer();
    if (streamTimer) {
        if (TimerManager* timers = TimerManager::Instance())
            timers->DeleteTimer(streamTimer);
        streamTimer = nullptr;
    }
}

void SoundBuffer_DS7::CreateBuffer(SoundBuffer* source)
{
    if (!resident)
        return;
    SoundBuffer_DS7* original = dynamic_cast<SoundBuffer_DS7*>(source);
    // A source without device memory of its own has nothing to share.
    if (!original || !original->deviceBuffer) {
        CreateDeviceBuffer();
        return;
    }
    if (!device || FAILED(device->DuplicateSoundBuffer(original->deviceBuffer, &deviceBuffer))) {
        deviceBuffer = nullptr;
        LogErrorIfOpen("Sound System: DirectSound buffers overflow");
        return;
    }
    SetVolume(volume);
}

bool SoundBuffer_DS7::CreateDeviceBuffer()
{
    if (deviceBuffer)
        return true;
    if (!device || channels == 0 || bitsPerSample == 0)
        return false;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = sampleRate;
    format.nBlockAlign = static_cast<WORD>(channels * bitsPerSample / 8);
    format.nAvgBytesPerSec = sampleRate * format.nBlockAlign;
    format.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    format.cbSize = 18;

    bool with3D = system.Uses3D() && channels == 1;
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | (with3D ? DSBCAPS_CTRL3D : 0) |
        (streamed ? 0 : DSBCAPS_STATIC);
    description.dwBufferBytes = streamed ? kRingSize : dataSize;
    description.lpwfxFormat = &format;
    description.guid3DAlgorithm = GUID_NULL;
    if (FAILED(device->CreateSoundBuffer(&description, &deviceBuffer, nullptr)) || !deviceBuffer) {
        deviceBuffer = nullptr;
        LogErrorIfOpen("Sound System: DirectSound buffers overflow");
        return false;
    }
    if (with3D) {
        void* p = nullptr;
        if (FAILED(deviceBuffer->QueryInterface(IID_IDirectSound3DBuffer, &p)) || !p)
            LogErrorIfOpen("Sound System: Failed to get the 3D buffer from the secondary buffer");
        else
            buffer3D = static_cast<IDirectSound3DBuffer*>(p);
    }
    SetVolume(volume);
    if (!streamed && reader) {
        reader->Open();
        if (!FillBlock(0, dataSize))
            LogErrorIfOpen("Failed to load \"" + name + "\" sound file - incorrect format");
        reader->Close();
    }
    return true;
}

bool SoundBuffer_DS7::FillStatic()
{
    if (!reader || streamed)
        return false;
    reader->Open();
    bool ok = FillBlock(0, dataSize);
    reader->Close();
    return ok;
}

void SoundBuffer_DS7::ReleaseBuffer()
{
    if (buffer3D) {
        buffer3D->Release();
        buffer3D = nullptr;
    }
    if (deviceBuffer) {
        deviceBuffer->Release();
        deviceBuffer = nullptr;
    }
}

bool SoundBuffer_DS7::WriteData(uint32_t blockIndex, uint32_t size)
{
    if (!deviceBuffer)
        return true;
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD length1 = 0, length2 = 0;
    if (FAILED(deviceBuffer->Lock(blockIndex * kBlockSize, size, &part1, &length1, &part2, &length2, 0)))
        return false;
    uint32_t first = size < length1 ? size : length1;
    if (part1 && first)
        std::memcpy(part1, staging, first);
    if (part2 && length2) {
        uint32_t rest = size - first;
        uint32_t second = rest < length2 ? rest : length2;
        if (second)
            std::memcpy(part2, staging + first, second);
    }
    return SUCCEEDED(deviceBuffer->Unlock(part1, length1, part2, length2));
}

void SoundBuffer_DS7::QueueBuffer(uint32_t) {}

void SoundBuffer_DS7::UnqueueProcessedBuffers(std::vector<uint32_t>* blocks)
{
    if (!blocks)
        return;
    blocks->clear();
    if (!deviceBuffer || finished || !IsPlaying())
        return;
    uint64_t bytesPerSecond = static_cast<uint64_t>(sampleRate) * channels * bitsPerSample / 8;
    if (bytesPerSecond == 0)
        return;
    double time = streamTimer ? streamTimer->GetTime() : 0.0;
    if (!(time > 0.0))
        time = 0.0;
    uint64_t pos = static_cast<uint64_t>(static_cast<double>(bytesPerSecond) * time);
    // Keep the timer within one lap of the ring.
    if (pos >= kRingSize) {
        pos %= kRingSize;
        if (streamTimer)
            streamTimer->SetTime(static_cast<float>(static_cast<double>(pos) / static_cast<double>(bytesPerSecond)));
    }
    uint64_t delta = pos >= lastRingPosition ? pos - lastRingPosition : pos + kRingSize - lastRingPosition;

    // Blocks are handed back once the position lagging two blocks behind the
    // play position has passed their end. Both ends of the span lag the same
    // way, also in the first two blocks: a long first frame would otherwise
    // report a block early and again later, refilling it twice and skipping
    // a block of the sound.
    const uint64_t kLag = 2 * kBlockSize;
    uint64_t from = bytesPlayed > kLag ? bytesPlayed - kLag : 0;
    bytesPlayed += delta;
    uint64_t to = bytesPlayed > kLag ? bytesPlayed - kLag : 0;
    if (to >= 2ull * kRingSize) {
        uint64_t laps = (to - kRingSize) / kRingSize;
        to -= laps * kRingSize;
        from -= laps * kRingSize;
    }
    for (uint32_t i = 0; i < 2 * kBlockCount; ++i) {
        int64_t start = static_cast<int64_t>(i) * kBlockSize;
        int64_t end = start + kBlockSize;
        int64_t spanCentre = static_cast<int64_t>(from) + static_cast<int64_t>(to - from) / 2;
        int64_t spanHalf = static_cast<int64_t>(to - from) / 2;
        int64_t blockCentre = start + kBlockSize / 2;
        int64_t distance = spanCentre > blockCentre ? spanCentre - blockCentre : blockCentre - spanCentre;
        bool overlaps = distance <= spanHalf + static_cast<int64_t>(kBlockSize / 2);
        bool outside = static_cast<int64_t>(to) < start || static_cast<int64_t>(to) > end;
        if (!overlaps || !outside)
            continue;
        uint32_t index = i % kBlockCount;
        bool listed = false;
        for (uint32_t b : *blocks)
            listed = listed || b == index;
        if (!listed)
            blocks->push_back(index);
    }
    lastRingPosition = static_cast<uint32_t>(pos);

    if (!loop && bytesPlayed > static_cast<uint64_t>(dataSize) + kBlockSize) {
        SoundSystem_DS7::CheckResult("SoundBuffer_DS7::UnqueueProcessedBuffers", deviceBuffer->Stop());
        finished = true;
        if (streamTimer) {
            streamTimer->SetTime(0.0f);
            streamTimer->SetPaused(true);
        }
    }
}

bool SoundBuffer_DS7::Play(bool looping)
{
    if (!deviceBuffer && !CreateDeviceBuffer())
        return false;
    if (streamed)
        SetStreamState(kPlaying);
    if (!SoundSystem_DS7::CheckResult("SoundBuffer_DS7::Play",
            deviceBuffer->Play(0, 0, (streamed || looping) ? DSBPLAY_LOOPING : 0)))
        return false;
    finished = false;
    if (streamed && streamTimer)
        streamTimer->SetPaused(false);
    return true;
}

void SoundBuffer_DS7::Pause()
{
    if (deviceBuffer)
        SoundSystem_DS7::CheckResult("SoundBuffer_DS7::Pause", deviceBuffer->Stop());
    if (streamed && streamTimer)
        streamTimer->SetPaused(true);
}

void SoundBuffer_DS7::Stop()
{
    if (deviceBuffer) {
        SoundSystem_DS7::CheckResult("SoundBuffer_DS7::Stop", deviceBuffer->Stop());
        SoundSystem_DS7::CheckResult("SoundBuffer_DS7::Stop", deviceBuffer->SetCurrentPosition(0));
    }
    lastRingPosition = 0;
    bytesPlayed = 0;
    if (streamed && streamTimer) {
        streamTimer->SetTime(0.0f);
        streamTimer->SetPaused(true);
    }
    if (!resident)
        ReleaseBuffer();
}

bool SoundBuffer_DS7::IsPlaying()
{
    if (!deviceBuffer)
        return false;
    DWORD status = 0;
    if (!SoundSystem_DS7::CheckResult("SoundBuffer_DS7::IsPlaying", deviceBuffer->GetStatus(&status)))
        return false;
    return (status & DSBSTATUS_PLAYING) != 0;
}

bool SoundBuffer_DS7::IsLost()
{
    if (!deviceBuffer)
        return false;
    DWORD status = 0;
    if (!SoundSystem_DS7::CheckResult("SoundBuffer_DS7::IsLost", deviceBuffer->GetStatus(&status)))
        return false;
    return (status & DSBSTATUS_BUFFERLOST) != 0;
}

bool SoundBuffer_DS7::Restore()
{
    if (!deviceBuffer)
        return false;
    if (FAILED(deviceBuffer->Restore()))
        return false;
    // Restored memory holds no samples: a static sound is written again (a
    // stream is refilled when its sound restarts it).
    if (!streamed)
        FillStatic();
    return true;
}

void SoundBuffer_DS7::SetVolume(float value)
{
    volume = value;
    if (deviceBuffer)
        SoundSystem_DS7::CheckResult("SoundBuffer_DS7::SetVolume",
            deviceBuffer->SetVolume(SoundSystem_DS7::VolumeToAttenuation(value)));
}

void SoundBuffer_DS7::SetTempo(float value)
{
    if (!deviceBuffer)
        return;
    // Kept inside the device's range so that no negative or huge factor turns
    // into an unrelated frequency.
    double frequency = static_cast<double>(sampleRate) * static_cast<double>(value);
    if (!(frequency >= DSBFREQUENCY_MIN))
        frequency = DSBFREQUENCY_MIN;
    if (frequency > DSBFREQUENCY_MAX)
        frequency = DSBFREQUENCY_MAX;
    SoundSystem_DS7::CheckResult("SoundBuffer_DS7::SetTempo", deviceBuffer->SetFrequency(static_cast<DWORD>(frequency)));
}

void SoundBuffer_DS7::SetPosition(const Vector3& value)
{
    if (buffer3D)
        SoundSystem_DS7::CheckResult("SoundBuffer_DS7::SetPosition",
            buffer3D->SetPosition(value.x, value.y, value.z, DS3D_DEFERRED));
}

} // namespace KorvaneEngine

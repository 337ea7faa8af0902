#pragma once
// The multimedia header turns PlaySound into PlaySoundA. Seeing it here first
// renames the member the same way in every unit, whatever they include later.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"

namespace KorvaneEngine {

class Sound;
class SoundBuffer;

// Owns every sound buffer and the one staging block all PCM data passes
// through. Static buffers of one file share device memory.
class SoundBufferManager {
public:
    virtual ~SoundBufferManager();
    SoundBufferManager();
    SoundBufferManager(const SoundBufferManager&) = delete;
    SoundBufferManager& operator=(const SoundBufferManager&) = delete;

    // A buffer of its own for a new sound: a copy of the first live static
    // buffer of the same file (sharing its device memory, taking its
    // residency), or a new one.
    SoundBuffer* AcquireBuffer(const std::string& fileName, bool resident);
    // Deletes a buffer this manager holds; anything else is ignored.
    void ReleaseBuffer(SoundBuffer* buffer);
    // Refills the streams.
    void Update();

    uint32_t GetBufferCount() const { return static_cast<uint32_t>(liveIndices.size()); }
    SoundBuffer* GetBuffer(uint32_t i) const { return i < liveIndices.size() ? buffers[liveIndices[i]] : nullptr; }
    uint8_t* GetStaging() const { return staging; }

private:
    std::deque<uint32_t> freeIndices;
    std::vector<uint32_t> liveIndices;
    std::vector<SoundBuffer*> buffers;
    uint8_t* staging;
};

struct SoundRequest {
    static constexpr int32_t kPlay = 0;
    static constexpr int32_t kPause = 1;
    static constexpr int32_t kStop = 2;
    int32_t command;
    Sound* sound;
};

// The engine's entry point for sounds: creates and deletes them, plays,
// pauses and stops them at once or at the next frame, refreshes them every
// frame and drives the streaming.
class SoundManager : public GlobalPointerHolder<SoundManager> {
public:
    virtual ~SoundManager();
    // Needs the sound system: throws Error when there is none, so the engine
    // can go on without sound.
    SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // The tag is accepted and not used.
    Sound* CreateSound(const std::string& fileName, bool resident, const std::string& tag = std::string());
    // Requests still queued for the sound are dropped with it.
    void DeleteSound(Sound* sound);
    // now false: queued until the next Update; true: at once.
    void PlaySound(Sound* sound, bool now);
    void PauseSound(Sound* sound, bool now);
    void StopSound(Sound* sound, bool now);
    // Per frame: queued requests (when runRequests), every sound's Refresh, then
    // the stream refill.
    void Update(bool runRequests);

    uint32_t GetSoundCount() const { return static_cast<uint32_t>(liveIndices.size()); }
    // The i-th live sound in creation order of the live slots; null past the end.
    Sound* GetSound(uint32_t i) const { return i < liveIndices.size() ? sounds[liveIndices[i]] : nullptr; }
    SoundBufferManager* GetBufferManager() const { return bufferManager; }
    uint32_t GetRequestCount() const { return static_cast<uint32_t>(requests.size()); }
    // The slot a live sound occupies, or -1.
    int32_t GetSlot(const Sound* sound) const;

private:
    void Execute(int32_t command, Sound* sound);
    void PlayNow(Sound* sound);

    SoundBufferManager* bufferManager = nullptr;
    uint32_t slotCount = 0;
    std::deque<uint32_t> freeIndices;
    std::vector<uint32_t> liveIndices;
    std::vector<Sound*> sounds;
    std::vector<SoundRequest*> requests;
};

} // namespace KorvaneEngine

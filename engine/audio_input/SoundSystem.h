#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Sound;
class SoundBuffer;
class SoundBufferManager;

// The sound device: makes sounds and buffers, keeps the 3D listener and is
// refreshed every frame. Game code reaches sounds through the sound manager.
class SoundSystem : public GlobalPointerHolder<SoundSystem> {
public:
    virtual ~SoundSystem();
    virtual void Refresh();
    virtual Sound* CreateSound(const std::string& fileName, bool resident) = 0;
    virtual Sound* CloneSound(const Sound& source) = 0;
    virtual SoundBuffer* CreateSoundBuffer(const std::string& fileName, uint8_t* staging, bool resident) = 0;
    // Shares the source's device sample memory.
    virtual SoundBuffer* CreateSoundBufferCopy(const SoundBuffer& source, uint8_t* staging) = 0;
    virtual void SetListenerPosition(const Vector3& position);
    virtual void SetListenerOrientation(const Vector3& front, const Vector3& up);
    // At the origin, facing -z with +y up.
    virtual void ResetListener();

    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Set by the sound manager right after it makes the buffer manager.
    void SetBufferManager(SoundBufferManager* manager) { bufferManager = manager; }
    SoundBufferManager* GetBufferManager() const { return bufferManager; }

    const Vector3& GetListenerPosition() const { return listenerPosition; }
    const Vector3& GetListenerFront() const { return listenerFront; }
    const Vector3& GetListenerUp() const { return listenerUp; }
    bool Uses3D() const { return use3D; }

protected:
    explicit SoundSystem(bool use3D);

    SoundBufferManager* bufferManager = nullptr;
    Vector3 listenerPosition;
    Vector3 listenerFront;
    Vector3 listenerUp;
    bool use3D;
};

} // namespace KorvaneEngine

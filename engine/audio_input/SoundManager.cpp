#include "engine/audio_input/SoundManager.h"

#include <algorithm>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundBuffer.h"
#include "engine/audio_input/SoundSystem.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

// Slot tables: a free index is used again oldest first, else a new one.
uint32_t TakeSlot(std::deque<uint32_t>& freeIndices, uint32_t next)
{
    if (freeIndices.empty())
        return next;
    uint32_t index = freeIndices.front();
    freeIndices.pop_front();
    return index;
}

template <class T> void PutInSlot(std::vector<T*>& table, uint32_t index, T* object)
{
    if (index == table.size())
        table.push_back(object);
    else
        table[index] = object;
}

template <class T>
bool FreeSlot(std::vector<T*>& table, std::vector<uint32_t>& liveIndices, std::deque<uint32_t>& freeIndices, T* object)
{
    for (size_t i = 0; i < liveIndices.size(); ++i) {
        uint32_t index = liveIndices[i];
        if (table[index] != object)
            continue;
        table[index] = nullptr;
        freeIndices.push_back(index);
        liveIndices.erase(liveIndices.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    return false;
}

} // namespace

// --- buffers ----------------------------------------------------------------

SoundBufferManager::SoundBufferManager() : staging(new uint8_t[SoundBuffer::kRingSize]()) {}

SoundBufferManager::~SoundBufferManager()
{
    freeIndices.clear();
    for (uint32_t index : liveIndices) {
        delete buffers[index];
        buffers[index] = nullptr;
    }
    liveIndices.clear();
    delete[] staging;
}

SoundBuffer* SoundBufferManager::AcquireBuffer(const std::string& fileName, bool resident)
{
    SoundSystem* system = SoundSystem::Instance();
    if (!system)
        return nullptr;
    std::string key = ToLowerCopy(fileName);
    SoundBuffer* source = nullptr;
    for (uint32_t index : liveIndices) {
        if (buffers[index]->GetName() == key) {
            if (!buffers[index]->IsStreamed())
                source = buffers[index];
            break;
        }
    }
    SoundBuffer* buffer = source ? system->CreateSoundBufferCopy(*source, staging)
                                 : system->CreateSoundBuffer(fileName, staging, resident);
    if (!buffer)
        return nullptr;
    uint32_t index = TakeSlot(freeIndices, static_cast<uint32_t>(buffers.size()));
    liveIndices.push_back(index);
    PutInSlot(buffers, index, buffer);
    return buffer;
}

void SoundBufferManager::ReleaseBuffer(SoundBuffer* buffer)
{
    if (buffer && FreeSlot(buffers, liveIndices, freeIndices, buffer))
        delete buffer;
}

void SoundBufferManager::Update()
{
    for (uint32_t index : liveIndices)
        buffers[index]->Update();
}

// --- sounds -----------------------------------------------------------------

SoundManager::SoundManager()
{
    SoundSystem* system = SoundSystem::Instance();
    // Without a device there is nothing to hand buffers to; the engine catches
    // this and runs without sound.
    if (!system)
        throw Error("");
    bufferManager = new SoundBufferManager();
    system->SetBufferManager(bufferManager);
}

SoundManager::~SoundManager()
{
    DeleteAll(requests);
    freeIndices.clear();
    for (uint32_t index : liveIndices) {
        delete sounds[index];
        sounds[index] = nullptr;
    }
    liveIndices.clear();
    if (SoundSystem* system = SoundSystem::Instance())
        if (system->GetBufferManager() == bufferManager)
            system->SetBufferManager(nullptr);
    delete bufferManager;
    ResetInstance(this);
}

Sound* SoundManager::CreateSound(const std::string& fileName, bool resident, const std::string&)
{
    SoundSystem* system = SoundSystem::Instance();
    if (!system)
        return nullptr;
    Sound* sound = system->CreateSound(fileName, resident);
    if (!sound)
        return nullptr;
    uint32_t index = TakeSlot(freeIndices, slotCount);
    if (index == slotCount)
        ++slotCount;
    liveIndices.push_back(index);
    PutInSlot(sounds, index, sound);
    return sound;
}

void SoundManager::DeleteSound(Sound* sound)
{
    if (!sound || !FreeSlot(sounds, liveIndices, freeIndices, sound))
        return;
    // A request left behind would reach a deleted sound at the next Update.
    for (auto it = requests.begin(); it != requests.end();) {
        if ((*it)->sound == sound) {
            delete *it;
            it = requests.erase(it);
        } else {
            ++it;
        }
    }
    delete sound;
}

int32_t SoundManager::GetSlot(const Sound* sound) const
{
    for (uint32_t index : liveIndices)
        if (sounds[index] == sound)
            return static_cast<int32_t>(index);
    return -1;
}

void SoundManager::PlaySound(Sound* sound, bool now)
{
    if (now)
        Execute(SoundRequest::kPlay, sound);
    else
        requests.push_back(new SoundRequest{SoundRequest::kPlay, sound});
}

void SoundManager::PauseSound(Sound* sound, bool now)
{
    if (now)
        Execute(SoundRequest::kPause, sound);
    else
        requests.push_back(new SoundRequest{SoundRequest::kPause, sound});
}

void SoundManager::StopSound(Sound* sound, bool now)
{
    if (now)
        Execute(SoundRequest::kStop, sound);
    else
        requests.push_back(new SoundRequest{SoundRequest::kStop, sound});
}

void SoundManager::Execute(int32_t command, Sound* sound)
{
    if (!sound)
        return;
    switch (command) {
    case SoundRequest::kPlay: PlayNow(sound); break;
    case SoundRequest::kPause: sound->Pause(); break;
    case SoundRequest::kStop: sound->Stop(); break;
    default: break;
    }
}

void SoundManager::PlayNow(Sound* sound)
{
    if (sound->Play())
        return;
    // The device could not take it: stop one other sound that is not music
    // (looping sounds are never given up) to free its device buffer, and try
    // once more.
    for (uint32_t index : liveIndices) {
        Sound* other = sounds[index];
        if (other == sound || other->GetState() == Sound::kStopped || other->GetLoop())
            continue;
        other->Stop();
        sound->Play();
        return;
    }
}

void SoundManager::Update(bool runRequests)
{
    if (runRequests) {
        // A request may queue another; run only the ones made before this Update.
        std::vector<SoundRequest*> pending;
        pending.swap(requests);
        for (SoundRequest* request : pending)
            Execute(request->command, request->sound);
        DeleteAll(pending);
    }
    for (uint32_t index : liveIndices)
        sounds[index]->Refresh();
    bufferManager->Update();
}

} // namespace KorvaneEngine

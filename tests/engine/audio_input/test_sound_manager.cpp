// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include <memory>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundBuffer.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundSystem.h"
#include "engine/audio_input/ds7/SoundBuffer_DS7.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/audio_input/ds7/Sound_DS7.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/StringUtils.h"

using namespace KorvaneEngine;
using namespace SoundTest;

namespace {

::testing::Environment* const services = ::testing::AddGlobalTestEnvironment(new Services(true));

// A device with room for a fixed number of playing sounds, so that the
// manager's second try can be watched. It records what happens, in order.
struct FakeDevice {
    int capacity = 100;
    int inUse = 0;
    std::vector<std::string> events;
    int refreshes = 0;
    int bufferUpdates = 0;
};

class FakeBuffer : public SoundBuffer {
public:
    FakeBuffer(FakeDevice& d, const std::string& name, uint8_t* staging, bool resident)
        : SoundBuffer(name, staging, resident), device(d)
    {
        Load(nullptr);
    }
    FakeBuffer(FakeDevice& d, const FakeBuffer& source, uint8_t* staging)
        : SoundBuffer(source, staging), device(d), copyOf(&source)
    {
        Load(const_cast<FakeBuffer*>(&source));
    }
    ~FakeBuffer() override { Unload(); }
    void Update() override { ++device.bufferUpdates; }
    void CreateBuffer(SoundBuffer*) override {}
    void ReleaseBuffer() override {}
    bool WriteData(uint32_t, uint32_t) override { return true; }
    void QueueBuffer(uint32_t) override {}
    void UnqueueProcessedBuffers(std::vector<uint32_t>*) override {}

    FakeDevice& device;
    const FakeBuffer* copyOf = nullptr;
};

class FakeSound : public Sound {
public:
    FakeSound(FakeDevice& d, SoundBufferManager* m, const std::string& name, bool resident)
        : Sound(m, name, resident), device(d)
    {
    }
    ~FakeSound() override
    {
        if (holds)
            --device.inUse;
    }
    void Refresh() override { ++device.refreshes; }
    bool Play() override
    {
        if (!holds) {
            if (device.inUse >= device.capacity) {
                device.events.push_back("refused " + name);
                return false;
            }
            ++device.inUse;
            holds = true;
        }
        state = kPlaying;
        device.events.push_back("play " + name);
        return true;
    }
    void Pause() override
    {
        state = kPaused;
        device.events.push_back("pause " + name);
    }
    void Stop() override
    {
        if (holds)
            --device.inUse;
        holds = false;
        state = kStopped;
        device.events.push_back("stop " + name);
    }
    int32_t GetState() override { return state; }

    FakeDevice& device;
    bool holds = false;
    int32_t state = kStopped;
};

class FakeSystem : public SoundSystem {
public:
    explicit FakeSystem(FakeDevice& d) : SoundSystem(false), device(d) {}
    Sound* CreateSound(const std::string& name, bool resident) override
    {
        return new FakeSound(device, bufferManager, name, resident);
    }
    Sound* CloneSound(const Sound&) override { return nullptr; }
    SoundBuffer* CreateSoundBuffer(const std::string& name, uint8_t* staging, bool resident) override
    {
        return new FakeBuffer(device, name, staging, resident);
    }
    SoundBuffer* CreateSoundBufferCopy(const SoundBuffer& source, uint8_t* staging) override
    {
        return new FakeBuffer(device, static_cast<const FakeBuffer&>(source), staging);
    }
    FakeDevice& device;
};

class SoundManagerLogic : public ::testing::Test {
protected:
    void SetUp() override
    {
        system.reset(new FakeSystem(device));
        SoundSystem::Instance(system.get());
        manager.reset(new SoundManager());
        effect = WriteSoundFile("effect.wav", MakeWav(1, 22050, 16, Bytes(1000, 0)));
        music = WriteSoundFile("music.wav", MakeWav(2, 44100, 16, Bytes(SoundBuffer::kRingSize + 4, 0)));
    }
    void TearDown() override
    {
        manager.reset();
        system.reset();
    }
    FakeSound* Create(const std::string& file) { return static_cast<FakeSound*>(manager->CreateSound(file, false, "")); }

    FakeDevice device;
    std::unique_ptr<FakeSystem> system;
    std::unique_ptr<SoundManager> manager;
    std::string effect, music;
};

} // namespace

TEST_F(SoundManagerLogic, SlotsAreReusedOldestFreedFirst)
{
    EXPECT_EQ(system->GetBufferManager(), manager->GetBufferManager());
    Sound* a = Create(effect);
    Sound* b = Create(effect);
    Sound* c = Create(effect);
    EXPECT_EQ(manager->GetSlot(b), 1);
    manager->DeleteSound(b);
    Sound* d = Create(effect);
    EXPECT_EQ(manager->GetSlot(d), 1);
    ASSERT_EQ(manager->GetSoundCount(), 3u);
    EXPECT_EQ(manager->GetSound(0), a);
    EXPECT_EQ(manager->GetSound(1), c);
    EXPECT_EQ(manager->GetSound(2), d);
    EXPECT_EQ(manager->GetSound(3), nullptr);
    manager->DeleteSound(a);
    manager->DeleteSound(c);
    Sound* e = Create(effect);
    Sound* f = Create(effect);
    EXPECT_EQ(manager->GetSlot(e), 0);
    EXPECT_EQ(manager->GetSlot(f), 2);
    Sound* g = Create(effect);
    EXPECT_EQ(manager->GetSlot(g), 3);
    EXPECT_EQ(manager->GetSound(0), d);
    EXPECT_EQ(manager->GetSoundCount(), 4u);
    // Null, unknown and already deleted sounds are ignored.
    manager->DeleteSound(nullptr);
    FakeSound stranger(device, manager->GetBufferManager(), effect, false);
    manager->DeleteSound(&stranger);
    EXPECT_EQ(manager->GetSoundCount(), 4u);
    EXPECT_EQ(manager->GetBufferManager()->GetBufferCount(), 5u);
}

TEST_F(SoundManagerLogic, RequestsRunAtTheNextUpdateInOrder)
{
    FakeSound* a = Create(effect);
    FakeSound* b = Create(effect);
    manager->PlaySound(a, false);
    manager->StopSound(a, false);
    manager->PlaySound(b, false);
    manager->PauseSound(b, false);
    EXPECT_TRUE(device.events.empty());
    EXPECT_EQ(manager->GetRequestCount(), 4u);
    manager->Update(false);
    EXPECT_TRUE(device.events.empty());
    EXPECT_EQ(device.refreshes, 2);
    EXPECT_EQ(device.bufferUpdates, 2);
    manager->Update(true);
    std::vector<std::string> expected = {"play " + effect, "stop " + effect, "play " + effect, "pause " + effect};
    EXPECT_EQ(device.events, expected);
    EXPECT_EQ(a->GetState(), Sound::kStopped);
    EXPECT_EQ(b->GetState(), Sound::kPaused);
    EXPECT_EQ(manager->GetRequestCount(), 0u);
    EXPECT_EQ(device.refreshes, 4);
    // At once: no request is kept.
    manager->PlaySound(a, true);
    EXPECT_EQ(a->GetState(), Sound::kPlaying);
    manager->PauseSound(a, true);
    EXPECT_EQ(a->GetState(), Sound::kPaused);
    manager->StopSound(a, true);
    EXPECT_EQ(a->GetState(), Sound::kStopped);
    EXPECT_EQ(manager->GetRequestCount(), 0u);
}

TEST_F(SoundManagerLogic, DeletingASoundDropsItsRequests)
{
    FakeSound* a = Create(effect);
    FakeSound* b = Create(effect);
    manager->PlaySound(a, false);
    manager->PlaySound(b, false);
    manager->StopSound(a, false);
    manager->DeleteSound(a);
    EXPECT_EQ(manager->GetRequestCount(), 1u);
    manager->Update(true);
    EXPECT_EQ(device.events, std::vector<std::string>{"play " + effect});
    EXPECT_EQ(b->GetState(), Sound::kPlaying);
}

TEST_F(SoundManagerLogic, AFailedPlayStopsOneOtherSoundButNeverMusic)
{
    device.capacity = 2;
    FakeSound* theme = Create(music);
    theme->SetLoop(true);
    FakeSound* first = Create(effect);
    FakeSound* second = Create(effect);
    manager->PlaySound(theme, true);
    manager->PlaySound(first, true);
    device.events.clear();
    manager->PlaySound(second, true);
    std::vector<std::string> expected = {"refused " + effect, "stop " + effect, "play " + effect};
    EXPECT_EQ(device.events, expected);
    EXPECT_EQ(theme->GetState(), Sound::kPlaying);
    EXPECT_EQ(first->GetState(), Sound::kStopped);
    EXPECT_EQ(second->GetState(), Sound::kPlaying);

    // With only the music to give up, the play is given up instead.
    manager->StopSound(second, true);
    device.capacity = 1;
    device.events.clear();
    manager->PlaySound(first, true);
    EXPECT_EQ(device.events, std::vector<std::string>{"refused " + effect});
    EXPECT_EQ(theme->GetState(), Sound::kPlaying);
    EXPECT_EQ(first->GetState(), Sound::kStopped);

    // Queued plays take the same second try.
    device.capacity = 2;
    manager->PlaySound(second, true);
    device.events.clear();
    manager->PlaySound(first, false);
    manager->Update(true);
    expected = {"refused " + effect, "stop " + effect, "play " + effect};
    EXPECT_EQ(device.events, expected);
}

TEST_F(SoundManagerLogic, StaticBuffersOfOneFileAreCopiesStreamsNever)
{
    Sound* a = Create(effect);
    Sound* b = manager->CreateSound(ToLowerCopy(effect), true);
    Sound* m1 = Create(music);
    Sound* m2 = Create(music);
    FakeBuffer* ba = static_cast<FakeBuffer*>(a->GetBuffer());
    FakeBuffer* bb = static_cast<FakeBuffer*>(b->GetBuffer());
    EXPECT_EQ(ba->copyOf, nullptr);
    EXPECT_EQ(bb->copyOf, ba);
    EXPECT_FALSE(bb->IsResident()); // a copy takes its source's residency
    EXPECT_EQ(static_cast<FakeBuffer*>(m1->GetBuffer())->copyOf, nullptr);
    EXPECT_EQ(static_cast<FakeBuffer*>(m2->GetBuffer())->copyOf, nullptr);
    EXPECT_NE(m1->GetBuffer(), m2->GetBuffer());
    SoundBufferManager* buffers = manager->GetBufferManager();
    EXPECT_EQ(buffers->GetBufferCount(), 4u);
    manager->DeleteSound(a);
    EXPECT_EQ(buffers->GetBufferCount(), 3u);
    EXPECT_EQ(buffers->GetBuffer(0), bb);
    // A new sound of that file now copies the remaining buffer.
    Sound* c = Create(effect);
    EXPECT_EQ(static_cast<FakeBuffer*>(c->GetBuffer())->copyOf, bb);
    buffers->ReleaseBuffer(nullptr);
    EXPECT_EQ(buffers->GetBufferCount(), 4u);
}

TEST(SoundManagerSetUp, NeedsASoundSystem)
{
    ASSERT_EQ(SoundSystem::Instance(), nullptr);
    bool thrown = false;
    try {
        SoundManager manager;
    } catch (const Error&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
}

// --- over DirectSound ------------------------------------------------------------

class SoundManagerDS7 : public ::testing::Test {
protected:
    void SetUp() override
    {
        system.reset(new SoundSystem_DS7(false));
        SoundSystem::Instance(system.get());
        manager.reset(new SoundManager());
        SoundManager::Instance(manager.get());
        ClearLog();
    }
    void TearDown() override
    {
        manager.reset();
        system.reset();
        EXPECT_EQ(SoundManager::Instance(), nullptr);
    }
    std::unique_ptr<SoundSystem_DS7> system;
    std::unique_ptr<SoundManager> manager;
};

TEST_F(SoundManagerDS7, CopiesShareDeviceMemoryAndOutliveTheirSource)
{
    Bytes pcm = Pcm16(Sine16(440, 22050, 2205, 0.5));
    std::string file = WriteSoundFile("shared.wav", MakeWav(1, 22050, 16, pcm));
    Sound_DS7* first = static_cast<Sound_DS7*>(manager->CreateSound(file, true));
    Sound_DS7* second = static_cast<Sound_DS7*>(manager->CreateSound(file, true));
    IDirectSoundBuffer* a = first->GetBufferDS7()->GetDeviceBuffer();
    IDirectSoundBuffer* b = second->GetBufferDS7()->GetDeviceBuffer();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    // What is written through one is read through the other.
    void *p1 = nullptr, *p2 = nullptr;
    DWORD l1 = 0, l2 = 0;
    ASSERT_EQ(a->Lock(0, 4, &p1, &l1, &p2, &l2, 0), DS_OK);
    std::memcpy(p1, "\x11\x22\x33\x44", 4);
    a->Unlock(p1, l1, p2, l2);
    ASSERT_EQ(b->Lock(0, 4, &p1, &l1, &p2, &l2, 0), DS_OK);
    EXPECT_EQ(std::memcmp(p1, "\x11\x22\x33\x44", 4), 0);
    b->Unlock(p1, l1, p2, l2);
    // Each keeps its own volume.
    second->SetVolume(0.5f);
    LONG va = 0, vb = 0;
    a->GetVolume(&va);
    b->GetVolume(&vb);
    EXPECT_EQ(va, 0);
    EXPECT_EQ(vb, -693);

    manager->DeleteSound(first);
    manager->PlaySound(second, true);
    EXPECT_EQ(second->GetState(), Sound::kPlaying);
    EXPECT_TRUE(second->GetBufferDS7()->IsPlaying());
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(SoundManagerDS7, QueuedPlayThenStopEndsStopped)
{
    std::string file = WriteSoundFile("queued.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 22050, 0.5))));
    Sound* s = manager->CreateSound(file, false);
    manager->PlaySound(s, false);
    manager->StopSound(s, false);
    manager->Update(true);
    EXPECT_EQ(s->GetState(), Sound::kStopped);
    EXPECT_EQ(static_cast<Sound_DS7*>(s)->GetBufferDS7()->GetDeviceBuffer(), nullptr);
    // The manager's destructor deletes what is still registered.
    manager->CreateSound(file, true);
    EXPECT_EQ(manager->GetSoundCount(), 2u);
}

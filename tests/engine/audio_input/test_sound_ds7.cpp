// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include <functional>
#include <memory>

#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/ds7/SoundBuffer_DS7.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/foundation/StringUtils.h"
#include "engine/audio_input/ds7/Sound_DS7.h"
#include "engine/foundation/TimerManager.h"

using namespace KorvaneEngine;
using namespace SoundTest;

namespace {

::testing::Environment* const services = ::testing::AddGlobalTestEnvironment(new Services(true));

const uint32_t B = SoundBuffer::kBlockSize;
const uint32_t R = SoundBuffer::kRingSize;

// The sound system and a buffer manager, as the engine sets them up.
class DirectSound : public ::testing::Test {
protected:
    void Make(bool use3D)
    {
        ClearLog();
        system.reset(new SoundSystem_DS7(use3D));
        SoundSystem::Instance(system.get());
        buffers.reset(new SoundBufferManager());
        system->SetBufferManager(buffers.get());
    }
    void SetUp() override { Make(true); }
    void TearDown() override
    {
        buffers.reset();
        system.reset();
    }

    std::unique_ptr<Sound_DS7> NewSound(const std::string& file, bool resident)
    {
        return std::unique_ptr<Sound_DS7>(static_cast<Sound_DS7*>(system->CreateSound(file, resident)));
    }

    static DWORD Flags(IDirectSoundBuffer* b)
    {
        DSBCAPS caps = {};
        caps.dwSize = sizeof caps;
        EXPECT_EQ(b->GetCaps(&caps), DS_OK);
        return caps.dwFlags & (DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRL3D | DSBCAPS_STATIC);
    }
    static DWORD Size(IDirectSoundBuffer* b)
    {
        DSBCAPS caps = {};
        caps.dwSize = sizeof caps;
        b->GetCaps(&caps);
        return caps.dwBufferBytes;
    }
    static std::vector<uint8_t> Contents(IDirectSoundBuffer* b, uint32_t offset, uint32_t size)
    {
        void *p1 = nullptr, *p2 = nullptr;
        DWORD l1 = 0, l2 = 0;
        std::vector<uint8_t> out;
        if (FAILED(b->Lock(offset, size, &p1, &l1, &p2, &l2, 0)))
            return out;
        out.assign(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + l1);
        if (p2)
            out.insert(out.end(), static_cast<uint8_t*>(p2), static_cast<uint8_t*>(p2) + l2);
        b->Unlock(p1, l1, p2, l2);
        return out;
    }
    static void Scribble(IDirectSoundBuffer* b, uint32_t size)
    {
        void *p1 = nullptr, *p2 = nullptr;
        DWORD l1 = 0, l2 = 0;
        ASSERT_EQ(b->Lock(0, size, &p1, &l1, &p2, &l2, 0), DS_OK);
        std::memset(p1, 0x5A, l1);
        b->Unlock(p1, l1, p2, l2);
    }

    std::unique_ptr<SoundSystem_DS7> system;
    std::unique_ptr<SoundBufferManager> buffers;
};

Bytes Pattern(uint32_t size)
{
    Bytes b(size);
    for (uint32_t i = 0; i < size; ++i)
        b[i] = static_cast<unsigned char>((i * 7 + i / 251) & 255);
    return b;
}

// Polls done against a deadline in seconds.
bool WaitUntil(const std::function<bool()>& done, double seconds)
{
    for (const DWORD start = GetTickCount(); !done(); Sleep(5))
        if (GetTickCount() - start > seconds * 1000)
            return false;
    return true;
}

} // namespace

TEST_F(DirectSound, SetsUpDeviceListenerAndPrimaryBuffer)
{
    std::vector<std::string> expected = {"\nInitialization of DirectSound Subsystem:\n", "...Creating a device...\n",
        "...Set cooperative level...\n", "...Create primary buffer...\n", "...Set primary buffer format...\n",
        "...Get the 3D listener from the primary buffer...\n", "\n"};
    MessageManager* log = MessageManager::Instance();
    ASSERT_EQ(log->GetHistorySize(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(log->GetHistoryRecord(static_cast<int>(i))->text, expected[i]);
        EXPECT_EQ(log->GetHistoryRecord(static_cast<int>(i))->level, 0u);
    }
    ASSERT_NE(system->GetDevice(), nullptr);
    ASSERT_NE(system->GetPrimaryBuffer(), nullptr);
    ASSERT_NE(system->GetListener(), nullptr);
    EXPECT_TRUE(system->Uses3D());
    EXPECT_EQ(Flags(system->GetPrimaryBuffer()) & DSBCAPS_CTRL3D, static_cast<DWORD>(DSBCAPS_CTRL3D));
    WAVEFORMATEX format = {};
    ASSERT_EQ(system->GetPrimaryBuffer()->GetFormat(&format, sizeof format, nullptr), DS_OK);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.nSamplesPerSec, 22050u);
    EXPECT_EQ(format.wBitsPerSample, 16);

    // The listener starts at the origin facing -z, and moves once committed.
    system->Refresh();
    D3DVECTOR p, front, up;
    system->GetListener()->GetPosition(&p);
    system->GetListener()->GetOrientation(&front, &up);
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_EQ(front.z, -1.0f);
    EXPECT_EQ(up.y, 1.0f);
    EXPECT_EQ(system->GetListenerFront().z, -1.0f);
    EXPECT_EQ(system->GetListenerUp().y, 1.0f);
    system->SetListenerPosition(Vector3(1, 2, 3));
    system->SetListenerOrientation(Vector3(1, 0, 0), Vector3(0, 0, 1));
    system->Refresh();
    system->GetListener()->GetPosition(&p);
    system->GetListener()->GetOrientation(&front, &up);
    EXPECT_EQ(p.y, 2.0f);
    EXPECT_EQ(front.x, 1.0f);
    EXPECT_EQ(up.z, 1.0f);
    system->ResetListener();
    EXPECT_EQ(system->GetListenerPosition().x, 0.0f);
    EXPECT_EQ(system->GetListenerFront().z, -1.0f);
    EXPECT_EQ(LogCount(3), 0);

    ClearLog();
    buffers.reset();
    system.reset();
    std::vector<std::string> down = {"DirectSound system destroying:\n", "...Releasing 3D listener...\n",
        "...Releasing primary buffer...\n", "...Releasing device...\n"};
    ASSERT_EQ(log->GetHistorySize(), static_cast<int>(down.size()));
    for (size_t i = 0; i < down.size(); ++i)
        EXPECT_EQ(log->GetHistoryRecord(static_cast<int>(i))->text, down[i]);
    EXPECT_EQ(SoundSystem::Instance(), nullptr);
}

TEST_F(DirectSound, VolumeInHundredthsOfADecibel)
{
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(0.0f), -10000);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(0.00005f), -10000);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(0.0001f), -9210);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(1.0f), 0);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(0.5f), -693);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(0.1f), -2302);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(-1.0f), -10000);
    // Above 1 the device would refuse the value: it is full volume.
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(2.0f), 0);
    EXPECT_EQ(SoundSystem_DS7::VolumeToAttenuation(std::nanf("")), -10000);

    auto sound = NewSound(WriteSoundFile("volume.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 2000, 0.5)))), true);
    IDirectSoundBuffer* b = sound->GetBufferDS7()->GetDeviceBuffer();
    ASSERT_NE(b, nullptr);
    LONG volume = 1;
    b->GetVolume(&volume);
    EXPECT_EQ(volume, 0);
    sound->SetVolume(0.5f);
    b->GetVolume(&volume);
    EXPECT_EQ(volume, -693);
    EXPECT_EQ(sound->GetVolume(), 0.5f);
    sound->SetTempo(2.0f);
    DWORD frequency = 0;
    b->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 44100u);
    sound->SetTempo(-3.0f); // kept inside the device's range instead of wrapping
    b->GetFrequency(&frequency);
    EXPECT_EQ(frequency, static_cast<DWORD>(DSBFREQUENCY_MIN));
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(DirectSound, CheckResultLogsFailuresOnly)
{
    EXPECT_TRUE(SoundSystem_DS7::CheckResult("X::Y", DS_OK));
    EXPECT_TRUE(SoundSystem_DS7::CheckResult("X::Y", S_FALSE));
    EXPECT_EQ(LogCount(3), 0);
    EXPECT_FALSE(SoundSystem_DS7::CheckResult("SoundBuffer_DS7::Play", DSERR_INVALIDPARAM));
    EXPECT_EQ(LogCount("DirectSound Subsystem (SoundBuffer_DS7::Play): An invalid parameter was passed to the "
                       "returning function."),
        1);
    EXPECT_FALSE(SoundSystem_DS7::CheckResult("A", static_cast<HRESULT>(0x80001234)));
    EXPECT_EQ(LogCount("DirectSound Subsystem (A): Unknown error (Code: -2147478988)"), 1);
    EXPECT_EQ(LogCount(3), 2);
    EXPECT_EQ(SoundSystem_DS7::DescribeResult(DSERR_NODRIVER), "No sound driver is available for use.");
}

TEST_F(DirectSound, BufferFlagsFollowChannelsAnd3D)
{
    std::string mono = WriteSoundFile("mono.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 1000, 0.5))));
    std::string stereo = WriteSoundFile("stereo.wav", MakeWav(2, 22050, 16, Pcm16(Sine16(440, 22050, 1000, 0.5, 2))));
    std::string monoStream = WriteSoundFile("monostream.wav", MakeWav(1, 22050, 16, Bytes(R + 2, 0)));
    std::string stereoStream = WriteSoundFile("stereostream.wav", MakeWav(2, 22050, 16, Bytes(R + 4, 0)));
    for (bool use3D : {true, false}) {
        Make(use3D);
        auto a = NewSound(mono, true);
        auto b = NewSound(stereo, true);
        auto c = NewSound(monoStream, true);
        auto d = NewSound(stereoStream, false);
        EXPECT_EQ(Flags(a->GetBufferDS7()->GetDeviceBuffer()), use3D ? 0xB2u : 0xA2u);
        EXPECT_EQ(a->GetBufferDS7()->Get3DBuffer() != nullptr, use3D);
        EXPECT_EQ(Flags(b->GetBufferDS7()->GetDeviceBuffer()), 0xA2u);
        EXPECT_EQ(b->GetBufferDS7()->Get3DBuffer(), nullptr);
        EXPECT_EQ(Size(a->GetBufferDS7()->GetDeviceBuffer()), 2000u);
        // Streams get their device buffer, the whole ring, when they play.
        EXPECT_EQ(c->GetBufferDS7()->GetDeviceBuffer(), nullptr);
        ASSERT_TRUE(c->Play());
        ASSERT_TRUE(d->Play());
        EXPECT_EQ(Flags(c->GetBufferDS7()->GetDeviceBuffer()), use3D ? 0xB0u : 0xA0u);
        EXPECT_EQ(Flags(d->GetBufferDS7()->GetDeviceBuffer()), 0xA0u);
        EXPECT_EQ(Size(c->GetBufferDS7()->GetDeviceBuffer()), R);
        // The static sound holds the file's samples.
        EXPECT_EQ(Contents(a->GetBufferDS7()->GetDeviceBuffer(), 0, 2000), Pcm16(Sine16(440, 22050, 1000, 0.5)));
        if (use3D) {
            a->SetPosition(Vector3(4, 5, 6));
            system->Refresh();
            D3DVECTOR p;
            a->GetBufferDS7()->Get3DBuffer()->GetPosition(&p);
            EXPECT_EQ(p.x, 4.0f);
            EXPECT_EQ(p.z, 6.0f);
        }
        EXPECT_EQ(LogCount(3), 0);
    }
}

TEST_F(DirectSound, NewSoundsStartStoppedWithDefaults)
{
    std::string file = WriteSoundFile("defaults.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 1000, 0.5))));
    auto a = NewSound(file, true);
    auto b = NewSound(file, true);
    EXPECT_EQ(a->GetState(), Sound::kStopped);
    EXPECT_EQ(a->GetVolume(), 1.0f);
    EXPECT_EQ(a->GetTempo(), 1.0f);
    EXPECT_FALSE(a->GetLoop());
    EXPECT_EQ(a->GetPosition().x, 0.0f);
    EXPECT_EQ(a->GetName(), file);
    EXPECT_NE(a->GetBuffer(), b->GetBuffer());
    EXPECT_EQ(buffers->GetBufferCount(), 2u);
    // A clone keeps the settings and gets a resident buffer of its own.
    a->SetLoop(true);
    a->SetVolume(0.25f);
    std::unique_ptr<Sound> clone(system->CloneSound(*a));
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->GetLoop());
    EXPECT_EQ(clone->GetVolume(), 0.25f);
    EXPECT_EQ(clone->GetState(), Sound::kStopped);
    EXPECT_NE(clone->GetBuffer(), a->GetBuffer());
    EXPECT_TRUE(clone->GetBuffer()->IsResident());
    EXPECT_EQ(buffers->GetBufferCount(), 3u);
    clone.reset();
    EXPECT_EQ(buffers->GetBufferCount(), 2u);
}

TEST_F(DirectSound, NonResidentSoundsHoldDeviceMemoryOnlyWhilePlaying)
{
    auto s = NewSound(WriteSoundFile("nonresident.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 4000, 0.5)))), false);
    SoundBuffer_DS7* b = s->GetBufferDS7();
    EXPECT_EQ(b->GetDeviceBuffer(), nullptr);
    s->SetVolume(0.5f);
    ASSERT_TRUE(s->Play());
    EXPECT_EQ(s->GetState(), Sound::kPlaying);
    ASSERT_NE(b->GetDeviceBuffer(), nullptr);
    LONG volume = 0;
    b->GetDeviceBuffer()->GetVolume(&volume);
    EXPECT_EQ(volume, -693); // the stored volume reaches a buffer made later
    EXPECT_EQ(Contents(b->GetDeviceBuffer(), 0, 8000), Pcm16(Sine16(440, 22050, 4000, 0.5)));
    s->Pause();
    EXPECT_EQ(s->GetState(), Sound::kPaused);
    EXPECT_NE(b->GetDeviceBuffer(), nullptr);
    s->Stop();
    EXPECT_EQ(s->GetState(), Sound::kStopped);
    EXPECT_EQ(b->GetDeviceBuffer(), nullptr);
}

TEST_F(DirectSound, StaticSoundsEndLoopAndKeepTheirPlace)
{
    // Two seconds: long enough to look at it playing.
    auto s = NewSound(WriteSoundFile("twosec.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 44100, 0.5)))), true);
    IDirectSoundBuffer* b = s->GetBufferDS7()->GetDeviceBuffer();
    ASSERT_TRUE(s->Play());
    // Idle: 0.1 s.
    ASSERT_TRUE(WaitUntil([&] {
        DWORD play = 0, write = 0;
        b->GetCurrentPosition(&play, &write);
        return play > 4000;
    }, 3.0)) << "the buffer does not play";
    DWORD before = 0, write = 0, after = 0;
    b->GetCurrentPosition(&before, &write);
    ASSERT_GT(before, 0u);
    s->SetLoop(true);
    b->GetCurrentPosition(&after, &write);
    EXPECT_GE(after, before); // not started over
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_LOOPING);
    // Looping, it plays on past its end: the play position comes round to
    // the start again (idle: 1.9 s) and the buffer still plays.
    DWORD last = after;
    ASSERT_TRUE(WaitUntil([&] {
        DWORD play = 0, unused = 0;
        b->GetCurrentPosition(&play, &unused);
        const bool wrapped = play < last;
        last = play;
        return wrapped;
    }, 10.0)) << "the play position never came round";
    s->Refresh();
    EXPECT_EQ(s->GetState(), Sound::kPlaying);
    // Not looping, it ends (idle: 2 s at most), and the next refresh reports
    // it stopped.
    s->SetLoop(false);
    ASSERT_TRUE(WaitUntil([&] { return !s->GetBufferDS7()->IsPlaying(); }, 10.0)) << "it plays on";
    EXPECT_EQ(s->GetState(), Sound::kPlaying);
    s->Refresh();
    EXPECT_EQ(s->GetState(), Sound::kStopped);
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(DirectSound, RestoringAStaticBufferWritesItsSamplesAgain)
{
    Bytes pcm = Pcm16(Sine16(440, 22050, 3000, 0.5));
    auto s = NewSound(WriteSoundFile("restore.wav", MakeWav(1, 22050, 16, pcm)), true);
    IDirectSoundBuffer* b = s->GetBufferDS7()->GetDeviceBuffer();
    Scribble(b, 6000);
    EXPECT_NE(Contents(b, 0, 6000), pcm);
    EXPECT_TRUE(s->GetBufferDS7()->Restore());
    EXPECT_EQ(s->GetBufferDS7()->GetDeviceBuffer(), b);
    EXPECT_EQ(Contents(b, 0, 6000), pcm);
    EXPECT_FALSE(s->GetBufferDS7()->IsLost());
}

// The stream's clock is its timer: stepping the timer by hand walks the ring.
// Positions stay clear of block ends by more than the timer's millisecond.
class StreamClock : public DirectSound {
protected:
    static constexpr double kBytesPerSecond = 96000.0 * 4;

    // The sound gives its buffer back to the manager, so it goes first.
    void TearDown() override
    {
        sound.reset();
        DirectSound::TearDown();
    }

    void Start(uint32_t size, bool loop)
    {
        data = Pattern(size);
        sound = NewSound(WriteSoundFile("clock.wav", MakeWav(2, 96000, 16, data)), false);
        buffer = sound->GetBufferDS7();
        ASSERT_TRUE(buffer->IsStreamed());
        sound->SetLoop(loop);
        ASSERT_TRUE(sound->Play());
        At(0);
    }
    // Freezes the stream timer at the time of a play position in bytes.
    void At(double bytes)
    {
        buffer->GetStreamTimer()->SetTime(static_cast<float>(bytes / kBytesPerSecond));
        buffer->GetStreamTimer()->SetPaused(true);
    }
    std::vector<uint32_t> Played(double bytes)
    {
        At(bytes);
        std::vector<uint32_t> list;
        buffer->UnqueueProcessedBuffers(&list);
        return list;
    }
    std::vector<uint8_t> Slice(uint32_t from, uint32_t count)
    {
        std::vector<uint8_t> s(count, 0);
        for (uint32_t i = 0; i < count && from + i < data.size(); ++i)
            s[i] = data[from + i];
        return s;
    }

    Bytes data;
    std::unique_ptr<Sound_DS7> sound;
    SoundBuffer_DS7* buffer = nullptr;
};

TEST_F(StreamClock, HandsBackEachBlockOnceTwoBlocksBehind)
{
    Start(3 * R, true);
    EXPECT_EQ(Contents(buffer->GetDeviceBuffer(), 0, R), Slice(0, R));
    EXPECT_TRUE(Played(0.5 * B).empty());
    // A long first frame: the lagging position has passed block 0 only.
    EXPECT_EQ(Played(3.5 * B), (std::vector<uint32_t>{0}));
    EXPECT_EQ(Played(5 * B + 1000), (std::vector<uint32_t>{1, 2}));
    EXPECT_TRUE(Played(5.5 * B).empty());
    EXPECT_EQ(Played(6.1 * B), (std::vector<uint32_t>{3}));
    // Round the ring: the play position comes back below the ring size and the
    // timer is rebased within one lap.
    std::vector<uint32_t> lap = Played(R + 0.5 * B);
    std::vector<uint32_t> expected;
    for (uint32_t i = 4; i <= 21; ++i)
        expected.push_back(i);
    EXPECT_EQ(lap, expected);
    EXPECT_LT(buffer->GetStreamTimer()->GetTime(), R / kBytesPerSecond);
    // The timer counts milliseconds: 384 bytes each here.
    EXPECT_NEAR(static_cast<double>(buffer->GetBytesPlayed()), R + 0.5 * B, 800);
    EXPECT_EQ(Played(R + 2.7 * B), (std::vector<uint32_t>{22, 23}));
    EXPECT_EQ(Played(R + 3.1 * B), (std::vector<uint32_t>{0}));
}

TEST_F(StreamClock, RefillsFollowTheFileAndANonLoopingStreamStops)
{
    const uint32_t kSize = 700000;
    Start(kSize, false);
    // Walk the clock forward in steps of less than a block, refilling as the
    // engine does every frame, until the stream stops itself.
    double position = 0;
    uint64_t playedWhenStopped = 0;
    for (int step = 0; step < 400 && !buffer->IsFinished(); ++step) {
        position += 0.9 * B;
        At(position);
        uint64_t before = buffer->GetBytesPlayed();
        buffer->Update();
        if (buffer->IsFinished())
            playedWhenStopped = buffer->GetBytesPlayed();
        else
            EXPECT_LE(buffer->GetBytesPlayed(), kSize + B + 0u) << before;
        if (position > 9 * B && position < 10 * B) {
            // Blocks 0 to 3 now hold the file's second lap, block 4 its end and
            // silence, block 5 silence only.
            for (uint32_t i = 0; i < 6; ++i)
                EXPECT_EQ(Contents(buffer->GetDeviceBuffer(), i * B, B), Slice(R + i * B, B)) << i;
        }
    }
    ASSERT_TRUE(buffer->IsFinished());
    EXPECT_GT(playedWhenStopped, kSize + B + 0u);
    EXPECT_LE(playedWhenStopped, kSize + B + B + 0u);
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_EQ(buffer->GetStreamTimer()->GetTime(), 0.0f);
    EXPECT_EQ(sound->GetState(), Sound::kPlaying);
    sound->Refresh();
    EXPECT_EQ(sound->GetState(), Sound::kStopped);
    EXPECT_EQ(buffer->GetDeviceBuffer(), nullptr);

    // Played again, it starts from the beginning of the file.
    ASSERT_TRUE(sound->Play());
    EXPECT_FALSE(buffer->IsFinished());
    EXPECT_EQ(Contents(buffer->GetDeviceBuffer(), 0, R), Slice(0, R));
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(StreamClock, PauseHoldsThePlaceStopStartsOver)
{
    Start(2 * R, false);
    Played(3.5 * B);
    buffer->Update();
    sound->Pause();
    EXPECT_EQ(sound->GetState(), Sound::kPaused);
    EXPECT_EQ(buffer->GetStreamState(), SoundBuffer::kPaused);
    EXPECT_TRUE(buffer->GetStreamTimer()->IsPaused());
    uint64_t held = buffer->GetBytesPlayed();
    EXPECT_GT(held, 0u);
    ASSERT_TRUE(sound->Play());
    EXPECT_EQ(buffer->GetStreamState(), SoundBuffer::kPlaying);
    EXPECT_EQ(buffer->GetBytesPlayed(), held);
    EXPECT_FALSE(buffer->GetStreamTimer()->IsPaused());
    sound->Stop();
    EXPECT_EQ(buffer->GetBytesPlayed(), 0u);
    EXPECT_EQ(buffer->GetStreamState(), SoundBuffer::kStopped);
    EXPECT_EQ(buffer->GetDeviceBuffer(), nullptr);
    // Playing a playing stream starts it over too.
    ASSERT_TRUE(sound->Play());
    Played(5 * B);
    ASSERT_TRUE(sound->Play());
    EXPECT_EQ(buffer->GetBytesPlayed(), 0u);
    EXPECT_EQ(Contents(buffer->GetDeviceBuffer(), 0, R), Slice(0, R));
}

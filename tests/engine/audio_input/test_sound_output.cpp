// What the sound layer plays really reaches the sound device: ALSA's default
// device is a file for this test (see sound_tests.cmake), filled at the pace of
// a sound card with 44,100 Hz 16-bit stereo, and the test reads it back.
// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundBuffer.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/foundation/StringUtils.h"

using namespace KorvaneEngine;
using namespace SoundTest;

namespace {

::testing::Environment* const services = ::testing::AddGlobalTestEnvironment(new Services(true));

const double kRate = 44100;

struct Capture {
    std::vector<double> left, right;
    // The stretch that holds sound: first and last frame above the threshold.
    size_t begin = 0, end = 0;
    double Seconds() const { return (end - begin) / kRate; }
    std::vector<double> Part(const std::vector<double>& channel, double from, double length) const
    {
        size_t a = begin + static_cast<size_t>(from * kRate);
        size_t b = std::min(channel.size(), a + static_cast<size_t>(length * kRate));
        return a < b ? std::vector<double>(channel.begin() + a, channel.begin() + b) : std::vector<double>();
    }
};

// What was written to the capture file from the given offset on.
Capture ReadCapture(const std::string& path, uint64_t from, double threshold = 0.02)
{
    Capture c;
    Bytes all = TestSupport::ReadFileBytes(path);
    for (uint64_t i = from - from % 4; i + 4 <= all.size(); i += 4) {
        c.left.push_back(static_cast<int16_t>(all[i] | all[i + 1] << 8) / 32768.0);
        c.right.push_back(static_cast<int16_t>(all[i + 2] | all[i + 3] << 8) / 32768.0);
    }
    bool found = false;
    for (size_t i = 0; i < c.left.size(); ++i) {
        if (std::fabs(c.left[i]) > threshold || std::fabs(c.right[i]) > threshold) {
            if (!found)
                c.begin = i;
            found = true;
            c.end = i + 1;
        }
    }
    return c;
}

class SoundOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        system = new SoundSystem_DS7(false);
        SoundSystem::Instance(system);
        manager = new SoundManager();
        SoundManager::Instance(manager);
    }
    static void TearDownTestSuite()
    {
        delete manager;
        delete system;
    }
    void SetUp() override
    {
        capture = SoundTest::CapturePath();
        ASSERT_FALSE(capture.empty()) << "PELLORIA_SOUND_CAPTURE is not set: run this test through CTest";
        ClearLog();
    }

    // The engine's per-frame sound work, for a while or until done() holds.
    static double RunFrames(double seconds, const std::function<bool()>& done = nullptr)
    {
        DWORD start = GetTickCount();
        while ((GetTickCount() - start) < seconds * 1000) {
            TimerManager::Instance()->Update();
            system->Refresh();
            manager->Update(true);
            if (done && done())
                break;
            Sleep(10);
        }
        return (GetTickCount() - start) / 1000.0;
    }

    // Plays a sound through the manager to its end and returns what came out.
    Capture PlayAndCapture(Sound* sound, double longest, double* playedFor = nullptr, bool audible = true)
    {
        // Whatever an earlier sound left in the pipe has arrived by now.
        RunFrames(0.6);
        uint64_t mark = SoundTest::CaptureSize(capture);
        manager->PlaySound(sound, false);
        RunFrames(0.05);
        if (audible) {
            EXPECT_EQ(sound->GetState(), Sound::kPlaying);
        }
        double t = RunFrames(longest, [&] { return sound->GetState() == Sound::kStopped; });
        if (playedFor)
            *playedFor = t;
        EXPECT_EQ(sound->GetState(), Sound::kStopped);
        // The device and the pipe behind it hold a little sound still.
        RunFrames(1.0);
        EXPECT_GT(SoundTest::CaptureSize(capture), mark);
        return ReadCapture(capture, mark);
    }

    std::string capture;
    static inline SoundSystem_DS7* system = nullptr;
    static inline SoundManager* manager = nullptr;
};

} // namespace

TEST_F(SoundOutput, ToneReachesTheDeviceAtItsPitchAndLevel)
{
    // One second of 440 Hz at half of full scale, 22,050 Hz mono, from a WAV.
    std::string file = WriteSoundFile("a440.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 22050, 0.5))));
    Sound* tone = manager->CreateSound(file, true, "");
    ASSERT_NE(tone, nullptr);
    ASSERT_FALSE(tone->GetBuffer()->IsStreamed());

    Capture loud = PlayAndCapture(tone, 5.0);
    ASSERT_GT(loud.end, loud.begin) << "nothing was heard";
    EXPECT_NEAR(loud.Seconds(), 1.0, 0.05);
    std::vector<double> middle = loud.Part(loud.left, 0.2, 0.6);
    EXPECT_NEAR(DominantFrequency(middle, kRate), 440.0, 2.0);
    EXPECT_NEAR(DominantFrequency(loud.Part(loud.right, 0.2, 0.6), kRate), 440.0, 2.0);
    // A sine of amplitude 0.5 has an RMS of 0.354; a mono sound in the middle
    // reaches both channels at full level.
    double loudRms = Rms(middle);
    EXPECT_NEAR(loudRms, 0.3536, 0.03);
    EXPECT_NEAR(Rms(loud.Part(loud.right, 0.2, 0.6)), loudRms, 0.01);
    // A pure tone: nearly all of the energy is at 440 Hz.
    EXPECT_GT(ToneStrength(middle, 440, kRate), 0.45);

    // At volume 0.5 (-6.93 dB) the same tone is 0.45 times as strong.
    tone->SetVolume(0.5f);
    Capture quiet = PlayAndCapture(tone, 5.0);
    ASSERT_GT(quiet.end, quiet.begin) << "nothing was heard";
    EXPECT_NEAR(quiet.Seconds(), 1.0, 0.05);
    std::vector<double> quietMiddle = quiet.Part(quiet.left, 0.2, 0.6);
    EXPECT_NEAR(DominantFrequency(quietMiddle, kRate), 440.0, 2.0);
    double ratio = Rms(quietMiddle) / loudRms;
    EXPECT_NEAR(ratio, 0.4505, 0.03);
    std::printf("tone: %.3f s, RMS %.4f at volume 1, %.4f at 0.5 (ratio %.3f)\n", loud.Seconds(), loudRms,
        Rms(quietMiddle), ratio);

    // Twice the tempo is twice the pitch for half as long.
    tone->SetVolume(1.0f);
    tone->SetTempo(2.0f);
    Capture fast = PlayAndCapture(tone, 5.0);
    EXPECT_NEAR(fast.Seconds(), 0.5, 0.05);
    EXPECT_NEAR(DominantFrequency(fast.Part(fast.left, 0.1, 0.3), kRate), 880.0, 3.0);
    manager->DeleteSound(tone);
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(SoundOutput, StreamedOggPlaysToItsEnd)
{
    // 4.5 s of 44,100 Hz stereo (793,800 bytes, more than the ring holds): nine
    // half-second steps from 300 to 1,100 Hz, so that any block played twice,
    // skipped or left stale shows up as the wrong pitch in its place.
    const int kSteps = 9;
    const double kStep = 0.5;
    std::vector<float> samples;
    double phase = 0;
    for (int s = 0; s < kSteps; ++s) {
        double f = 300 + 100 * s;
        for (int i = 0; i < kStep * kRate; ++i) {
            float v = static_cast<float>(0.5 * std::sin(phase));
            samples.push_back(v);
            samples.push_back(v);
            phase += 2 * kPi * f / kRate;
        }
    }
    std::string file = WriteSoundFile("steps.ogg", EncodeOgg(2, 44100, samples, 0.6f));
    Sound* music = manager->CreateSound(file, false, "");
    ASSERT_NE(music, nullptr);
    ASSERT_TRUE(music->GetBuffer()->IsStreamed());
    EXPECT_EQ(music->GetBuffer()->GetDataSize(), 793800u);

    double playedFor = 0;
    Capture c = PlayAndCapture(music, 12.0, &playedFor);
    // The stream stops itself one block after its end.
    EXPECT_GT(playedFor, 4.4);
    EXPECT_LT(playedFor, 5.2);
    ASSERT_GT(c.end, c.begin) << "nothing was heard";
    std::printf("stream: %.3f s heard, stopped after %.3f s\n", c.Seconds(), playedFor);
    EXPECT_NEAR(c.Seconds(), kSteps * kStep, 0.1);
    for (int s = 0; s < kSteps; ++s) {
        std::vector<double> part = c.Part(c.left, s * kStep + 0.1, kStep - 0.2);
        EXPECT_NEAR(DominantFrequency(part, kRate), 300 + 100 * s, 3.0) << "step " << s;
        EXPECT_NEAR(Rms(part), 0.3536, 0.05) << "step " << s;
    }
    // No gap anywhere: every 20 ms of the stretch carries the tone.
    int quietWindows = 0;
    for (double t = 0; t + 0.02 < c.Seconds(); t += 0.02)
        if (Rms(c.Part(c.left, t, 0.02)) < 0.2)
            ++quietWindows;
    EXPECT_EQ(quietWindows, 0);
    manager->DeleteSound(music);
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(SoundOutput, CorruptFilePlaysAsSilenceWithALoggedError)
{
    std::string file = WriteSoundFile("broken.ogg", Bytes(20000, 0x42));
    Sound* broken = manager->CreateSound(file, true, "");
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(LogCount("Failed to load \"" + ToLowerCopy(file) + "\" sound file - incorrect format"), 1);
    EXPECT_EQ(LogCount(3), 1);
    // Eight bytes of silence are over at once.
    Capture c = PlayAndCapture(broken, 2.0, nullptr, false);
    EXPECT_EQ(c.end, c.begin) << "heard " << c.Seconds() << " s";
    EXPECT_GT(c.left.size(), kRate / 2); // the device did run meanwhile
    manager->DeleteSound(broken);
}

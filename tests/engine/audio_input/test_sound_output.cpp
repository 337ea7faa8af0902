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
    // The device's own gaps left out of left and right, in seconds.
    double gapSeconds = 0;
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

// What was written to the capture file from the given offset on, without
// the device's own gaps.
Capture ReadCapture(const std::string& path, uint64_t from, double threshold = 0.02)
{
    Capture c;
    Bytes all = TestSupport::ReadFileBytes(path);
    for (uint64_t i = from - from % 4; i + 4 <= all.size(); i += 4) {
        c.left.push_back(static_cast<int16_t>(all[i] | all[i + 1] << 8) / 32768.0);
        c.right.push_back(static_cast<int16_t>(all[i + 2] | all[i + 3] << 8) / 32768.0);
    }
    const std::vector<std::pair<size_t, size_t>> gaps = SoundTest::DeviceGaps(c.left, &c.right);
    for (const auto& g : gaps)
        c.gapSeconds += (g.second - g.first) / kRate;
    c.left = SoundTest::WithoutGaps(c.left, gaps);
    c.right = SoundTest::WithoutGaps(c.right, gaps);
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

    // The engine's per-frame sound work.
    static void Frame()
    {
        TimerManager::Instance()->Update();
        system->Refresh();
        manager->Update(true);
    }
    static void Step()
    {
        Frame();
        Sleep(10);
    }
    static double Now()
    {
        LARGE_INTEGER c, f;
        QueryPerformanceCounter(&c);
        QueryPerformanceFrequency(&f);
        return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
    }

    // How long a sound played, as the frames around its start and its stop
    // bound it: a late frame widens the bounds, it never moves them past the
    // true length.
    struct Played {
        double atLeast = 0, atMost = 0;
    };

    // Plays a sound through the manager to its end (within longest seconds)
    // and reads what came out.
    ::testing::AssertionResult PlayAndCapture(Sound* sound, double longest, Capture& out, Played* played = nullptr,
                                              bool audible = true)
    {
        // What an earlier sound gave the device has come out before the mark.
        const ::testing::AssertionResult earlier = SoundTest::AnySoundPlaying()
            ? SoundTest::WaitForCaptureToCatchUp(capture, 10.0, Step)
            : SoundTest::WaitForCaptureSize(capture, settled, Step);
        if (!earlier)
            return earlier;
        const uint64_t mark = SoundTest::CaptureSize(capture);
        manager->PlaySound(sound, false);
        // The request runs in the next frame's update.
        const double requested = Now();
        Frame();
        const double started = Now();
        if (audible && sound->GetState() != Sound::kPlaying)
            return ::testing::AssertionFailure() << "the sound did not start";
        // The sound stopped after the start of the last frame that saw it
        // playing, and before the end of the first that saw it stopped.
        double lastPlaying = requested, stopSeen = started;
        while (sound->GetState() != Sound::kStopped) {
            if (Now() - started > longest)
                return ::testing::AssertionFailure() << "still playing after " << longest << " s";
            Sleep(10);
            const double before = Now();
            Frame();
            if (sound->GetState() != Sound::kStopped)
                lastPlaying = before;
            stopSeen = Now();
        }
        if (played) {
            played->atLeast = lastPlaying - started;
            played->atMost = stopSeen - requested;
        }
        // The device and the pipe behind it still hold the sound's end.
        const double stopped = Now();
        const uint64_t stopSize = SoundTest::CaptureSize(capture);
        settled = stopSize + SoundTest::kCaptureLagBytes;
        const ::testing::AssertionResult drained = SoundTest::WaitForCaptureSize(capture, settled, Step);
        if (!drained)
            return drained;
        std::printf("capture: played for %.3f to %.3f s; the capture caught up %.2f s after the stop\n",
                    lastPlaying - started, stopSeen - requested, Now() - stopped);
        out = ReadCapture(capture, mark);
        if (out.gapSeconds > 0)
            std::printf("capture: %.3f s of the device's own silence left out\n", out.gapSeconds);
        if (out.end > out.begin)
            std::printf("capture: the sound came out from %.3f s after the mark to %.3f s after the stop\n",
                        out.begin / kRate, (mark + 4.0 * out.end - stopSize) / SoundTest::kCaptureBytesPerSecond);
        return ::testing::AssertionSuccess();
    }

    std::string capture;
    static inline SoundSystem_DS7* system = nullptr;
    static inline SoundManager* manager = nullptr;
    // By this size of the capture, all that was played so far has come out.
    static inline uint64_t settled = 0;
};

} // namespace

TEST_F(SoundOutput, ToneReachesTheDeviceAtItsPitchAndLevel)
{
    // One second of 440 Hz at half of full scale, 22,050 Hz mono, from a WAV.
    std::string file = WriteSoundFile("a440.wav", MakeWav(1, 22050, 16, Pcm16(Sine16(440, 22050, 22050, 0.5))));
    Sound* tone = manager->CreateSound(file, true, "");
    ASSERT_NE(tone, nullptr);
    ASSERT_FALSE(tone->GetBuffer()->IsStreamed());

    Capture loud;
    ASSERT_TRUE(PlayAndCapture(tone, 5.0, loud));
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
    Capture quiet;
    ASSERT_TRUE(PlayAndCapture(tone, 5.0, quiet));
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
    Capture fast;
    ASSERT_TRUE(PlayAndCapture(tone, 5.0, fast));
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

    Played played;
    Capture c;
    ASSERT_TRUE(PlayAndCapture(music, 12.0, c, &played));
    // The stream stops itself one block after its end: 4.4 to 5.2 s.
    EXPECT_GT(played.atMost, 4.4);
    EXPECT_LT(played.atLeast, 5.2);
    ASSERT_GT(c.end, c.begin) << "nothing was heard";
    std::printf("stream: %.3f s heard, stopped after %.3f to %.3f s\n", c.Seconds(), played.atLeast, played.atMost);
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
    // (The capture read covers the lag after the stop: the device ran.)
    Capture c;
    ASSERT_TRUE(PlayAndCapture(broken, 2.0, c, nullptr, false));
    EXPECT_EQ(c.end, c.begin) << "heard " << c.Seconds() << " s";
    manager->DeleteSound(broken);
}

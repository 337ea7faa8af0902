// What the game's music and effects sound like at the device: ALSA's default
// device is a file for this test (game_tests.cmake), filled at a sound card's
// pace with 44,100 Hz 16-bit stereo, and read back here. Each track and effect
// of the content has a tone of its own, so the capture tells which one played.
// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include "GameTestSupport.h"

#include <algorithm>
#include <cstdio>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "framework/MusicTrack.h"
#include "framework/SoundController.h"
#include "puzzle/app/SoundTable.h"
#include "tools/content/Audio.h"
#include "tools/formats/SoundFileWriters.h"

using namespace KorvaneEngine;
using namespace GameTest;

namespace {

const double kRate = 44100;

std::vector<double> Stretch(const std::vector<double>& s, double from, double length)
{
    const size_t a = std::min(s.size(), static_cast<size_t>(from * kRate));
    const size_t b = std::min(s.size(), a + static_cast<size_t>(length * kRate));
    return std::vector<double>(s.begin() + a, s.begin() + b);
}

// The tone each row of the content was built around.
double ToneOf(const std::string& folder, const std::string& file)
{
    for (const Content::Audio::Sound& s : Content::Audio::kSounds)
        if (folder == s.folder && file == s.file)
            return s.tone;
    ADD_FAILURE() << "no tone for " << folder << "\\" << file;
    return 0;
}

const double kOverrideTone = 2500;

class InDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_OUTSIDE_DESKTOP();
        capture = SoundTest::CapturePath();
        ASSERT_FALSE(capture.empty()) << "PELLORIA_SOUND_CAPTURE is not set: run this test through CTest";
        // A WAV beside the shipped Ogg of the same name, with a tone of its own.
        folder = MakeProgramFolder("game_sound", false, [](Content::ContentSet& set) {
            ContentTools::SoundSamples s;
            for (int i = 0; i < 22050 * 6 / 10; ++i)
                s.data.push_back(static_cast<float>(0.6 * std::sin(2 * SoundTest::kPi * kOverrideTone * i / 22050)));
            set.Add("data\\audio\\game\\level_begin.wav", ContentTools::WriteWavFile(s, 16));
            WithoutLogos(set);
        });
        ResetUserData("v_fullscreen 0\r\n");
        game = MakeGame(folder);
        FocusGameWindow();
        // The start-up's music and cues are over before the test's own.
        ASSERT_TRUE(SettleIntoMenus(*game));
    }
    void TearDown() override
    {
        game.reset();
        TestSupport::ClearUserData(kCompany, Title());
    }

    // One of the game's frames, about 100 a second.
    void Frame()
    {
        TestSupport::ProgramRunner::Pump();
        game->Update();
        Sleep(8);
    }
    // Frames until the capture holds the given seconds of sound after a mark.
    ::testing::AssertionResult RunUntilCaptured(uint64_t mark, double seconds)
    {
        const DWORD start = GetTickCount();
        const ::testing::AssertionResult held = SoundTest::WaitForCaptureSize(
            capture, mark + static_cast<uint64_t>(seconds * SoundTest::kCaptureBytesPerSecond), [&] { Frame(); });
        std::printf("capture: %.2f s of sound after the mark took %.2f s\n", seconds,
                    TestSupport::SecondsSince(start));
        return held;
    }

    std::string capture, folder;
    std::unique_ptr<Puzzle::Game> game;
};

} // namespace

TEST(Desktop, SoundTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_game_sound", 1280, 1024, "InDesktop.*"));
}

TEST_F(InDesktop, MusicFadesInChangesTrackFallsSilentAndAWavBeatsAnOgg)
{
    GameFramework::SoundController* sounds = game->GetSoundController();
    const double menuTone = ToneOf("music", "menu"), gameTone = ToneOf("music", "game0");
    // The start-up's last cue and music have come out before the first mark.
    ASSERT_TRUE(SoundTest::WaitForCaptureToCatchUp(capture, 10.0, [&] { Frame(); }));

    // The menu track fades in at 0.5/s: two seconds from silence to full.
    uint64_t mark = SoundTest::CaptureSize(capture);
    sounds->PlayMusic(0, Puzzle::kMusicMenu, true, 0.5f);
    ASSERT_TRUE(RunUntilCaptured(mark, 2.8));
    std::vector<double> in = SoundTest::WithoutDeviceGaps(SoundTest::CaptureLeft(capture, mark), "fade-in");
    ASSERT_GT(in.size(), kRate * 2.5) << "the device did not run";
    std::vector<double> strength;
    for (double t = 0.25; t + 0.25 <= 2.75; t += 0.25)
        strength.push_back(SoundTest::ToneStrength(Stretch(in, t, 0.25), menuTone, kRate));
    std::printf("menu tone while fading in:");
    for (double v : strength)
        std::printf(" %.4f", v);
    std::printf("\n");
    // Rising over the first two seconds, then steady.
    EXPECT_GT(strength[3], strength[0] * 1.5);
    EXPECT_GT(strength[6], strength[3] * 1.15);
    EXPECT_NEAR(strength[9], strength[8], strength[8] * 0.2);
    const std::vector<double> full = Stretch(in, 2.3, 0.4);
    EXPECT_GT(SoundTest::ToneStrength(full, menuTone, kRate), 5 * SoundTest::ToneStrength(full, gameTone, kRate));

    // Another track on the channel: the menu fades out within a second, game0
    // fades in.
    mark = SoundTest::CaptureSize(capture);
    sounds->PlayMusic(0, Puzzle::kMusicGame0, true, 0.5f);
    ASSERT_TRUE(RunUntilCaptured(mark, 2.8));
    // The menu fades out at 1/s of the game's clock, so on an idle machine
    // it stopped 1 s after the change, long before these 2.8 s had come out.
    for (const DWORD start = GetTickCount(); sounds->GetMusicTracks()[0]->GetState() != Sound::kStopped; Frame())
        ASSERT_LT(GetTickCount() - start, 5000u) << "the menu track still plays";
    std::vector<double> change = SoundTest::WithoutDeviceGaps(SoundTest::CaptureLeft(capture, mark), "change");
    const std::vector<double> before = Stretch(change, 0.0, 0.3), after = Stretch(change, 2.3, 0.4);
    EXPECT_GT(SoundTest::ToneStrength(before, menuTone, kRate), SoundTest::ToneStrength(before, gameTone, kRate));
    EXPECT_GT(SoundTest::ToneStrength(after, gameTone, kRate), 5 * SoundTest::ToneStrength(after, menuTone, kRate));
    EXPECT_EQ(sounds->GetMusicState(0), Sound::kPlaying);

    // Music volume 0: nothing comes out once what the device had has.
    sounds->SetMusicVolume(0.0f);
    mark = SoundTest::CaptureSize(capture) + SoundTest::kCaptureLagBytes;
    ASSERT_TRUE(RunUntilCaptured(mark, 0.6));
    EXPECT_LT(SoundTest::Rms(SoundTest::CaptureLeft(capture, mark)), 0.002);
    sounds->StopAllMusic(false, 0.0f);

    // The effect comes from the WAV, not from the Ogg of the same name.
    EXPECT_EQ(game->GetAudioFileName("game", "level_begin"), "audio\\game\\level_begin.wav");
    mark = SoundTest::CaptureSize(capture);
    sounds->PlaySound(Puzzle::kSoundLevelBegin);
    // Its 0.6 s, after what the device held before it.
    ASSERT_TRUE(RunUntilCaptured(mark, SoundTest::kCaptureLagBytes / SoundTest::kCaptureBytesPerSecond + 0.6));
    std::vector<double> effect = SoundTest::CaptureLeft(capture, mark);
    double loudest = 0;
    size_t at = 0;
    for (size_t i = 0; i < effect.size(); ++i)
        if (std::fabs(effect[i]) > loudest) {
            loudest = std::fabs(effect[i]);
            at = i;
        }
    ASSERT_GT(loudest, 0.02) << "the effect was not heard";
    const std::vector<double> heard = Stretch(effect, std::max(0.0, at / kRate - 0.1), 0.3);
    EXPECT_NEAR(SoundTest::DominantFrequency(heard, kRate, 100, 4000), kOverrideTone, 5.0);
    EXPECT_LT(SoundTest::ToneStrength(heard, ToneOf("game", "level_begin"), kRate),
              0.1 * SoundTest::ToneStrength(heard, kOverrideTone, kRate));
}

// What the menus sound like at the device while the real program is played
// through xdotool: ALSA's default device is a file for this test (see
// screens_tests.cmake), filled at a sound card's pace. Every change between
// two menu screens plays "window_disappear" once and "window_appear" once; a
// screen without its "/window" panel plays neither. The music is muted in the
// .ini, so only the effects are heard.
#include "PlayTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "engine/audio_input/SoundTestSupport.h"
#include "tools/content/Audio.h"
#include "tools/content/Catalogue.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Screens.h"

using namespace PlayTest;
namespace S = Content::Screens;
using TestSupport::ProgramRunner;

namespace {

const char kCompany[] = "Quillfen Games";
const char kTitle[] = "Pelloria";
const double kRate = 44100;

uint32_t ToneOf(const char* file)
{
    for (const Content::Audio::Sound& s : Content::Audio::kSounds)
        if (std::string(s.file) == file)
            return s.tone;
    return 0;
}

// How many times a tone sounds: windows of 40 ms in which it stands out, the
// windows of one sounding merged when less than half a second apart.
int Soundings(const std::vector<double>& signal, double tone)
{
    const size_t window = size_t(0.04 * kRate), hop = window / 2;
    int count = 0;
    double last = -10;
    for (size_t at = 0; at + window <= signal.size(); at += hop) {
        const std::vector<double> part(signal.begin() + at, signal.begin() + at + window);
        const double strength = SoundTest::ToneStrength(part, tone, kRate);
        const double t = at / kRate;
        if (strength > 0.01 && strength > 0.5 * SoundTest::Rms(part)) {
            if (t - last > 0.5)
                ++count;
            last = t;
        }
    }
    return count;
}

class MenuSounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TestSupport::InVirtualDesktop())
            GTEST_SKIP() << "runs inside the virtual desktop only";
        capture = SoundTest::CapturePath();
        ASSERT_FALSE(capture.empty()) << "PELLORIA_SOUND_CAPTURE is not set: run this test through CTest";
        TestSupport::ClearUserData(kCompany, kTitle);
    }
    void TearDown() override
    {
        if (runner && runner->IsRunning())
            runner->Kill();
        TestSupport::ClearUserData(kCompany, kTitle);
    }

    // Start-up to the welcome, the main menu, the player list and back, and
    // the cues the capture holds for it.
    void Walk(const std::function<void(Content::ContentSet&)>& change, int* appears, int* disappears)
    {
        runner.reset(new ProgramRunner("menu_sounds"));
        Content::Options options;
        options.variant = Content::Catalogue::kPlayTestVariant;
        ASSERT_TRUE(runner->Prepare(options, [&](Content::ContentSet& set) {
            for (const std::string& p : set.Paths())
                if (p.find("\\publishers\\") != std::string::npos)
                    set.Remove(p);
            if (change)
                change(set);
        })) << runner->Error();
        ASSERT_TRUE(runner->WriteIni("v_fullscreen 0\r\nv_mode 1024x768x32\r\ng_music_volume 0\r\n"));
        const uint64_t mark = SoundTest::CaptureSize(capture);
        ASSERT_TRUE(runner->Start()) << runner->Error();
        Player player(*runner);
        ASSERT_TRUE(player.Attach());
        ASSERT_TRUE(player.WaitForScreen("window_welcome", 40));
        ASSERT_EQ(player.TypeName("window_welcome", "Sam"), "") << "did not show";
        ASSERT_TRUE(player.Key("Return"));
        ASSERT_TRUE(player.WaitForScreen("window_main_menu"));
        ASSERT_TRUE(player.ClickMainMenu(2));
        ASSERT_TRUE(player.WaitForScreen("window_profiles"));
        ASSERT_TRUE(player.ClickPanelButton("window_profiles", S::kProfileDoneX + S::kProfileDoneWidth / 2,
                                            S::kProfileDoneY + S::kButtonHeight / 2, S::kProfileDoneWidth));
        ASSERT_TRUE(player.WaitForScreen("window_main_menu"));
        // The last cue, the main menu's appearance, starts with its panel;
        // the buttons have faded in whole 0.55 s of the game's clock later,
        // by when it has long been played into the device.
        ASSERT_TRUE(player.PointAtPanelButton("window_main_menu", S::kMainMenuButtonX + S::kMainMenuButtonWidth / 2,
                                              S::kMainMenuButtonTopY + S::kButtonHeight / 2, S::kMainMenuButtonWidth,
                                              "main menu buttons"));
        ASSERT_TRUE(runner->SendKeys(player.id, "alt+F4"));
        DWORD code = 0;
        ASSERT_TRUE(runner->WaitForExit(&code));
        EXPECT_EQ(code, 1u);
        // The paced pipe writes what it was given a little later: about 1.5 s
        // on an idle machine, quiet second included.
        ASSERT_TRUE(SoundTest::WaitForCaptureToSettle(capture, 15)) << "the capture kept growing";
        const std::vector<double> heard = SoundTest::CaptureLeft(capture, mark);
        ASSERT_GT(heard.size(), size_t(5 * kRate)) << "the capture is short";
        *appears = Soundings(heard, ToneOf("window_appear"));
        *disappears = Soundings(heard, ToneOf("window_disappear"));
    }

    std::string capture;
    std::unique_ptr<ProgramRunner> runner;
};

} // namespace

TEST(Desktop, MenuSoundTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_menu_sounds", 1280, 1024, "MenuSounds.*"));
}

TEST_F(MenuSounds, EachChangeBetweenMenuScreensPlaysOneDisappearAndOneAppear)
{
    int appears = 0, disappears = 0;
    ASSERT_NO_FATAL_FAILURE(Walk(nullptr, &appears, &disappears));
    // Loading, welcome, main menu, players, main menu appear; all but the
    // last go again.
    EXPECT_EQ(appears, 5);
    EXPECT_EQ(disappears, 4);
}

TEST_F(MenuSounds, AScreenWithoutItsPanelPlaysNoCue)
{
    int appears = 0, disappears = 0;
    ASSERT_NO_FATAL_FAILURE(Walk([](Content::ContentSet& set) {
        // The start-up loading window without "/window": its text goes with it.
        const std::string path = "data\\ui\\windows\\window_game_loading.xml";
        std::string xml(set.Find(path)->begin(), set.Find(path)->end());
        const size_t at = xml.find("name=\"window\"");
        ASSERT_NE(at, std::string::npos);
        xml.replace(at, 13, "name=\"frame\"");
        set.AddText(path, xml);
    }, &appears, &disappears));
    EXPECT_EQ(appears, 4);
    EXPECT_EQ(disappears, 3);
}

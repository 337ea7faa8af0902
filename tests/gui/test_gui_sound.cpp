// The GUI's sound cues reach the sound device: ALSA's default device is a file
// for this test (see gui_tests.cmake), filled at a sound card's pace, and the
// test reads back which tones a real pointer's entries and presses sounded.
#include "GUITestSupport.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundTestSupport.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "gui/GUIButton.h"
#include "gui/GUISoundManager.h"
#include "support/HostShell.h"
#include "tools/formats/SoundFileWriters.h"

using namespace KorvaneEngine;
using namespace GUITest;

namespace {

const double kRate = 44100;
const double kSelectTone = 660, kClickTone = 1320;

// Bursts of sound (10 ms windows above a level, gaps under 60 ms joined),
// each named by the stronger of the two tones.
std::string Bursts(const std::vector<double>& x)
{
    const size_t window = 441;
    std::vector<std::pair<size_t, size_t>> bursts;
    for (size_t i = 0; i + window <= x.size(); i += window) {
        std::vector<double> w(x.begin() + i, x.begin() + i + window);
        if (SoundTest::Rms(w) < 0.02)
            continue;
        if (!bursts.empty() && i - bursts.back().second < 6 * window)
            bursts.back().second = i + window;
        else
            bursts.push_back({i, i + window});
    }
    std::string names;
    for (const auto& b : bursts) {
        std::vector<double> w(x.begin() + b.first, x.begin() + b.second);
        names += SoundTest::ToneStrength(w, kSelectTone, kRate) > SoundTest::ToneStrength(w, kClickTone, kRate) ? 'S'
                                                                                                             : 'C';
    }
    return names;
}

std::vector<uint8_t> Tone(double frequency)
{
    ContentTools::SoundSamples s;
    s.rate = 22050;
    for (int i = 0; i < 2205; ++i) {
        const double fade = std::min(1.0, std::min(i, 2205 - i) / 200.0);
        s.data.push_back(float(0.5 * fade * std::sin(2 * 3.14159265358979 * frequency * i / s.rate)));
    }
    return ContentTools::WriteWavFile(s, 16);
}

class GUISound : public ::testing::Test {
protected:
    void SetUp() override
    {
        capture = SoundTest::CapturePath();
        ASSERT_FALSE(capture.empty()) << "PELLORIA_SOUND_CAPTURE is not set: run this test through CTest";
        dir = TestSupport::MakeTempDir("gui_sound");
        shell = std::make_unique<TestSupport::HostShell>(dir);
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
        scene.StartGUI("gui_sound", true);
        system = std::make_unique<SoundSystem_DS7>(false);
        SoundSystem::Instance(system.get());
        sounds = std::make_unique<SoundManager>();
        SoundManager::Instance(sounds.get());
    }
    void TearDown() override
    {
        scene.gui.reset();  // the cues' sounds go before the sound manager
        sounds.reset();
        system.reset();
        scene.StopGUI();
        TestSupport::RemoveTree(dir);
    }

    std::string Sound(const std::string& name, double frequency)
    {
        const std::string path = scene.root + "\\data\\" + scene.Path(name);
        EXPECT_TRUE(TestSupport::WriteFileBytes(path, Tone(frequency)));
        return path;
    }

    void Frame()
    {
        scene.GUIFrame();
        system->Refresh();
        sounds->Update(true);
        Sleep(5);
    }
    // Runs a host line with frames, until the program has taken all it
    // sent and the frames that read the devices' buffers have run.
    ::testing::AssertionResult During(const std::string& line)
    {
        const ::testing::AssertionResult arrived = HostInput::RunAndWait(*shell, line, [&] { Frame(); });
        if (!arrived)
            return arrived;
        for (int i = 0; i < HostInput::kDrainFrames; ++i)
            Frame();
        return ::testing::AssertionSuccess();
    }
    // Frames until every cue has stopped and what it gave the device has
    // come out of the capture; the cues last 0.1 s.
    ::testing::AssertionResult CatchUp()
    {
        const DWORD start = GetTickCount();
        const ::testing::AssertionResult done = SoundTest::WaitForCaptureToCatchUp(capture, 5.0, [&] { Frame(); });
        std::printf("capture: caught up in %.2f s\n", TestSupport::SecondsSince(start));
        return done;
    }
    std::string At(float x, float y)
    {
        POINT p = {LONG(scene.PixelX(x)), LONG(scene.PixelY(y))};
        ClientToScreen(scene.window->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }

    std::string capture, dir;
    std::unique_ptr<TestSupport::HostShell> shell;
    GUIScene scene;
    std::unique_ptr<SoundSystem_DS7> system;
    std::unique_ptr<SoundManager> sounds;
};

TEST_F(GUISound, ThreeSoundsUnderOneNameTakeTurns)
{
    GUISoundManager& cues = *scene.gui->GetSoundManager();
    const std::string a = Sound("a.wav", 440), b = Sound("b.wav", 550), c = Sound("c.wav", 660);
    cues.AddSound("turns", a, true);
    cues.AddSound("turns", b, true);
    cues.AddSound("other", a, true);
    cues.AddSound("turns", c, true);
    cues.AddSound("broken", scene.root + "\\data\\" + scene.Path("none.wav"), true);
    const std::vector<GUISoundManager::Cue>& list = cues.GetCues();
    const size_t turns[3] = {0, 1, 3};
    for (int round = 0; round < 4; ++round) {
        cues.Play("turns");
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(list[turns[k]].playCount, uint32_t(round / 3 + (k <= round % 3 ? 1 : 0))) << round;
    }
    EXPECT_EQ(list[2].playCount, 0u);
    cues.Play("nobody");
    // Without an engine sound manager nothing is added or played.
    SoundManager::ResetInstance(sounds.get());
    const size_t count = list.size();
    cues.AddSound("turns", a, true);
    cues.Play("turns");
    EXPECT_EQ(list.size(), count);
    EXPECT_EQ(list[0].playCount, 2u);
    SoundManager::Instance(sounds.get());
}

TEST_F(GUISound, EachEntrySelectsAndEachPressClicksOnTheDevice)
{
    GUISoundManager& cues = *scene.gui->GetSoundManager();
    cues.AddSound("gui_default_button_select", Sound("select.wav", kSelectTone), true);
    cues.AddSound("gui_default_button_click", Sound("click.wav", kClickTone), true);
    scene.gui->CreateButton(1, Vector2(300, 250), Vector2(200, 100), nullptr, &scene.white, nullptr);
    ASSERT_TRUE(During("xdotool mousemove " + At(100, 100)));
    // The pointer may have been over the button when it came: what its cue
    // gave the device has come out before the mark.
    ASSERT_TRUE(CatchUp());
    const uint64_t mark = SoundTest::CaptureSize(capture);
    const std::string over = At(400, 300), off = At(100, 100);
    // Two entries and three presses, far enough apart to tell the tones apart;
    // moving inside the button is no new entry.
    ASSERT_TRUE(During("xdotool mousemove " + over + " && sleep 0.4 && xdotool mousemove " + At(420, 310) +
                       " && sleep 0.4 && xdotool click 1 && sleep 0.4 && xdotool click 1 && sleep 0.4 && "
                       "xdotool mousemove " + off + " && sleep 0.4 && xdotool mousemove " + over +
                       " && sleep 0.4 && xdotool click 1 && sleep 0.6"));
    ASSERT_TRUE(CatchUp());
    EXPECT_EQ(cues.GetCues()[0].playCount, 2u);
    EXPECT_EQ(cues.GetCues()[1].playCount, 3u);
    EXPECT_EQ(Bursts(SoundTest::CaptureLeft(capture, mark)), "SCCSC");
}

} // namespace

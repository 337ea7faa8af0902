// Real X input through Wine into DirectInput: the test starts xdotool on its
// own display and watches the engine's frames see the keys and buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio_input/InputTestSupport.h"
#include "engine/audio_input/di7/Controls_DI7.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "support/HostShell.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;

namespace {

// What one frame saw.
struct FrameSeen {
    std::vector<std::string> pressed, down;
    bool typed = false;
    uint16_t code = 0;
    bool isCharacter = false;
};

const char* const kWatched[] = {"A", "B", "C", "D", "ENTER", "LSHIFT", "LALT", "F4",
                                "MOUSE1", "MOUSE2", "MOUSE3"};

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("input");
        shell = std::make_unique<TestSupport::HostShell>(dir);
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
        log = std::make_unique<MessageManager>("Input test", false, false, "", "");
        timers = std::make_unique<TimerManager>();
        config = std::make_unique<Config>(dir, "input", false, "640x480x32", false, false);
        window = std::make_unique<Window>("Input test", nullptr, 0, 640, 480, false, false, Vector2i(100, 100));
        // X delivers keys to the window under the pointer when nothing else
        // holds the focus: start with the pointer over the client area.
        ASSERT_TRUE(Host("xdotool mousemove " + ClientPoint(320, 240)));
    }
    void TearDown() override
    {
        std::printf("input: the longest wait for a host line's input after the line ended: %lu ms\n",
                    static_cast<unsigned long>(HostInput::Arrival::Longest()));
        SwapMouseButton(FALSE);
        if (shell && shell->Available())
            shell->Run("xdotool keyup shift keyup alt keyup Return", [] { Pump(); });
        controls.reset();
        window.reset();
        config.reset();
        timers.reset();
        log.reset();
        TestSupport::RemoveTree(dir);
    }

    void MakeControls(bool buffered)
    {
        controls = std::make_unique<Controls_DI7>(buffered);
        // Set-up's input has all come before the devices were made.
        RunFrames(HostInput::kDrainFrames);
    }

    std::string ClientPoint(int x, int y) const
    {
        POINT p = {x, y};
        ClientToScreen(window->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }

    static void Pump() { HostInput::Pump(); }

    // The engine's order: messages, then the input step, then the frame's
    // queries, then the end-of-frame reset.
    FrameSeen Frame()
    {
        Pump();
        config->Update();
        timers->Update();
        const bool wasFullscreen = config->fullscreen;
        window->Update();
        if (config->fullscreen != wasFullscreen)
            ++modeFlips;
        FrameSeen seen;
        if (controls) {
            controls->Update();
            for (const char* name : kWatched) {
                if (controls->IsPressed(name))
                    seen.pressed.push_back(name);
                if (controls->IsDown(name))
                    seen.down.push_back(name);
            }
            seen.typed = controls->GetTypedCharacter(seen.code, seen.isCharacter);
            controls->ResetState();
        }
        config->ClearChangedFlags();
        return seen;
    }

    std::vector<FrameSeen> RunFrames(int count)
    {
        std::vector<FrameSeen> frames;
        for (int i = 0; i < count; ++i) {
            frames.push_back(Frame());
            Sleep(10);
        }
        return frames;
    }

    // Runs a host line while frames go on, until the program has taken all
    // the line sent, then `after` frames more (at least those that read the
    // device buffers to their end); every frame seen goes to frames.
    ::testing::AssertionResult DuringFrames(const std::string& line, std::vector<FrameSeen>& frames,
                                            int after = HostInput::kDrainFrames)
    {
        frames.clear();
        const auto frame = [&] {
            frames.push_back(Frame());
            Sleep(10);
        };
        const ::testing::AssertionResult arrived = HostInput::RunAndWait(*shell, line, frame);
        if (!arrived)
            return arrived;
        for (FrameSeen& f : RunFrames(std::max(after, HostInput::kDrainFrames)))
            frames.push_back(f);
        return ::testing::AssertionSuccess();
    }

    // Runs a host line with messages pumped but no frame run, until the
    // program has taken all it sent: the events pile up in the device buffers.
    ::testing::AssertionResult Host(const std::string& line)
    {
        return HostInput::RunAndWait(*shell, line, [] {
            Pump();
            Sleep(1);
        });
    }

    static int FramesWith(const std::vector<FrameSeen>& frames, const std::string& name, bool pressed)
    {
        int n = 0;
        for (const FrameSeen& f : frames)
            for (const std::string& s : pressed ? f.pressed : f.down)
                if (s == name)
                    ++n;
        return n;
    }

    std::string dir;
    std::unique_ptr<TestSupport::HostShell> shell;
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<TimerManager> timers;
    std::unique_ptr<Config> config;
    std::unique_ptr<Window> window;
    std::unique_ptr<Controls_DI7> controls;
    int modeFlips = 0;
};

} // namespace

TEST_F(InputTest, KeysAndButtonsArePressedForOneFrame)
{
    MakeControls(true);
    ASSERT_TRUE(controls->IsKeyboardBuffered());
    ASSERT_TRUE(controls->IsMouseBuffered());
    ASSERT_TRUE(window->HasFocus());

    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool key a", frames));
    EXPECT_EQ(FramesWith(frames, "A", true), 1);
    EXPECT_FALSE(controls->IsDown("A"));
    int typedA = 0;
    for (const FrameSeen& f : frames)
        if (f.typed && f.isCharacter && f.code == 'a')
            ++typedA;
    EXPECT_EQ(typedA, 1) << "the typed character lasts one frame";

    ASSERT_TRUE(DuringFrames("xdotool key Return", frames));
    EXPECT_EQ(FramesWith(frames, "ENTER", true), 1);
    int typedEnter = 0;
    for (const FrameSeen& f : frames)
        if (f.typed) {
            // Enter comes as its key code, not as a character.
            EXPECT_FALSE(f.isCharacter);
            EXPECT_EQ(f.code, 13);
            ++typedEnter;
        }
    EXPECT_EQ(typedEnter, 1);

    ASSERT_TRUE(DuringFrames("xdotool mousemove " + ClientPoint(200, 150) + " click 1", frames));
    EXPECT_EQ(FramesWith(frames, "MOUSE1", true), 1);
    EXPECT_EQ(FramesWith(frames, "MOUSE2", true), 0);
    const Vector2 cursor = controls->GetCursorPosition();
    EXPECT_EQ(cursor.x, 200.0f);
    EXPECT_EQ(cursor.y, 150.0f);

    ASSERT_TRUE(DuringFrames("xdotool click 3", frames));
    EXPECT_EQ(FramesWith(frames, "MOUSE2", true), 1);
    EXPECT_EQ(FramesWith(frames, "MOUSE1", true), 0);
}

TEST_F(InputTest, SwappedButtonsKeepMouse1Primary)
{
    MakeControls(true);
    SwapMouseButton(TRUE);
    RunFrames(2); // the setting is read by one frame, used by the next read
    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool click 1", frames));
    EXPECT_EQ(FramesWith(frames, "MOUSE2", true), 1);
    EXPECT_EQ(FramesWith(frames, "MOUSE1", true), 0);
    ASSERT_TRUE(DuringFrames("xdotool click 3", frames));
    EXPECT_EQ(FramesWith(frames, "MOUSE1", true), 1);
    EXPECT_EQ(FramesWith(frames, "MOUSE2", true), 0);

    SwapMouseButton(FALSE);
    RunFrames(2);
    ASSERT_TRUE(DuringFrames("xdotool click 1", frames));
    EXPECT_EQ(FramesWith(frames, "MOUSE1", true), 1);
    EXPECT_EQ(FramesWith(frames, "MOUSE2", true), 0);
}

TEST_F(InputTest, HeldKeyIsDownEveryFrameButPressedOnce)
{
    MakeControls(true);
    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool keydown b", frames, 10));
    EXPECT_EQ(FramesWith(frames, "B", true), 1);
    // Down from the press on, including every frame after the host line.
    EXPECT_GE(FramesWith(frames, "B", false), 10);
    EXPECT_TRUE(controls->IsDown("B"));
    ASSERT_TRUE(DuringFrames("xdotool keyup b", frames, 5));
    EXPECT_EQ(FramesWith(frames, "B", true), 0);
    EXPECT_FALSE(controls->IsDown("B"));
}

TEST_F(InputTest, TapBetweenFramesCountsOnce)
{
    MakeControls(true);
    ASSERT_TRUE(Host("xdotool key c"));
    FrameSeen first = Frame();
    FrameSeen next = Frame();
    EXPECT_EQ(FramesWith({first}, "C", true), 1);
    EXPECT_EQ(FramesWith({first}, "C", false), 1);
    EXPECT_EQ(FramesWith({next}, "C", true), 0);
    EXPECT_EQ(FramesWith({next}, "C", false), 0);
}

TEST_F(InputTest, EightItemsAFrameTheRestLater)
{
    MakeControls(true);
    // Ten button items between two frames, in this order: 1 3 1 3 (eight
    // items) and then 2 (two items).
    ASSERT_TRUE(Host("xdotool click 1 click 3 click 1 click 3 click 2"));
    FrameSeen first = Frame();
    FrameSeen second = Frame();
    FrameSeen third = Frame();
    EXPECT_EQ(FramesWith({first}, "MOUSE1", true), 1);
    EXPECT_EQ(FramesWith({first}, "MOUSE2", true), 1); // the right button
    EXPECT_EQ(FramesWith({first}, "MOUSE3", true), 0);
    EXPECT_EQ(FramesWith({second}, "MOUSE3", true), 1); // the middle button
    EXPECT_EQ(FramesWith({second}, "MOUSE1", true), 0);
    EXPECT_TRUE(third.pressed.empty());
}

TEST_F(InputTest, BurstBeyondTheBufferLeavesTheStateRight)
{
    MakeControls(true);
    // Nine keyboard items against an eight-item buffer. (Wine keeps what fits
    // and reports success, so the overflow answer is never seen here; what
    // counts is that held and released keys read right afterwards.)
    ASSERT_TRUE(Host("xdotool keydown shift key a b c d"));
    FrameSeen first = Frame();
    EXPECT_EQ(FramesWith({first}, "LSHIFT", true), 1);
    EXPECT_EQ(FramesWith({first}, "LSHIFT", false), 1);
    FrameSeen held = Frame();
    EXPECT_EQ(FramesWith({held}, "LSHIFT", false), 1);
    EXPECT_EQ(FramesWith({held}, "LSHIFT", true), 0);
    for (const char* key : {"A", "B", "C", "D"})
        EXPECT_EQ(FramesWith({held}, key, false), 0) << key;
    EXPECT_TRUE(controls->IsKeyboardBuffered());

    ASSERT_TRUE(Host("xdotool keyup shift"));
    FrameSeen released = Frame();
    EXPECT_EQ(FramesWith({released}, "LSHIFT", false), 0);
    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool key a", frames));
    EXPECT_EQ(FramesWith(frames, "A", true), 1);
}

TEST_F(InputTest, ImmediateModeReadsTheState)
{
    MakeControls(false);
    EXPECT_FALSE(controls->IsKeyboardBuffered());
    EXPECT_FALSE(controls->IsMouseBuffered());
    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool keydown d mousedown 1", frames, 5));
    EXPECT_EQ(FramesWith(frames, "D", true), 1);
    EXPECT_EQ(FramesWith(frames, "MOUSE1", true), 1);
    EXPECT_TRUE(controls->IsDown("D"));
    EXPECT_TRUE(controls->IsDown("MOUSE1"));
    ASSERT_TRUE(DuringFrames("xdotool keyup d mouseup 1", frames, 5));
    EXPECT_EQ(FramesWith(frames, "D", true), 0);
    EXPECT_FALSE(controls->IsDown("D"));
    EXPECT_FALSE(controls->IsDown("MOUSE1"));
}

TEST_F(InputTest, AltF4IssuesExitAndTheWindowStays)
{
    MakeControls(true);
    ASSERT_TRUE(config->IsCommandDone("exit"));
    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool key alt+F4", frames));
    EXPECT_FALSE(config->IsCommandDone("exit"));
    EXPECT_TRUE(IsWindow(window->GetHandle()));
    EXPECT_TRUE(IsWindowVisible(window->GetHandle()));
}

TEST_F(InputTest, AltEnterActsOncePerPress)
{
    MakeControls(true);
    ASSERT_FALSE(config->fullscreen);
    // Held over many frames: one flip, one request.
    std::vector<FrameSeen> frames;
    ASSERT_TRUE(DuringFrames("xdotool keydown alt keydown Return", frames, 20));
    EXPECT_EQ(modeFlips, 1);
    EXPECT_TRUE(config->fullscreen);
    std::vector<unsigned char> ini = TestSupport::ReadFileBytes(dir + "\\input.ini");
    EXPECT_NE(std::string(ini.begin(), ini.end()).find("v_fullscreen 1\r\n"), std::string::npos);
    EXPECT_FALSE(config->IsCommandDone("v_window_change_mode"));
    config->SetCommandDone("v_window_change_mode", true);
    ASSERT_TRUE(DuringFrames("xdotool keyup Return keyup alt", frames, 5));
    EXPECT_TRUE(config->fullscreen);
    EXPECT_TRUE(config->IsCommandDone("v_window_change_mode"));
    // The next press flips back. (The keys are polled once a frame, so the
    // press has to last into a frame.)
    ASSERT_TRUE(DuringFrames("xdotool keydown alt keydown Return", frames, 5));
    ASSERT_TRUE(DuringFrames("xdotool keyup Return keyup alt", frames, 5));
    EXPECT_EQ(modeFlips, 2);
    EXPECT_FALSE(config->fullscreen);
    EXPECT_FALSE(config->IsCommandDone("v_window_change_mode"));
}

TEST_F(InputTest, SetUpAndTearDownAreLogged)
{
    MakeControls(true);
    controls.reset();
    std::vector<std::string> lines;
    for (int i = 0; i < log->GetHistorySize(); ++i)
        lines.push_back(log->GetHistoryRecord(i)->text);
    const std::vector<std::string> expected = {
        "Initialization of DirectInput devices...\n",
        "...Creating a DirectInput object...\n",
        "...Keyboard:\n",
        "......Obtaining an interface to the system keyboard device...\n",
        "......Setting the data format...\n",
        "......Setting the cooperativity level...\n",
        "......Setting the buffered mode...\n",
        "...Mouse:\n",
        "......Obtaining an interface to the system mouse device...\n",
        "......Setting the data format...\n",
        "......Setting the cooperativity level...\n",
        "......Setting the buffered mode...\n",
        "\nDirectInput devices destroying:\n",
        "...Keyboard...\n",
        "...Mouse...\n",
        "...DirectInput object...\n",
    };
    auto start = std::find(lines.begin(), lines.end(), expected[0]);
    ASSERT_NE(start, lines.end());
    EXPECT_EQ(std::vector<std::string>(start, lines.end()), expected);
}

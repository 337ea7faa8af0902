// The widgets under real input: xdotool moves the X pointer, presses the
// button and types keys on the test display, Wine hands them to DirectInput
// and the window, and the GUI manager's frames see them, asking the system
// where the pointer is at most once a frame.
#include "GUITestSupport.h"
#include "WidgetModels.h"

#include <cstdio>
#include <functional>
#include <sstream>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/audio_input/SoundTestSupport.h"
#include "engine/render/Model.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUICursor.h"
#include "gui/GUIEditBox.h"
#include "gui/GUIScroll.h"
#include "gui/GUISlider.h"
#include "gui/GUISoundManager.h"
#include "support/HostShell.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using namespace GUITest;

namespace {

// Counts this program's own calls of the system's pointer query: its import
// entry is pointed at a counter that calls the real function.
using CursorQuery = BOOL(WINAPI*)(LPPOINT);
CursorQuery realCursorQuery = nullptr;
volatile LONG cursorQueries = 0;
// The program's clock when it last asked: the window reads it just before.
volatile DWORD lastQueryTick = 0;

BOOL WINAPI CountedCursorQuery(LPPOINT p)
{
    InterlockedIncrement(&cursorQueries);
    lastQueryTick = GetTickCount();
    return realCursorQuery(p);
}

// The counter in place while it lives.
struct CountedCursorQueries {
    CountedCursorQueries()
    {
        realCursorQuery = reinterpret_cast<CursorQuery>(
            TestSupport::PatchImport("user32.dll", "GetCursorPos", reinterpret_cast<void*>(&CountedCursorQuery)));
    }
    ~CountedCursorQueries()
    {
        if (realCursorQuery)
            TestSupport::PatchImport("user32.dll", "GetCursorPos", reinterpret_cast<void*>(realCursorQuery));
    }
    bool Patched() const { return realCursorQuery != nullptr; }
};

// The program's GetTickCount, by which the window times its pointer, pointed
// at a clock the test can hold for a frame: what the window makes of a frame
// then depends on the time the test gives it, not on how fast the machine
// ran the frames and host lines before it. Held only while no host line runs.
using TickQuery = DWORD(WINAPI*)();
TickQuery realTickCount = nullptr;
volatile LONG tickHeld = 0;
volatile DWORD heldTick = 0;

DWORD WINAPI HeldTickCount()
{
    return tickHeld ? heldTick : realTickCount();
}

struct HeldClock {
    HeldClock()
    {
        realTickCount = reinterpret_cast<TickQuery>(
            TestSupport::PatchImport("kernel32.dll", "GetTickCount", reinterpret_cast<void*>(&HeldTickCount)));
    }
    ~HeldClock()
    {
        tickHeld = 0;
        if (realTickCount)
            TestSupport::PatchImport("kernel32.dll", "GetTickCount", reinterpret_cast<void*>(realTickCount));
    }
    bool Patched() const { return realTickCount != nullptr; }
    void Hold(DWORD tick)
    {
        heldTick = tick;
        tickHeld = 1;
    }
    void Release() { tickHeld = 0; }
};

class GUIInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("gui_input");
        shell = std::make_unique<TestSupport::HostShell>(dir);
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
        scene.StartGUI("gui_input", true);
        // X gives the keys to the window under the pointer.
        ASSERT_TRUE(Move(400, 300));
    }
    void TearDown() override
    {
        std::printf("input: the longest wait for a host line's input after the line ended: %lu ms\n",
                    static_cast<unsigned long>(HostInput::Arrival::Longest()));
        if (shell && shell->Available()) {
            // What the display showed when something went wrong, beside the test.
            if (HasFailure())
                shell->Run("import -window root " + shell->UnixFolder() + "/../gui_input_failure.png", [] { Pump(); });
            shell->Run("xdotool mouseup 1", [] { Pump(); });
        }
        sources.clear();
        scene.StopGUI();
        TestSupport::RemoveTree(dir);
    }

    // Screen position of a GUI point.
    std::string At(float x, float y)
    {
        POINT p = {LONG(scene.PixelX(x)), LONG(scene.PixelY(y))};
        ClientToScreen(scene.window->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }

    // Runs a host line while GUI frames go on (each also calling watch),
    // until the program has taken all the line sent, then the frames that
    // read the devices' buffers to their end.
    ::testing::AssertionResult During(const std::string& line, const std::function<void()>& watch = nullptr)
    {
        auto frame = [&] {
            scene.GUIFrame();
            if (watch)
                watch();
            Sleep(5);
        };
        // Keys go to the focused window: keep it ours.
        SetForegroundWindow(scene.window->GetHandle());
        const ::testing::AssertionResult arrived = HostInput::RunAndWait(*shell, line, frame);
        if (!arrived)
            return arrived;
        for (int i = 0; i < HostInput::kDrainFrames; ++i)
            frame();
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult Move(float x, float y) { return During("xdotool mousemove " + At(x, y)); }
    // Keys by name ("Left Home"), or the keys of a text, one host line each:
    // the program keeps one typed key a frame, so a key sent while a long
    // frame still holds the one before would take its place.
    ::testing::AssertionResult Keys(const std::string& names)
    {
        std::istringstream in(names);
        for (std::string name; in >> name;) {
            const ::testing::AssertionResult sent = During("xdotool key " + name);
            if (!sent)
                return sent;
        }
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult Type(const std::string& text)
    {
        for (char c : text) {
            const ::testing::AssertionResult sent = During(std::string("xdotool type ") + c);
            if (!sent)
                return sent;
        }
        return ::testing::AssertionSuccess();
    }

    // Frames until the window's last move is older than its moving spell
    // (0.1 s, with a margin): from then on it asks the system only to
    // confirm the pointer at rest.
    void FramesUntilAtRest()
    {
        while (GetTickCount() - HostInput::Counts().lastMoveTick < 150) {
            scene.GUIFrame();
            Sleep(5);
        }
    }
    // Frames until the window has confirmed the pointer at rest: asked the
    // system at least its moving spell after the last move. Idle: 0.2 s.
    ::testing::AssertionResult FramesUntilConfirmedAtRest()
    {
        const DWORD movedAt = HostInput::Counts().lastMoveTick;
        for (const DWORD start = GetTickCount(); LONG(lastQueryTick - movedAt) < 110; Sleep(5)) {
            if (GetTickCount() - start > 3000)
                return ::testing::AssertionFailure() << "no confirmation at rest within 3 s";
            scene.GUIFrame();
        }
        return ::testing::AssertionSuccess();
    }

    // A band model (one frame a state) loaded as the resource registry does.
    Model* BandModel(const std::string& name, uint32_t frames)
    {
        scene.PutFile(name + ".kml", ContentTools::WriteModelFile(BandQuad(frames)));
        scene.PutFile(name + ".srf", ContentTools::WriteShaderFile(BandShader(name + ".bmp")));
        scene.PutFile(name + ".bmp", BandPicture(frames));
        sources.emplace_back(scene.models->LoadModelUnregistered(scene.Path(name + ".kml"), nullptr, 0, false));
        return sources.back().get();
    }

    bool ShowsBand(float x, float y, uint32_t k)
    {
        const Rgb c = BandColour(k);
        return scene.GUIPixelNear(x, y, c.r, c.g, c.b, 30);
    }

    std::string dir;
    std::unique_ptr<TestSupport::HostShell> shell;
    GUIScene scene;
    std::vector<std::unique_ptr<Model>> sources;
};

TEST_F(GUIInput, ButtonClicksOnceOnAReleaseOverItAndNeverOtherwise)
{
    GUIButton* b = scene.gui->CreateButton(1, Vector2(300, 250), Vector2(200, 100), BandModel("button", 4), nullptr,
        nullptr);
    int clicks = 0;
    std::vector<int32_t> states;
    auto watch = [&] {
        clicks += b->clicked;
        states.push_back(b->GetState());
    };
    ASSERT_TRUE(Move(100, 100));
    EXPECT_EQ(b->GetState(), GUIButton::kNormal);
    EXPECT_TRUE(ShowsBand(400, 300, 0));
    ASSERT_TRUE(Move(400, 300));
    EXPECT_EQ(b->GetState(), GUIButton::kMouseOver);
    EXPECT_TRUE(ShowsBand(400, 300, 1)) << "the model shows the hover frame";

    ASSERT_TRUE(During("xdotool click 1", watch));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->clicked) << "the flag lives one frame";

    // Press, drag off, back on, off again, release: no click; 2 over, 0 off.
    clicks = 0;
    states.clear();
    ASSERT_TRUE(During("xdotool mousedown 1 && sleep 0.3 && xdotool mousemove " + At(100, 100) +
                           " && sleep 0.3 && xdotool mousemove " + At(400, 300) +
                           " && sleep 0.3 && xdotool mousemove " + At(100, 100) + " && sleep 0.3 && xdotool mouseup 1",
                       watch));
    EXPECT_EQ(clicks, 0);
    EXPECT_NE(std::find(states.begin(), states.end(), GUIButton::kPressed), states.end());
    EXPECT_NE(std::find(states.begin(), states.end(), GUIButton::kNormal), states.end());

    // Press outside, move over, release: the press never began over it.
    ASSERT_TRUE(During("xdotool mousedown 1 && sleep 0.2 && xdotool mousemove " + At(400, 300) +
           " && sleep 0.2 && xdotool mouseup 1", watch));
    EXPECT_EQ(clicks, 0);

    // Disabled mid-press and enabled again under the pointer: no click.
    ASSERT_TRUE(During("xdotool mousedown 1", watch));
    EXPECT_TRUE(b->IsPressActive());
    EXPECT_TRUE(ShowsBand(400, 300, 2)) << "the pressed frame";
    b->SetEnabled(false);
    for (int i = 0; i < 5; ++i)
        scene.GUIFrame();
    EXPECT_EQ(b->GetState(), GUIButton::kDisabled);
    EXPECT_TRUE(ShowsBand(400, 300, 3));
    b->SetEnabled(true);
    ASSERT_TRUE(During("sleep 0.1 && xdotool mouseup 1", watch));
    EXPECT_EQ(clicks, 0);
    // Hidden mid-press and shown again: no click either.
    ASSERT_TRUE(During("xdotool mousedown 1", watch));
    b->ClearFlags(GUIWindow::kShown);
    scene.GUIFrame();
    b->SetFlags(GUIWindow::kShown);
    ASSERT_TRUE(During("sleep 0.1 && xdotool mouseup 1", watch));
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(During("xdotool click 1", watch));
    EXPECT_EQ(clicks, 1);
}

TEST_F(GUIInput, CheckBoxTogglesOnRealClicksAndShowsItsState)
{
    GUICheckBox* c = scene.gui->CreateCheckBox(1, Vector2(300, 250), Vector2(200, 100), BandModel("check", 8),
        nullptr, nullptr);
    ASSERT_TRUE(Move(400, 300));
    ASSERT_TRUE(During("xdotool click 1"));
    EXPECT_EQ(c->checked, 1);
    EXPECT_EQ(c->GetState(), 4);
    EXPECT_TRUE(ShowsBand(400, 300, 4)) << "checked, mouse over";
    ASSERT_TRUE(Move(100, 100));
    EXPECT_EQ(c->GetState(), 3);
    EXPECT_TRUE(ShowsBand(400, 300, 3)) << "checked";
    ASSERT_TRUE(Move(400, 300));
    ASSERT_TRUE(During("xdotool click 1"));
    EXPECT_EQ(c->checked, 0);
    EXPECT_EQ(c->GetState(), 1);
    c->SetEnabled(false);
    ASSERT_TRUE(During("xdotool click 1"));
    EXPECT_EQ(c->checked, 0);
    EXPECT_EQ(c->GetState(), 6);
    EXPECT_TRUE(ShowsBand(400, 300, 6));
    c->checked = 1;
    scene.GUIFrame();
    EXPECT_EQ(c->GetState(), 7);
    EXPECT_TRUE(ShowsBand(400, 300, 7));
}

TEST_F(GUIInput, EditBoxTakesRealKeys)
{
    // The print cue through a real sound manager, to count it.
    SoundSystem_DS7 system(false);
    SoundSystem::Instance(&system);
    SoundManager sounds;
    SoundManager::Instance(&sounds);
    const std::string wav = scene.root + "\\data\\" + scene.Path("print.wav");
    ASSERT_TRUE(TestSupport::WriteFileBytes(wav, SoundTest::MakeWav(1, 22050, 16,
        SoundTest::Pcm16(SoundTest::Sine16(880, 22050, 400, 0.3)))));
    GUISoundManager& cues = *scene.gui->GetSoundManager();
    cues.AddSound("gui_default_edit_box_print", wav, true);
    ASSERT_EQ(cues.GetCues().size(), 1u);

    scene.LoadBlockFont(0, 20);
    GUIManager& gui = *scene.gui;
    GUIEditBox* e = gui.CreateEditBox(1, Vector2(100, 400), Vector2(300, 30), nullptr, nullptr, 0, Color(1, 1, 1, 1),
        Vector2(0, 5), 50, 10000, 100, '_', nullptr);
    ASSERT_TRUE(Move(400, 300));
    ASSERT_TRUE(Type("abc"));
    EXPECT_EQ(e->GetText(), L"abc");
    ASSERT_TRUE(Keys("Left Left"));
    ASSERT_TRUE(Type("X"));
    EXPECT_EQ(e->GetText(), L"aXbc");
    EXPECT_EQ(e->GetCursor(), 2);
    ASSERT_TRUE(Keys("Home Delete"));
    EXPECT_EQ(e->GetText(), L"Xbc");
    ASSERT_TRUE(Keys("End BackSpace"));
    EXPECT_EQ(e->GetText(), L"Xb");
    // Backspace before the last character takes the one before the cursor.
    ASSERT_TRUE(Keys("Left BackSpace"));
    EXPECT_EQ(e->GetText(), L"b");
    EXPECT_EQ(e->GetCursor(), 0);
    ASSERT_TRUE(Keys("Insert"));
    ASSERT_TRUE(Type("Q"));
    ASSERT_TRUE(Keys("Insert"));
    EXPECT_EQ(e->GetText(), L"Q");
    EXPECT_FALSE(e->overwrite);
    EXPECT_EQ(cues.GetCues()[0].playCount, 8u) << "one cue a change, none for moves";
    // A character the font has no glyph for is typed as "a" (the block font
    // has ASCII only; the window turns the byte into its code page's letter).
    PostMessageA(scene.window->GetHandle(), WM_CHAR, 0xE9, 0);
    scene.GUIFrame();
    EXPECT_EQ(e->GetText(), L"Qa");
    ASSERT_TRUE(Keys("BackSpace"));
    EXPECT_EQ(e->GetText(), L"Q");

    // Eight at most: twelve letters keep eight, the cursor on the last; a
    // visible width below the cursor glyph's does not hang.
    e->active = false;
    GUIEditBox* eight = gui.CreateEditBox(1, Vector2(100, 300), Vector2(300, 30), nullptr, nullptr, 0,
        Color(1, 1, 1, 1), Vector2(0, 0), 8, 10000, 1000, '_', nullptr);
    GUIEditBox* tiny = gui.CreateEditBox(1, Vector2(100, 200), Vector2(300, 30), nullptr, nullptr, 0,
        Color(1, 1, 1, 1), Vector2(0, 0), 50, 10000, 1, '_', nullptr);
    ASSERT_TRUE(Type("abcdefghijkl"));
    EXPECT_EQ(eight->GetText(), L"abcdefgh");
    EXPECT_EQ(eight->GetCursor(), 7);
    EXPECT_EQ(tiny->GetText(), L"abcdefghijkl");
    EXPECT_LE(tiny->GetScrollOffset(), tiny->GetCursor());
    gui.DestroyEditBox(eight);
    gui.DestroyEditBox(tiny);

    // Scrolling: 10 units a letter, 100 visible.
    e->active = true;
    e->SetText(L"");
    ASSERT_TRUE(Type("abcdefghijklmnopqrst"));
    EXPECT_EQ(e->GetScrollOffset(), 11);
    ASSERT_TRUE(Keys("Left Left Left Left Left Left Left Left Left"));
    EXPECT_EQ(e->GetCursor(), 11);
    EXPECT_EQ(e->GetScrollOffset(), 6) << "back by 5";
    ASSERT_TRUE(Keys("Right Right Right Right"));
    EXPECT_EQ(e->GetCursor(), 15);
    EXPECT_EQ(e->GetScrollOffset(), 11) << "on by 5";
    ASSERT_TRUE(Keys("Home"));
    EXPECT_EQ(e->GetScrollOffset(), 0);
    scene.GUIFrame();
    const InkBox ink = FindInk(scene.Screenshot(), 255, 255, 255);
    ASSERT_FALSE(ink.Empty());
    EXPECT_LE(scene.GUIX(float(ink.right + 1)), 100 + 100 + 2) << "no ink past the visible width";
    EXPECT_NEAR(scene.GUIX(float(ink.left)), 100, 2);

    gui.DestroyEditBox(e);
    delete scene.gui.release();  // its cues go before the sound manager
}

TEST_F(GUIInput, SliderFollowsARealDragAndStepButtonsRepeat)
{
    GUIManager& gui = *scene.gui;
    GUISlider* s = gui.CreateSlider(1, Vector2(100, 100), Vector2(400, 40), nullptr, &scene.white, 0, Vector2(0, 0),
        Vector2(360, 0), 5, nullptr);
    s->CreateToddler(Vector2(40, 40), nullptr, &scene.white);
    ASSERT_TRUE(Move(120, 120));
    // 75 % of the track: the thumb centre at 100 + 20 + 0.75 x 360.
    ASSERT_TRUE(During("xdotool mousedown 1 && sleep 0.2 && xdotool mousemove " + At(390, 120) + " && sleep 0.3"));
    EXPECT_TRUE(s->IsPressed());
    EXPECT_EQ(s->value, 3u);
    ASSERT_TRUE(During("xdotool mousemove " + At(790, 10) + " && sleep 0.3"));
    EXPECT_EQ(s->value, 4u) << "past the end";
    ASSERT_TRUE(During("xdotool mouseup 1"));
    EXPECT_FALSE(s->IsPressed());

    GUIScroll* sc = gui.CreateScroll(1, Vector2(600, 200), Vector2(40, 300), nullptr, &scene.white, 1,
        Vector2(0, 40), Vector2(0, 220), 100, nullptr);
    sc->CreateIncreaseButton(Vector2(0, 260), Vector2(40, 40), nullptr, &scene.white);
    sc->CreateDecreaseButton(Vector2(0, 0), Vector2(40, 40), nullptr, &scene.white);
    sc->SetValue(10);
    ASSERT_TRUE(Move(620, 480));
    // The press waits in the device's buffer for the first frame of fixed
    // length: a frame of the real clock that took it would start the repeat
    // with a clock of its own length.
    HostInput::Arrival press("xdotool mousedown 1");
    ASSERT_TRUE(shell->Run("xdotool mousedown 1", [] { Pump(); }, 30000));
    ASSERT_TRUE(press.Wait([] { Pump(); }));
    // Held for 0.5 s of 1/60 s frames; the press is among what the device's
    // buffer holds, so the frames that read it to its end see it.
    const uint32_t before = sc->value;
    scene.injectedFrameTime = 1.0f / 60;
    for (int i = 0; i < HostInput::kDrainFrames && !sc->GetIncreaseButton()->IsPressActive() && sc->value == before;
         ++i)
        scene.GUIFrame();
    ASSERT_TRUE(sc->GetIncreaseButton()->IsPressActive());
    for (int i = 1; i < 30; ++i)
        scene.GUIFrame();
    scene.injectedFrameTime = 0;
    EXPECT_EQ(sc->value, before + 4);
    ASSERT_TRUE(During("xdotool mouseup 1"));
}

// Where the system has the pointer, in client pixels, asked past the counter.
POINT SystemPointer(HWND window)
{
    POINT p = {0, 0};
    realCursorQuery(&p);
    ScreenToClient(window, &p);
    return p;
}

TEST_F(GUIInput, ThePointerIsAskedForAtMostOnceAFrameAndNotAtRest)
{
    CountedCursorQueries counted;
    ASSERT_TRUE(counted.Patched()) << "the program imports no GetCursorPos";
    HeldClock clock;
    ASSERT_TRUE(clock.Patched()) << "the program imports no GetTickCount";
    const HWND hwnd = scene.window->GetHandle();
    // As the game has them: the default cursor and three drawn ones, and a
    // widget under the pointer.
    std::vector<GUICursor*> drawn;
    for (int i = 0; i < 3; ++i)
        drawn.push_back(scene.gui->CreateCursor(nullptr, &scene.white, 20));
    GUIButton* b = scene.gui->CreateButton(1, Vector2(300, 250), Vector2(200, 100), nullptr, &scene.white, nullptr);
    auto sameForAll = [&] {
        const Vector2 at = scene.gui->GetCursorPosition();
        for (GUICursor* c : drawn)
            if (c->GetPosition().x != at.x || c->GetPosition().y != at.y)
                return false;
        return true;
    };
    auto atSystemPointer = [&] {
        const POINT p = SystemPointer(hwnd);
        const Vector2 seen = scene.controls->GetCursorPosition();
        return seen.x == float(p.x) && seen.y == float(p.y);
    };
    auto framesUntil = [&](const std::function<bool()>& done) {
        for (DWORD start = GetTickCount(); !done(); scene.GUIFrame())
            if (GetTickCount() - start > 5000)
                return false;
        return true;
    };

    // At rest over the window: the window's messages told where, and the
    // system is asked only now and then, not once for every cursor.
    ASSERT_TRUE(Move(400, 300));
    FramesUntilAtRest();
    LONG before = cursorQueries;
    int frames = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 1000) {
        scene.GUIFrame();
        ++frames;
    }
    LONG asked = cursorQueries - before;
    EXPECT_LE(asked, frames) << "at rest";
    EXPECT_LE(asked, LONG(GetTickCount() - start) / 100 + 2) << "at rest";
    EXPECT_TRUE(atSystemPointer());
    EXPECT_TRUE(sameForAll());
    EXPECT_TRUE(b->mouseOver);

    // Moving: once a frame at most, and the frames follow it.
    before = cursorQueries;
    frames = 0;
    ASSERT_TRUE(During("xdotool mousemove " + At(350, 280) + " sleep 0.05 mousemove " + At(420, 310) +
                           " sleep 0.05 mousemove " + At(450, 320),
                       [&] { ++frames; }));
    EXPECT_LE(cursorQueries - before, frames) << "moving";
    EXPECT_TRUE(framesUntil(atSystemPointer));
    EXPECT_TRUE(sameForAll());

    // From rest off the button straight onto it and a click: the button
    // comes in the frame that sees the pointer there, every time.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Move(150, 150));
        FramesUntilAtRest();
        int clicks = 0;
        ASSERT_TRUE(During("xdotool mousemove " + At(400, 300) + " click 1", [&] { clicks += b->clicked; }));
        EXPECT_EQ(clicks, 1) << "click " << i;
    }

    // Off the window, below it, where it hears of no move: seen all the same,
    // and nothing is hovered.
    RECT r;
    GetWindowRect(hwnd, &r);
    ASSERT_TRUE(During("xdotool mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                       std::to_string(std::min<LONG>(r.bottom + 4, GetSystemMetrics(SM_CYSCREEN) - 1))));
    ASSERT_TRUE(framesUntil(atSystemPointer));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_GE(scene.controls->GetCursorPosition().y, float(client.bottom));
    EXPECT_FALSE(b->mouseOver);
    before = cursorQueries;
    for (int i = 0; i < 20; ++i)
        scene.GUIFrame();
    EXPECT_LE(cursorQueries - before, 20);
    EXPECT_TRUE(atSystemPointer()) << "still there";

    // Back, then moved by the program: reported within the same frame, and
    // the system agrees once it has caught up.
    ASSERT_TRUE(Move(400, 300));
    ASSERT_TRUE(framesUntil(atSystemPointer));
    const Vector2i warp(int32_t(scene.PixelX(600)), int32_t(scene.PixelY(450)));
    scene.window->MovePointer(warp);
    EXPECT_EQ(scene.controls->GetCursorPosition().x, float(warp.x));
    EXPECT_EQ(scene.controls->GetCursorPosition().y, float(warp.y));
    for (int i = 0; i < 5; ++i)
        scene.GUIFrame();
    EXPECT_FALSE(b->mouseOver);
    EXPECT_NEAR(scene.gui->GetCursorPosition().x, 600, 1);
    EXPECT_NEAR(scene.gui->GetCursorPosition().y, 450, 1);
    EXPECT_TRUE(framesUntil(atSystemPointer)) << "the system caught up with the program's move";

    // The window moved under a resting pointer: the next frame has the
    // pointer where it now is in the client area. That frame comes 16 ms
    // after the last confirmation at rest on the window's clock, so only the
    // window's own notice of the move can make it ask.
    ASSERT_TRUE(Move(400, 300));
    ASSERT_TRUE(FramesUntilConfirmedAtRest());
    ASSERT_TRUE(atSystemPointer());
    SetWindowPos(hwnd, nullptr, r.left - 60, r.top - 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    clock.Hold(lastQueryTick + 16);
    scene.GUIFrame();
    clock.Release();
    EXPECT_TRUE(atSystemPointer()) << "after the window moved";
    SetWindowPos(hwnd, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    clock.Hold(lastQueryTick + 16);
    scene.GUIFrame();
    clock.Release();
    EXPECT_TRUE(atSystemPointer()) << "after the window moved back";

    scene.gui->DestroyButton(b);
    for (GUICursor* c : drawn)
        scene.gui->DestroyCursor(c);
}

TEST_F(GUIInput, APointerJumpingOffTheWindowFromRestIsSeenTheNextFrame)
{
    CountedCursorQueries counted;
    ASSERT_TRUE(counted.Patched()) << "the program imports no GetCursorPos";
    HeldClock clock;
    ASSERT_TRUE(clock.Patched()) << "the program imports no GetTickCount";
    UINT hoverTime = 0;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETMOUSEHOVERTIME, 0, &hoverTime, 0));
    struct RestoreHoverTime {
        UINT value;
        ~RestoreHoverTime() { SystemParametersInfoA(SPI_SETMOUSEHOVERTIME, value, nullptr, 0); }
    } restoreHoverTime{hoverTime};
    // Wine posts the leave notice only at a hover-time tick, Windows with the move: a short tick here to match.
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETMOUSEHOVERTIME, 10, nullptr, 0));

    const HWND hwnd = scene.window->GetHandle();
    GUIButton* b = scene.gui->CreateButton(1, Vector2(300, 250), Vector2(200, 100), nullptr, &scene.white, nullptr);
    RECT r, client;
    GetWindowRect(hwnd, &r);
    GetClientRect(hwnd, &client);
    const std::string below = std::to_string((r.left + r.right) / 2) + " " +
        std::to_string(std::min<LONG>(r.bottom + 4, GetSystemMetrics(SM_CYSCREEN) - 1));
    // Messages only, no frame, until the system's leave notice has been
    // handled. Idle: 0.4 s at the default hover time, 0.02 s at 10 ms.
    auto pumpUntilLeft = [&](uint32_t leaves) {
        for (const DWORD start = GetTickCount(); HostInput::Counts().leaves == leaves; Sleep(1)) {
            if (GetTickCount() - start > 3000)
                return false;
            Pump();
        }
        return true;
    };

    // A notice armed before the change ends with a leave at the old pace:
    // one is armed by a move onto the window and spent by a jump off it.
    // The next move onto the window arms one at the new pace.
    ASSERT_TRUE(Move(380, 300));
    uint32_t leaves = HostInput::Counts().leaves;
    ASSERT_TRUE(shell->Run("xdotool mousemove " + below, [] { Pump(); }));
    ASSERT_TRUE(pumpUntilLeft(leaves)) << "no leave notice within 3 s of a jump off the window";

    // At rest over the button, and confirmed there. (Wine reports no move
    // onto the point where it last had the pointer: a new point.)
    ASSERT_TRUE(Move(410, 300));
    ASSERT_TRUE(b->mouseOver);
    ASSERT_TRUE(FramesUntilConfirmedAtRest());
    ASSERT_TRUE(b->mouseOver);
    const DWORD confirmedAt = lastQueryTick;

    // One jump off the window, only messages pumped meanwhile: the notice
    // tells the window, which no move does.
    leaves = HostInput::Counts().leaves;
    ASSERT_TRUE(shell->Run("xdotool mousemove " + below, [] { Pump(); }));
    const DWORD lineEnded = GetTickCount();
    ASSERT_TRUE(pumpUntilLeft(leaves)) << "the jump off the window brought no leave notice: the window did not "
                                          "ask the system for one";
    const DWORD handledAt = GetTickCount();
    std::printf("jump: the leave notice was handled %lu ms after the host line ended, %lu ms after the "
                "confirmation at rest\n",
                static_cast<unsigned long>(handledAt - lineEnded), static_cast<unsigned long>(handledAt - confirmedAt));

    // The next frame, as a game running at 60 frames a second would have it:
    // 16 ms after the confirmation on the window's clock, well before the
    // next one is due (0.1 s). Without the notice it would not ask, and keep
    // the pointer over the button.
    const LONG before = cursorQueries;
    clock.Hold(confirmedAt + 16);
    scene.GUIFrame();
    clock.Release();
    EXPECT_LE(cursorQueries - before, 1);
    EXPECT_GE(scene.controls->GetCursorPosition().y, float(client.bottom));
    EXPECT_FALSE(b->mouseOver);
    scene.gui->DestroyButton(b);
}

TEST_F(GUIInput, CursorMapsClientPixelsToGUIUnits)
{
    GUICursor* drawn = scene.gui->CreateCursor(nullptr, &scene.white, 20);
    drawn->visible = true;
    const float h = float(scene.window->GetHeight());
    POINT p = {0, 0};
    ClientToScreen(scene.window->GetHandle(), &p);
    ASSERT_TRUE(During("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y)));
    EXPECT_NEAR(scene.gui->GetCursorPosition().x, 0, 1e-3f);
    EXPECT_NEAR(scene.gui->GetCursorPosition().y, kHeight - kHeight / h, 1e-3f);
    ASSERT_TRUE(During("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y + LONG(h) - 1)));
    EXPECT_NEAR(scene.gui->GetCursorPosition().y, 0, 1e-3f);
    ASSERT_TRUE(Move(400, 300));
    EXPECT_NEAR(drawn->GetPosition().x, 400, 1);
    // The drawn cursor hangs right of and below the hot spot, in front.
    EXPECT_TRUE(scene.GUIPixelNear(410, 290, 255, 255, 255));
    EXPECT_TRUE(scene.GUIPixelNear(390, 310, 0, 0, 0));
    drawn->visible = false;
    scene.GUIFrame();
    EXPECT_TRUE(scene.GUIPixelNear(410, 290, 0, 0, 0));
    scene.gui->DestroyCursor(drawn);
}

} // namespace

#pragma once
// Shared by the tests that make the puzzle game inside the test program: a
// program folder with generated content, and an identity of the test's own
// (company "Quillfen Games Test", title = the test program's name), so that
// its .ini, log and registry key are apart from the real program's and from
// other tests'.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/Window.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/SoundController.h"
#include "gui/GUIManager.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindow.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/Game.h"
#include "support/HostShell.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"

namespace GameTest {

const char kCompany[] = "Quillfen Games Test";

inline std::string Title() { return TestSupport::ExecutableName(); }
inline std::string KeyPath() { return std::string("SOFTWARE\\") + kCompany + "\\" + Title(); }
inline std::string UserData() { return TestSupport::UserDataFolder(kCompany, Title()); }
inline std::string IniPath() { return UserData() + "\\" + Title() + ".ini"; }
inline std::string LogPath() { return UserData() + "\\" + Title() + ".html"; }

inline std::string ReadText(const std::string& path)
{
    std::vector<unsigned char> b = TestSupport::ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

// A fresh per-user state with the given .ini.
inline void ResetUserData(const std::string& ini)
{
    TestSupport::ClearUserData(kCompany, Title());
    CreateDirectoryA((KorvaneEngine::GetAppDataFolder() + "\\" + kCompany).c_str(), nullptr);
    CreateDirectoryA(UserData().c_str(), nullptr);
    ASSERT_TRUE(TestSupport::WriteFileText(IniPath(), ini));
}

// tmp_<name> beside the test program, holding generated content.
inline std::string MakeProgramFolder(const std::string& name, bool allLoose = false,
                                     const std::function<void(Content::ContentSet&)>& change = nullptr)
{
    const std::string folder = KorvaneEngine::GetExecutableDirectory() + "\\tmp_" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    Content::Options options;
    options.allLoose = allLoose;
    std::string error;
    EXPECT_TRUE(TestSupport::WriteContent(folder, options, change, &error)) << error;
    return folder;
}

// Content without the publishers' logos: the start-up goes straight on.
inline void WithoutLogos(Content::ContentSet& set)
{
    for (const std::string& p : set.Paths())
        if (p.find("\\publishers\\") != std::string::npos)
            set.Remove(p);
}

// The wait of the running test that took the largest share of its time
// limit, so that a run shows how much room its limits leave.
struct ClosestWait {
    double seconds = 0, limit = 0;
};
inline ClosestWait& ClosestWaitSoFar()
{
    static ClosestWait closest;
    return closest;
}
inline void NoteWait(DWORD start, double limit)
{
    const double seconds = TestSupport::SecondsSince(start);
    ClosestWait& c = ClosestWaitSoFar();
    if (limit > 0 && (c.limit <= 0 || seconds / limit > c.seconds / c.limit)) {
        c.seconds = seconds;
        c.limit = limit;
    }
}
// Prints the closest wait since the last report and starts over.
inline void ReportWaits()
{
    ClosestWait& c = ClosestWaitSoFar();
    if (c.limit > 0)
        std::printf("[timing] the closest wait took %.2f s of its %.0f s limit\n", c.seconds, c.limit);
    c = ClosestWait();
}

// Frames until the start-up has run its course (logos, loading, the first
// menu window on screen with its cue played), then all music stopped at
// once: a test of its own sounds or pixels then starts from a still screen.
inline bool SettleIntoMenus(Puzzle::Game& game, double seconds = 40)
{
    const DWORD start = GetTickCount();
    Puzzle::GUIMenuWindowManager* windows = nullptr;
    for (;;) {
        TestSupport::ProgramRunner::Pump();
        game.Update();
        Sleep(5);
        windows = game.GetMenuWindowManager();
        Puzzle::GUIMenuWindow* holder = windows ? windows->GetTurnHolder() : nullptr;
        if (holder && holder->GetName() != "window_game_loading" && holder->IsVisible() && !holder->IsSoundPending() &&
            (!holder->GetTitleControl() || holder->GetTitleControl()->IsPrintingDone()))
            break;
        if (GetTickCount() - start > seconds * 1000) {
            NoteWait(start, seconds);
            return false;
        }
    }
    NoteWait(start, seconds);
    if (GameFramework::SoundController* sounds = game.GetSoundController())
        sounds->StopAllMusic(false, 1.0f);
    return true;
}

// A start-up error is reported with its message before it propagates.
inline std::unique_ptr<Puzzle::Game> MakeGame(const std::string& folder, uint32_t version = 100,
                                              bool reportErrors = true)
{
    try {
        return std::make_unique<Puzzle::Game>(kCompany, Title(), version, KeyPath(), folder, "demo");
    } catch (const KorvaneEngine::Error& e) {
        if (reportErrors)
            ADD_FAILURE() << "the game did not start: " << e.GetMessage();
        throw;
    }
}

inline Puzzle::GUIMenuWindow* Menu(GameFramework::GUIFrameworkWindow* w)
{
    return dynamic_cast<Puzzle::GUIMenuWindow*>(w);
}

// A screen as the player sees it: shown, its panel on screen and faded in.
inline bool OnScreen(GameFramework::GUIFrameworkWindow* w)
{
    Puzzle::GUIMenuWindow* m = Menu(w);
    return m && m->IsVisible() && m->GetPanelControl() && m->GetPanelControl()->GetWidget()->IsVisible() &&
           m->GetPanelControl()->GetWidget()->GetAlpha() > 0.99f;
}

// A window answers as its button would (the code kept over the next reset).
inline void Answer(GameFramework::GUIFrameworkWindow* w, int code)
{
    w->SetEventCode(code);
    w->SetHandled(false);
}

// Frames until the condition holds; false when it still does not after the
// time limit.
inline bool FramesUntil(const std::function<void()>& frame, const std::function<bool()>& condition, double seconds)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > seconds * 1000) {
            NoteWait(start, seconds);
            return false;
        }
        frame();
    }
    NoteWait(start, seconds);
    return true;
}

// The desktop point of a GUI point (800 x 600, y up) of the main window.
inline POINT DesktopPointOf(const KorvaneEngine::Vector2& gui)
{
    KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
    POINT p = {LONG(std::lround(gui.x * window->GetWidth() / 800.0f)),
               LONG(std::lround((600.0f - gui.y) * window->GetHeight() / 600.0f))};
    ClientToScreen(window->GetHandle(), &p);
    return p;
}

// A real left click at a GUI point through the host's xdotool, the frames
// running all the while, in two steps each seen before the next: the pointer
// there (the GUI manager's cursor on the point), then the click, pressed and
// let go at once as a player's is (a scroll's step button held longer
// repeats). presses counts the frames whose input had the left button go
// down, as the caller's frames note them before the frame's end forgets it;
// the click has been taken when it has grown and the button is up. One more
// frame then runs the windows' answer. Each step has the time limit; one
// takes 0.05 s with every core of the machine busy.
inline ::testing::AssertionResult HostClickAt(TestSupport::HostShell& shell, const KorvaneEngine::Vector2& gui,
                                              const std::function<void()>& frame, const std::function<int()>& presses,
                                              double seconds = 10)
{
    const POINT p = DesktopPointOf(gui);
    const KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance();
    const KorvaneEngine::GUIManager* manager = KorvaneEngine::GUIManager::Instance();
    if (!shell.Run("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y), frame, 30000))
        return ::testing::AssertionFailure() << "the host line of the pointer's move failed";
    if (!FramesUntil(frame,
                     [&] {
                         const KorvaneEngine::Vector2 at = manager->GetCursorPosition();
                         return std::fabs(at.x - gui.x) <= 2 && std::fabs(at.y - gui.y) <= 2;
                     },
                     seconds))
        return ::testing::AssertionFailure() << "the pointer never reached (" << gui.x << ", " << gui.y << ")";
    const int before = presses();
    if (!shell.Run("xdotool click 1", frame, 30000))
        return ::testing::AssertionFailure() << "the host line of the click failed";
    if (!FramesUntil(frame, [&] { return presses() > before && !controls->IsDown("MOUSE1"); }, seconds))
        return ::testing::AssertionFailure() << "the game never took the click at (" << gui.x << ", " << gui.y << ")";
    frame();
    return ::testing::AssertionSuccess();
}

// The same in the middle of a widget.
inline ::testing::AssertionResult HostClickOn(TestSupport::HostShell& shell, const KorvaneEngine::GUIWindow* widget,
                                              const std::function<void()>& frame, const std::function<int()>& presses,
                                              double seconds = 10)
{
    if (!widget)
        return ::testing::AssertionFailure() << "no widget";
    return HostClickAt(shell, widget->GetAbsolutePosition() + widget->GetSize() * 0.5f, frame, presses, seconds);
}

// The game's window has the focus, as after a click on it.
inline void FocusGameWindow()
{
    HWND hwnd = KorvaneEngine::Window::Instance()->GetHandle();
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
}

#define SKIP_OUTSIDE_DESKTOP()                                                  \
    if (!TestSupport::InVirtualDesktop())                                       \
    GTEST_SKIP() << "runs inside the virtual desktop only"

} // namespace GameTest

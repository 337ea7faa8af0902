// The focus leaving the real game object for a second program in the same
// virtual desktop and coming back, moved by real clicks (xdotool): a level in
// play is paused behind its pause window and its time (as the HUD prints it)
// stands still until the player answers that window; in the menus the music
// waits and the menu answers as before. The music is looked at on the
// DirectSound buffers of its tracks.
#include "GameTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>

#include <dsound.h>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/ds7/SoundBuffer_DS7.h"
#include "engine/audio_input/ds7/Sound_DS7.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "framework/GUIGameLogicPauseWindowBase.h"
#include "framework/GUIGameLogicWindowBase.h"
#include "framework/GUIMainMenuWindowBase.h"
#include "framework/GUIStartGameLogicWindowBase.h"
#include "framework/GUIWelcomeWindowBase.h"
#include "framework/GameLogicBase.h"
#include "framework/MusicTrack.h"
#include "framework/Tutorial.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIGameCursor.h"
#include "puzzle/app/GUIGameLogicWindow.h"
#include "support/HostShell.h"
#include "tools/content/Screens.h"

using namespace GameTest;
using GameFramework::GameLogicBase;
using GameFramework::GUIFrameworkWindow;
namespace S = Content::Screens;

namespace {

// The game with its members in reach, and the HUD's time line of each full
// frame as it is queued for drawing.
class FocusGame : public Puzzle::Game {
public:
    explicit FocusGame(const std::string& folder) : Puzzle::Game(kCompany, Title(), 100, KeyPath(), folder, "demo") {}
    void UpdateWindows() override
    {
        Puzzle::Game::UpdateWindows();
        ++fullFrames;
        auto* hud = dynamic_cast<Puzzle::GUIGameLogicWindow*>(gameLogicWindow);
        KorvaneEngine::GUIWindow* statistics = hud ? hud->GetStatisticsWidget() : nullptr;
        hudTime = -1;
        for (uint32_t i = 0; statistics && i < statistics->GetTextCount(); ++i)
            if (statistics->GetText(i).text.compare(0, 6, L"Time: ") == 0)
                hudTime = std::wcstod(statistics->GetText(i).text.c_str() + 6, nullptr);
    }
    using GameBase::gameCursor;
    using GameBase::gameLogic;
    using GameBase::gameLogicPauseWindow;
    using GameBase::gameLogicWindow;
    using GameBase::mainMenuWindow;
    using GameBase::startGameLogicWindow;
    using GameBase::welcomeWindow;
    // -1 while the HUD prints no time.
    double hudTime = -1;
    int fullFrames = 0;
};

// The shown top-level window of the given class that belongs to a process:
// a window of the same kind left by another program is never taken for it.
struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM p)
{
    WindowSearch* s = reinterpret_cast<WindowSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    if (owner != s->processId || lstrcmpiA(name, s->className) != 0 || !IsWindowVisible(w))
        return TRUE;
    s->found = w;
    return FALSE;
}

HWND ShownWindowOf(DWORD processId, const char* className)
{
    WindowSearch search = {processId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the device does with a music track's buffer.
bool PlayingAtDevice(GameFramework::MusicTrack* track)
{
    auto* sound = dynamic_cast<KorvaneEngine::Sound_DS7*>(track ? track->GetSound() : nullptr);
    IDirectSoundBuffer* buffer = sound && sound->GetBufferDS7() ? sound->GetBufferDS7()->GetDeviceBuffer() : nullptr;
    DWORD status = 0;
    return buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

class InDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (TestSupport::InVirtualDesktop())
            folder = MakeProgramFolder("game_focus", false, WithoutLogos);
    }
    void SetUp() override
    {
        SKIP_OUTSIDE_DESKTOP();
        shell = std::make_unique<TestSupport::HostShell>(folder);
        ASSERT_TRUE(shell->Available());
        ASSERT_NO_FATAL_FAILURE(ResetUserData("v_fullscreen 0\r\n"));
    }
    void TearDown() override
    {
        ReportWaits();
        if (other.hProcess) {
            TerminateProcess(other.hProcess, 0);
            WaitForSingleObject(other.hProcess, 5000);
            CloseHandle(other.hProcess);
            CloseHandle(other.hThread);
        }
        game.reset();
        TestSupport::ClearUserData(kCompany, Title());
    }

    // A frame as the main loop runs it: the focus is wherever the clicks
    // left it.
    void Frame()
    {
        TestSupport::ProgramRunner::Pump();
        game->Update();
        Sleep(5);
    }
    // The other waits take 2 s at most with every core of the machine busy
    // (the longest waits for the level's time to pass 2 s).
    bool Until(const std::function<bool()>& condition, double seconds = 30)
    {
        return FramesUntil([&] { Frame(); }, condition, seconds);
    }
    // Frames for a while of wall time, with a check after each.
    void FramesFor(double seconds, const std::function<void()>& check)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < seconds * 1000) {
            Frame();
            check();
        }
    }
    // A real click at a point of the desktop, the frames running meanwhile.
    bool ClickAt(POINT p)
    {
        return shell->Run("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                              " mousedown 1 sleep 0.12 mouseup 1",
                          [&] { Frame(); }, 30000);
    }
    // The desktop point of a point of the game's GUI (800 x 600, y up).
    POINT GamePoint(float gx, float gy)
    {
        KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
        POINT p = {LONG(std::lround(gx * window->GetWidth() / 800.0f)),
                   LONG(std::lround((600.0f - gy) * window->GetHeight() / 600.0f))};
        ClientToScreen(window->GetHandle(), &p);
        return p;
    }
    POINT WidgetCentre(KorvaneEngine::GUIWindow* widget)
    {
        const KorvaneEngine::Vector2 at = widget->GetAbsolutePosition() + widget->GetSize() * 0.5f;
        return GamePoint(at.x, at.y);
    }

    // The second program, where it covers none of the game's window, the
    // focus then given back to the game.
    void StartOtherProgram()
    {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        char line[] = "notepad.exe";
        ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &other));
        // Its window exists before the program shows it, and a click before
        // then lands on the desktop and leaves the focus where it was.
        ASSERT_TRUE(Until([&] { return (otherWindow = ShownWindowOf(other.dwProcessId, "Notepad")) != nullptr; }, 20))
            << "the second program shows no window";
        // A click is only sure to be taken once the program waits for input
        // (0.1 s after its window shows, with half the cores busy).
        ASSERT_TRUE(Until([&] { return WaitForInputIdle(other.hProcess, 0) == 0; }, 10))
            << "the second program never waits for input";
        // The game's window stands in the middle of the desktop: the strip
        // above it is free.
        RECT game;
        GetWindowRect(KorvaneEngine::Window::Instance()->GetHandle(), &game);
        ASSERT_GE(game.top, 64) << "no room above the game's window";
        SetWindowPos(otherWindow, HWND_TOP, 0, 0, 400, game.top - 4, SWP_NOACTIVATE);
        FocusGameWindow();
        ASSERT_TRUE(Until([] { return KorvaneEngine::Window::Instance()->HasFocus(); }, 10));
    }
    // A click into the second program; true once the game has lost the
    // focus to it.
    bool FocusAway()
    {
        RECT client;
        GetClientRect(otherWindow, &client);
        POINT p = {client.right / 2, client.bottom / 2};
        ClientToScreen(otherWindow, &p);
        HWND under = WindowFromPoint(p);
        EXPECT_EQ(under ? GetAncestor(under, GA_ROOT) : nullptr, otherWindow) << "the second program is not under the click";
        return ClickUntilFocus(p, false);
    }
    // A click into the game's window at a GUI point where nothing answers.
    bool FocusBack(float gx, float gy) { return ClickUntilFocus(GamePoint(gx, gy), true); }
    // Clicks at p until the game has the focus or has lost it, as wanted.
    // A click moves the focus in 0.2 s, with half the cores busy too; once,
    // on a loaded machine, a click into the second program left the focus
    // where it was for 10 s, with that program under the pointer and its
    // host line ended well. Where the focus then was is printed before the
    // click is sent again; the clicks land where nothing answers, so a
    // second one changes nothing else.
    bool ClickUntilFocus(POINT p, bool toGame)
    {
        KorvaneEngine::Window* window = KorvaneEngine::Window::Instance();
        const DWORD start = GetTickCount();
        for (;;) {
            if (!ClickAt(p))
                return false;
            if (Until([&] { return window->HasFocus() == toGame; }, 3))
                return true;
            if (TestSupport::SecondsSince(start) > 20)
                return false;
            PrintFocus(p);
        }
    }
    // Which window is in front, which has the game thread's focus and what
    // is under p, each named by its class and whether it is the game's, the
    // second program's or another's.
    void PrintFocus(POINT p)
    {
        auto name = [&](HWND w) {
            if (!w)
                return std::string("none");
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            return std::string(cls) + (owner == GetCurrentProcessId() ? " (the game's)"
                                       : owner == other.dwProcessId ? " (the second program's)"
                                                                    : " (another program's)");
        };
        HWND under = WindowFromPoint(p);
        std::printf("[focus] no change 3 s after a click at (%ld, %ld): in front %s, focus %s, under the "
                    "click %s, second program %s, left button %s; clicking again\n",
                    p.x, p.y, name(GetForegroundWindow()).c_str(), name(GetFocus()).c_str(),
                    name(under ? GetAncestor(under, GA_ROOT) : nullptr).c_str(),
                    otherWindow && IsHungAppWindow(otherWindow) ? "not answering" : "answering",
                    (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? "down" : "up");
        std::fflush(stdout);
    }

    // The share of a GUI rectangle of the last frame within tolerance of a
    // colour.
    double Share(const S::Rgb8& c, const S::Panel& panel)
    {
        KorvaneEngine::RenderSystem::Instance()->TakeScreenshot(shot);
        const float sx = shot.GetWidth() / 800.0f, sy = shot.GetHeight() / 600.0f;
        int hits = 0, all = 0;
        for (uint32_t y = uint32_t(panel.y * sy); y < uint32_t((panel.y + panel.height) * sy); y += 3)
            for (uint32_t x = uint32_t(panel.x * sx); x < uint32_t((panel.x + panel.width) * sx); x += 3) {
                // Image rows count from the bottom, as the GUI's y does.
                const uint8_t* p = shot.GetPixel(x, y);
                ++all;
                hits += std::abs(p[0] - c.r) <= 14 && std::abs(p[1] - c.g) <= 14 && std::abs(p[2] - c.b) <= 14;
            }
        return all ? double(hits) / all : 0;
    }

    static inline std::string folder;
    std::unique_ptr<TestSupport::HostShell> shell;
    std::unique_ptr<FocusGame> game;
    PROCESS_INFORMATION other = {};
    HWND otherWindow = nullptr;
    KorvaneEngine::Image shot;
};

} // namespace

TEST(Desktop, FocusTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_focus", 1280, 1024, "InDesktop.*"));
}

TEST_F(InDesktop, ALevelLeftForAnotherProgramWaitsPausedAndTheMenusWaitAsTheyWere)
{
    game.reset(new FocusGame(folder));
    // The start-up to its first screen: 7 to 8 s with every core of the
    // machine busy four times over.
    ASSERT_TRUE(Until([&] { return OnScreen(game->welcomeWindow); }, 60)) << "welcome";
    game->welcomeWindow->CreateProfile(L"Flora");
    Answer(game->welcomeWindow, 3);
    ASSERT_TRUE(Until([&] { return OnScreen(game->mainMenuWindow); })) << "main menu";
    GameFramework::SoundController* sounds = game->GetSoundController();
    ASSERT_TRUE(Until([&] { return PlayingAtDevice(sounds->GetChannelTrack(0)); }, 10)) << "the menu track";
    ASSERT_NO_FATAL_FAILURE(StartOtherProgram());

    // Away from a level: the frames only idle, the menu track waits, no
    // pause window comes; back, the track goes on and the menu answers.
    ASSERT_TRUE(FocusAway());
    const int fullFrames = game->fullFrames;
    bool heard = false, idled = true;
    FramesFor(2, [&] {
        idled = idled && game->IsPausedByFocusLoss();
        heard = heard || PlayingAtDevice(sounds->GetChannelTrack(0));
    });
    EXPECT_TRUE(idled);
    EXPECT_FALSE(heard) << "the menu track went on";
    EXPECT_EQ(game->fullFrames, fullFrames) << "the menus stood still";
    EXPECT_EQ(game->gameLogic, nullptr);
    EXPECT_FALSE(Menu(game->gameLogicPauseWindow)->IsVisible());
    ASSERT_TRUE(FocusBack(400, 445)) << "a click on the main menu's title";
    Frame();
    EXPECT_FALSE(game->IsPausedByFocusLoss());
    EXPECT_TRUE(PlayingAtDevice(sounds->GetChannelTrack(0)));
    EXPECT_TRUE(OnScreen(game->mainMenuWindow));
    const S::Panel* menu = S::FindPanel("window_main_menu");
    ASSERT_TRUE(ClickAt(GamePoint(menu->x + S::kMainMenuButtonX + S::kMainMenuButtonWidth / 2,
                                  menu->y + S::kMainMenuButtonTopY + S::kButtonHeight / 2)));
    ASSERT_TRUE(Until([&] { return OnScreen(game->startGameLogicWindow); })) << "the menu's play button";

    // Into a level, its time running and printed on the HUD.
    KorvaneEngine::Config::Instance()->SetValueFromText("d_show_statistics", "1");
    Answer(game->startGameLogicWindow, 24);
    ASSERT_TRUE(Until([&] { return game->gameLogic && game->gameLogicWindow->IsActive(); })) << "a level";
    GameLogicBase* logic = game->gameLogic;
    ASSERT_TRUE(Until([&] { return logic->GetTime() > 2.0f && game->hudTime > 1.5; })) << "the level's time";
    GameFramework::MusicTrack* level = sounds->GetChannelTrack(1);
    ASSERT_TRUE(Until([&] { return PlayingAtDevice(level); }, 10)) << "the level's track";

    // Away: the pause window shown in the frame the focus went (the last
    // one the HUD printed), the level and its track paused, the time
    // standing while away.
    ASSERT_TRUE(FocusAway());
    const float stopped = logic->GetTime();
    const double shownAway = game->hudTime;
    ASSERT_GT(shownAway, 1.5);
    EXPECT_EQ(logic->GetState(), GameLogicBase::kPaused);
    EXPECT_FALSE(game->gameLogicWindow->IsActive());
    EXPECT_TRUE(Menu(game->gameLogicPauseWindow)->IsVisible());
    EXPECT_EQ(game->gameLogicPauseWindow->GetMode(), 1);
    auto* cursor = dynamic_cast<Puzzle::GUIGameCursor*>(game->gameCursor);
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(cursor->AreEffectsVisible()) << "the dialogs' pointer over the pause window";
    float latest = stopped;
    heard = false;
    FramesFor(3, [&] {
        latest = std::max(latest, logic->GetTime());
        heard = heard || PlayingAtDevice(level);
    });
    EXPECT_FLOAT_EQ(latest, stopped) << "the level's time counted the time away";
    EXPECT_FALSE(heard) << "the level's track went on";

    // Back: the track goes on, the level does not, and the pause window is
    // on screen until it is answered.
    ASSERT_TRUE(FocusBack(400, 370)) << "a click on the pause window's title";
    EXPECT_TRUE(Until([&] { return OnScreen(game->gameLogicPauseWindow); }, 5));
    bool paused = true;
    FramesFor(1.5, [&] {
        paused = paused && logic->GetState() == GameLogicBase::kPaused;
        latest = std::max(latest, logic->GetTime());
    });
    EXPECT_TRUE(paused) << "the level went on before the pause window was answered";
    EXPECT_FLOAT_EQ(latest, stopped);
    EXPECT_FALSE(game->IsPausedByFocusLoss());
    EXPECT_TRUE(PlayingAtDevice(level));
    EXPECT_NEAR(game->hudTime, shownAway, 0.11) << "the HUD's time stood still, within a frame";
    const S::Panel* pause = S::FindPanel("window_game_logic_pause");
    EXPECT_GT(Share(pause->colour, *pause), 0.3) << "the pause window on screen";

    // Answered: play and its time go on.
    Puzzle::GUIMenuWindow* pauseMenu = Menu(game->gameLogicPauseWindow);
    ASSERT_TRUE(ClickAt(WidgetCentre(
        pauseMenu->GetControl(pauseMenu->GetName() + "/window/button_0")->GetWidget())));
    ASSERT_TRUE(Until([&] { return logic->GetState() == GameLogicBase::kPlaying; }, 5)) << "resumed";
    EXPECT_TRUE(game->gameLogicWindow->IsActive());
    EXPECT_FALSE(cursor->AreEffectsVisible());
    ASSERT_TRUE(Until([&] { return logic->GetTime() > stopped + 0.5f; }, 5)) << "the time goes on";
    EXPECT_EQ(game->gameLogic, logic);

    // With a tutorial running the level is not paused, only its time while
    // the focus is away; it runs on when the focus is back.
    game->GetTutorial()->SetActive(true);
    ASSERT_TRUE(FocusAway());
    const float away = logic->GetTime();
    latest = away;
    FramesFor(1.5, [&] { latest = std::max(latest, logic->GetTime()); });
    EXPECT_FLOAT_EQ(latest, away);
    EXPECT_EQ(logic->GetState(), GameLogicBase::kPlaying);
    EXPECT_FALSE(Menu(game->gameLogicPauseWindow)->IsVisible());
    FocusGameWindow();
    EXPECT_TRUE(Until([&] { return logic->GetTime() > away + 0.5f; }, 5)) << "the time goes on";
}

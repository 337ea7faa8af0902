// Benchmark: the game's own sources run by a loader whose main loop counts
// its frames, windowed 1024 x 768 over the shipped content, inside a virtual
// desktop. Prints
//  - the time from the process's start to the main menu shown and done
//    appearing (its panel opened, its title printed), the median of three
//    starts, with the logos and without them (a warm Wine: the starts run one
//    after the other in the same desktop);
//  - the frames per second over 10 s of play on the first level.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/Window.h"
#include "framework/Engine.h"
#include "framework/GUIMainMenuWindowBase.h"
#include "framework/GUIStartGameLogicWindowBase.h"
#include "framework/GameLogicBase.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/Game.h"
#include "puzzle/app/GameLoader.h"
#include "puzzle/app/GUIMenuWindow.h"
#include "puzzle/app/ProfileManager.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"

namespace {

double SecondsSinceProcessStart()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto value = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (value(now) - value(created)) / 1e7;
}

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / f.QuadPart;
}

std::string Folder(bool logos) { return KorvaneEngine::GetExecutableDirectory() + (logos ? "\\tmp_bench_game" : "\\tmp_bench_game_nologos"); }

// The game with the screens the measurements watch.
class BenchGame : public Puzzle::Game {
public:
    using Puzzle::Game::Game;
    GameFramework::GUIFrameworkWindow* MainMenu() const { return mainMenuWindow; }
    GameFramework::GUIFrameworkWindow* StartGame() const { return startGameLogicWindow; }
    GameFramework::GameLogicBase* Logic() const { return gameLogic; }
};

// The main menu on screen and done appearing.
bool MenuReady(BenchGame* game)
{
    auto* menu = dynamic_cast<Puzzle::GUIMenuWindow*>(game->MainMenu());
    if (!menu || !menu->IsVisible() || menu->IsSoundPending() || !menu->GetPanelControl())
        return false;
    GUITools::GUIWindowControl* panel = menu->GetPanelControl();
    const float alpha = panel->GetWidget()->GetAlpha();
    return panel->GetWidget()->IsVisible() && alpha > 0.999f &&
           (!menu->GetTitleControl() || menu->GetTitleControl()->IsPrintingDone());
}

// The loader of the program, with its program folder replaced by the
// benchmark's and a main loop that counts frames and watches the screens.
class BenchLoader : public Puzzle::GameLoader {
public:
    BenchLoader(const std::string& folder, bool play)
        : Puzzle::GameLoader(GetModuleHandleA(nullptr), nullptr, "", SW_SHOW), play(play)
    {
        programDirectory = folder;
    }
    GameFramework::GameBase* CreateGame() override
    {
        game = new BenchGame(companyName, gameTitle, 100, registryKeyPath, programDirectory, publisherName);
        return game;
    }
    void MainLoop() override
    {
        BenchGame* g = static_cast<BenchGame*>(game);
        SetForegroundWindow(KorvaneEngine::Window::Instance()->GetHandle());
        double playStart = 0;
        do {
            MSG message;
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
                continue;
            }
            game->Update();
            ++frames;
            if (!play) {
                if (menuSeconds < 0 && MenuReady(g)) {
                    menuSeconds = SecondsSinceProcessStart();
                    game->GetEngine()->RequestExit();
                }
                continue;
            }
            // Play: the menu's "play", the start-game window's, then 10 s.
            if (MenuReady(g) && g->MainMenu()->GetEventCode() == 0) {
                g->MainMenu()->SetEventCode(24);
                g->MainMenu()->SetHandled(false);
            }
            auto* start = dynamic_cast<Puzzle::GUIMenuWindow*>(g->StartGame());
            if (start && start->IsVisible() && !start->IsShowPending() && g->StartGame()->GetEventCode() == 0 &&
                !g->Logic()) {
                g->StartGame()->SetEventCode(24);
                g->StartGame()->SetHandled(false);
            }
            if (g->Logic() && playStart == 0) {
                playStart = Now();
                playFrames = 0;
            }
            if (playStart != 0) {
                ++playFrames;
                if (Now() - playStart >= 10.0) {
                    fps = playFrames / (Now() - playStart);
                    game->GetEngine()->RequestExit();
                }
            }
        } while (!game->IsExitRequested());
    }

    bool play;
    uint64_t frames = 0, playFrames = 0;
    double menuSeconds = -1, fps = 0;
};

bool PrepareFolder(bool logos)
{
    const std::string folder = Folder(logos);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string error;
    const bool ok = TestSupport::WriteContent(folder, Content::Options(), [&](Content::ContentSet& set) {
        if (!logos)
            for (const std::string& p : set.Paths())
                if (p.find("\\publishers\\") != std::string::npos)
                    set.Remove(p);
    }, &error);
    if (!ok)
        std::printf("content: %s\n", error.c_str());
    return ok;
}

// The player files and settings of a returning player.
void PrepareUser()
{
    const std::string company = Puzzle::GameLoader::kCompanyName, title = Puzzle::GameLoader::kGameTitle;
    TestSupport::ClearUserData(company, title);
    const std::string user = TestSupport::UserDataFolder(company, title);
    KorvaneEngine::CreateDirectories(user + "\\default\\");
    TestSupport::WriteFileText(user + "\\" + title + ".ini", "v_fullscreen 0\r\nv_mode 1024x768x32\r\nv_vsync 0\r\n");
    KorvaneEngine::FileManager files(KorvaneEngine::GetExecutableDirectory(), false, "data", 0);
    Puzzle::ProfileManager profiles(nullptr, user + "\\default");
    if (GameFramework::ProfileBase* p = profiles.AddProfile(L"Bench"))
        profiles.SetCurrentProfile(p, true);
}

// One child run of this program; its result line back.
double Child(const std::string& arguments)
{
    const std::string exe = KorvaneEngine::GetExecutableDirectory() + "\\bench_game.exe";
    const std::string out = KorvaneEngine::GetExecutableDirectory() + "\\bench_game_result.txt";
    DeleteFileA(out.c_str());
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 180000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(out);
    return bytes.empty() ? -1 : std::atof(std::string(bytes.begin(), bytes.end()).c_str());
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

int Parent()
{
    if (!PrepareFolder(true) || !PrepareFolder(false))
        return 1;
    PrepareUser();
    std::printf("content: the shipped set, packed; a returning player; windowed 1024x768\n");
    // A first start warms Wine and the caches; it is not counted.
    Child("--start logos");
    for (bool logos : {true, false}) {
        std::vector<double> runs;
        for (int i = 0; i < 3; ++i)
            runs.push_back(Child(std::string("--start ") + (logos ? "logos" : "none")));
        std::printf("process start to main menu done appearing, %s: %.2f s median (%.2f, %.2f, %.2f)\n",
                    logos ? "with the logos" : "without logos", Median(runs), runs[0], runs[1], runs[2]);
    }
    const double fps = Child("--play");
    std::printf("play screen, first level: %.1f frames per second over 10 s\n", fps);
    TestSupport::ClearUserData(Puzzle::GameLoader::kCompanyName, Puzzle::GameLoader::kGameTitle);
    TestSupport::RemoveTree(Folder(true));
    TestSupport::RemoveTree(Folder(false));
    return 0;
}

int ChildRun(bool play, bool logos)
{
    BenchLoader loader(Folder(logos), play);
    if (!loader.Run())
        return 1;
    const double result = play ? loader.fps : loader.menuSeconds;
    TestSupport::WriteFileText(KorvaneEngine::GetExecutableDirectory() + "\\bench_game_result.txt",
                               std::to_string(result));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--start")
        return ChildRun(false, argc > 2 && std::string(argv[2]) == "logos");
    if (mode == "--play")
        return ChildRun(true, false);
    if (!TestSupport::InVirtualDesktop()) {
        if (!TestSupport::LaunchInVirtualDesktop("pelloria_bench_game", 1280, 1024, "", 900000)) {
            std::printf("the benchmark did not finish\n");
            return 1;
        }
        return 0;
    }
    try {
        return Parent();
    } catch (const KorvaneEngine::Error& e) {
        std::printf("failed: %s\n", e.GetMessage().c_str());
        return 1;
    }
}

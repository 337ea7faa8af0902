// Benchmark: the game's own sources run by a loader whose main loop counts
// its frames, windowed 1024 x 768 over the shipped content, inside a virtual
// desktop. Prints
//  - the start-up by its phases, from the process's start to the main menu
//    shown and done appearing (its panel opened, its title printed), the
//    median of three starts, with the logos and without them (a warm Wine: the
//    starts run one after the other in the same desktop);
//  - the frames per second over 10 s of play on the first level.
// With the argument --log-times it also prints every line the game logged
// during one start without logos, with the moment it was written.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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
#include "puzzle/app/GUIGameLoadingWindow.h"
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

std::string LogPath()
{
    return TestSupport::UserDataFolder(Puzzle::GameLoader::kCompanyName, Puzzle::GameLoader::kGameTitle) + "\\" +
           Puzzle::GameLoader::kGameTitle + ".html";
}

// The start-up's phases, in the order they end. Each is the moment, in
// seconds since the process started, at which the phase was seen to end.
struct Phase {
    const char* key;
    const char* text;
};
const Phase kPhases[] = {
    {"engine_begins", "Wine's process start and the loader (registry, publisher file)"},
    {"display_begins", "engine: log, files and packs, configuration, window"},
    {"device_ready", "display set-up: adapters, modes and devices listed, device made"},
    {"engine_constructed", "engine: cameras to sound, the input and sound devices"},
    {"game_initialised", "game: languages, GUI tools, resident resources, cursor, logos"},
    {"first_frame", "first frame presented"},
    {"loading_shown", "logos shown and faded, loading window shown"},
    {"loading_ready", "loading window ready: panel opened, title printed"},
    {"loading_done", "loading done: every step of the game data, one a frame"},
    {"screens_made", "screen windows made"},
    {"menu_ready", "main menu done appearing"},
};

// Tails the game's log from a thread of its own, so that the moment each
// start-up line was written can be told afterwards: the log is flushed line by
// line. A line's moment is the first poll that saw it, at most 2 ms late.
class LogWatcher {
public:
    explicit LogWatcher(const std::string& path) : path(path)
    {
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~LogWatcher() { Stop(); }
    void Stop()
    {
        if (!thread)
            return;
        stop = 1;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
        Poll();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }

    // The log's lines with the moment each was seen; only after Stop.
    std::vector<std::pair<double, std::string>> Lines() const
    {
        std::vector<std::pair<double, std::string>> lines;
        size_t start = 0, chunk = 0;
        for (;;) {
            const size_t end = content.find("<BR>", start);
            const size_t last = (end == std::string::npos ? content.size() : end + 4);
            if (last == start)
                break;
            while (chunk < chunks.size() && chunks[chunk].first < last)
                ++chunk;
            const double t = chunk < chunks.size() ? chunks[chunk].second : -1;
            std::string line = content.substr(start, (end == std::string::npos ? content.size() : end) - start);
            // Colour tags are markup, not text.
            for (size_t a; (a = line.find('<')) != std::string::npos;) {
                const size_t b = line.find('>', a);
                line.erase(a, b == std::string::npos ? std::string::npos : b - a + 1);
            }
            lines.emplace_back(t, line);
            if (end == std::string::npos)
                break;
            start = end + 4;
        }
        return lines;
    }

    // The moment of the first line at or after line *from that contains
    // text (a blank text: the first line that is just that); -1 when none
    // does. *from moves past it.
    static double TimeOf(const std::vector<std::pair<double, std::string>>& lines, const std::string& text,
                         size_t* from)
    {
        const bool whole = text.find_first_not_of(' ') == std::string::npos;
        for (size_t i = *from; i < lines.size(); ++i)
            if (whole ? lines[i].second == text : lines[i].second.find(text) != std::string::npos) {
                *from = i + 1;
                return lines[i].first;
            }
        return -1;
    }

private:
    static DWORD WINAPI Run(void* p)
    {
        LogWatcher* self = static_cast<LogWatcher*>(p);
        while (!self->stop) {
            self->Poll();
            Sleep(2);
        }
        return 0;
    }

    void Poll()
    {
        if (file == INVALID_HANDLE_VALUE)
            file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        char buffer[16384];
        DWORD n = 0;
        const size_t before = content.size();
        while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n)
            content.append(buffer, n);
        if (content.size() > before)
            chunks.emplace_back(content.size(), SecondsSinceProcessStart());
    }

    std::string path;
    HANDLE thread = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    volatile LONG stop = 0;
    std::string content;
    std::vector<std::pair<size_t, double>> chunks; // end of the content read, moment
};

// The game with the screens the measurements watch. Its initialisation runs
// inside the game's constructor, where no override of this class is called
// yet: its moments come from the log.
class BenchGame : public Puzzle::Game {
public:
    using Puzzle::Game::Game;
    GameFramework::GUIFrameworkWindow* MainMenu() const { return mainMenuWindow; }
    GameFramework::GUIFrameworkWindow* StartGame() const { return startGameLogicWindow; }
    GameFramework::GameLogicBase* Logic() const { return gameLogic; }
    Puzzle::GUIGameLoadingWindow* Loading() const { return dynamic_cast<Puzzle::GUIGameLoadingWindow*>(gameLoadingWindow); }

    std::map<std::string, double>* moments = nullptr;

    void CreateWindows() override
    {
        (*moments)["loading_done"] = SecondsSinceProcessStart();
        Puzzle::Game::CreateWindows();
        (*moments)["screens_made"] = SecondsSinceProcessStart();
    }
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
        moments["engine_begins"] = SecondsSinceProcessStart();
        BenchGame* g = new BenchGame(companyName, gameTitle, 100, registryKeyPath, programDirectory, publisherName);
        g->moments = &moments;
        game = g;
        return game;
    }
    void MainLoop() override
    {
        moments["game_initialised"] = SecondsSinceProcessStart();
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
                Watch(g);
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

    // The phases seen after a frame; the loading frames counted.
    void Watch(BenchGame* g)
    {
        const double t = SecondsSinceProcessStart();
        if (frames == 1)
            moments["first_frame"] = t;
        Puzzle::GUIGameLoadingWindow* loading = g->Loading();
        if (loading && loading->GUIMenuWindow::IsVisible() && !moments.count("loading_shown"))
            moments["loading_shown"] = t;
        if (loading && loading->IsReady() && !moments.count("loading_ready")) {
            moments["loading_ready"] = t;
            loadingFramesFrom = frames;
        }
        if (moments.count("loading_ready") && !moments.count("loading_done"))
            loadingFrames = frames - loadingFramesFrom;
        if (MenuReady(g)) {
            moments["menu_ready"] = t;
            game->GetEngine()->RequestExit();
        }
    }

    bool play;
    uint64_t frames = 0, playFrames = 0, loadingFramesFrom = 0, loadingFrames = 0;
    double fps = 0;
    std::map<std::string, double> moments;
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

std::string ResultPath() { return KorvaneEngine::GetExecutableDirectory() + "\\bench_game_result.txt"; }

// One child run of this program; its result lines ("key value") back.
std::map<std::string, std::string> Child(const std::string& arguments)
{
    const std::string exe = KorvaneEngine::GetExecutableDirectory() + "\\bench_game.exe";
    DeleteFileA(ResultPath().c_str());
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::map<std::string, std::string> result;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return result;
    WaitForSingleObject(pi.hProcess, 180000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(ResultPath());
    const std::string text(bytes.begin(), bytes.end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = text.substr(start, end - start);
        const size_t space = entry.find(' ');
        if (space != std::string::npos)
            result[entry.substr(0, space)] = entry.substr(space + 1);
        start = end + 1;
    }
    return result;
}

double Number(const std::map<std::string, std::string>& result, const std::string& key)
{
    auto it = result.find(key);
    return it == result.end() ? -1 : std::atof(it->second.c_str());
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void PrintStarts(bool logos, const std::vector<std::map<std::string, std::string>>& runs)
{
    std::printf("start-up %s, seconds since the process started (median of %u; the runs):\n",
                logos ? "with the logos" : "without logos", static_cast<unsigned>(runs.size()));
    double previous = 0;
    for (const Phase& phase : kPhases) {
        std::vector<double> at;
        for (const auto& run : runs)
            at.push_back(Number(run, phase.key));
        const double median = Median(at);
        if (median < 0) {
            std::printf("     -             %s\n", phase.text);
            continue;
        }
        std::printf("  %6.2f  (+%5.2f)  %-66s", median, median - previous, phase.text);
        for (double v : at)
            std::printf(" %6.2f", v);
        std::printf("\n");
        previous = median;
    }
    std::vector<double> frames, ms;
    for (const auto& run : runs) {
        frames.push_back(Number(run, "loading_frames"));
        const double f = Number(run, "loading_frames");
        ms.push_back(f > 0 ? 1000.0 * (Number(run, "loading_done") - Number(run, "loading_ready")) / f : -1);
    }
    std::printf("  loading: %.0f frames, %.1f ms a frame (median)\n", Median(frames), Median(ms));
    std::printf("process start to main menu done appearing, %s: %.2f s median (", logos ? "with the logos" : "without logos",
                Median([&] {
                    std::vector<double> v;
                    for (const auto& run : runs)
                        v.push_back(Number(run, "menu_ready"));
                    return v;
                }()));
    for (size_t i = 0; i < runs.size(); ++i)
        std::printf("%s%.2f", i ? ", " : "", Number(runs[i], "menu_ready"));
    std::printf(")\n");
}

int Parent(bool logTimes)
{
    if (!PrepareFolder(true) || !PrepareFolder(false))
        return 1;
    PrepareUser();
    std::printf("content: the shipped set, packed; a returning player; windowed 1024x768\n");
    // A first start warms Wine and the caches; it is not counted.
    Child("--start logos");
    for (bool logos : {true, false}) {
        std::vector<std::map<std::string, std::string>> runs;
        for (int i = 0; i < 3; ++i)
            runs.push_back(Child(std::string("--start ") + (logos ? "logos" : "none")));
        PrintStarts(logos, runs);
    }
    if (logTimes) {
        Child("--start none --log-times");
        const std::vector<unsigned char> bytes =
            TestSupport::ReadFileBytes(KorvaneEngine::GetExecutableDirectory() + "\\bench_game_log_times.txt");
        std::printf("the game's log of one start without logos, seconds since the process started:\n%s",
                    std::string(bytes.begin(), bytes.end()).c_str());
    }
    const double fps = Number(Child("--play"), "fps");
    std::printf("play screen, first level: %.1f frames per second over 10 s\n", fps);
    TestSupport::ClearUserData(Puzzle::GameLoader::kCompanyName, Puzzle::GameLoader::kGameTitle);
    TestSupport::RemoveTree(Folder(true));
    TestSupport::RemoveTree(Folder(false));
    DeleteFileA((KorvaneEngine::GetExecutableDirectory() + "\\bench_game_log_times.txt").c_str());
    return 0;
}

int ChildRun(bool play, bool logos, bool logTimes)
{
    // A log left by the run before would be read as this run's.
    DeleteFileA(LogPath().c_str());
    LogWatcher watcher(LogPath());
    BenchLoader loader(Folder(logos), play);
    if (!loader.Run())
        return 1;
    watcher.Stop();
    const std::vector<std::pair<double, std::string>> lines = watcher.Lines();
    std::string result;
    if (play) {
        result = "fps " + std::to_string(loader.fps) + "\n";
    } else {
        // Inside the game's and the engine's constructors the log tells the
        // moments: the display set-up's first line, the blank line that ends
        // it, and the line that ends the sound set-up, the engine's last
        // service but the (silent) GUI manager.
        size_t at = 0;
        loader.moments["display_begins"] = watcher.TimeOf(lines, "Initialization of Direct3D subsystem", &at);
        watcher.TimeOf(lines, "Maximal texture anisotropy", &at);
        loader.moments["device_ready"] = watcher.TimeOf(lines, " ", &at);
        if (watcher.TimeOf(lines, "Initialization of DirectSound Subsystem", &at) >= 0 &&
            watcher.TimeOf(lines, "...Set primary buffer format...", &at) >= 0 && at < lines.size())
            loader.moments["engine_constructed"] = lines[at].first;
        for (const auto& m : loader.moments)
            result += m.first + " " + std::to_string(m.second) + "\n";
        result += "loading_frames " + std::to_string(loader.loadingFrames) + "\n";
    }
    TestSupport::WriteFileText(ResultPath(), result);
    if (logTimes) {
        std::string text;
        char buffer[32];
        for (const auto& line : lines) {
            std::snprintf(buffer, sizeof buffer, "  %7.3f  ", line.first);
            text += buffer + line.second + "\n";
        }
        TestSupport::WriteFileText(KorvaneEngine::GetExecutableDirectory() + "\\bench_game_log_times.txt", text);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    auto has = [&](const char* a) { return std::find(args.begin(), args.end(), a) != args.end(); };
    const std::string mode = args.empty() ? "" : args[0];
    if (mode == "--start")
        return ChildRun(false, args.size() > 1 && args[1] == "logos", has("--log-times"));
    if (mode == "--play")
        return ChildRun(true, false, false);
    if (!TestSupport::InVirtualDesktop()) {
        if (!TestSupport::LaunchInVirtualDesktop("pelloria_bench_game", 1280, 1024, has("--log-times") ? "--log-times" : "",
                                                 900000)) {
            std::printf("the benchmark did not finish\n");
            return 1;
        }
        return 0;
    }
    try {
        return Parent(has("--log-times"));
    } catch (const KorvaneEngine::Error& e) {
        std::printf("failed: %s\n", e.GetMessage().c_str());
        return 1;
    }
}

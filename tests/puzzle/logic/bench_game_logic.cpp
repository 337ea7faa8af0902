// The largest shipped puzzle with its path nearly full, 600 frames at 1/60 s
// through the engine's frame in the game's own 1024 x 768 window: the time of
// the game logic's update, of the engine's frame step (input, update, draw,
// present), of the device calls within it, and so the game's and the
// engine's own CPU work per frame, with the pointer at rest and moving, and
// how often the input step asks the system where the pointer is. Runs
// itself inside a Wine virtual desktop, where the windowed mode exists.
#include "LevelTestSupport.h"

#include <cmath>
#include <cstdio>

#include "engine/foundation/Config.h"
#include "engine/render/d3d7/RenderSystem_D3D7.h"
#include "gui/Console.h"

using namespace LevelTest;

namespace {

const int kFrames = 600;

double Now()
{
    LARGE_INTEGER q, c;
    QueryPerformanceFrequency(&q);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(q.QuadPart);
}

std::string Processor()
{
    HKEY key;
    char name[256] = "unknown";
    DWORD size = sizeof name;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExA(key, "ProcessorNameString", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
        RegCloseKey(key);
    }
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::string(name) + ", " + std::to_string(info.dwNumberOfProcessors) + " logical processors";
}

struct Times {
    double input = 0, sound = 0, update = 0, frame = 0, device = 0;
    // The input step's parts: the window's update, the controls, the
    // widgets' update, the console's (the rest: config and timers).
    double window = 0, controls = 0, widgets = 0, console = 0;
    // One extra pointer query per frame (probe passes only): under Wine
    // GetCursorPos waits on the X server.
    double query = 0;
    // The window's own pointer queries in the pass.
    uint32_t queries = 0;
    size_t elements = 0;
};

// kFrames frames of the level; device: time the device calls as well;
// moving: the pointer moved every frame, circling over the board as a
// player's hand would, else resting where the level start put it.
Times Measure(LevelGame& g, bool device, bool probe = false, bool moving = false)
{
    RenderSystem_D3D7* r = static_cast<RenderSystem_D3D7*>(RenderSystem::Instance());
    r->ResetDeviceCallCounters();
    r->SetDeviceCallTiming(device);
    Times t;
    Engine* engine = g.game->GetEngine();
    Window* window = Window::Instance();
    const uint32_t queriesBefore = window->GetPointerQueries();
    const Vector2i rest = window->GetPointer();
    for (int i = 0; i < kFrames; ++i) {
        if (moving) {
            const double angle = i * 0.05;
            window->MovePointer(Vector2i(int32_t(window->GetWidth() / 2 + 200 * std::cos(angle)),
                                         int32_t(window->GetHeight() / 2 + 150 * std::sin(angle))));
        }
        TestSupport::ProgramRunner::Pump();
        // The engine's input step in Engine::UpdateInput's order, its parts timed apart.
        const double a = Now();
        Config::Instance()->Update();
        TimerManager::Instance()->Update();
        const double w0 = Now();
        Window::Instance()->Update();
        const double w1 = Now();
        Controls::Instance()->Update();
        if (probe) {
            POINT p;
            const double q0 = Now();
            GetCursorPos(&p);
            t.query += Now() - q0;
        }
        const double w2 = Now();
        GUIManager::Instance()->Update();
        const double w25 = Now();
        if (Console* console = Console::Instance())
            console->Update();
        MessageManager::Instance()->ClearHistory();
        const double w3 = Now();
        TimerManager::Instance()->AdvanceFrame(kFrame);
        const double s = Now();
        g.game->GetSoundController()->Update();
        const double b = Now();
        g.logic->Update();
        const double c = Now();
        GameTools::SpriteManager::Instance()->Update();
        engine->Frame(0);
        const double d = Now();
        t.input += s - a;
        t.window += w1 - w0;
        t.controls += w2 - w1;
        t.widgets += w25 - w2;
        t.console += w3 - w25;
        t.sound += b - s;
        t.update += c - b;
        t.frame += d - c;
        t.elements += g.GetPath()->GetQueue().size();
    }
    if (moving)
        window->MovePointer(rest);
    r->SetDeviceCallTiming(false);
    t.queries = window->GetPointerQueries() - queriesBefore;
    LARGE_INTEGER q;
    QueryPerformanceFrequency(&q);
    t.device = double(r->GetDeviceCallCounters().deviceTicks) / double(q.QuadPart);
    return t;
}

int Run()
{
    LevelGame g;
    g.Start(GameTest::MakeProgramFolder("bench_game_logic"), true, "v_fullscreen 0\r\nv_mode 1024x768x32\r\n");
    LevelFiles files;
    files.puzzle = "data\\puzzles\\00\\puzzle_03.pzf";
    g.StartLevel(files, false, 2024);
    std::printf("machine: %s\n", Processor().c_str());
    std::printf("window: %ux%u, pieces: %u\n", Window::Instance()->GetWidth(), Window::Instance()->GetHeight(),
                g.data->GetTotal());
    // Fill the path: fast-forward until the front is 700 units from the
    // finish, where the queue creeps on for the whole measurement.
    for (int i = 0; i < 60 * 5 && !g.GetPath()->IsIntroductionDone(); ++i)
        g.Frame();
    g.controls->Set("MOUSE2", true);
    for (int i = 0; i < 60 * 120; ++i) {
        g.Frame();
        const auto& q = g.GetPath()->GetQueue();
        if (!q.empty() && q.back()->GetPosition() > g.GetPath()->GetTotalLength() - 700)
            break;
    }
    g.controls->Set("MOUSE2", false);
    // The fast-forward dies away.
    for (int i = 0; i < 30; ++i)
        g.Frame();

    std::printf("widgets: %u\n", GUIManager::Instance()->GetWidgetCount());
    const Times plain = Measure(g, false);
    const Times timed = Measure(g, true);
    const Times probed = Measure(g, false, true);
    const Times timedMoving = Measure(g, true, false, true);
    const Times probedMoving = Measure(g, false, true, true);
    const double ms = 1000.0 / kFrames;
    std::printf("elements on the path: %.1f on average in the first pass, %.1f in the second; failing: %s\n",
                double(plain.elements) / kFrames, double(timed.elements) / kFrames,
                g.GetPath()->IsFailing() ? "yes (the figures are not of a full path)" : "no");
    std::printf("ms per frame: GameLogic::Update %.3f; engine frame step (update, draw, present) %.3f; "
                "input step %.3f; music and sound controller %.3f\n",
                plain.update * ms, plain.frame * ms, plain.input * ms, plain.sound * ms);
    std::printf("input step: window update %.3f, controls %.3f, widgets %.3f, console %.3f\n", plain.window * ms,
                plain.controls * ms, plain.widgets * ms, plain.console * ms);
    std::printf("with the device calls timed: frame step %.3f, inside device calls %.3f\n", timed.frame * ms,
                timed.device * ms);
    const double own = timed.update + timed.frame + timed.input + timed.sound - timed.device;
    std::printf("own CPU work (game logic + engine, device calls excluded): %.3f ms per frame\n", own * ms);
    std::printf("of which the engine's frame step without the device: %.3f ms\n", (timed.frame - timed.device) * ms);
    const double perFrame = double(timed.queries) / kFrames;
    std::printf("one pointer query (Win32 GetCursorPos) %.3f ms; the input step made %.2f a frame (%u in %d frames); "
                "own CPU work without them: %.3f ms per frame\n",
                probed.query * ms, perFrame, timed.queries, kFrames, (own - timed.queries * probed.query / kFrames) * ms);
    const double ownMoving = timedMoving.update + timedMoving.frame + timedMoving.input + timedMoving.sound -
        timedMoving.device;
    std::printf("the pointer moving every frame: own CPU work %.3f ms per frame (input step %.3f), %.2f pointer "
                "queries a frame, one query %.3f ms\n",
                ownMoving * ms, timedMoving.input * ms, double(timedMoving.queries) / kFrames,
                probedMoving.query * ms);
    std::fflush(stdout);
    g.Stop();
    return 0;
}

} // namespace

int main()
{
    if (!TestSupport::InVirtualDesktop()) {
        if (!TestSupport::LaunchInVirtualDesktop("pelloria_bench_logic", 1280, 1024, "", 600000)) {
            std::printf("the benchmark did not finish\n");
            return 1;
        }
        return 0;
    }
    try {
        return Run();
    } catch (const Error& e) {
        std::printf("failed: %s\n", e.GetMessage().c_str());
        return 1;
    }
}

// Benchmark: the game's idle frame (GameBase::Update with nothing on screen
// yet, windowed 1024 x 768, the whole sound table loaded) and the sound
// controller's per-frame step alone. Runs inside a virtual desktop (the
// window's display mode exists only there).
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/Window.h"
#include "framework/SoundController.h"
#include "puzzle/app/Game.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"
#include "tools/content/Generator.h"

namespace {

const char kCompany[] = "Quillfen Games Test";
const char kTitle[] = "bench_frame";

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / f.QuadPart;
}

// One pass of the main loop at a time, as the loader runs them.
void Pass(GameFramework::GameBase& game)
{
    MSG m;
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    } else {
        game.Update();
    }
}

int Run()
{
    const std::string folder = KorvaneEngine::GetExecutableDirectory() + "\\tmp_bench_frame";
    CreateDirectoryA(folder.c_str(), nullptr);
    Content::Options options;
    std::string error;
    if (!TestSupport::WriteContent(folder, options, nullptr, &error)) {
        std::printf("content: %s\n", error.c_str());
        return 1;
    }
    TestSupport::ClearUserData(kCompany, kTitle);
    CreateDirectoryA((KorvaneEngine::GetAppDataFolder() + "\\" + kCompany).c_str(), nullptr);
    CreateDirectoryA(TestSupport::UserDataFolder(kCompany, kTitle).c_str(), nullptr);
    TestSupport::WriteFileText(TestSupport::UserDataFolder(kCompany, kTitle) + "\\" + kTitle + ".ini",
                               "v_fullscreen 0\r\nv_vsync 0\r\n");
    std::unique_ptr<Puzzle::Game> game(new Puzzle::Game(kCompany, kTitle, 100,
        std::string("SOFTWARE\\") + kCompany + "\\" + kTitle, folder, "demo"));
    HWND hwnd = KorvaneEngine::Window::Instance()->GetHandle();
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    GameFramework::SoundController* sounds = game->GetSoundController();
    sounds->PlayMusic(0, 0, true, 0.5f);
    std::printf("sounds: %zu tracks, %zu effects\n", sounds->GetMusicTracks().size(), sounds->GetSoundEntries().size());

    const int kWarmUp = 200, kFrames = 2000;
    for (int i = 0; i < kWarmUp; ++i)
        game->Update();
    double start = Now();
    for (int i = 0; i < kFrames; ++i)
        game->Update();
    const double frame = (Now() - start) / kFrames;
    start = Now();
    int passes = 0;
    while (Now() - start < 2.0) {
        Pass(*game);
        ++passes;
    }
    std::printf("idle frame (GameBase::Update): %.3f ms mean over %d frames (%.0f per second)\n", frame * 1000,
                kFrames, 1.0 / frame);
    std::printf("main-loop passes: %.0f per second\n", passes / 2.0);

    const int kUpdates = 20000;
    start = Now();
    for (int i = 0; i < kUpdates; ++i)
        sounds->Update();
    const double update = (Now() - start) / kUpdates;
    std::printf("SoundController::Update: %.2f us mean over %d calls\n", update * 1e6, kUpdates);
    game.reset();
    TestSupport::ClearUserData(kCompany, kTitle);
    TestSupport::RemoveTree(folder);
    return 0;
}

} // namespace

int main()
{
    if (!TestSupport::InVirtualDesktop()) {
        if (!TestSupport::LaunchInVirtualDesktop("pelloria_bench_frame", 1280, 1024, "", 600000)) {
            std::printf("the benchmark did not finish\n");
            return 1;
        }
        return 0;
    }
    try {
        return Run();
    } catch (const KorvaneEngine::Error& e) {
        std::printf("failed: %s\n", e.GetMessage().c_str());
        return 1;
    }
}

// The engine object on the real services: what it builds and names, its
// frame, and what a failed start leaves behind (nothing).
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/audio_input/Controls.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/SoundSystem.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Shader.h"
#include "engine/render/SpriteGroup.h"
#include "framework/Engine.h"
#include "gui/GUIManager.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;

namespace {

// How many of the engine's instance words are set.
int LiveServices()
{
    return (MessageManager::Instance() != nullptr) + (FileManager::Instance() != nullptr) +
           (TimerManager::Instance() != nullptr) + (Config::Instance() != nullptr) +
           (Window::Instance() != nullptr) + (RenderSystem::Instance() != nullptr) +
           (CameraManager::Instance() != nullptr) + (LightManager::Instance() != nullptr) +
           (ShaderManager::Instance() != nullptr) + (ModelManager::Instance() != nullptr) +
           (SpriteGroupManager::Instance() != nullptr) + (ParticleSystemManager::Instance() != nullptr) +
           (Controls::Instance() != nullptr) + (SoundSystem::Instance() != nullptr) +
           (SoundManager::Instance() != nullptr) + (GUIManager::Instance() != nullptr);
}

std::string ReadText(const std::string& path)
{
    std::vector<unsigned char> b = TestSupport::ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("engine");
        ASSERT_EQ(LiveServices(), 0);
    }
    void TearDown() override { TestSupport::RemoveTree(dir); }

    // Windowed, logged and saved into the test's folder; no name.
    EngineSettings Settings() const
    {
        EngineSettings s;
        s.baseDirectory = dir;
        s.logEnabled = true;
        s.logDirectory = dir;
        s.configDirectory = dir;
        s.saveConfigOnExit = true;
        // Outside a virtual desktop the X screen's own size is the one display mode.
        s.videoMode = "1280x1024x32";
        s.centreWindow = true;
        return s;
    }

    std::string dir;
};

TEST_F(EngineTest, BuildsEveryServiceUnderTheBannerAndTearsThemDown)
{
    auto engine = std::make_unique<Engine>(Settings());
    EXPECT_EQ(engine->GetWindowTitle(), "Korvane Engine 0.67");
    EXPECT_EQ(engine->GetSettings().name, "Korvane Engine");
    // The null sound device still counts as one: all sixteen services.
    EXPECT_EQ(LiveServices(), 16);
    char title[128] = {};
    GetWindowTextA(Window::Instance()->GetHandle(), title, sizeof title);
    EXPECT_STREQ(title, "Korvane Engine 0.67");
    EXPECT_EQ(Window::Instance()->GetWidth(), 1280u);
    EXPECT_EQ(Window::Instance()->GetHeight(), 1024u);
    EXPECT_TRUE(TestSupport::FileExists(dir + "\\Korvane Engine.html"));
    EXPECT_NE(ShaderManager::Instance()->GetTextureManager(), nullptr);

    for (int i = 0; i < 3; ++i) {
        engine->UpdateInput();
        engine->Frame(0);
    }
    EXPECT_FALSE(engine->IsExitRequested());
    // A frame with a sleep takes at least that long.
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    engine->UpdateInput();
    QueryPerformanceCounter(&a);
    engine->Frame(30);
    QueryPerformanceCounter(&b);
    EXPECT_GE(double(b.QuadPart - a.QuadPart) / f.QuadPart, 0.029);

    engine->RequestExit();
    EXPECT_TRUE(engine->IsExitRequested());
    engine->UpdateInput();
    engine->Frame(0);
    engine->UpdateInput();
    engine->Frame(0);
    EXPECT_TRUE(engine->IsExitRequested());
    engine.reset();
    EXPECT_EQ(LiveServices(), 0);
    // Every frame with "exit" pending says so.
    const std::string log = ReadText(dir + "\\Korvane Engine.html");
    size_t first = log.find("Exiting...");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(log.find("Exiting...", first + 1), std::string::npos);
    EXPECT_TRUE(TestSupport::FileExists(dir + "\\Korvane Engine.ini"));
    EXPECT_NE(ReadText(dir + "\\Korvane Engine.ini").find("v_mode 1280x1024x32"), std::string::npos);
}

TEST_F(EngineTest, AFailedStartLeavesNothingAndTheNextEngineBuilds)
{
    // No COM on this thread yet: the engine's own must not outlive it.
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
    const std::string ini = "v_mode 640x480x32\r\nsome_game_variable 5\r\n";
    ASSERT_TRUE(TestSupport::WriteFileText(dir + "\\Korvane Engine.ini", ini));

    // A host window that is gone: the window cannot be made, after the log,
    // the files, the clock and the configuration were.
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    DestroyWindow(host);
    EngineSettings s = Settings();
    s.hostWindow = host;
    bool thrown = false;
    try {
        Engine engine(s);
    } catch (const Error&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(LiveServices(), 0);
    EXPECT_EQ(ReadText(dir + "\\Korvane Engine.ini"), ini);
    EXPECT_NE(ReadText(dir + "\\Korvane Engine.html").find("PROGRAM ABORTING: "), std::string::npos);
    // The log is closed: it can go.
    EXPECT_TRUE(DeleteFileA((dir + "\\Korvane Engine.html").c_str()));
    EXPECT_EQ(CoInitialize(nullptr), S_OK) << "COM was left initialised";
    CoUninitialize();

    // A named game keeps its own version.
    s = Settings();
    s.name = "Test game";
    s.version = 5;
    s.logFileName = "test_log";
    s.configName = "test_config";
    s.saveConfigOnExit = false;
    {
        Engine engine(s);
        EXPECT_EQ(engine.GetWindowTitle(), "Test game 0.05");
        EXPECT_EQ(LiveServices(), 16);
        engine.UpdateInput();
        engine.Frame(0);
    }
    EXPECT_EQ(LiveServices(), 0);
    EXPECT_TRUE(TestSupport::FileExists(dir + "\\test_log.html"));
    EXPECT_FALSE(TestSupport::FileExists(dir + "\\test_config.ini")) << "saved without being asked to";
}

} // namespace

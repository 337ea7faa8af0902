// The real program, started from a folder of its own with generated content,
// seen through the X server: its window, real keys, its exit code and the
// files it leaves. Windowed 1024 x 768 needs a virtual desktop's display
// modes, so everything runs inside one; the program started from there opens
// in it too.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "GameTestSupport.h"
#include "engine/foundation/Config.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/ProgramIcon.h"

using TestSupport::ProgramRunner;

namespace {

const char kCompany[] = "Quillfen Games";
const char kTitle[] = "Pelloria";

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

BOOL CALLBACK AppendText(HWND child, LPARAM out)
{
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    reinterpret_cast<std::string*>(out)->append(text).append("\n");
    return TRUE;
}

std::string ChildTexts(HWND window)
{
    std::string all;
    EnumChildWindows(window, AppendText, reinterpret_cast<LPARAM>(&all));
    return all;
}

class InDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!TestSupport::InVirtualDesktop())
            return;
        // Without the logos the start-up loading window shows at once.
        auto noLogos = [](Content::ContentSet& set) {
            for (const std::string& p : set.Paths())
                if (p.find("\\publishers\\") != std::string::npos)
                    set.Remove(p);
        };
        packed = new ProgramRunner("program");
        ASSERT_TRUE(packed->Prepare(Content::Options(), noLogos)) << packed->Error();
        loose = new ProgramRunner("program_loose");
        Content::Options options;
        options.allLoose = true;
        ASSERT_TRUE(loose->Prepare(options, noLogos)) << loose->Error();
    }
    static void TearDownTestSuite()
    {
        delete packed;
        delete loose;
        packed = loose = nullptr;
        TestSupport::ClearUserData(kCompany, kTitle);
    }
    void SetUp() override
    {
        if (!TestSupport::InVirtualDesktop())
            GTEST_SKIP() << "runs inside the virtual desktop only";
        TestSupport::ClearUserData(kCompany, kTitle);
    }

    // Starts, finds the window, checks its client area on screen, ends it
    // with Alt+F4: exit code 1.
    void StartAndClose(ProgramRunner& run)
    {
        ASSERT_TRUE(run.Start()) << run.Error();
        const std::string id = run.FindWindow("Pelloria");
        ASSERT_FALSE(id.empty()) << "no window named Pelloria";
        // The client area is 1024 x 768, all of it on the captured window.
        TestSupport::Screenshot shot;
        ProgramRunner::Pump(500);
        ASSERT_TRUE(run.Capture(id, shot));
        HWND hwnd = FindWindowA(nullptr, "Pelloria");
        ASSERT_NE(hwnd, nullptr);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, 1024);
        EXPECT_EQ(client.bottom, 768);
        EXPECT_GE(shot.width, 1024);
        EXPECT_GE(shot.height, 768);
        ASSERT_TRUE(run.SendKeys(id, "alt+F4"));
        DWORD code = 0;
        ASSERT_TRUE(run.WaitForExit(&code));
        EXPECT_EQ(code, 1u);
    }

    static inline ProgramRunner* packed = nullptr;
    static inline ProgramRunner* loose = nullptr;
};

} // namespace

TEST(Desktop, ProgramTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_program", 1280, 1024, "InDesktop.*"));
}

TEST_F(InDesktop, StartsAndEndsWithAltF4LeavingItsSettingsAndLog)
{
    ASSERT_TRUE(packed->WriteIni("v_fullscreen 0\r\ng_music_volume 1.7\r\n"));
    StartAndClose(*packed);
    const std::string ini = packed->ReadIni();
    EXPECT_NE(ini.find("v_mode 1024x768x32\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("g_music_volume 1.000000\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("g_sound_volume 0.315000\r\n"), std::string::npos) << ini;
    // An orderly end: the engine came down and closed the log. (Alt+F4 asks
    // for the exit while a message is handled, and the loop ends right after
    // it, so no frame logs "Exiting..." here; an exit asked for during a frame
    // does, see test_game.)
    const std::string log = packed->ReadLog();
    EXPECT_NE(log.find("Window destroying"), std::string::npos);
    EXPECT_NE(log.find("Pelloria Log end"), std::string::npos);
    // The player files go under the shipped publisher's name.
    const std::string userData = TestSupport::UserDataFolder(kCompany, kTitle);
    EXPECT_TRUE(TestSupport::FileExists(userData + "\\demo\\high_scores.hsf"));

    // The program's icon is the generator's picture.
    HMODULE program = LoadLibraryExA((packed->Folder() + "\\Pelloria.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14)), nullptr) << "no icon group 101";
    HICON icon = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(101), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 32;
    bi.bmiHeader.biHeight = -32;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint8_t> bgra(32 * 32 * 4);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, info.hbmColor, 0, 32, bgra.data(), &bi, DIB_RGB_COLORS), 32);
    ReleaseDC(nullptr, dc);
    const ContentTools::IconImage expected = Content::MakeProgramIconImages()[1];
    ASSERT_EQ(expected.size, 32u);
    int same = 0;
    for (int i = 0; i < 32 * 32; ++i)
        same += std::abs(bgra[i * 4 + 2] - expected.rgba[i * 4]) <= 2 && std::abs(bgra[i * 4] - expected.rgba[i * 4 + 2]) <= 2;
    EXPECT_GT(same, 32 * 32 * 9 / 10);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    FreeLibrary(program);
}

TEST_F(InDesktop, RunsFromLooseContentToo)
{
    ASSERT_TRUE(loose->WriteIni("v_fullscreen 0\r\n"));
    ASSERT_FALSE(TestSupport::FileExists(loose->Folder() + "\\data\\pelloria.pak"));
    StartAndClose(*loose);
    EXPECT_NE(loose->ReadIni().find("g_music_volume 0.285000\r\n"), std::string::npos);
}

TEST_F(InDesktop, AltEnterSwitchesTheDisplayOncePerPress)
{
    ASSERT_TRUE(packed->WriteIni("v_fullscreen 0\r\n"));
    ASSERT_TRUE(packed->Start()) << packed->Error();
    ProgramRunner::Pump(500);
    const char* const expected[] = {"v_fullscreen 1\r\n", "v_fullscreen 0\r\n"};
    for (int press = 1; press <= 2; ++press) {
        // A new display mode may come with a new X window: found anew.
        const std::string id = packed->FindWindow("Pelloria");
        ASSERT_FALSE(id.empty());
        ASSERT_TRUE(packed->HoldKeys(id, "alt Return"));
        // The switch is saved at once and made two frames later.
        const DWORD start = GetTickCount();
        while (Count(packed->ReadLog(), "Reseting Direct3D device") < press && GetTickCount() - start < 20000)
            ProgramRunner::Pump(100);
        ProgramRunner::Pump(1000);
        EXPECT_EQ(Count(packed->ReadLog(), "Reseting Direct3D device"), press);
        EXPECT_NE(packed->ReadIni().find(expected[press - 1]), std::string::npos) << packed->ReadIni();
    }
    ASSERT_TRUE(packed->SendKeys(packed->FindWindow("Pelloria"), "alt+F4"));
    DWORD code = 0;
    ASSERT_TRUE(packed->WaitForExit(&code));
    EXPECT_EQ(code, 1u);
    EXPECT_NE(packed->ReadIni().find("v_fullscreen 0\r\n"), std::string::npos);
}

TEST_F(InDesktop, AMissingResourceListShowsTheFatalErrorAndEndsWithZero)
{
    const std::string ini = "v_fullscreen 0\r\ng_music_volume 0.7\r\n";
    ASSERT_TRUE(loose->WriteIni(ini));
    const std::string list = loose->Folder() + "\\data\\ui\\resources_basic.xml";
    ASSERT_TRUE(MoveFileA(list.c_str(), (list + ".away").c_str()));
    ASSERT_TRUE(loose->Start()) << loose->Error();
    const std::string box = loose->FindWindow("Fatal Error");
    ASSERT_FALSE(box.empty()) << "no error box";
    // The game's window is gone before the box shows; the box names the file.
    EXPECT_EQ(FindWindowA(nullptr, "Pelloria"), nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Pelloria 1.00"), nullptr);
    HWND boxWindow = FindWindowA(nullptr, "Fatal Error");
    ASSERT_NE(boxWindow, nullptr);
    EXPECT_NE(ChildTexts(boxWindow).find("resources_basic.xml"), std::string::npos) << ChildTexts(boxWindow);
    EXPECT_NE(loose->ReadLog().find("PROGRAM ABORTING: "), std::string::npos);
    EXPECT_EQ(loose->ReadIni(), ini);
    ASSERT_TRUE(loose->SendKeys(box, "Return"));
    DWORD code = 1;
    ASSERT_TRUE(loose->WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(loose->ReadIni(), ini);
    MoveFileA((list + ".away").c_str(), list.c_str());
}

TEST_F(InDesktop, PrintScreenAsksForOneScreenshotAPress)
{
    // The game made in this program, its window found and typed at like the
    // real program's.
    GameTest::ResetUserData("v_fullscreen 0\r\n");
    std::unique_ptr<Puzzle::Game> game = GameTest::MakeGame(packed->Folder());
    GameTest::FocusGameWindow();
    KorvaneEngine::Config* config = KorvaneEngine::Config::Instance();
    int asked = 0;
    auto frame = [&] {
        ProgramRunner::Pump();
        game->Update();
        if (!config->IsCommandDone("sc_take_screenshot")) {
            ++asked;
            config->SetCommandDone("sc_take_screenshot", true);
        }
    };
    for (int i = 0; i < 5; ++i)
        frame();
    const std::string id = packed->FindWindow("Pelloria");
    ASSERT_FALSE(id.empty());
    // Held over many frames: one request.
    ASSERT_TRUE(packed->Host("xdotool windowfocus " + id + " mousemove --window " + id + " 40 40"));
    ASSERT_TRUE(packed->Host("xdotool keydown Print"));
    for (int i = 0; i < 30; ++i)
        frame();
    ASSERT_TRUE(packed->Host("xdotool keyup Print"));
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(packed->Host("xdotool key Print"));
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_EQ(asked, 2);
    game.reset();
    TestSupport::ClearUserData(GameTest::kCompany, GameTest::Title());
}

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
#include "engine/audio_input/Controls.h"
#include "engine/foundation/Config.h"
#include "support/ProgramRunner.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/ProgramIcon.h"

using TestSupport::ProgramRunner;
using TestSupport::SecondsSince;

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

// Lets go of keys a test holds down, also when an assertion ends the test
// early: a key left down in the X server would reach every later test.
struct KeysUp {
    ProgramRunner& run;
    std::string keys;
    ~KeysUp() { run.Host("xdotool keyup " + keys); }
};

// The input focus and the pointer to the window named "Pelloria", found anew
// each time (a new display mode may come with a new X window); its id, or
// empty when no try succeeded within the time. A window that is not mapped
// yet refuses the focus, so it is tried again.
std::string FocusProgram(ProgramRunner& run, double seconds)
{
    const DWORD start = GetTickCount();
    do {
        const std::string id = run.FindWindow("Pelloria", 1000);
        if (!id.empty() && run.Focus(id, 1000))
            return id;
        ProgramRunner::Pump(100);
    } while (SecondsSince(start) < seconds);
    return std::string();
}

// Screenshots of the program's window until one differs from the one before:
// the program draws frames. A fresh start shows the new-player window, whose
// text cursor blinks every 0.4 s, so a program that runs its frames changes
// its window within half a second; one without the focus only idles and
// draws nothing new. A window that went away (a display mode change) is
// found anew. False after the time limit.
bool DrawsFrames(ProgramRunner& run, double seconds)
{
    const DWORD start = GetTickCount();
    std::string id;
    TestSupport::Screenshot before, now;
    while (SecondsSince(start) < seconds) {
        if (id.empty())
            id = run.FindWindow("Pelloria", 1000);
        if (id.empty() || !run.Capture(id, now)) {
            id.clear();
            before = TestSupport::Screenshot();
            ProgramRunner::Pump(100);
            continue;
        }
        if (!before.rgb.empty() && now.width == before.width && now.height == before.height && now.rgb != before.rgb)
            return true;
        before = std::move(now);
        now = TestSupport::Screenshot();
    }
    return false;
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
        // Started, with the focus, drawing: 0.8 to 1.4 s to the focus and 0.2
        // to 0.5 s more to a changed screenshot, with every core of the
        // machine busy.
        DWORD phase = GetTickCount();
        const std::string id = FocusProgram(run, 30);
        ASSERT_FALSE(id.empty()) << "no window named Pelloria took the focus";
        std::printf("[timing] the window found and focused in %.2f s (limit 30)\n", SecondsSince(phase));
        phase = GetTickCount();
        ASSERT_TRUE(DrawsFrames(run, 10)) << "the program draws no frames";
        std::printf("[timing] a frame drawn in %.2f s (limit 10)\n", SecondsSince(phase));
        // The client area is 1024 x 768, all of it on the captured window.
        TestSupport::Screenshot shot;
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
    const char* const expected[] = {"v_fullscreen 1\r\n", "v_fullscreen 0\r\n"};
    auto resets = [&] { return Count(packed->ReadLog(), "Reseting Direct3D device"); };
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        // The keys are read only by a program that has the focus and runs
        // its frames: both seen before the press.
        DWORD phase = GetTickCount();
        ASSERT_FALSE(FocusProgram(*packed, 30).empty()) << "no window named Pelloria took the focus";
        ASSERT_TRUE(DrawsFrames(*packed, 10)) << "the program draws no frames";
        std::printf("[timing] press %d: focused and drawing after %.2f s (limit 30 + 10)\n", press,
                    SecondsSince(phase));
        // Held until the switch has been made, however long the program's
        // frames take: it is saved at once and made two frames later. The
        // reset is logged 0.05 to 0.25 s after the press with every core of
        // the machine busy.
        {
            KeysUp release{*packed, "Return alt"};
            ASSERT_TRUE(packed->Host("xdotool keydown alt keydown Return"));
            phase = GetTickCount();
            while (resets() < press && SecondsSince(phase) < 20)
                ProgramRunner::Pump(50);
            std::printf("[timing] press %d: the reset logged %.2f s after the press (limit 20)\n", press,
                        SecondsSince(phase));
            ASSERT_GE(resets(), press) << "no reset logged";
            // Still held in the new mode, while it runs frames: no new press.
            ASSERT_FALSE(FocusProgram(*packed, 30).empty()) << "no window took the focus in the new mode";
            ASSERT_TRUE(DrawsFrames(*packed, 10)) << "the program draws no frames in the new mode";
        }
        // The press has been handled to its end once the program has run
        // more frames after the release than a switch takes to be made: each
        // changed screenshot is one frame at least (three take 0.7 to 1.1 s).
        phase = GetTickCount();
        for (int frames = 0; frames < 3; ++frames)
            ASSERT_TRUE(DrawsFrames(*packed, 10)) << "no frame after the release";
        std::printf("[timing] press %d: three frames after the release in %.2f s (limit 3 x 10)\n", press,
                    SecondsSince(phase));
        EXPECT_EQ(resets(), press) << "a held press switched more than once";
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
    ASSERT_NO_FATAL_FAILURE(GameTest::ResetUserData("v_fullscreen 0\r\n"));
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
    const std::string id = packed->FindWindow("Pelloria");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(packed->Focus(id));
    // The key's state as the game's devices report it, read after a frame.
    KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance();
    auto held = [&] { return controls->IsDown("PRINTSCRN"); };
    // Each key change is seen 0.01 to 0.13 s after its host line ends, with
    // every core of the machine busy.
    const double kKeyLimit = 10;
    // Held over many frames (half a second and ten frames at least): one
    // request, from the frame the press arrived in.
    {
        KeysUp release{*packed, "Print"};
        ASSERT_TRUE(packed->Host("xdotool keydown Print"));
        DWORD phase = GetTickCount();
        ASSERT_TRUE(GameTest::FramesUntil(frame, held, kKeyLimit)) << "the press never arrived";
        std::printf("[timing] the press seen after %.2f s (limit %.0f)\n", SecondsSince(phase), kKeyLimit);
        EXPECT_EQ(asked, 1);
        phase = GetTickCount();
        for (int frames = 0; frames < 10 || SecondsSince(phase) < 0.5; ++frames) {
            frame();
            ASSERT_TRUE(held()) << "let go after " << frames << " frames";
        }
    }
    const DWORD phase = GetTickCount();
    ASSERT_TRUE(GameTest::FramesUntil(frame, [&] { return !held(); }, kKeyLimit)) << "the release never arrived";
    std::printf("[timing] the release seen after %.2f s (limit %.0f)\n", SecondsSince(phase), kKeyLimit);
    EXPECT_EQ(asked, 1);
    // A tap: one more, once its press and its release have both arrived.
    ASSERT_TRUE(packed->Host("xdotool key Print"));
    ASSERT_TRUE(GameTest::FramesUntil(frame, [&] { return asked >= 2 && !held(); }, kKeyLimit)) << "the tap";
    EXPECT_EQ(asked, 2);
    game.reset();
    TestSupport::ClearUserData(GameTest::kCompany, GameTest::Title());
}

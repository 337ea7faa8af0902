#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "engine/foundation/Config.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Window.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;

namespace {

// The services the window reaches: the configuration it issues commands
// through and a log that keeps its lines in memory only.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("window");
        log = std::make_unique<MessageManager>("Window test", false, false, "", "");
        config = std::make_unique<Config>(dir, "window", false, "640x480x32", false, false);
    }
    void TearDown() override
    {
        config.reset();
        log.reset();
        TestSupport::RemoveTree(dir);
    }

    std::unique_ptr<Window> Open(uint32_t w, uint32_t h, bool fullscreen = false, bool centred = true,
                                 Vector2i position = Vector2i(0, 0), HWND host = nullptr)
    {
        return std::make_unique<Window>("Window test 0.67", host, 0, w, h, fullscreen, centred, position);
    }

    bool Logged(const std::string& line) const
    {
        for (int i = 0; i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->text == line)
                return true;
        return false;
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    static SIZE ClientSize(HWND hwnd)
    {
        RECT r;
        GetClientRect(hwnd, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    std::string dir;
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<Config> config;
};

} // namespace

TEST_F(WindowTest, OpensWindowedAtTheAskedClientSize)
{
    auto window = Open(640, 480);
    HWND hwnd = window->GetHandle();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(Window::Instance(), window.get());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_NE(window->GetDeviceContext(), nullptr);
    const SIZE client = ClientSize(hwnd);
    EXPECT_EQ(client.cx, 640);
    EXPECT_EQ(client.cy, 480);

    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char className[64] = {};
    GetClassNameA(hwnd, className, sizeof className);
    EXPECT_STREQ(className, "Korvane Engine window class");
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ(title, "Window test 0.67");
    window->SetTitle("Pelloria");
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ(title, "Pelloria");

    // Centred in the work area: the client centre sits at the area's centre.
    POINT centre = {320, 240};
    ClientToScreen(hwnd, &centre);
    const Vector2i origin = window->GetWorkAreaOrigin(), area = window->GetWorkAreaSize();
    EXPECT_GT(area.x, 0);
    EXPECT_NEAR(centre.x, origin.x + area.x / 2, 16);
    EXPECT_NEAR(centre.y, origin.y + area.y / 2, 32);

    for (const char* line : {" \n", "Window creation:\n", "...Registering the window class...\n",
                             "...Creating a device context...\n"})
        EXPECT_TRUE(Logged(line)) << line;
    Pump();
    EXPECT_TRUE(window->HasFocus());
}

TEST_F(WindowTest, PlacedWindowAndOversizedCentredWindow)
{
    {
        auto window = Open(320, 200, false, false, Vector2i(40, 60));
        POINT p = {0, 0};
        ClientToScreen(window->GetHandle(), &p);
        EXPECT_EQ(p.x, 40);
        EXPECT_EQ(p.y, 60);
    }
    // Wider and taller than the work area: centred means starting left of and
    // above it, not somewhere near four billion.
    auto window = Open(4000, 3000);
    const int32_t* frame = window->GetWindowRect();
    const Vector2i origin = window->GetWorkAreaOrigin(), area = window->GetWorkAreaSize();
    EXPECT_LT(frame[0], origin.x);
    EXPECT_GT(frame[0], origin.x + (area.x - 4000) / 2 - 40);
    EXPECT_LT(frame[1], origin.y);
    EXPECT_GT(frame[1], origin.y + (area.y - 3000) / 2 - 80);
    EXPECT_GE(frame[2], 4000);
}

TEST_F(WindowTest, CloseIssuesExitAndTheWindowSurvives)
{
    auto window = Open(400, 300);
    HWND hwnd = window->GetHandle();
    ASSERT_TRUE(config->IsCommandDone("exit"));
    EXPECT_EQ(SendMessageA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(config->IsCommandDone("exit"));
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));

    config->SetCommandDone("exit", true);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(config->IsCommandDone("exit"));
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));

    config->SetCommandDone("exit", true);
    EXPECT_EQ(SendMessageA(hwnd, WM_QUIT, 0, 0), 0);
    EXPECT_FALSE(config->IsCommandDone("exit"));
}

TEST_F(WindowTest, MaximiseRequestsFullScreen)
{
    auto window = Open(400, 300);
    HWND hwnd = window->GetHandle();
    ASSERT_FALSE(config->fullscreen);
    ASSERT_TRUE(config->IsCommandDone("v_window_change_mode"));
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0), 0);
    EXPECT_TRUE(config->fullscreen);
    EXPECT_EQ(config->GetValueString("v_fullscreen"), "1");
    EXPECT_FALSE(config->IsCommandDone("v_window_change_mode"));
    // The settings file is written at once.
    std::vector<unsigned char> ini = TestSupport::ReadFileBytes(dir + "\\window.ini");
    EXPECT_NE(std::string(ini.begin(), ini.end()).find("v_fullscreen 1\r\n"), std::string::npos);
    // The switch itself is the frame code's: the window is untouched.
    Pump();
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_EQ(ClientSize(hwnd).cx, 400);

    // Already full screen: nothing more is asked for.
    config->SetCommandDone("v_window_change_mode", true);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(config->IsCommandDone("v_window_change_mode"));
    EXPECT_TRUE(config->fullscreen);

    // A double click on the caption does nothing at all.
    config->fullscreen = false;
    POINT p = {100, 0};
    ClientToScreen(hwnd, &p);
    EXPECT_EQ(SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(p.x, p.y - 8)), 0);
    Pump();
    EXPECT_FALSE(config->fullscreen);
    EXPECT_TRUE(config->IsCommandDone("v_window_change_mode"));
    EXPECT_FALSE(IsZoomed(hwnd));
}

TEST_F(WindowTest, MinimiseAndRestore)
{
    auto window = Open(400, 300);
    HWND hwnd = window->GetHandle();
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(window->IsMinimized());
    EXPECT_TRUE(IsIconic(hwnd));
    // Maximising a minimised window restores it, and asks for no mode change.
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_FALSE(window->IsMinimized());
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_FALSE(config->fullscreen);
    EXPECT_TRUE(config->IsCommandDone("v_window_change_mode"));
    EXPECT_EQ(ClientSize(hwnd).cx, 400);

    // Minimise twice: the second restores through maximise.
    window->Minimize();
    Pump();
    EXPECT_TRUE(window->IsMinimized());
    window->Minimize();
    Pump();
    EXPECT_FALSE(window->IsMinimized());
    EXPECT_FALSE(IsIconic(hwnd));

    // Restoring a full-screen window limits the gamma settings.
    config->fullscreen = true;
    config->gamma = 7.0f;
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(window->IsMinimized());
    EXPECT_FLOAT_EQ(config->gamma, 2.0f);
}

TEST_F(WindowTest, KeepsItsSizeAndSwallowsSystemCommands)
{
    auto window = Open(500, 350);
    HWND hwnd = window->GetHandle();
    RECT before;
    ::GetWindowRect(hwnd, &before);
    SetWindowPos(hwnd, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ClientSize(hwnd).cx, 500);
    EXPECT_EQ(ClientSize(hwnd).cy, 350);
    // Moving without resizing is allowed.
    SetWindowPos(hwnd, nullptr, before.left + 10, before.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT moved;
    ::GetWindowRect(hwnd, &moved);
    EXPECT_EQ(moved.left, before.left + 10);
    EXPECT_EQ(moved.top, before.top + 20);

    for (WPARAM command : {SC_SIZE, SC_TASKLIST, SC_SCREENSAVE, SC_HOTKEY, SC_MONITORPOWER})
        EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, command, 0), 0) << command;
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSKEYUP, VK_MENU, 0), 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 10)), 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(ClientSize(hwnd).cx, 500);
    EXPECT_TRUE(config->IsCommandDone("exit"));
}

TEST_F(WindowTest, RecordsKeysAndTypedCharacters)
{
    auto window = Open(300, 200);
    HWND hwnd = window->GetHandle();
    EXPECT_FALSE(window->IsKeyPending());
    SendMessageA(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(window->IsKeyPending());
    EXPECT_FALSE(window->IsKeyCharacter());
    EXPECT_EQ(window->GetKeyCode(), VK_RETURN);
    // Control characters leave the key-down record: Enter reads as code 13.
    SendMessageA(hwnd, WM_CHAR, 13, 0);
    EXPECT_FALSE(window->IsKeyCharacter());
    EXPECT_EQ(window->GetKeyCode(), 13);
    SendMessageA(hwnd, WM_CHAR, 'q', 0);
    EXPECT_TRUE(window->IsKeyCharacter());
    EXPECT_EQ(window->GetKeyCode(), 'q');
    SendMessageA(hwnd, WM_SYSKEYDOWN, VK_F10, 0);
    EXPECT_FALSE(window->IsKeyCharacter());
    EXPECT_EQ(window->GetKeyCode(), VK_F10);
    window->ClearKeyPending();
    EXPECT_FALSE(window->IsKeyPending());
}

TEST_F(WindowTest, CharacterThatFailsConversionIsDropped)
{
    // A code the ANSI window cannot hold in one byte converts to nothing; it
    // used to be typed as "A".
    auto window = Open(300, 200);
    HWND hwnd = window->GetHandle();
    SendMessageA(hwnd, WM_KEYDOWN, 'X', 0);
    SendMessageA(hwnd, WM_CHAR, 0x100, 0);
    EXPECT_TRUE(window->IsKeyPending());
    EXPECT_FALSE(window->IsKeyCharacter()) << "typed as " << window->GetKeyCode();
    EXPECT_EQ(window->GetKeyCode(), 'X');
    window->ClearKeyPending();
    SendMessageA(hwnd, WM_CHAR, 0x100, 0);
    EXPECT_FALSE(window->IsKeyPending());
}

TEST_F(WindowTest, ClampsGammaSettings)
{
    auto window = Open(300, 200);
    ASSERT_EQ(config->ExecuteLine("v_brightness 3.5", nullptr), 0u);
    config->contrast = -1.0f;
    config->gamma = 1.25f;
    window->ClampGammaSettings();
    EXPECT_EQ(config->GetValueString("v_brightness"), "2.000000");
    EXPECT_EQ(config->contrast, 0.0f);
    EXPECT_EQ(config->gamma, 1.25f);
}

TEST_F(WindowTest, DesktopProportions)
{
    auto window = Open(300, 200);
    // What the constructor read: the display mode the registry holds.
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &mode));
    EXPECT_FLOAT_EQ(window->GetDesktopAspect(),
                    static_cast<float>(mode.dmPelsWidth) / static_cast<float>(mode.dmPelsHeight));

    window->SetDesktopMode(1920, 1080);
    EXPECT_TRUE(window->IsDesktopWide());
    EXPECT_FALSE(window->IsDesktopNarrow());
    window->SetDesktopMode(1280, 1024);
    EXPECT_FALSE(window->IsDesktopWide());
    EXPECT_TRUE(window->IsDesktopNarrow());
    window->SetDesktopMode(1024, 768);
    EXPECT_FALSE(window->IsDesktopWide());
    EXPECT_FALSE(window->IsDesktopNarrow());
    EXPECT_FLOAT_EQ(window->GetDesktopAspect(), 1024.0f / 768.0f);
    window->SetDesktopMode(800, 0);
    EXPECT_FLOAT_EQ(window->GetDesktopAspect(), 4.0f / 3.0f);
    EXPECT_FALSE(window->IsDesktopNarrow());
}

TEST_F(WindowTest, ChangesModeBothWays)
{
    auto window = Open(400, 300);
    HWND hwnd = window->GetHandle();
    config->brightness = 9.0f;
    window->ChangeMode(640, 480, true);
    Pump();
    EXPECT_TRUE(window->IsFullscreen());
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r;
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(ClientSize(hwnd).cx, 640);
    EXPECT_EQ(ClientSize(hwnd).cy, 480);
    EXPECT_FLOAT_EQ(config->brightness, 2.0f);

    window->ChangeMode(320, 240, false);
    Pump();
    EXPECT_FALSE(window->IsFullscreen());
    style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ClientSize(hwnd).cx, 320);
    EXPECT_EQ(ClientSize(hwnd).cy, 240);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(WindowTest, HostedWindowFollowsItsHost)
{
    HWND hostWindow = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 360, 280,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hostWindow, nullptr);
    auto window = Open(1000, 1000, true, true, Vector2i(0, 0), hostWindow);
    HWND hwnd = window->GetHandle();
    EXPECT_FALSE(window->IsFullscreen());
    EXPECT_EQ(GetParent(hwnd), hostWindow);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(window->GetWidth(), 360u);
    EXPECT_EQ(window->GetHeight(), 280u);
    POINT p = {0, 0};
    MapWindowPoints(hwnd, hostWindow, &p, 1);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);

    SetFocus(hwnd);
    EXPECT_TRUE(window->HasFocus());
    SetFocus(hostWindow);
    EXPECT_TRUE(window->HasFocus());

    // Hosted windows neither minimise nor ask for full screen; ChangeMode is ignored.
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0), 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
    EXPECT_FALSE(window->IsMinimized());
    EXPECT_FALSE(config->fullscreen);
    window->ChangeMode(640, 480, true);
    EXPECT_FALSE(window->IsFullscreen());
    EXPECT_EQ(window->GetWidth(), 360u);

    window->Update();
    EXPECT_TRUE(config->IsCommandDone("exit"));
    DestroyWindow(hostWindow);
    window->Update();
    EXPECT_FALSE(config->IsCommandDone("exit"));
}

TEST_F(WindowTest, DestructionReleasesEverything)
{
    auto window = Open(300, 200);
    HWND hwnd = window->GetHandle();
    window.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Window::Instance(), nullptr);
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "Korvane Engine window class", &wc));
    for (const char* line : {"\nWindow destroying:\n", "...Releasing device context...\n",
                             "...Releasing window...\n", "...Unregistering class...\n"})
        EXPECT_TRUE(Logged(line)) << line;
    // And the next window registers the class again.
    window = Open(300, 200);
    EXPECT_TRUE(IsWindow(window->GetHandle()));
}

namespace {

const char kTestKey[] = "Software\\Quillfen Test\\Pelloria Registry Test";

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteKeyA(root, kTestKey);
            RegDeleteKeyA(root, "Software\\Quillfen Test");
        }
    }
    static bool Write(HKEY root, const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        if (RegCreateKeyExA(root, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        const LONG r = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        return r == ERROR_SUCCESS;
    }
    static bool WriteString(HKEY root, const char* name, const std::string& text)
    {
        return Write(root, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
};

} // namespace

TEST_F(RegistryTest, ReadsStringsOnly)
{
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, "Version", "1.05"));
    const DWORD number = 105;
    ASSERT_TRUE(Write(HKEY_CURRENT_USER, "Count", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(Write(HKEY_CURRENT_USER, "Path", REG_EXPAND_SZ, "%TEMP%", 7));

    std::string out = "untouched";
    EXPECT_TRUE(ReadRegistryString(kTestKey, "Version", out));
    EXPECT_EQ(out, "1.05");
    out = "untouched";
    EXPECT_FALSE(ReadRegistryString(kTestKey, "Count", out));
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(ReadRegistryString(kTestKey, "Path", out));
    EXPECT_FALSE(ReadRegistryString(kTestKey, "Missing", out));
    EXPECT_FALSE(ReadRegistryString("Software\\Quillfen Test\\No Such Key", "Version", out));
    EXPECT_EQ(out, "untouched");

    // The per-hive reader: 2 and any unknown number mean the current user.
    EXPECT_TRUE(ReadRegistryString(2, kTestKey, "Version", out));
    EXPECT_EQ(out, "1.05");
    out.clear();
    EXPECT_TRUE(ReadRegistryString(9, kTestKey, "Version", out));
    EXPECT_EQ(out, "1.05");
    EXPECT_FALSE(ReadRegistryString(4, kTestKey, "Version", out));
}

TEST_F(RegistryTest, TextIsBoundedByTheStoredSize)
{
    // Stored without its terminating zero, and a value with an inner zero.
    ASSERT_TRUE(Write(HKEY_CURRENT_USER, "Bare", REG_SZ, "abcdef", 3));
    ASSERT_TRUE(Write(HKEY_CURRENT_USER, "Inner", REG_SZ, "ab\0cd", 6));
    std::string out;
    EXPECT_TRUE(ReadRegistryString(kTestKey, "Bare", out));
    EXPECT_EQ(out, "abc");
    EXPECT_TRUE(ReadRegistryString(kTestKey, "Inner", out));
    EXPECT_EQ(out, "ab");

    // Longer than the 4096-byte buffer: not read, rather than cut short.
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, "Long", std::string(5000, 'x')));
    out = "untouched";
    EXPECT_FALSE(ReadRegistryString(kTestKey, "Long", out));
    EXPECT_EQ(out, "untouched");
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, "Fits", std::string(4095, 'y')));
    EXPECT_TRUE(ReadRegistryString(kTestKey, "Fits", out));
    EXPECT_EQ(out.size(), 4095u);
}

TEST_F(RegistryTest, LocalMachineComesFirst)
{
    if (!WriteString(HKEY_LOCAL_MACHINE, "Version", "machine"))
        GTEST_SKIP() << "no write access to HKEY_LOCAL_MACHINE";
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, "Version", "user"));
    std::string out;
    EXPECT_TRUE(ReadRegistryString(kTestKey, "Version", out));
    EXPECT_EQ(out, "machine");
    // A machine value of another type falls through to the user's string.
    const DWORD number = 1;
    ASSERT_TRUE(Write(HKEY_LOCAL_MACHINE, "Version", REG_DWORD, &number, sizeof number));
    EXPECT_TRUE(ReadRegistryString(kTestKey, "Version", out));
    EXPECT_EQ(out, "user");
}

#pragma once
// Playing the real program from a test: the game's window found by its title,
// its client area mapped to GUI units (800 x 600, y up), screenshots that tell
// the screens apart by the signature colours of tools/content/Screens.h, and
// real input through xdotool. Every wait polls with a time limit and keeps the
// last screenshot (written beside the program as "last_<name>.ppm").
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/ProgramRunner.h"
#include "support/TestSupport.h"
#include "tools/content/Screens.h"

namespace PlayTest {

using Content::Screens::Rgb8;

// The centre of a control of a window's panel (panel coordinates).
inline void PanelPoint(const char* window, float x, float y, float* gx, float* gy)
{
    const Content::Screens::Panel* p = Content::Screens::FindPanel(window);
    *gx = p->x + x;
    *gy = p->y + y;
}

// The centre of button i of n of a question or notice (GUI units).
inline void DialogButton(const char* window, int i, int n, float* gx, float* gy)
{
    namespace S = Content::Screens;
    const S::Panel* p = S::FindPanel(window);
    const float m = S::kDialogMargin;
    const float w = n == 1 ? S::kDialogSingleWidth : (p->width - 3 * m) / 2;
    const float x = n == 1 ? (p->width - w) / 2 : m + i * (w + m);
    *gx = p->x + x + w / 2;
    *gy = p->y + S::kDialogButtonY + S::kButtonHeight / 2;
}

class Player {
public:
    explicit Player(TestSupport::ProgramRunner& runner) : run(runner) {}

    // The game's window and its client area on the captured X window; false
    // when it did not appear in time.
    bool Attach(unsigned timeoutMs = 30000)
    {
        id = run.FindWindow("Pelloria", timeoutMs);
        if (id.empty())
            return false;
        const DWORD start = GetTickCount();
        while (!(hwnd = FindWindowA(nullptr, "Pelloria")) && GetTickCount() - start < timeoutMs)
            TestSupport::ProgramRunner::Pump(100);
        if (!hwnd)
            return false;
        RECT window, client;
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        offsetX = origin.x - window.left;
        offsetY = origin.y - window.top;
        width = client.right;
        height = client.bottom;
        return run.SendKeys(id, "shift");
    }

    // Window pixels of a GUI point.
    int X(float gx) const { return offsetX + static_cast<int>(std::lround(gx * width / 800.0f)); }
    int Y(float gy) const { return offsetY + static_cast<int>(std::lround((600.0f - gy) * height / 600.0f)); }

    bool Shoot()
    {
        if (!run.Capture(id, shot))
            return false;
        shots++;
        return true;
    }
    // Writes the last screenshot for whoever looks into a failure.
    void Keep(const std::string& name) const
    {
        if (shot.rgb.empty())
            return;
        FILE* f = std::fopen((run.Folder() + "\\last_" + name + ".ppm").c_str(), "wb");
        if (!f)
            return;
        std::fprintf(f, "P6\n%d %d\n255\n", shot.width, shot.height);
        std::fwrite(shot.rgb.data(), 1, shot.rgb.size(), f);
        std::fclose(f);
    }

    bool Near(const uint8_t* p, const Rgb8& c, int tolerance) const
    {
        return std::abs(p[0] - c.r) <= tolerance && std::abs(p[1] - c.g) <= tolerance &&
               std::abs(p[2] - c.b) <= tolerance;
    }
    // The share of the pixels of a GUI rectangle within tolerance of a colour,
    // sampled every few pixels.
    double Share(const Rgb8& c, float x, float y, float w, float h, int tolerance = 14) const
    {
        int hits = 0, all = 0;
        for (int py = Y(y + h); py < Y(y); py += 3)
            for (int px = X(x); px < X(x + w); px += 3) {
                if (px < 0 || py < 0 || px >= shot.width || py >= shot.height)
                    continue;
                ++all;
                hits += Near(shot.Pixel(px, py), c, tolerance);
            }
        return all ? double(hits) / all : 0;
    }
    // A menu screen is on when its panel's colour fills much of its place.
    bool Shows(const char* window) const
    {
        const Content::Screens::Panel* p = Content::Screens::FindPanel(window);
        return p && Share(p->colour, p->x, p->y, p->width, p->height) > 0.3;
    }
    bool ShowsPlay() const
    {
        return Share(Content::Screens::kHudBar, 300, Content::Screens::kHudBarY + 6, 200,
                     Content::Screens::kHudBarHeight - 12) > 0.6;
    }

    // Screenshots until the condition holds; false after the limit (the last
    // screenshot is kept under the name).
    bool WaitFor(const std::string& name, const std::function<bool()>& condition, double seconds = 30)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            if (Shoot() && condition())
                return true;
            if (GetTickCount() - start > seconds * 1000) {
                Keep(name);
                return false;
            }
            TestSupport::ProgramRunner::Pump(150);
        }
    }
    bool WaitForScreen(const char* window, double seconds = 30)
    {
        return WaitFor(window, [&] { return Shows(window); }, seconds);
    }

    bool Move(float gx, float gy)
    {
        return run.Host("xdotool mousemove --window " + id + " " + std::to_string(X(gx)) + " " + std::to_string(Y(gy)));
    }
    // A press and a release over a GUI point, a frame or more apart.
    bool Click(float gx, float gy)
    {
        return Move(gx, gy) && Pause(120) &&
               run.Host("xdotool mousedown 1 sleep 0.12 mouseup 1");
    }
    // Clicks on a point of a window's panel, on button i of n of a question
    // or notice, on the main menu's button i (from the top), on item i of a
    // start-game row.
    bool ClickPanel(const char* window, float x, float y)
    {
        float gx, gy;
        PanelPoint(window, x, y, &gx, &gy);
        return Click(gx, gy);
    }
    bool ClickDialog(const char* window, int i, int n)
    {
        float gx, gy;
        DialogButton(window, i, n, &gx, &gy);
        return Click(gx, gy);
    }
    bool ClickMainMenu(int i)
    {
        namespace S = Content::Screens;
        return ClickPanel("window_main_menu", S::kMainMenuButtonX + S::kMainMenuButtonWidth / 2,
                          S::kMainMenuButtonTopY - i * S::kMainMenuButtonPitch + S::kButtonHeight / 2);
    }
    bool ClickItem(float rowY, int i)
    {
        namespace S = Content::Screens;
        return ClickPanel("window_start_game", S::kItemLeft + i * S::kItemPitch + S::kItemSize / 2,
                          rowY + S::kItemSize / 2);
    }
    // On the start-game window: the first theme, picture, puzzle and size,
    // then play. Empty once the play screen shows, else what failed.
    std::string PlayTheFirstChoices(double seconds = 30)
    {
        namespace S = Content::Screens;
        if (!ClickItem(S::kThemeRowY, 0) || !ClickItem(S::kPictureRowY, 0) || !ClickItem(S::kPuzzleRowY, 0) ||
            !ClickPanel("window_start_game", S::kSizeBoxX + S::kSizeBoxSize / 2, S::kSizeBoxTopY + S::kSizeBoxSize / 2) ||
            !ClickPanel("window_start_game", S::kStartPlayX + S::kStartButtonWidth / 2,
                        S::kStartButtonY + S::kButtonHeight / 2))
            return "a click on the start-game window";
        return WaitFor("play", [&] { return ShowsPlay(); }, seconds) ? std::string() : "play";
    }
    // From a level in play: Esc, leave and confirm, then the main menu's
    // exit, confirmed. Empty once the last answer is clicked, else the
    // screen that did not show.
    std::string LeaveTheLevelAndExit(double seconds = 30)
    {
        namespace S = Content::Screens;
        if (!Key("Escape") || !WaitForScreen("window_game_logic_menu", seconds))
            return "window_game_logic_menu";
        if (!ClickPanel("window_game_logic_menu", S::kGameMenuButtonX + S::kGameMenuButtonWidth / 2,
                        S::kGameMenuButtonY[0] + S::kButtonHeight / 2) ||
            !WaitForScreen("window_game_logic_menu_exit", seconds))
            return "window_game_logic_menu_exit";
        if (!ClickDialog("window_game_logic_menu_exit", 1, 2) || !WaitForScreen("window_main_menu", seconds))
            return "window_main_menu";
        if (!ClickMainMenu(4) || !WaitForScreen("window_exit", seconds))
            return "window_exit";
        return ClickDialog("window_exit", 1, 2) ? std::string() : "a click on window_exit";
    }
    bool Key(const std::string& keys) { return run.Host("xdotool key --delay 80 " + keys); }
    bool Type(const std::string& text) { return run.Host("xdotool type --delay 300 '" + text + "'"); }
    bool Hold(const std::string& what, unsigned ms)
    {
        return run.Host("xdotool mousedown " + what + " sleep " + std::to_string(ms / 1000.0) + " mouseup " + what,
                        ms + 20000);
    }
    bool Pause(unsigned ms)
    {
        TestSupport::ProgramRunner::Pump(ms);
        return true;
    }
    // The centre of the pixels of a colour inside a GUI rectangle (GUI
    // units); false when fewer than minimum pixels have it.
    bool FindColour(const Rgb8& c, float x, float y, float w, float h, float* gx, float* gy, int minimum = 20,
                    int tolerance = 18) const
    {
        double sx = 0, sy = 0;
        int n = 0;
        for (int py = std::max(0, Y(y + h)); py < std::min(shot.height, Y(y)); ++py)
            for (int px = std::max(0, X(x)); px < std::min(shot.width, X(x + w)); ++px)
                if (Near(shot.Pixel(px, py), c, tolerance)) {
                    sx += px;
                    sy += py;
                    ++n;
                }
        if (n < minimum)
            return false;
        *gx = float((sx / n - offsetX) * 800.0 / width);
        *gy = float(600.0 - (sy / n - offsetY) * 600.0 / height);
        return true;
    }
    // The horizontal extent (window pixels) of the pixels near a colour in
    // a GUI band: the width of a line of text in that colour.
    int InkWidth(const Rgb8& c, float x, float y, float w, float h, int tolerance = 40) const
    {
        int lo = 1 << 30, hi = -1;
        for (int py = std::max(0, Y(y + h)); py < std::min(shot.height, Y(y)); ++py)
            for (int px = std::max(0, X(x)); px < std::min(shot.width, X(x + w)); ++px)
                if (Near(shot.Pixel(px, py), c, tolerance)) {
                    lo = std::min(lo, px);
                    hi = std::max(hi, px);
                }
        return hi < 0 ? 0 : hi - lo + 1;
    }

    TestSupport::ProgramRunner& run;
    TestSupport::Screenshot shot;
    std::string id;
    HWND hwnd = nullptr;
    int offsetX = 0, offsetY = 0, width = 1024, height = 768;
    int shots = 0;
};

} // namespace PlayTest

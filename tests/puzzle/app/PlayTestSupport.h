#pragma once
// Playing the real program from a test: the game's window found by its title,
// its client area mapped to GUI units (800 x 600, y up), screenshots that tell
// the screens apart by the signature colours of tools/content/Screens.h, and
// real input through xdotool. Every wait polls a condition against a deadline
// in seconds and keeps the last screenshot (written beside the program as
// "last_<name>.ppm"); input goes to a control only once it shows that it takes
// it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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
inline void DialogButton(const char* window, int i, int n, float* gx, float* gy, float* width = nullptr)
{
    namespace S = Content::Screens;
    const S::Panel* p = S::FindPanel(window);
    const float m = S::kDialogMargin;
    const float w = n == 1 ? S::kDialogSingleWidth : (p->width - 3 * m) / 2;
    const float x = n == 1 ? (p->width - w) / 2 : m + i * (w + m);
    *gx = p->x + x + w / 2;
    *gy = p->y + S::kDialogButtonY + S::kButtonHeight / 2;
    if (width)
        *width = w;
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

    // Screenshots until the condition holds; false after the deadline (the
    // last screenshot is kept under the name). waited holds the seconds the
    // wait took, for the phase times a test prints.
    bool WaitFor(const std::string& name, const std::function<bool()>& condition, double seconds = 30)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            // The deadline is read before the screenshot: a screenshot that
            // takes long on a loaded machine still gets its look.
            const bool last = TestSupport::SecondsSince(start) > seconds;
            if (Shoot() && condition()) {
                waited = TestSupport::SecondsSince(start);
                return true;
            }
            if (last) {
                waited = TestSupport::SecondsSince(start);
                Keep(name);
                return false;
            }
            TestSupport::ProgramRunner::Pump(50);
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
    // A press and a release over a GUI point, a frame or more apart: for
    // what has no sign of taking input (items, rows, pieces, slots).
    bool Click(float gx, float gy)
    {
        return Move(gx, gy) && Pause(120) && Press();
    }
    bool Press() { return run.Host("xdotool mousedown 1 sleep 0.12 mouseup 1"); }

    // A menu button draws its pointer-over face only while it is visible,
    // enabled and reading the pointer: the sign that a press now reaches it.
    // That face halfway up, left of the centred caption, is the mix of the
    // state's top and bottom colours; drawn whole only once the button has
    // faded in.
    bool ShowsButtonOver(float gx, float gy, float width) const
    {
        const Rgb8* over = Content::Screens::kButtonOver;
        const Rgb8 face = {uint8_t((over[0].r + over[1].r) / 2), uint8_t((over[0].g + over[1].g) / 2),
                           uint8_t((over[0].b + over[1].b) / 2)};
        return Share(face, gx - width / 2 + 5, gy - 5, 10, 10, 16) > 0.6;
    }
    // The pointer onto a button (centre and width in GUI units), waited for
    // until the button shows it is under the pointer (then a press reaches
    // it). The last screenshot is kept under name when it does not.
    bool PointAtButton(float gx, float gy, float width, const std::string& name = "button", double seconds = 30)
    {
        return Move(gx, gy) && WaitFor(name, [&] { return ShowsButtonOver(gx, gy, width); }, seconds);
    }
    // The same for a button of a panel, its centre in panel coordinates.
    bool PointAtPanelButton(const char* window, float x, float y, float width, const std::string& name = "button",
                            double seconds = 30)
    {
        float gx, gy;
        PanelPoint(window, x, y, &gx, &gy);
        return PointAtButton(gx, gy, width, name, seconds);
    }
    // Pointed at as above, then a press. Pointed at and waited for once,
    // pressed once: an action is never doubled.
    bool ClickButton(float gx, float gy, float width, double seconds = 30)
    {
        return PointAtButton(gx, gy, width, "button", seconds) && Press();
    }
    // Clicks on a point of a window's panel; on a button of a panel (its
    // centre in panel coordinates); on button i of n of a question or
    // notice; on the main menu's button i (from the top); on item i of a
    // start-game row.
    bool ClickPanel(const char* window, float x, float y)
    {
        float gx, gy;
        PanelPoint(window, x, y, &gx, &gy);
        return Click(gx, gy);
    }
    bool ClickPanelButton(const char* window, float x, float y, float width)
    {
        return PointAtPanelButton(window, x, y, width) && Press();
    }
    bool ClickDialog(const char* window, int i, int n)
    {
        float gx, gy, width;
        DialogButton(window, i, n, &gx, &gy, &width);
        return ClickButton(gx, gy, width);
    }
    bool ClickMainMenu(int i)
    {
        namespace S = Content::Screens;
        return ClickPanelButton("window_main_menu", S::kMainMenuButtonX + S::kMainMenuButtonWidth / 2,
                                S::kMainMenuButtonTopY - i * S::kMainMenuButtonPitch + S::kButtonHeight / 2,
                                S::kMainMenuButtonWidth);
    }
    bool ClickItem(float rowY, int i)
    {
        namespace S = Content::Screens;
        return ClickPanel("window_start_game", S::kItemLeft + i * S::kItemPitch + S::kItemSize / 2,
                          rowY + S::kItemSize / 2);
    }
    // The start-game window's play button, pointed at until it takes input;
    // ClickPlay then presses it.
    bool PointAtPlay(double seconds = 30)
    {
        namespace S = Content::Screens;
        return PointAtPanelButton("window_start_game", S::kStartPlayX + S::kStartButtonWidth / 2,
                                  S::kStartButtonY + S::kButtonHeight / 2, S::kStartButtonWidth, "play button",
                                  seconds);
    }
    bool ClickPlay() { return PointAtPlay() && Press(); }
    // On the start-game window: the first theme, picture, puzzle and size,
    // then play. Empty once the play screen shows, else what failed. The
    // items have no sign of taking input of their own: the play button's
    // comes first, and the window's controls all fade in together.
    std::string PlayTheFirstChoices(double seconds = 30)
    {
        namespace S = Content::Screens;
        if (!PointAtPlay(seconds))
            return "the play button";
        if (!ClickItem(S::kThemeRowY, 0) || !ClickItem(S::kPictureRowY, 0) || !ClickItem(S::kPuzzleRowY, 0) ||
            !ClickPanel("window_start_game", S::kSizeBoxX + S::kSizeBoxSize / 2, S::kSizeBoxTopY + S::kSizeBoxSize / 2))
            return "a click on the start-game window";
        if (!ClickPlay())
            return "a click on play";
        return WaitFor("play", [&] { return ShowsPlay(); }, seconds) ? std::string() : "play";
    }
    // Sends a key until a screen shows: for a key the screen in play reads
    // only while it is active (Escape for the in-game menu, Space for the
    // pause), which the screen it brings up makes it no longer be, so a key
    // sent again before that screen is seen does nothing more. Each round
    // waits `round` seconds for the screen.
    bool KeyUntil(const std::string& key, const char* window, double seconds = 30, double round = 3)
    {
        const DWORD start = GetTickCount();
        do {
            if (!Key(key))
                return false;
            if (WaitForScreen(window, round))
                return true;
        } while (TestSupport::SecondsSince(start) < seconds);
        return false;
    }
    // From a level in play: Esc until the in-game menu shows, leave and
    // confirm, then the main menu's exit, confirmed. Empty once the last
    // answer is clicked, else the screen that did not show.
    std::string LeaveTheLevelAndExit(double seconds = 30)
    {
        namespace S = Content::Screens;
        if (!KeyUntil("Escape", "window_game_logic_menu", seconds))
            return "window_game_logic_menu";
        if (!ClickPanelButton("window_game_logic_menu", S::kGameMenuButtonX + S::kGameMenuButtonWidth / 2,
                              S::kGameMenuButtonY[0] + S::kButtonHeight / 2, S::kGameMenuButtonWidth) ||
            !WaitForScreen("window_game_logic_menu_exit", seconds))
            return "window_game_logic_menu_exit";
        if (!ClickDialog("window_game_logic_menu_exit", 1, 2) || !WaitForScreen("window_main_menu", seconds))
            return "window_main_menu";
        if (!ClickMainMenu(4) || !WaitForScreen("window_exit", seconds))
            return "window_exit";
        return ClickDialog("window_exit", 1, 2) ? std::string() : "a click on window_exit";
    }
    bool Key(const std::string& keys) { return run.Host("xdotool key --delay 80 " + keys); }

    // The name field of a name window (welcome, new and rename player): a
    // line of cream letters and, in an active field, a "_" cursor after them
    // that blinks (0.4 s on, 0.4 s off). The letters all have ink in a band
    // above the cursor's line; the cursor lies on a line below the baseline.
    static constexpr Rgb8 kFieldInk = {255, 242, 204};
    void FieldCorner(const char* window, float* x, float* y) const
    {
        const Content::Screens::Panel* p = Content::Screens::FindPanel(window);
        *x = p->x + 40;
        *y = p->y + p->height - Content::Screens::kNameFieldDrop;
    }
    // The right edge (window pixels) of the field's letters; -1 for none.
    int FieldTextRight(const char* window) const
    {
        float x, y;
        FieldCorner(window, &x, &y);
        int lo, hi;
        return InkSpan(kFieldInk, x + 4, y + kLetterBandLow, 352, kLetterBandHigh - kLetterBandLow, 60, &lo, &hi)
                   ? hi
                   : -1;
    }
    // The cursor: ink on its line right of the letters.
    bool FieldCursorShows(const char* window) const
    {
        float x, y;
        FieldCorner(window, &x, &y);
        const int right = FieldTextRight(window);
        int lo, hi;
        return InkSpan(kFieldInk, x + 4, y + kCursorBandLow, 352, kCursorBandHigh - kCursorBandLow, 60, &lo, &hi) &&
               hi > right + 1;
    }
    // Types a name into the field of a name window: first the field is
    // waited for until it takes keys (its cursor blinks only then), then one
    // key a host line, each waited for until the letters have grown: the
    // program takes one typed key a frame, and a key pressed on the frame's
    // heels would be lost to a long frame. Empty when the field shows the
    // whole name, else what did not show.
    std::string TypeName(const char* window, const std::string& name, double seconds = 10)
    {
        const DWORD start = GetTickCount();
        if (!WaitFor("name field", [&] { return FieldCursorShows(window); }, seconds))
            return "the field's cursor";
        int right = FieldTextRight(window);
        for (char c : name) {
            const std::string key(1, c);
            if (!run.Host("xdotool type --delay 0 '" + key + "'"))
                return "typing " + key;
            int now = right;
            if (!WaitFor("typed", [&] { return (now = FieldTextRight(window)) > right; }, seconds))
                return "the letter " + key + " of " + name;
            right = now;
        }
        std::printf("[play] \"%s\" typed in %.2f s\n", name.c_str(), TestSupport::SecondsSince(start));
        return std::string();
    }
    // Backspaces until the field holds nothing but its cursor, each waited
    // for until the letters have shrunk. Empty once the field is empty.
    std::string ClearName(const char* window, double seconds = 10)
    {
        if (!WaitFor("name field", [&] { return FieldCursorShows(window); }, seconds))
            return "the field's cursor";
        for (int right = FieldTextRight(window); right >= 0;) {
            if (!Key("BackSpace"))
                return "a BackSpace";
            int now = right;
            if (!WaitFor("erased", [&] { return (now = FieldTextRight(window)) < right; }, seconds))
                return "a letter erased";
            right = now;
        }
        return std::string();
    }

    // The right button pressed (mousedown) and released: a "hold" lasts
    // from one to the other, as long as the caller waits between them.
    bool RightDown() { return run.Host("xdotool mousedown 3"); }
    bool RightUp() { return run.Host("xdotool mouseup 3"); }
    bool Pause(unsigned ms)
    {
        TestSupport::ProgramRunner::Pump(ms);
        return true;
    }
    // The share of the pixels of a GUI rectangle that differ between an
    // earlier screenshot and the last one.
    double Changed(const TestSupport::Screenshot& before, float x, float y, float w, float h) const
    {
        if (before.width != shot.width || before.height != shot.height)
            return 1;
        int changed = 0, all = 0;
        for (int py = std::max(0, Y(y + h)); py < std::min(shot.height, Y(y)); py += 2)
            for (int px = std::max(0, X(x)); px < std::min(shot.width, X(x + w)); ++px, ++all)
                changed += !std::equal(before.Pixel(px, py), before.Pixel(px, py) + 3, shot.Pixel(px, py));
        return all ? double(changed) / all : 0;
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
        int lo, hi;
        return InkSpan(c, x, y, w, h, tolerance, &lo, &hi) ? hi - lo + 1 : 0;
    }
    // The leftmost and rightmost window columns of those pixels; false when
    // there are none.
    bool InkSpan(const Rgb8& c, float x, float y, float w, float h, int tolerance, int* lo, int* hi) const
    {
        *lo = 1 << 30;
        *hi = -1;
        for (int py = std::max(0, Y(y + h)); py < std::min(shot.height, Y(y)); ++py)
            for (int px = std::max(0, X(x)); px < std::min(shot.width, X(x + w)); ++px)
                if (Near(shot.Pixel(px, py), c, tolerance)) {
                    *lo = std::min(*lo, px);
                    *hi = std::max(*hi, px);
                }
        return *hi >= 0;
    }
    // A white text that stands whole in a GUI band, centred on the band's
    // middle: drawn opaque (the cores of its strokes exactly white, which a
    // text still fading in, at 0.99 of its alpha, has none of: its width then
    // may still lack an edge pixel) and, for one that is printed letter by
    // letter from the left edge of its whole line's place, complete (a part
    // of the line is not centred). Its width (tolerance 30) in *inkWidth.
    bool ShowsWholeCentredText(float x, float y, float w, float h, int* inkWidth = nullptr) const
    {
        const Rgb8 white = {255, 255, 255};
        int lo, hi, coreLo, coreHi;
        if (!InkSpan(white, x, y, w, h, 30, &lo, &hi) || !InkSpan(white, x, y, w, h, 0, &coreLo, &coreHi))
            return false;
        if (inkWidth)
            *inkWidth = hi - lo + 1;
        const int middle = (X(x) + X(x + w)) / 2;
        return std::abs((lo + hi) / 2 - middle) <= kCentredSlack;
    }

    // At 1024 x 768 (window pixels): the whole greeting's ink is centred
    // within 3 px (measured; a button's caption within 1 px), the greeting
    // one letter short of it ("!" is 24 px wide at its size) about 12 px off.
    static constexpr int kCentredSlack = 5;
    // The name field's bands in GUI units above its lower edge: the letters'
    // (above the baseline, below the x-height) and the cursor's line, with a
    // window pixel or two to spare each way at 1024 x 768 (measured; the
    // descenders of "p" reach the cursor's line, left of the letters' end).
    static constexpr float kLetterBandLow = 18, kLetterBandHigh = 24;
    static constexpr float kCursorBandLow = 10, kCursorBandHigh = 15;

    TestSupport::ProgramRunner& run;
    TestSupport::Screenshot shot;
    std::string id;
    HWND hwnd = nullptr;
    int offsetX = 0, offsetY = 0, width = 1024, height = 768;
    int shots = 0;
    double waited = 0;
};

} // namespace PlayTest

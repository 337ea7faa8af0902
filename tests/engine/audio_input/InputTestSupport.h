#pragma once
// Real input sent by xdotool host lines, followed to the test program's own
// thread. The line's end says only that the X server has the events; the
// program has them once its thread has taken them from its queue, which a
// loaded machine can put off for any time. So every pump of the input tests
// goes through Pump here, which counts the input messages it takes, and a
// line's xdotool commands say what they send (Sent): a test waits until all
// of it has been taken (Arrival) instead of running frames for a while.
//
// Under Wine, DirectInput 7 devices are fed by the system's low-level hooks,
// which see an event before it is queued: once the thread has taken a key or
// a button, the device's buffer holds it too, and kDrainFrames frames read
// the buffers to their end.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/HostShell.h"

namespace HostInput {

// A device buffer holds 16 items at most (the mouse's) and a frame reads 8.
const int kDrainFrames = 2;
// Seconds from a line's end until the thread has taken all it sent: under
// 0.01 s mostly, 0.18 s at the most here with every core kept busy; the
// deadline is far beyond that.
const double kArrivalSeconds = 5.0;

// The input messages this thread has taken so far.
struct Taken {
    // Keys other than the modifiers; a key held by the system's repeat counts once.
    uint32_t keyDowns = 0, keyUps = 0;
    uint32_t buttonDowns = 0, buttonUps = 0;
    uint32_t mouseMessages = 0;
    // Screen point of the last mouse message, and when its move was handled.
    POINT lastMouse = {-1, -1};
    DWORD lastMoveTick = 0;
    // The system's notices that the pointer left a client area.
    uint32_t leaves = 0;
};

inline Taken& Counts()
{
    static Taken taken;
    return taken;
}

inline bool IsModifier(WPARAM vk)
{
    switch (vk) {
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT:
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
    case VK_MENU: case VK_LMENU: case VK_RMENU:
    case VK_LWIN: case VK_RWIN:
        return true;
    default:
        return false;
    }
}

// Counted once handled, so what was noted has reached the window procedure.
inline void Note(const MSG& m)
{
    Taken& t = Counts();
    switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!IsModifier(m.wParam) && !(m.lParam & (1L << 30)))
            ++t.keyDowns;
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!IsModifier(m.wParam))
            ++t.keyUps;
        return;
    case WM_MOUSELEAVE:
        ++t.leaves;
        return;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN: case WM_NCXBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDBLCLK: case WM_NCXBUTTONDBLCLK:
        ++t.buttonDowns;
        break;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: case WM_XBUTTONUP:
    case WM_NCLBUTTONUP: case WM_NCRBUTTONUP: case WM_NCMBUTTONUP: case WM_NCXBUTTONUP:
        ++t.buttonUps;
        break;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        t.lastMoveTick = GetTickCount();
        break;
    default:
        return;
    }
    ++t.mouseMessages;
    t.lastMouse = m.pt;
}

// Takes and dispatches every message waiting, counting the input among them.
inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        Note(msg);
    }
}

// What a host line's xdotool commands send, as this thread will take it.
struct Sent {
    uint32_t keyDowns = 0, keyUps = 0, buttonDowns = 0, buttonUps = 0;
    uint32_t moves = 0;
    POINT target = {0, 0};  // where the last move leaves the pointer, on the screen
    // Modifier keys pressed or released and left so: virtual key, down.
    std::vector<std::pair<int, bool>> modifiers;
    // A command or argument this reading does not know, so the line's input
    // cannot be told.
    std::string unknown;
};

inline int ModifierKey(const std::string& name)
{
    if (name == "shift" || name == "Shift_L" || name == "Shift_R")
        return VK_SHIFT;
    if (name == "ctrl" || name == "Control_L" || name == "Control_R")
        return VK_CONTROL;
    if (name == "alt" || name == "Alt_L" || name == "Alt_R")
        return VK_MENU;
    if (name == "super" || name == "Super_L")
        return VK_LWIN;
    return 0;
}

inline bool IsCommand(const std::string& word)
{
    for (const char* c : {"mousemove", "click", "mousedown", "mouseup", "key", "keydown", "keyup", "type", "sleep"})
        if (word == c)
            return true;
    return false;
}

inline void SetModifier(Sent& sent, int vk, bool down)
{
    for (auto& m : sent.modifiers)
        if (m.first == vk) {
            m.second = down;
            return;
        }
    sent.modifiers.push_back({vk, down});
}

// Reads the xdotool commands of a shell line ("xdotool a b && sleep 1 &&
// xdotool c"); the shell's own words between them send nothing.
inline Sent Read(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;)
        words.push_back(w);
    Sent sent;
    bool chain = false;
    size_t i = 0;
    auto number = [&](const std::string& w) {
        char* end = nullptr;
        const long v = std::strtol(w.c_str(), &end, 10);
        if (w.empty() || *end)
            sent.unknown = w;
        return v;
    };
    // The arguments of the command that began at i, up to the next command.
    auto arguments = [&] {
        std::vector<std::string> args;
        while (i < words.size() && !IsCommand(words[i]) && words[i] != "&&")
            args.push_back(words[i++]);
        return args;
    };
    while (i < words.size()) {
        const std::string w = words[i++];
        if (w == "&&") {
            chain = false;
            continue;
        }
        if (w == "xdotool") {
            chain = true;
            continue;
        }
        if (!chain)
            continue;
        std::vector<std::string> args = arguments();
        // Options first: "--delay 200", "--repeat 2"; what follows is the command's own.
        int repeat = 1;
        size_t a = 0;
        while (a < args.size() && args[a].compare(0, 2, "--") == 0) {
            if (a + 1 < args.size() && (args[a] == "--delay" || args[a] == "--repeat")) {
                if (args[a] == "--repeat")
                    repeat = int(number(args[a + 1]));
                a += 2;
            } else {
                sent.unknown = args[a];
                ++a;
            }
        }
        args.erase(args.begin(), args.begin() + ptrdiff_t(a));
        if (w == "sleep") {
            continue;
        } else if (w == "mousemove") {
            if (args.size() != 2) {
                sent.unknown = w;
                continue;
            }
            ++sent.moves;
            sent.target = {LONG(number(args[0])), LONG(number(args[1]))};
        } else if (w == "click" || w == "mousedown" || w == "mouseup") {
            if (args.size() != 1) {
                sent.unknown = w;
                continue;
            }
            number(args[0]);
            if (w != "mouseup")
                sent.buttonDowns += uint32_t(repeat);
            if (w != "mousedown")
                sent.buttonUps += uint32_t(repeat);
        } else if (w == "key" || w == "keydown" || w == "keyup") {
            for (const std::string& combination : args) {
                std::istringstream parts(combination);
                for (std::string part; std::getline(parts, part, '+');) {
                    if (const int vk = ModifierKey(part)) {
                        // "key" lets a combination's modifiers go again.
                        SetModifier(sent, vk, w == "keydown");
                        continue;
                    }
                    if (w != "keyup")
                        ++sent.keyDowns;
                    if (w != "keydown")
                        ++sent.keyUps;
                }
            }
        } else if (w == "type") {
            std::string text;
            for (const std::string& t : args)
                text += (text.empty() ? "" : " ") + t;
            // One key a character; the shift a capital needs is let go again.
            sent.keyDowns += uint32_t(text.size());
            sent.keyUps += uint32_t(text.size());
        } else {
            sent.unknown = w;
        }
    }
    return sent;
}

// Followed from before a host line runs until this thread has taken all the
// line sends: as many keys and buttons, the modifiers in the state the line
// leaves them, and a mouse message at the last move's point when that point
// lies over one of this thread's windows (elsewhere none comes here).
class Arrival {
public:
    explicit Arrival(const std::string& line) : line_(line), sent_(Read(line)), before_(Counts())
    {
        if (sent_.moves == 0)
            return;
        const HWND under = WindowFromPoint(sent_.target);
        moveComes_ = under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId();
        if (!moveComes_ || sent_.moves != 1)
            return;
        // A single move sends nothing onto the point the pointer already has
        // (read past the test's counted GetCursorPos), and Wine reports none
        // onto the point of its last report: it is not told when the pointer
        // leaves for a place no window of its own covers.
        CURSORINFO cursor = {sizeof cursor};
        if ((GetCursorInfo(&cursor) && cursor.ptScreenPos.x == sent_.target.x &&
             cursor.ptScreenPos.y == sent_.target.y) ||
            (before_.lastMouse.x == sent_.target.x && before_.lastMouse.y == sent_.target.y))
            moveComes_ = false;
    }

    bool Complete() const
    {
        const Taken& now = Counts();
        if (now.keyDowns - before_.keyDowns < sent_.keyDowns || now.keyUps - before_.keyUps < sent_.keyUps ||
            now.buttonDowns - before_.buttonDowns < sent_.buttonDowns ||
            now.buttonUps - before_.buttonUps < sent_.buttonUps)
            return false;
        for (const auto& m : sent_.modifiers)
            if (((GetKeyState(m.first) & 0x8000) != 0) != m.second)
                return false;
        if (moveComes_ && (now.mouseMessages == before_.mouseMessages || now.lastMouse.x != sent_.target.x ||
                           now.lastMouse.y != sent_.target.y))
            return false;
        // A move that brings no message here is known to the system only
        // once it has asked the X server again, which Wine does for a
        // pointer query at most every 0.1 s: until then the program would
        // read the old point.
        if (sent_.moves > 0 && !moveComes_ && !SystemPointerAtTarget())
            return false;
        return true;
    }

    // Runs step (a frame, or a pump) until the line's input has all been
    // taken, within kArrivalSeconds of the call; the line has ended by then.
    ::testing::AssertionResult Wait(const std::function<void()>& step)
    {
        if (!sent_.unknown.empty())
            return ::testing::AssertionFailure() << "\"" << line_ << "\": cannot tell what \"" << sent_.unknown
                                                 << "\" sends";
        const DWORD start = GetTickCount();
        while (!Complete()) {
            if (GetTickCount() - start > kArrivalSeconds * 1000)
                return ::testing::AssertionFailure() << "\"" << line_ << "\": not all of its input reached the "
                                                     << "program within " << kArrivalSeconds << " s: " << Missing();
            step();
        }
        Longest() = std::max(Longest(), GetTickCount() - start);
        return ::testing::AssertionSuccess();
    }

    // What has not come, for a failure's message.
    std::string Missing() const
    {
        const Taken& now = Counts();
        std::ostringstream out;
        out << "keys " << now.keyDowns - before_.keyDowns << "/" << sent_.keyDowns << " down, "
            << now.keyUps - before_.keyUps << "/" << sent_.keyUps << " up; buttons "
            << now.buttonDowns - before_.buttonDowns << "/" << sent_.buttonDowns << " down, "
            << now.buttonUps - before_.buttonUps << "/" << sent_.buttonUps << " up";
        for (const auto& m : sent_.modifiers)
            if (((GetKeyState(m.first) & 0x8000) != 0) != m.second)
                out << "; modifier key " << m.first << " not " << (m.second ? "down" : "up");
        if (sent_.moves > 0 && !moveComes_ && !SystemPointerAtTarget())
            out << "; the system's pointer not yet at " << sent_.target.x << "," << sent_.target.y;
        if (moveComes_)
            out << "; last mouse message at " << now.lastMouse.x << "," << now.lastMouse.y << " for "
                << sent_.target.x << "," << sent_.target.y;
        return out.str();
    }

    // The longest wait after a line so far, in milliseconds, for the test's output.
    static DWORD& Longest()
    {
        static DWORD longest = 0;
        return longest;
    }

private:
    // The system's pointer (not the test's counted query) at the last move's
    // point, clamped to the screen as the X server clamps it.
    bool SystemPointerAtTarget() const
    {
        const LONG x = std::min<LONG>(std::max<LONG>(sent_.target.x, 0), GetSystemMetrics(SM_CXSCREEN) - 1);
        const LONG y = std::min<LONG>(std::max<LONG>(sent_.target.y, 0), GetSystemMetrics(SM_CYSCREEN) - 1);
        CURSORINFO cursor = {sizeof cursor};
        return GetCursorInfo(&cursor) && cursor.ptScreenPos.x == x && cursor.ptScreenPos.y == y;
    }

    std::string line_;
    Sent sent_;
    Taken before_;
    bool moveComes_ = false;
};

// Runs a host line through shell with step (a frame, or a pump) meanwhile,
// then steps on until this thread has taken all the line sent. A line that
// failed or did not end fails with its exit status.
inline ::testing::AssertionResult RunAndWait(TestSupport::HostShell& shell, const std::string& line,
                                             const std::function<void()>& step, unsigned timeoutMs = 30000)
{
    Arrival arrival(line);
    int status = -1;
    if (!shell.Run(line, step, timeoutMs, &status))
        return ::testing::AssertionFailure() << "\"" << line << "\" "
                                             << (status < 0 ? "did not run to its end" : "exited with status ")
                                             << (status < 0 ? "" : std::to_string(status));
    return arrival.Wait(step);
}

} // namespace HostInput

#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// The program's one Win32 window: a top-level window, or a child of a window
// given by an embedding program. Its procedure turns closing into the console
// command "exit", maximising and Alt+Enter into a display-mode change request,
// swallows system commands that disturb a full-screen game and records the last
// key or character for the input controls.
class Window : public GlobalPointerHolder<Window> {
public:
    virtual ~Window();
    Window(const std::string& title, HWND host, uint16_t iconId, uint32_t width, uint32_t height,
           bool fullscreen, bool centred, const Vector2i& position);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Once per frame, from the engine's input step.
    void Update();
    bool HasFocus() const;
    void ChangeMode(uint32_t width, uint32_t height, bool fullscreen);
    void SetTitle(const std::string& title);
    void Minimize();
    // A cursor from the program's resources. (The Win32 header renames this
    // member to LoadCursorA for every unit that includes this one.)
    HCURSOR LoadCursor(uint16_t resourceId);
    void SetCursor(HCURSOR cursor);
    // Limits v_brightness, v_contrast and v_gamma to 0..2 in the configuration.
    void ClampGammaSettings();

    HWND GetHandle() const { return handle; }
    HWND GetHost() const { return host; }
    HINSTANCE GetInstance() const { return instance; }
    HDC GetDeviceContext() const { return deviceContext; }
    HCURSOR GetCursor() const { return cursor; }
    uint32_t GetWidth() const { return width; }
    uint32_t GetHeight() const { return height; }
    bool IsFullscreen() const { return fullscreen; }
    bool IsMinimized() const { return minimized; }
    // x, y, width, height of the window frame as last placed.
    const int32_t* GetWindowRect() const { return windowRect; }
    Vector2i GetWorkAreaOrigin() const { return Vector2i(workAreaOrigin[0], workAreaOrigin[1]); }
    Vector2i GetWorkAreaSize() const { return Vector2i(workAreaSize[0], workAreaSize[1]); }

    // The desktop's own display mode, which full-screen cameras keep the
    // picture's proportions against.
    float GetDesktopAspect() const { return desktopAspect; }
    bool IsDesktopWide() const { return desktopIsWide; }
    bool IsDesktopNarrow() const { return desktopIsNarrow; }
    // Sets the three desktop values from a display mode's size.
    void SetDesktopMode(uint32_t desktopWidth, uint32_t desktopHeight);

    // The last key or typed character; the input controls read it every frame
    // and clear the pending flag at the frame's end.
    bool IsKeyPending() const { return keyPending; }
    bool IsKeyCharacter() const { return keyIsCharacter; }
    uint16_t GetKeyCode() const { return keyCode; }
    void ClearKeyPending() { keyPending = false; }

    // The system's side of the input controls, so that they make no platform
    // calls of their own.
    // Once a frame, from the input controls' update after the devices' read:
    // keeps the pointer from this window's mouse messages, and asks the
    // system only where they may not tell, or when ask is set.
    void ReadPointer(bool ask);
    // The pointer in client coordinates as this frame's read left it; asks
    // the system only when nothing is known yet.
    Vector2i GetPointer();
    // Moves the system pointer onto a client point; GetPointer reports it at once.
    void MovePointer(const Vector2i& client);
    // How often the system was asked where the pointer is: under Wine an
    // asking while the pointer rests waits on the display server.
    uint32_t GetPointerQueries() const { return pointerQueries; }
    // Shows or hides the system cursor one step; the system's display counter after it.
    static int StepCursorDisplayCount(bool show);
    // The user has swapped the left and right mouse buttons.
    static bool AreMouseButtonsSwapped();
    // Any key or mouse button is down right now, as the system sees it.
    static bool IsAnySystemKeyDown();

private:
    static LRESULT CALLBACK StaticProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SystemCommand(HWND hwnd, WPARAM command, LPARAM lParam);
    void ChooseStyles(DWORD& exStyle, DWORD& style) const;
    // Client position for the current mode, grown to the frame into windowRect.
    void PlaceFrame(DWORD exStyle, DWORD style);
    // Flips or sets v_fullscreen, saves the settings and leaves the mode
    // switch to the frame code.
    void RequestModeChange(bool newFullscreen);
    [[noreturn]] void FailConstruction(const std::string& text, bool classRegistered);
    void QueryPointer();
    // Over the client area and clear of its edge.
    bool ClearOfEdge(const Vector2i& p) const;

    bool minimized = false;
    bool centred;
    Vector2i position;
    uint32_t width, height;
    bool fullscreen;
    std::vector<HWND> hostAncestors;
    HWND host;
    HWND handle = nullptr;
    HINSTANCE instance = nullptr;
    HDC deviceContext = nullptr;
    HCURSOR cursor = nullptr;
    bool keyPending = false;
    bool keyIsCharacter = false;
    uint16_t keyCode = 0;
    int32_t workAreaOrigin[2] = {0, 0};
    int32_t workAreaSize[2] = {0, 0};
    int32_t windowRect[4] = {0, 0, 0, 0};
    bool desktopIsWide = false;
    bool desktopIsNarrow = false;
    float desktopAspect = 0.0f;
    // Alt+Enter acts once per press: set while both keys are seen down.
    bool altEnterHeld = false;
    // The pointer as last known, in client coordinates.
    Vector2i pointer;
    bool pointerKnown = false;
    // Last known over the client area clear of its edge, where every move
    // comes as a message.
    bool pointerClear = false;
    // The system will post WM_MOUSELEAVE when the pointer leaves the client area.
    bool pointerLeaveArmed = false;
    DWORD pointerMovedAt = 0;
    DWORD pointerQueriedAt = 0;
    uint32_t pointerQueries = 0;

    static Window* current;
};

// Reads a REG_SZ value under keyPath, from HKEY_LOCAL_MACHINE first, then from
// HKEY_CURRENT_USER. out is left unchanged when neither holds one.
bool ReadRegistryString(const std::string& keyPath, const std::string& valueName, std::string& out);
// One hive: 0 classes root, 1 current config, 2 current user, 3 local machine,
// 4 users, anything else current user.
bool ReadRegistryString(int hive, const std::string& keyPath, const std::string& valueName, std::string& out);

} // namespace KorvaneEngine

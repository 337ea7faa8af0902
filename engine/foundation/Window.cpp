#include "engine/foundation/Window.h"

#include <algorithm>
#include <cstring>

#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const char kClassName[] = "Korvane Engine window class";

[[noreturn]] void Abort(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogFatal(text);
    throw FatalError(text);
}

void ExecuteExit()
{
    if (Config* config = Config::Instance())
        config->ExecuteLine("exit", nullptr);
}

bool ConfiguredFullscreen()
{
    Config* config = Config::Instance();
    return config && config->fullscreen;
}

bool KeyDown(int vk)
{
    // Any of the top four bits: down now, whatever the toggle and press bits say.
    return (static_cast<uint16_t>(GetAsyncKeyState(vk)) & 0xF000) != 0;
}

int32_t ClampToInt32(int64_t v)
{
    return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}

// Closer than this to the client area's edge, one step of the mouse can
// leave it, and that step brings no message.
const LONG kPointerEdge = 8;
// While moves keep coming the system answers from the latest one, cheaply;
// only at rest does Wine have to ask the display server.
const DWORD kPointerMovingMilliseconds = 100;
// At rest the system is still asked this often: a jump that no window of
// ours was told of in time (under Wine the leave notice comes only at the
// hover time's pace) shows this late at most.
const DWORD kPointerConfirmMilliseconds = 100;

} // namespace

Window* Window::current = nullptr;

Window::Window(const std::string& title, HWND host, uint16_t iconId, uint32_t width, uint32_t height,
               bool fullscreen, bool centred, const Vector2i& position)
    : centred(centred), position(position), width(width), height(height), fullscreen(fullscreen),
      host(host)
{
    minimized = false;
    current = this;
    Instance(this);

    LogMessageIfOpen(" ");
    LogMessageIfOpen("Window creation:");

    instance = GetModuleHandleA(nullptr);
    cursor = ::LoadCursorA(nullptr, IDC_ARROW);

    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StaticProcedure;
    wc.hInstance = instance;
    wc.hIcon = iconId != 0 ? LoadIconA(instance, MAKEINTRESOURCEA(iconId)) : LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    LogMessageIfOpen("...Registering the window class...");
    if (!RegisterClassA(&wc))
        FailConstruction("Failed to register the window class", false);

    if (host)
        this->fullscreen = false;
    DWORD exStyle, style;
    ChooseStyles(exStyle, style);

    RECT area = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    workAreaOrigin[0] = area.left;
    workAreaOrigin[1] = area.top;
    workAreaSize[0] = area.right - area.left;
    workAreaSize[1] = area.bottom - area.top;

    if (host) {
        RECT hostRect = {0, 0, 0, 0};
        ::GetWindowRect(host, &hostRect);
        this->width = static_cast<uint32_t>(std::max<LONG>(0, hostRect.right - hostRect.left));
        this->height = static_cast<uint32_t>(std::max<LONG>(0, hostRect.bottom - hostRect.top));
    }
    PlaceFrame(exStyle, style);

    handle = CreateWindowExA(exStyle, kClassName, title.c_str(), style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                             windowRect[0], windowRect[1], windowRect[2], windowRect[3], host, nullptr,
                             instance, nullptr);
    if (!handle)
        FailConstruction("Failed to create window", true);
    SetWindowPos(handle, this->fullscreen ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    LogMessageIfOpen("...Creating a device context...");
    deviceContext = GetDC(handle);
    if (!deviceContext)
        FailConstruction("Failed to create a device context", true);

    ShowWindow(handle, SW_SHOW);
    SetForegroundWindow(handle);
    if (!host)
        SetFocus(handle);

    if (this->fullscreen && !host)
        ClampGammaSettings();

    keyPending = false;
    if (host) {
        // The focus test accepts the window and any window it sits in.
        for (HWND w = handle; w; w = GetParent(w))
            hostAncestors.push_back(w);
    }

    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &mode))
        SetDesktopMode(mode.dmPelsWidth, mode.dmPelsHeight);
    else
        SetDesktopMode(4, 3);
}

void Window::FailConstruction(const std::string& text, bool classRegistered)
{
    // The destructor will not run: nothing of this window may outlive it, or a
    // later window could not even register the class again.
    if (handle)
        DestroyWindow(handle);
    handle = nullptr;
    if (classRegistered)
        UnregisterClassA(kClassName, instance);
    if (current == this)
        current = nullptr;
    ResetInstance(this);
    Abort(text);
}

Window::~Window()
{
    LogMessageIfOpen("\nWindow destroying:");
    LogMessageIfOpen("...Releasing device context...");
    if (deviceContext)
        ReleaseDC(handle, deviceContext);
    deviceContext = nullptr;
    LogMessageIfOpen("...Releasing window...");
    if (handle)
        DestroyWindow(handle);
    handle = nullptr;
    LogMessageIfOpen("...Unregistering class...");
    UnregisterClassA(kClassName, instance);
    instance = nullptr;
    host = nullptr;
    if (current == this)
        current = nullptr;
    ResetInstance(this);
}

void Window::SetDesktopMode(uint32_t desktopWidth, uint32_t desktopHeight)
{
    // An unreadable mode (no height) counts as 4:3 rather than dividing by zero.
    if (desktopWidth == 0 || desktopHeight == 0) {
        desktopWidth = 4;
        desktopHeight = 3;
    }
    desktopAspect = static_cast<float>(desktopWidth) / static_cast<float>(desktopHeight);
    desktopIsWide = desktopAspect > 1.34f;
    desktopIsNarrow = desktopAspect < 1.3266667f;
}

void Window::ChooseStyles(DWORD& exStyle, DWORD& style) const
{
    if (host) {
        exStyle = WS_EX_TOOLWINDOW;
        style = WS_CHILD;
    } else if (fullscreen) {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP | WS_SYSMENU;
    } else {
        // An overlapped window without a sizing border.
        exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    }
}

void Window::PlaceFrame(DWORD exStyle, DWORD style)
{
    int64_t x = 0, y = 0;
    if (!host && !fullscreen) {
        if (centred) {
            // Signed: a window larger than the work area sits left of / above it
            // instead of far off screen.
            x = workAreaOrigin[0] + (static_cast<int64_t>(workAreaSize[0]) - static_cast<int64_t>(width)) / 2;
            y = workAreaOrigin[1] + (static_cast<int64_t>(workAreaSize[1]) - static_cast<int64_t>(height)) / 2;
        } else {
            x = position.x;
            y = position.y;
        }
    }
    RECT r;
    r.left = ClampToInt32(x);
    r.top = ClampToInt32(y);
    r.right = ClampToInt32(x + static_cast<int64_t>(width));
    r.bottom = ClampToInt32(y + static_cast<int64_t>(height));
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    windowRect[0] = r.left;
    windowRect[1] = r.top;
    windowRect[2] = r.right - r.left;
    windowRect[3] = r.bottom - r.top;
}

bool Window::HasFocus() const
{
    HWND focus = GetFocus();
    if (!focus)
        return false;
    if (!host)
        return focus == handle;
    return std::find(hostAncestors.begin(), hostAncestors.end(), focus) != hostAncestors.end();
}

void Window::Update()
{
    if (host) {
        if (!IsWindow(host))
            ExecuteExit();
        return;
    }
    bool altEnter = false;
    if (!minimized && HasFocus())
        altEnter = (KeyDown(VK_MENU) || KeyDown(VK_LMENU) || KeyDown(VK_RMENU)) && KeyDown(VK_RETURN);
    // Once per press: holding the keys must not flip the mode every frame.
    if (altEnter && !altEnterHeld)
        RequestModeChange(!ConfiguredFullscreen());
    altEnterHeld = altEnter;
}

void Window::RequestModeChange(bool newFullscreen)
{
    Config* config = Config::Instance();
    if (!config)
        return;
    config->fullscreen = newFullscreen;
    config->Save();
    config->SetCommandDone("v_window_change_mode", false);
}

void Window::ChangeMode(uint32_t newWidth, uint32_t newHeight, bool newFullscreen)
{
    if (host)
        return;
    width = newWidth;
    height = newHeight;
    fullscreen = newFullscreen;
    DWORD exStyle, style;
    ChooseStyles(exStyle, style);
    PlaceFrame(exStyle, style);
    SetWindowLongA(handle, GWL_EXSTYLE, static_cast<LONG>(exStyle));
    SetWindowLongA(handle, GWL_STYLE, static_cast<LONG>(style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS));
    SetWindowPos(handle, fullscreen ? HWND_TOPMOST : HWND_NOTOPMOST, windowRect[0], windowRect[1], windowRect[2],
                 windowRect[3], SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    SetFocus(handle);
    if (!fullscreen)
        ChangeDisplaySettingsA(nullptr, 0);
    else
        ClampGammaSettings();
}

void Window::SetTitle(const std::string& title)
{
    SetWindowTextA(handle, title.c_str());
}

void Window::Minimize()
{
    PostMessageA(handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

HCURSOR Window::LoadCursor(uint16_t resourceId)
{
    return ::LoadCursorA(instance, MAKEINTRESOURCEA(resourceId));
}

void Window::SetCursor(HCURSOR newCursor)
{
    cursor = newCursor;
    ::SetCursor(cursor);
}

void Window::ClampGammaSettings()
{
    Config* config = Config::Instance();
    if (!config)
        return;
    for (float* value : {&config->brightness, &config->contrast, &config->gamma}) {
        *value = std::min(*value, 2.0f);
        *value = std::max(*value, 0.0f);
    }
}

LRESULT CALLBACK Window::StaticProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (current)
        return current->Procedure(hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        return 0;
    case WM_CLOSE:
    case WM_QUIT:
        ExecuteExit();
        return 0;
    case WM_SETCURSOR:
        ::SetCursor(cursor);
        return TRUE;
    case WM_WINDOWPOSCHANGING: {
        // The window keeps the size it was placed with.
        WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (pos && !(pos->flags & SWP_NOSIZE) && (pos->cx != windowRect[2] || pos->cy != windowRect[3])) {
            pos->x = windowRect[0];
            pos->y = windowRect[1];
            pos->cx = windowRect[2];
            pos->cy = windowRect[3];
        }
        break;
    }
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION)
            return 0;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        keyPending = true;
        keyIsCharacter = false;
        keyCode = static_cast<uint16_t>(wParam);
        break;
    case WM_CHAR:
        if (wParam >= 32) {
            const std::wstring wide = NarrowToWide(std::string(1, static_cast<char>(wParam & 0xFF)));
            // A byte the code page cannot convert is no character at all.
            if (!wide.empty()) {
                keyPending = true;
                keyIsCharacter = true;
                keyCode = static_cast<uint16_t>(wide[0]);
            }
        }
        break;
    case WM_SYSKEYUP:
        // No menu activation by Alt or F10.
        return 0;
    case WM_MOUSEMOVE:
        pointer = Vector2i(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
        pointerKnown = true;
        pointerClear = ClearOfEdge(pointer);
        pointerMovedAt = GetTickCount();
        if (!pointerLeaveArmed) {
            // A jump off the client area brings no move: have the system say so.
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, HOVER_DEFAULT};
            pointerLeaveArmed = TrackMouseEvent(&track) != FALSE;
        }
        break;
    case WM_MOUSELEAVE:
        // The notice is spent; the next frame asks where the pointer went.
        pointerLeaveArmed = false;
        pointerClear = false;
        break;
    case WM_NCMOUSEMOVE:
        // Over the frame, off the client area.
        pointerClear = false;
        pointerMovedAt = GetTickCount();
        break;
    case WM_WINDOWPOSCHANGED:
        // The client area moved under the pointer.
        pointerClear = false;
        break;
    case WM_SYSCOMMAND:
        return SystemCommand(hwnd, wParam, lParam);
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Window::SystemCommand(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    WPARAM command = wParam & 0xFFF0;
    // A minimised window turns minimise into maximise and maximise into restore.
    if (command == SC_MINIMIZE) {
        if (host)
            return 0;
        if (!minimized) {
            minimized = true;
            return DefWindowProcA(hwnd, WM_SYSCOMMAND, wParam, lParam);
        }
        command = SC_MAXIMIZE;
    }
    if (command == SC_MAXIMIZE) {
        if (host)
            return 0;
        if (!minimized) {
            // Maximising means going full screen.
            if (!ConfiguredFullscreen())
                RequestModeChange(true);
            return 0;
        }
        command = SC_RESTORE;
    }
    switch (command) {
    case SC_SIZE:
        return 0;
    case SC_CLOSE:
        ExecuteExit();
        return 0;
    case SC_RESTORE:
        if (handle) {
            minimized = false;
            if (ConfiguredFullscreen() && !host)
                ClampGammaSettings();
        }
        return DefWindowProcA(hwnd, WM_SYSCOMMAND, SC_RESTORE | (wParam & 0xF), lParam);
    case SC_TASKLIST:
    case SC_SCREENSAVE:
    case SC_HOTKEY:
    case SC_MONITORPOWER:
        return 0;
    default:
        return DefWindowProcA(hwnd, WM_SYSCOMMAND, wParam, lParam);
    }
}

bool ReadRegistryString(int hive, const std::string& keyPath, const std::string& valueName, std::string& out)
{
    HKEY root;
    switch (hive) {
    case 0: root = HKEY_CLASSES_ROOT; break;
    case 1: root = HKEY_CURRENT_CONFIG; break;
    case 2: root = HKEY_CURRENT_USER; break;
    case 3: root = HKEY_LOCAL_MACHINE; break;
    case 4: root = HKEY_USERS; break;
    default: root = HKEY_CURRENT_USER; break;
    }
    HKEY key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[4096];
    DWORD type = 0, size = sizeof(buffer);
    const LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    // A stored string need not end in a zero: only the bytes the query
    // reported are text.
    const size_t length = std::min<size_t>(size, sizeof(buffer));
    out.assign(buffer, strnlen(buffer, length));
    return true;
}

bool ReadRegistryString(const std::string& keyPath, const std::string& valueName, std::string& out)
{
    return ReadRegistryString(3, keyPath, valueName, out) || ReadRegistryString(2, keyPath, valueName, out);
}

Vector2i Window::GetPointer()
{
    if (!pointerKnown)
        QueryPointer();
    return pointer;
}

void Window::MovePointer(const Vector2i& client)
{
    POINT p = {client.x, client.y};
    ClientToScreen(handle, &p);
    SetCursorPos(p.x, p.y);
    // The system may report the move later than this frame: until it has
    // caught up, this is where the pointer is.
    pointer = client;
    pointerKnown = true;
    pointerClear = ClearOfEdge(client);
    pointerQueriedAt = GetTickCount();
    pointerMovedAt = pointerQueriedAt - kPointerMovingMilliseconds;
}

void Window::ReadPointer(bool ask)
{
    // Over the client area every move comes as a message and costs nothing.
    // The system is asked only where messages may not tell: nothing known
    // yet; last seen off the client area, where none come, or at its edge;
    // while moves come, since the move that leaves the client area brings
    // none; after the system's leave notice; and now and then at rest.
    const DWORD now = GetTickCount();
    if (!ask && pointerKnown && pointerClear && now - pointerMovedAt >= kPointerMovingMilliseconds &&
        now - pointerQueriedAt < kPointerConfirmMilliseconds)
        return;
    QueryPointer();
}

void Window::QueryPointer()
{
    ++pointerQueries;
    pointerQueriedAt = GetTickCount();
    POINT p = {0, 0};
    if (!GetCursorPos(&p) || !::ScreenToClient(handle, &p))
        return;
    pointer = Vector2i(p.x, p.y);
    pointerKnown = true;
    pointerClear = ClearOfEdge(pointer);
}

bool Window::ClearOfEdge(const Vector2i& p) const
{
    // The client area the system gave the window, which a window larger
    // than the screen does not get whole.
    RECT client = {0, 0, 0, 0};
    GetClientRect(handle, &client);
    return p.x >= client.left + kPointerEdge && p.y >= client.top + kPointerEdge &&
        p.x < client.right - kPointerEdge && p.y < client.bottom - kPointerEdge;
}

int Window::StepCursorDisplayCount(bool show)
{
    return ::ShowCursor(show ? TRUE : FALSE);
}

bool Window::AreMouseButtonsSwapped()
{
    return GetSystemMetrics(SM_SWAPBUTTON) != 0;
}

bool Window::IsAnySystemKeyDown()
{
    for (int vk = 0; vk < 256; ++vk)
        if (GetAsyncKeyState(vk) & 0x8000)
            return true;
    return false;
}

} // namespace KorvaneEngine

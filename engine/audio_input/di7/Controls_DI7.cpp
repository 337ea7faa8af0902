#include "engine/audio_input/di7/Controls_DI7.h"

#include <cstring>

#include "engine/audio_input/KeyNames.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Window.h"

namespace KorvaneEngine {

namespace {

const DWORD kCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
const uint32_t kKeyboardBufferSize = 8;
const uint32_t kMouseBufferSize = 16;
// Items taken from either device per frame; the rest waits for later frames.
const DWORD kItemsPerRead = 8;
const DWORD kFirstButtonOffset = 12; // DIMOFS_BUTTON0 in the DIMOUSESTATE2 layout
const DWORD kButtonCount = 8;

[[noreturn]] void Abort(const std::string& text)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogFatal(text);
    throw FatalError(text);
}

// Another application's priority is waited out, but not forever: the frame
// must go on (a background, non-exclusive device never meets it anyway).
const int kAcquireAttempts = 100;

void Reacquire(IDirectInputDevice7A* device)
{
    for (int i = 0; i < kAcquireAttempts && device->Acquire() == DIERR_OTHERAPPHASPRIO; ++i) {
    }
}

} // namespace

Controls_DI7::Controls_DI7(bool buffered) : keyboardBuffered(buffered), mouseBuffered(buffered)
{
    LogMessageIfOpen("Initialization of DirectInput devices...");
    LogMessageIfOpen("...Creating a DirectInput object...");
    const Window* window = Window::Instance();
    HINSTANCE instance = window ? window->GetInstance() : GetModuleHandleA(nullptr);
    void* created = nullptr;
    if (FAILED(DirectInputCreateEx(instance, 0x0700, IID_IDirectInput7A, &created, nullptr)) || !created)
        Abort("Failed to create a DirectInput object");
    directInput = static_cast<IDirectInput7A*>(created);

    try {
        LogMessageIfOpen("...Keyboard:");
        keyboard = CreateDevice(GUID_SysKeyboard, c_dfDIKeyboard, kKeyboardBufferSize,
                                "......Obtaining an interface to the system keyboard device...",
                                "Failed to obtain an interface to the system keyboard device", keyboardBuffered);
        LogMessageIfOpen("...Mouse:");
        mouse = CreateDevice(GUID_SysMouse, c_dfDIMouse2, kMouseBufferSize,
                             "......Obtaining an interface to the system mouse device...",
                             "Failed to obtain an interface to the system mouse device", mouseBuffered);
    } catch (...) {
        // The destructor does not run for a half-built object.
        Release();
        throw;
    }

    for (size_t i = kMouseButtonCount; i < kKeyNameCount; ++i) {
        codeByName[KeyNames[i].name] = KeyNames[i].code;
        nameByCode[KeyNames[i].code] = KeyNames[i].name;
    }
}

IDirectInputDevice7A* Controls_DI7::CreateDevice(const GUID& guid, const DIDATAFORMAT& format, uint32_t bufferSize,
                                                 const char* obtainText, const char* obtainFailure, bool& buffered)
{
    LogMessageIfOpen(obtainText);
    void* created = nullptr;
    if (FAILED(directInput->CreateDeviceEx(guid, IID_IDirectInputDevice7A, &created, nullptr)) || !created)
        Abort(obtainFailure);
    IDirectInputDevice7A* device = static_cast<IDirectInputDevice7A*>(created);
    // Kept at once so that a later failure releases it.
    (guid == GUID_SysKeyboard ? keyboard : mouse) = device;

    LogMessageIfOpen("......Setting the data format...");
    if (FAILED(device->SetDataFormat(&format)))
        Abort("Failed to set the data format");
    LogMessageIfOpen("......Setting the cooperativity level...");
    if (FAILED(device->SetCooperativeLevel(GetDesktopWindow(), kCooperation)))
        Abort("Failed to set the cooperativity level");
    if (buffered) {
        LogMessageIfOpen("......Setting the buffered mode...");
        DIPROPDWORD property;
        property.diph.dwSize = sizeof(DIPROPDWORD);
        property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
        property.diph.dwObj = 0;
        property.diph.dwHow = DIPH_DEVICE;
        property.dwData = bufferSize;
        if (FAILED(device->SetProperty(DIPROP_BUFFERSIZE, &property.diph))) {
            buffered = false;
            LogErrorIfOpen("Failed to set the buffered mode, switching to the immediate mode");
        }
    }
    device->Acquire();
    return device;
}

Controls_DI7::~Controls_DI7()
{
    LogMessageIfOpen("\nDirectInput devices destroying:");
    LogMessageIfOpen("...Keyboard...");
    if (keyboard) {
        keyboard->Unacquire();
        keyboard->Release();
        keyboard = nullptr;
    }
    LogMessageIfOpen("...Mouse...");
    if (mouse) {
        mouse->Unacquire();
        mouse->Release();
        mouse = nullptr;
    }
    LogMessageIfOpen("...DirectInput object...");
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
    ShowCursor(true);
}

void Controls_DI7::Release()
{
    for (IDirectInputDevice7A** device : {&keyboard, &mouse}) {
        if (*device) {
            (*device)->Unacquire();
            (*device)->Release();
            *device = nullptr;
        }
    }
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
}

void Controls_DI7::ReadKeyboard()
{
    bool immediate = !keyboardBuffered;
    if (keyboardBuffered) {
        DIDEVICEOBJECTDATA items[kItemsPerRead];
        DWORD count = kItemsPerRead;
        // Anything but DI_OK, DI_BUFFEROVERFLOW included, means the events are
        // not complete: the whole state is read instead.
        if (keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0) != DI_OK) {
            Reacquire(keyboard);
            immediate = true;
        } else {
            for (DWORD i = 0; i < count && i < kItemsPerRead; ++i) {
                auto it = nameByCode.find(items[i].dwOfs);
                if (it != nameByCode.end())
                    SetKeyState(it->second, (items[i].dwData & 0x80) != 0);
            }
        }
    }
    if (immediate) {
        BYTE state[256];
        std::memset(state, 0, sizeof(state));
        if (FAILED(keyboard->GetDeviceState(sizeof(state), state)))
            Reacquire(keyboard);
        for (const auto& entry : codeByName)
            SetKeyState(entry.first, state[entry.second & 0xFF] != 0);
    }
}

void Controls_DI7::ReadMouse()
{
    bool immediate = !mouseBuffered;
    if (mouseBuffered) {
        DIDEVICEOBJECTDATA items[kItemsPerRead];
        DWORD count = kItemsPerRead;
        if (mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0) != DI_OK) {
            Reacquire(mouse);
            immediate = true;
        } else {
            for (DWORD i = 0; i < count && i < kItemsPerRead; ++i) {
                const DWORD offset = items[i].dwOfs;
                // Axis items are not wanted.
                if (offset >= kFirstButtonOffset && offset < kFirstButtonOffset + kButtonCount)
                    SetKeyState(GetMouseButtonName(offset - kFirstButtonOffset), (items[i].dwData & 0x80) != 0);
            }
        }
    }
    if (immediate) {
        DIMOUSESTATE2 state;
        std::memset(&state, 0, sizeof(state));
        if (FAILED(mouse->GetDeviceState(sizeof(state), &state)))
            Reacquire(mouse);
        for (DWORD i = 0; i < kButtonCount; ++i)
            SetKeyState(GetMouseButtonName(i), state.rgbButtons[i] != 0);
    }
}

void Controls_DI7::Update()
{
    ReadKeyboard();
    ReadMouse();
    Controls::Update();
}

void Controls_DI7::ResetState()
{
    Controls::ResetState();
}

} // namespace KorvaneEngine

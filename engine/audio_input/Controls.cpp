#include "engine/audio_input/Controls.h"

#include "engine/audio_input/KeyNames.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"

namespace KorvaneEngine {

namespace {

// A lock that outlives this many seconds is checked against the system's own
// key state, so a stale held flag cannot keep it forever.
const float kStaleLockSeconds = 2.0f;

bool WindowKeyPending()
{
    const Window* window = Window::Instance();
    return window && window->IsKeyPending();
}

} // namespace

Controls::Controls()
{
    Instance(this);
    for (const KeyName& key : KeyNames) {
        heldState[key.name] = false;
        pressedState[key.name] = false;
    }
    for (size_t i = 0; i < kMouseButtonCount; ++i)
        mouseButtonNames.push_back(KeyNames[i].name);
}

Controls::~Controls()
{
    ShowCursor(true);
    ResetInstance(this);
}

bool Controls::IsPressed(const std::string& name) const
{
    if (inputLocked)
        return false;
    auto it = pressedState.find(ToUpperCopy(name));
    return it != pressedState.end() && it->second;
}

bool Controls::IsDown(const std::string& name) const
{
    if (inputLocked)
        return false;
    const std::string key = ToUpperCopy(name);
    auto held = heldState.find(key);
    if (held == heldState.end())
        return false;
    if (held->second)
        return true;
    return pressedState.find(key)->second;
}

bool Controls::IsAnyKeyDown() const
{
    if (inputLocked)
        return false;
    for (const auto& entry : heldState)
        if (entry.second || pressedState.find(entry.first)->second)
            return true;
    return false;
}

bool Controls::GetTypedCharacter(uint16_t& code, bool& isCharacter) const
{
    const Window* window = Window::Instance();
    if (inputLocked || !window || !window->IsKeyPending())
        return false;
    code = window->GetKeyCode();
    isCharacter = window->IsKeyCharacter();
    return true;
}

Vector2 Controls::GetCursorPosition() const
{
    // The window keeps the pointer from its own messages and this frame's
    // read, so every caller of a frame sees the same point.
    Window* window = Window::Instance();
    if (!window)
        return Vector2(0, 0);
    const Vector2i p = window->GetPointer();
    return MapCursorPosition(p.x, p.y, window->IsFullscreen(), window->IsDesktopWide(),
                             window->IsDesktopNarrow(), window->GetDesktopAspect(),
                             window->GetWidth(), window->GetHeight());
}

Vector2 Controls::MapCursorPosition(int32_t x, int32_t y, bool fullscreen, bool desktopIsWide,
                                    bool desktopIsNarrow, float desktopAspect, uint32_t width,
                                    uint32_t height)
{
    if (!fullscreen || (!desktopIsWide && !desktopIsNarrow))
        return Vector2(static_cast<float>(x), static_cast<float>(y));
    // The single-precision 4:3 taken at double precision, as the cameras do.
    const double r = static_cast<double>(desktopAspect) / static_cast<double>(4.0f / 3.0f);
    double mx = x, my = y;
    if (desktopIsWide)
        mx = r * x - (r - 1.0) * width / 2.0;
    else
        my = y / r - (1.0 - r) * height / 2.0;
    return Vector2(static_cast<float>(mx), static_cast<float>(my));
}

void Controls::ShowCursor(bool visible)
{
    cursorVisible = visible;
    ApplyCursorVisibility();
}

void Controls::ApplyCursorVisibility()
{
    // The system keeps a display counter; at least one call each time, so the
    // counter creeps towards +-10 and stays there.
    int counter;
    if (cursorVisible) {
        do
            counter = Window::StepCursorDisplayCount(true);
        while (counter < 0);
        if (counter > 10)
            Window::StepCursorDisplayCount(false);
    } else {
        do
            counter = Window::StepCursorDisplayCount(false);
        while (counter >= 0);
        if (counter < -10)
            Window::StepCursorDisplayCount(true);
    }
}

void Controls::SetKeyState(const std::string& name, bool down)
{
    auto held = heldState.find(name);
    if (held == heldState.end())
        return;
    if (held->second != down && name.compare(0, 5, "MOUSE") == 0)
        mouseButtonChanged = true;
    if (down) {
        if (!held->second) {
            held->second = true;
            pressedState[name] = true;
        }
    } else {
        held->second = false;
    }
}

void Controls::Update()
{
    buttonsSwapped = Window::AreMouseButtonsSwapped();
    mouseButtonNames[0] = buttonsSwapped ? "MOUSE2" : "MOUSE1";
    mouseButtonNames[1] = buttonsSwapped ? "MOUSE1" : "MOUSE2";

    // The pointer once a frame, after the devices' read. The devices can
    // report a button before the window has had the move that came ahead of
    // it (it arrives after this frame's messages were handled): for a button
    // that went down or up the system, which had the move first, is asked.
    if (Window* window = Window::Instance())
        window->ReadPointer(mouseButtonChanged);
    mouseButtonChanged = false;

    if (inputLocked) {
        // Tested unlocked, so the real state is seen.
        inputLocked = false;
        if (WindowKeyPending() || IsAnyKeyDown())
            inputLocked = true;
    }
    if (inputLocked) {
        const TimerManager* timers = TimerManager::Instance();
        if (timers)
            lockTime += timers->frameTime;
        if (lockTime > kStaleLockSeconds) {
            if (!Window::IsAnySystemKeyDown()) {
                inputLocked = false;
                lockTime = 0.0f;
            }
        }
    } else {
        lockTime = 0.0f;
    }

    ApplyCursorVisibility();
}

void Controls::ResetState()
{
    for (auto& entry : pressedState)
        entry.second = false;
    if (Window* window = Window::Instance())
        window->ClearKeyPending();
}

} // namespace KorvaneEngine

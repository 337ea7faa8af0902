#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// Keyboard and mouse state under the fixed key names, the character typed this
// frame, the cursor and an input lock. A device back-end fills the state once
// per frame; every caller asks by name only.
class Controls : public GlobalPointerHolder<Controls> {
public:
    virtual ~Controls();
    Controls();
    Controls(const Controls&) = delete;
    Controls& operator=(const Controls&) = delete;

    // The per-frame step, after the back-end has reported its devices.
    virtual void Update();
    // End of frame: forgets this frame's presses and the typed character.
    virtual void ResetState();

    // Went down since the last ResetState.
    bool IsPressed(const std::string& name) const;
    // Held, or pressed this frame (a tap within one frame still counts).
    bool IsDown(const std::string& name) const;
    bool IsAnyKeyDown() const;
    // The window's last key or character of this frame; never clears it.
    bool GetTypedCharacter(uint16_t& code, bool& isCharacter) const;
    // In client coordinates of the main window; remapped in full screen on a
    // desktop that is not 4:3 (see MapCursorPosition). Asks the system
    // nothing: Update has read the pointer for this frame.
    Vector2 GetCursorPosition() const;
    void ShowCursor(bool visible);
    bool IsCursorVisible() const { return cursorVisible; }
    void ApplyCursorVisibility();
    // Every query reports nothing until nothing is held, pressed or typed.
    void LockInput() { inputLocked = true; }
    bool IsInputLocked() const { return inputLocked; }

    // The full-screen remapping of a client cursor position: on a wide desktop
    // the centred 4:3 band maps onto 0..width, on a tall one onto 0..height.
    static Vector2 MapCursorPosition(int32_t x, int32_t y, bool fullscreen, bool desktopIsWide,
                                     bool desktopIsNarrow, float desktopAspect, uint32_t width,
                                     uint32_t height);

protected:
    // Device state of one table name; names outside the table are ignored.
    void SetKeyState(const std::string& name, bool down);
    const std::string& GetMouseButtonName(uint32_t button) const { return mouseButtonNames[button]; }

private:
    bool buttonsSwapped = false;
    bool cursorVisible = true;
    std::map<std::string, bool> heldState;
    std::map<std::string, bool> pressedState;
    std::vector<std::string> mouseButtonNames;
    bool inputLocked = false;
    float lockTime = 0.0f;
    // A mouse button went down or up since the last update.
    bool mouseButtonChanged = false;
};

} // namespace KorvaneEngine

#pragma once
#include <cstdint>

namespace GameFramework {

// The common root of every screen: the mode it was last shown with (the code
// of the screen or situation that opened it) and the event code it raises
// for the game base's handler of that screen.
//
// The game base reads event codes in its dispatch rounds and then clears the
// code of every window whose handled flag is set (and sets the flag). A
// window that decides at once (in Show) clears the flag, so that its code
// survives into the next round of the same frame.
class GUIFrameworkWindow {
public:
    GUIFrameworkWindow();
    virtual ~GUIFrameworkWindow();
    GUIFrameworkWindow(const GUIFrameworkWindow&) = delete;
    GUIFrameworkWindow& operator=(const GUIFrameworkWindow&) = delete;

    // Clears the event code; the derived window then sets it from its input.
    virtual void Update();
    virtual void Show(int32_t mode);
    // Sets the handled flag again.
    virtual void Hide();

    bool IsHandled() const { return handled; }
    void SetHandled(bool value) { handled = value; }
    int32_t GetMode() const { return mode; }
    void SetMode(int32_t value) { mode = value; }
    int32_t GetEventCode() const { return eventCode; }
    void SetEventCode(int32_t code) { eventCode = code; }

protected:
    bool handled = true;
    int32_t mode = 0;
    int32_t eventCode = 0;
};

} // namespace GameFramework

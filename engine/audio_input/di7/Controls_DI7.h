#pragma once
#include <windows.h>
#include <dinput.h>

#include <cstdint>
#include <map>
#include <string>

#include "engine/audio_input/Controls.h"

namespace KorvaneEngine {

// Keyboard and mouse through DirectInput 7: the system devices, background and
// non-exclusive, read once per frame in buffered mode (falling back to the
// whole device state when that is refused or a read fails).
class Controls_DI7 : public Controls {
public:
    ~Controls_DI7() override;
    // Throws FatalError (through the log) when DirectInput or a device cannot be
    // set up.
    explicit Controls_DI7(bool buffered);

    void Update() override;
    void ResetState() override;

    bool IsKeyboardBuffered() const { return keyboardBuffered; }
    bool IsMouseBuffered() const { return mouseBuffered; }

private:
    IDirectInputDevice7A* CreateDevice(const GUID& guid, const DIDATAFORMAT& format, uint32_t bufferSize,
                                       const char* obtainText, const char* obtainFailure, bool& buffered);
    void ReadKeyboard();
    void ReadMouse();
    void Release();

    IDirectInput7A* directInput = nullptr;
    IDirectInputDevice7A* keyboard = nullptr;
    IDirectInputDevice7A* mouse = nullptr;
    std::map<std::string, uint32_t> codeByName;
    std::map<uint32_t, std::string> nameByCode;
    bool keyboardBuffered;
    bool mouseBuffered;
};

} // namespace KorvaneEngine

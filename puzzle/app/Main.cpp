#include <windows.h>

#include <string>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"

// Entry point until the game loader exists: reports where the program runs from.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        std::string folder = KorvaneEngine::GetExecutableDirectory();
        OutputDebugStringA(("Pelloria started in " + folder + "\n").c_str());
    } catch (const KorvaneEngine::Error& e) {
        MessageBoxA(nullptr, e.GetMessage().c_str(), "Fatal Error", MB_OK | MB_ICONERROR);
        return 1;
    } catch (...) {
        MessageBoxA(nullptr, "Unhandled exception!", "Fatal Error", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}

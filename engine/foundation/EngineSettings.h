#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// How a game asks the engine to start. The engine keeps its own copy and hands
// the fields to the services it creates (log, files, configuration, window,
// display and sound).
struct EngineSettings {
    std::string name;                 // log title, window title, default file names
    uint32_t version = 0;             // version times 100 (101 shows as 1.01)
    std::string baseDirectory;        // file manager root; empty = program folder
    bool saveConfigOnExit = false;
    std::string configName;           // ".ini" is appended; empty = banner name
    bool logEnabled = false;
    bool logReopenPerMessage = false;
    std::string logDirectory;
    std::string logFileName;          // ".html" is appended; empty = name
    std::string configDirectory;
    bool usePacks = true;
    std::string dataDirectory;        // pack entry names are relative to it
    uint32_t packCacheLimit = 0;      // packs up to this size are read whole
    HWND hostWindow = nullptr;        // run as a child of this window
    uint32_t iconId = 0;              // 0 = the system's application icon
    bool overrideVideoMode = false;   // v_mode back to videoMode after the .ini is read
    std::string videoMode = "800x600x32";
    bool overrideFullscreen = false;  // v_fullscreen back to fullscreenDefault likewise
    bool fullscreenDefault = false;
    bool allowAnyWindowSize = false;
    bool useStencil = false;
    bool centreWindow = false;
    Vector2i windowPosition;
    bool use3D = false;
};

// Banner name and version the engine uses when the game names none.
constexpr const char* kEngineBanner = "Korvane Engine";
constexpr uint32_t kEngineVersion = 67;

// The engine's first step with its copy: an unnamed game runs under the banner.
void ApplyEngineBanner(EngineSettings& settings);
// "<name> <version / 100>.<version % 100, two digits>", e.g. "Korvane Engine 0.67".
std::string MakeWindowTitle(const EngineSettings& settings);

} // namespace KorvaneEngine

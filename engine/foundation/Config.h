#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/ObjectManager.h"

namespace KorvaneEngine {

// Types of configuration records.
constexpr uint32_t kConfigInt = 0;     // storage: int
constexpr uint32_t kConfigFloat = 1;   // storage: float
constexpr uint32_t kConfigBool = 2;    // storage: bool
constexpr uint32_t kConfigString = 3;  // storage: std::string
constexpr uint32_t kConfigCommand = 4; // no storage

// Results of Config::ExecuteLine.
constexpr uint32_t kExecuteDone = 0;
constexpr uint32_t kExecuteReadOnly = 2;
constexpr uint32_t kExecuteNoValue = 3;
constexpr uint32_t kExecuteUnknownName = 4;
constexpr uint32_t kExecuteEmptyLine = 5;

// One registered name. The storage belongs to whoever registered it.
struct ConfigVariable {
    uint32_t type = kConfigInt;
    bool readOnly = false;   // text may not set it; a reset of all skips it; never saved
    bool persist = false;    // written to the .ini file
    void* storage = nullptr;
    std::string defaultText;
    bool done = false;       // commands: nothing pending
    bool watch = false;
    int32_t lastInt = 0;
    float lastFloat = 0;
    bool lastBool = false;
    std::string lastString;
    bool changed = false;
    bool unregistered = false; // the owner withdrew the storage; the value lives on in keptText
    std::string keptText;
};

// Console variables and commands, and their ".ini" file. Text sets and shows
// them in one-line form ("name value"); names are compared lower-cased.
class Config : public GlobalPointerHolder<Config> {
public:
    virtual ~Config();
    // The file is <directory>\<name>.ini ("Korvane Engine" when name is empty).
    // forceMode / forceFullscreen: after Load, v_mode / v_fullscreen go back to
    // their defaults, whatever the file said.
    Config(const std::string& directory, const std::string& name, bool forceMode, const std::string& mode,
           bool forceFullscreen, bool fullscreen);
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    void Register(const std::string& name, uint32_t type, bool readOnly, bool persist, void* storage,
                  const std::string& defaultText, bool watch);
    void UnregisterVariable(const std::string& name);

    // Runs one console / .ini line; outName (may be null) gets the lower-cased name.
    uint32_t ExecuteLine(const std::string& line, std::string* outName);
    void SetValueFromText(const std::string& name, const std::string& text);
    std::string GetValueString(const std::string& name) const;
    std::string GetDefaultValue(const std::string& name) const;
    void ResetVariable(const std::string& name);
    void ResetAll();

    bool IsCommandDone(const std::string& name) const;
    // Looks the name up as given (not lower-cased).
    void SetCommandDone(const std::string& name, bool done);
    bool IsVariableChanged(const std::string& name) const;

    void Update();
    void ClearChangedFlags();
    void GetVariableNames(std::vector<std::string>& out) const;

    void Save();
    void Load();

    const std::string& GetIniPath() const { return iniPath_; }

    // Storage of the engine's own variables; read by the window, display and input.
    std::string videoMode;     // v_mode, WIDTHxHEIGHTxBITS
    bool fullscreen = false;   // v_fullscreen
    bool vsync = false;        // v_vsync
    float brightness = 1.0f;   // v_brightness
    float contrast = 1.0f;     // v_contrast
    float gamma = 1.0f;        // v_gamma
    bool useMipMapping = false;    // r_use_mip_mapping
    bool showOctreeNodes = false;  // r_show_octree_nodes
    bool showFacesEdges = false;   // r_show_faces_edges
    bool showFacesNormals = false; // r_show_faces_normals
    bool showMipMaps = false;      // r_show_mip_maps
    int textureAnisotropy = 1;     // r_texture_anisotropy
    bool invertMouse = false;      // c_invert_mouse
    int screenshotFormat = 0;      // sc_take_screenshot_format

private:
    ConfigVariable* Find(const std::string& lowerName) const;
    ConfigVariable* FindRegistered(const std::string& lowerName) const;
    void WriteFile(const std::string& path);

    std::string iniPath_;
    std::map<std::string, std::unique_ptr<ConfigVariable>> variables_;
    std::map<std::string, std::string> pending_; // .ini lines of names not registered yet
    bool forceMode_;
    bool forceFullscreen_;
};

// "800x600x32" -> 800, 600, 32. Without two 'x' separators: 640, 480, 16.
// Each out pointer may be null.
void ParseVideoMode(const std::string& text, uint32_t* width, uint32_t* height, uint32_t* bits);

} // namespace KorvaneEngine

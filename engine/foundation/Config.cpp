#include "engine/foundation/Config.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

// Malformed numbers are never rejected: they read as their leading number or 0.
int TextToInt(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }
float TextToFloat(const std::string& text) { return static_cast<float>(std::strtod(text.c_str(), nullptr)); }

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Leading decimal digits (after white space) as unsigned; no digits or a sign
// give 0, and a number too large for 32 bits saturates instead of wrapping.
uint32_t TextToUnsigned(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}

std::string FormatFloat(float value)
{
    char small[64];
    int n = std::snprintf(small, sizeof small, "%0.6f", static_cast<double>(value));
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(&big[0], big.size(), "%0.6f", static_cast<double>(value));
    big.resize(static_cast<size_t>(n));
    return big;
}

} // namespace

Config::Config(const std::string& directory, const std::string& name, bool forceMode, const std::string& mode,
               bool forceFullscreen, bool fullscreenArgument)
    : forceMode_(forceMode && !mode.empty()), forceFullscreen_(forceFullscreen)
{
    Instance(this);
    std::string baseName = name.empty() ? std::string(kEngineBanner) : name;
    iniPath_ = directory.empty() ? baseName + ".ini" : directory + "\\" + baseName + ".ini";

    Register("reset_config", kConfigCommand, false, false, nullptr, "", false);
    Register("v_mode", kConfigString, false, true, &videoMode, mode.empty() ? "800x600x32" : mode, false);
    Register("v_fullscreen", kConfigBool, false, true, &fullscreen, fullscreenArgument ? "1" : "0", false);
    Register("v_vsync", kConfigBool, false, true, &vsync, "1", false);
    Register("v_brightness", kConfigFloat, false, true, &brightness, "1.0", false);
    Register("v_contrast", kConfigFloat, false, true, &contrast, "1.0", false);
    Register("v_gamma", kConfigFloat, false, true, &gamma, "1.0", false);
    Register("v_window_change_mode", kConfigCommand, false, false, nullptr, "", false);
    Register("r_use_mip_mapping", kConfigBool, false, true, &useMipMapping, "1", false);
    Register("r_show_octree_nodes", kConfigBool, false, true, &showOctreeNodes, "0", false);
    Register("r_show_faces_edges", kConfigBool, false, true, &showFacesEdges, "0", false);
    Register("r_show_faces_normals", kConfigBool, false, true, &showFacesNormals, "0", false);
    Register("r_show_mip_maps", kConfigBool, false, true, &showMipMaps, "0", false);
    Register("r_texture_anisotropy", kConfigInt, false, true, &textureAnisotropy, "1", false);
    Register("c_invert_mouse", kConfigBool, false, true, &invertMouse, "0", false);
    Register("sc_take_screenshot", kConfigCommand, false, false, nullptr, "", false);
    Register("sc_take_screenshot_tga", kConfigCommand, false, false, nullptr, "", false);
    Register("sc_take_screenshot_jpg", kConfigCommand, false, false, nullptr, "", false);
    Register("sc_take_screenshot_format", kConfigInt, false, true, &screenshotFormat, "0", false);
    Register("sc_start_movie_record", kConfigCommand, false, false, nullptr, "", false);
    Register("sc_stop_movie_record", kConfigCommand, false, false, nullptr, "", false);
    Register("exit", kConfigCommand, false, false, nullptr, "", false);
}

Config::~Config()
{
    variables_.clear();
    ResetInstance(this);
}

ConfigVariable* Config::Find(const std::string& lowerName) const
{
    auto it = variables_.find(lowerName);
    return it == variables_.end() ? nullptr : it->second.get();
}

ConfigVariable* Config::FindRegistered(const std::string& lowerName) const
{
    ConfigVariable* v = Find(lowerName);
    return v && !v->unregistered ? v : nullptr;
}

void Config::Register(const std::string& name, uint32_t type, bool readOnly, bool persist, void* storage,
                      const std::string& defaultText, bool watch)
{
    std::string key = ToLowerCopy(name);
    if (ConfigVariable* known = Find(key)) {
        if (known->unregistered) {
            // Re-registration: the value survives the gap; the other arguments are ignored.
            known->storage = storage;
            known->unregistered = false;
            known->changed = known->watch;
            SetValueFromText(key, known->keptText);
        }
        return;
    }
    auto v = std::make_unique<ConfigVariable>();
    v->type = type;
    v->readOnly = readOnly;
    v->persist = persist;
    v->storage = storage;
    v->defaultText = defaultText;
    v->done = type == kConfigCommand;
    v->watch = watch;
    v->changed = watch;
    variables_[key] = std::move(v);
    ResetVariable(key);

    // A value read from the .ini before its owner registered wins over the default.
    auto line = pending_.find(key);
    if (line != pending_.end()) {
        std::string text = line->second;
        pending_.erase(line);
        ExecuteLine(text, nullptr);
    }
}

void Config::UnregisterVariable(const std::string& name)
{
    ConfigVariable* v = FindRegistered(ToLowerCopy(name));
    if (!v)
        return;
    v->keptText = GetValueString(name);
    v->unregistered = true;
    v->storage = nullptr; // the owner's storage may be gone by now
}

uint32_t Config::ExecuteLine(const std::string& lineText, std::string* outName)
{
    std::string line = lineText;
    if (outName)
        outName->clear();
    Trim(line);
    TrimLeft(line, '\\');
    // Every pair of blanks goes: an even run vanishes, an odd run leaves one.
    for (size_t pos = line.find("  "); pos != std::string::npos; pos = line.find("  ", pos))
        line.erase(pos, 2);
    if (line.empty())
        return kExecuteEmptyLine;

    std::string name;
    for (char c : line) {
        if (IsSpace(c) || c == '\\') {
            if (name.empty())
                continue;
            break;
        }
        name += c;
    }
    ToLower(name);
    if (outName)
        *outName = name;

    ConfigVariable* v = FindRegistered(name);
    if (!v)
        return kExecuteUnknownName;
    if (v->type == kConfigCommand) {
        SetCommandDone(name, false);
        return kExecuteDone;
    }

    // The value starts at the name's length; "\\" begins a comment.
    std::string value;
    if (name.size() < line.size()) {
        size_t comment = line.find("\\\\", name.size());
        value = line.substr(name.size(), comment == std::string::npos ? std::string::npos : comment - name.size());
    }
    Trim(value);
    if (value.empty())
        return kExecuteNoValue;
    if (v->readOnly)
        return kExecuteReadOnly;
    SetValueFromText(name, value);
    return kExecuteDone;
}

void Config::SetValueFromText(const std::string& name, const std::string& text)
{
    ConfigVariable* v = FindRegistered(ToLowerCopy(name));
    if (!v || !v->storage)
        return;
    switch (v->type) {
    case kConfigInt: *static_cast<int*>(v->storage) = TextToInt(text); break;
    case kConfigFloat: *static_cast<float*>(v->storage) = TextToFloat(text); break;
    case kConfigBool: *static_cast<bool*>(v->storage) = TextToInt(text) != 0; break;
    case kConfigString: *static_cast<std::string*>(v->storage) = text; break;
    default: break;
    }
}

std::string Config::GetValueString(const std::string& name) const
{
    ConfigVariable* v = Find(ToLowerCopy(name));
    if (!v)
        return std::string();
    if (v->unregistered)
        return v->keptText;
    if (!v->storage)
        return std::string();
    switch (v->type) {
    case kConfigInt: {
        char text[16];
        std::snprintf(text, sizeof text, "%i", *static_cast<const int*>(v->storage));
        return text;
    }
    case kConfigFloat: return FormatFloat(*static_cast<const float*>(v->storage));
    case kConfigBool: return *static_cast<const bool*>(v->storage) ? "1" : "0";
    case kConfigString: return *static_cast<const std::string*>(v->storage);
    default: return std::string();
    }
}

std::string Config::GetDefaultValue(const std::string& name) const
{
    ConfigVariable* v = Find(ToLowerCopy(name));
    return v ? v->defaultText : std::string();
}

void Config::ResetVariable(const std::string& name)
{
    std::string key = ToLowerCopy(name);
    ConfigVariable* v = FindRegistered(key);
    if (!v)
        return;
    SetValueFromText(key, v->defaultText);
    v->done = v->type == kConfigCommand;
}

void Config::ResetAll()
{
    for (auto& entry : variables_)
        if (!entry.second->readOnly)
            ResetVariable(entry.first);
}

bool Config::IsCommandDone(const std::string& name) const
{
    ConfigVariable* v = FindRegistered(ToLowerCopy(name));
    return v && v->done;
}

void Config::SetCommandDone(const std::string& name, bool done)
{
    if (ConfigVariable* v = FindRegistered(name))
        v->done = done;
}

bool Config::IsVariableChanged(const std::string& name) const
{
    ConfigVariable* v = Find(ToLowerCopy(name));
    return v && v->changed;
}

void Config::Update()
{
    if (!IsCommandDone("reset_config")) {
        SetCommandDone("reset_config", true);
        ResetAll();
    }
    for (auto& entry : variables_) {
        ConfigVariable& v = *entry.second;
        if (v.unregistered || !v.watch || !v.storage)
            continue;
        switch (v.type) {
        case kConfigInt: {
            int now = *static_cast<const int*>(v.storage);
            if (now != v.lastInt) {
                v.changed = true;
                v.lastInt = now;
            }
            break;
        }
        case kConfigFloat: {
            float now = *static_cast<const float*>(v.storage);
            if (std::fabs(now - v.lastFloat) > 0.0001f) {
                v.changed = true;
                v.lastFloat = now;
            }
            break;
        }
        case kConfigBool: {
            bool now = *static_cast<const bool*>(v.storage);
            if (now != v.lastBool) {
                v.changed = true;
                v.lastBool = now;
            }
            break;
        }
        case kConfigString: {
            const std::string& now = *static_cast<const std::string*>(v.storage);
            if (now != v.lastString) {
                v.changed = true;
                v.lastString = now;
            }
            break;
        }
        default: break;
        }
    }
}

void Config::ClearChangedFlags()
{
    for (auto& entry : variables_)
        entry.second->changed = false;
}

void Config::GetVariableNames(std::vector<std::string>& out) const
{
    out.clear();
    for (auto& entry : variables_)
        if (!entry.second->unregistered)
            out.push_back(entry.first);
}

void ParseVideoMode(const std::string& text, uint32_t* width, uint32_t* height, uint32_t* bits)
{
    uint32_t w = 640, h = 480, b = 16;
    size_t p1 = text.find_first_of("xX");
    size_t p2 = p1 == std::string::npos ? std::string::npos : text.find_first_of("xX", p1 + 1);
    if (p2 != std::string::npos) {
        w = TextToUnsigned(text.substr(0, p1));
        h = TextToUnsigned(text.substr(p1 + 1, p2 - p1 - 1));
        b = TextToUnsigned(text.substr(p2 + 1));
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
    if (bits)
        *bits = b;
}

} // namespace KorvaneEngine

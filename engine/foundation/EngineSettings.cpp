#include "engine/foundation/EngineSettings.h"

#include <cstdio>

namespace KorvaneEngine {

void ApplyEngineBanner(EngineSettings& settings)
{
    if (settings.name.empty()) {
        settings.name = kEngineBanner;
        settings.version = kEngineVersion;
    }
}

std::string MakeWindowTitle(const EngineSettings& settings)
{
    char number[32];
    std::snprintf(number, sizeof number, "%u.%02u", static_cast<unsigned>(settings.version / 100),
                  static_cast<unsigned>(settings.version % 100));
    return settings.name + " " + number;
}

} // namespace KorvaneEngine

#include "engine/render/DeviceLimits.h"

namespace KorvaneEngine {

uint32_t DeviceTextureFormatMask()
{
    return 0;
}

uint32_t DeviceMaxTextureWidth()
{
    return 0;
}

uint32_t DeviceMaxTextureHeight()
{
    return 0;
}

} // namespace KorvaneEngine

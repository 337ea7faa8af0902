#pragma once
#include <cstdint>

namespace KorvaneEngine {

// What the render system reports about the display device, for the picture
// code that must fit textures to it. Without a render system (tools, tests)
// there is no size limit and no texture format is sampled by the device.

// Bit n set: the device offers texture format code n.
uint32_t DeviceTextureFormatMask();
// Largest texture side; 0 means no limit.
uint32_t DeviceMaxTextureWidth();
uint32_t DeviceMaxTextureHeight();

} // namespace KorvaneEngine

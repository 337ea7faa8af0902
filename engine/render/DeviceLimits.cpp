#include "engine/render/DeviceLimits.h"

#include "engine/render/RenderSystem.h"

namespace KorvaneEngine {

// Without a render system (tools, tests) there is no limit and no device format.

uint32_t DeviceTextureFormatMask()
{
    RenderSystem* r = RenderSystem::Instance();
    return r ? r->textureFormatMask : 0;
}

uint32_t DeviceMaxTextureWidth()
{
    RenderSystem* r = RenderSystem::Instance();
    return r ? r->maxTextureWidth : 0;
}

uint32_t DeviceMaxTextureHeight()
{
    RenderSystem* r = RenderSystem::Instance();
    return r ? r->maxTextureHeight : 0;
}

} // namespace KorvaneEngine

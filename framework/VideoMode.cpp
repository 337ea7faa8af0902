#include "framework/VideoMode.h"

#include "engine/foundation/StringUtils.h"

namespace GameFramework {

VideoMode::VideoMode(uint32_t w, uint32_t h)
    : text(KorvaneEngine::UnsignedToString(w) + "x" + KorvaneEngine::UnsignedToString(h)), width(w), height(h)
{
}

bool operator<(const VideoMode& a, const VideoMode& b)
{
    return a.width != b.width ? a.width < b.width : a.height < b.height;
}

} // namespace GameFramework

#include "engine/render/d3d7/VertexBuffer_D3D7.h"

#include <cstring>

namespace KorvaneEngine {

namespace {
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
} // namespace

VertexBuffer_D3D7::VertexBuffer_D3D7(uint32_t usage_, uint32_t hasColor_, uint32_t vertexCount_)
    : VertexBuffer(usage_, hasColor_, vertexCount_)
{
    if (hasColor)
        SetColor(kWhite);
}

VertexBuffer_D3D7::VertexBuffer_D3D7(uint32_t usage_, uint32_t hasColor_, const VertexBuffer& source)
    : VertexBuffer(usage_, hasColor_, source)
{
    uint8_t* out = Lock(0, vertexCount);
    const uint8_t* in = source.vertices;
    if (hasColor == source.hasColor) {
        std::memcpy(out, in, static_cast<size_t>(stride) * vertexCount);
    } else if (!hasColor) {
        const ColoredVertex* s = reinterpret_cast<const ColoredVertex*>(in);
        Vertex* d = reinterpret_cast<Vertex*>(out);
        for (uint32_t i = 0; i < vertexCount; ++i) {
            d[i].position = s[i].position;
            d[i].normal = s[i].normal;
            d[i].u = s[i].u;
            d[i].v = s[i].v;
        }
    } else {
        const Vertex* s = reinterpret_cast<const Vertex*>(in);
        ColoredVertex* d = reinterpret_cast<ColoredVertex*>(out);
        for (uint32_t i = 0; i < vertexCount; ++i) {
            d[i].position = s[i].position;
            d[i].normal = s[i].normal;
            d[i].u = s[i].u;
            d[i].v = s[i].v;
        }
    }
    Unlock();
    if (hasColor && !source.hasColor)
        SetColor(kWhite);
}

VertexBuffer_D3D7::VertexBuffer_D3D7(const VertexBuffer& source) : VertexBuffer(source)
{
    std::memcpy(Lock(0, vertexCount), source.vertices, static_cast<size_t>(stride) * vertexCount);
    Unlock();
}

VertexBuffer_D3D7::~VertexBuffer_D3D7() = default;

void VertexBuffer_D3D7::Unlock() { VertexBuffer::Unlock(); }

void VertexBuffer_D3D7::Apply() { VertexBuffer::Apply(); }

uint8_t* VertexBuffer_D3D7::Lock(uint32_t first, uint32_t count) { return VertexBuffer::Lock(first, count); }

void VertexBuffer_D3D7::ColorToVector(float out[4], uint32_t color) const
{
    const float k = 1.0f / 255.0f;
    out[0] = static_cast<float>((color >> 16) & 0xFF) * k;
    out[1] = static_cast<float>((color >> 8) & 0xFF) * k;
    out[2] = static_cast<float>(color & 0xFF) * k;
    out[3] = static_cast<float>(color >> 24) * k;
}

uint32_t VertexBuffer_D3D7::PackChannel(float v)
{
    // Out-of-range values must not wrap into another byte (1.2 would give 50).
    if (v >= 1.0f)
        return 255;
    if (!(v > 0.0f)) // also NaN
        return 0;
    return static_cast<uint32_t>(v * 255.0f + 0.5f);
}

uint32_t VertexBuffer_D3D7::VectorToColor(const float rgba[4]) const
{
    return PackChannel(rgba[3]) << 24 | PackChannel(rgba[0]) << 16 | PackChannel(rgba[1]) << 8 | PackChannel(rgba[2]);
}

uint32_t VertexBuffer_D3D7::SetColorAlpha(uint32_t color, float alpha) const
{
    return (color & 0x00FFFFFF) | PackChannel(alpha) << 24;
}

} // namespace KorvaneEngine

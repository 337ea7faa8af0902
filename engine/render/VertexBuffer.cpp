#include "engine/render/VertexBuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/foundation/Error.h"

namespace KorvaneEngine {

namespace {
uint32_t StrideOf(uint32_t hasColor) { return hasColor ? 36u : 32u; }
} // namespace

VertexBuffer::VertexBuffer(uint32_t usage_, uint32_t hasColor_, uint32_t vertexCount_)
    : usage(usage_), hasColor(hasColor_ ? 1u : 0u), stride(StrideOf(hasColor_)), vertexCount(vertexCount_),
      vertices(nullptr)
{
    Allocate();
}

VertexBuffer::VertexBuffer(uint32_t usage_, uint32_t hasColor_, const VertexBuffer& source)
    : VertexBuffer(usage_, hasColor_, source.vertexCount)
{
}

VertexBuffer::VertexBuffer(const VertexBuffer& source)
    : VertexBuffer(source.usage, source.hasColor, source.vertexCount)
{
}

VertexBuffer::~VertexBuffer() { delete[] vertices; }

void VertexBuffer::Allocate()
{
    // The byte size is formed in 64 bits: a count from a file must not wrap
    // into a small array that later writes run past.
    uint64_t bytes = static_cast<uint64_t>(stride) * vertexCount;
    if (bytes > SIZE_MAX)
        throw Error("Vertex buffer of " + std::to_string(vertexCount) + " vertices is too large");
    vertices = new uint8_t[static_cast<size_t>(bytes)];
}

void VertexBuffer::Unlock() { locked = false; }

void VertexBuffer::Apply() {}

uint8_t* VertexBuffer::Lock(uint32_t first, uint32_t count)
{
    locked = true;
    lockFirst = first;
    lockCount = count;
    return vertices + static_cast<size_t>(first) * stride;
}

void VertexBuffer::GetVertexColor(float out[4], uint32_t index) const
{
    if (!hasColor) {
        out[0] = out[1] = out[2] = out[3] = 1.0f;
        return;
    }
    uint32_t color;
    std::memcpy(&color, vertices + static_cast<size_t>(index) * stride + offsetof(ColoredVertex, color), 4);
    ColorToVector(out, color);
}

float VertexBuffer::GetVertexAlpha(uint32_t index) const
{
    if (!hasColor)
        return 1.0f;
    float rgba[4];
    GetVertexColor(rgba, index);
    return rgba[3];
}

void VertexBuffer::SetColor(const float rgba[4])
{
    if (!hasColor)
        return;
    uint32_t color = VectorToColor(rgba);
    ColoredVertex* v = LockColoredVertices(0, vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i)
        v[i].color = color;
    Unlock();
}

void VertexBuffer::SetAlpha(float alpha)
{
    if (!hasColor)
        return;
    ColoredVertex* v = LockColoredVertices(0, vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i)
        v[i].color = SetColorAlpha(v[i].color, alpha);
    Unlock();
}

} // namespace KorvaneEngine

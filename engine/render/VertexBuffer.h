#pragma once
#include <cstdint>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// The two vertex layouts drawn by the fixed-function pipeline, little-endian,
// no padding: what the device reads straight out of the buffer.
struct Vertex {
    Vector3 position;
    Vector3 normal;
    float u, v;
};

struct ColoredVertex {
    Vector3 position;
    Vector3 normal;
    uint32_t color; // A8R8G8B8
    float u, v;
};

static_assert(sizeof(Vertex) == 32, "the plain vertex must be 32 bytes");
static_assert(sizeof(ColoredVertex) == 36, "the coloured vertex must be 36 bytes");

// Vertices of one fixed layout in a system-memory array. The count never
// changes; the array is drawn from directly, so nothing is uploaded.
class VertexBuffer {
public:
    VertexBuffer(uint32_t usage, uint32_t hasColor, uint32_t vertexCount);
    // Same count as the source; the back-end fills the array.
    VertexBuffer(uint32_t usage, uint32_t hasColor, const VertexBuffer& source);
    VertexBuffer(const VertexBuffer& source);
    VertexBuffer& operator=(const VertexBuffer&) = delete;
    virtual ~VertexBuffer();

    virtual void Unlock();
    virtual void Apply();
    virtual void ColorToVector(float out[4], uint32_t color) const = 0;
    virtual uint32_t VectorToColor(const float rgba[4]) const = 0;
    virtual uint32_t SetColorAlpha(uint32_t color, float alpha) const = 0;
    // The range is not checked: the caller keeps first + count within the count.
    virtual uint8_t* Lock(uint32_t first, uint32_t count);

    ColoredVertex* LockColoredVertices(uint32_t first, uint32_t count)
    {
        return reinterpret_cast<ColoredVertex*>(Lock(first, count));
    }
    Vertex* LockVertices(uint32_t first, uint32_t count) { return reinterpret_cast<Vertex*>(Lock(first, count)); }

    void GetVertexColor(float out[4], uint32_t index) const;
    float GetVertexAlpha(uint32_t index) const;
    void SetColor(const float rgba[4]);
    void SetAlpha(float alpha);

    uint32_t usage;       // the creator's flag, not interpreted here
    uint32_t hasColor;    // 0 or 1
    uint32_t stride;      // 36 with colour, 32 without
    uint32_t vertexCount;
    uint8_t* vertices;
    bool locked = false;
    uint32_t lockFirst = 0, lockCount = 0;

private:
    void Allocate();
};

} // namespace KorvaneEngine

#pragma once
#include "engine/render/VertexBuffer.h"

namespace KorvaneEngine {

// Vertex buffer of the Direct3D 7 back-end: adds the device's A8R8G8B8 colour
// packing and the converting copies.
class VertexBuffer_D3D7 : public VertexBuffer {
public:
    // A coloured buffer starts white and opaque.
    VertexBuffer_D3D7(uint32_t usage, uint32_t hasColor, uint32_t vertexCount);
    // Converts between the two layouts when they differ; colours added by the
    // conversion are white and opaque.
    VertexBuffer_D3D7(uint32_t usage, uint32_t hasColor, const VertexBuffer& source);
    VertexBuffer_D3D7(const VertexBuffer& source);
    VertexBuffer_D3D7(const VertexBuffer_D3D7& source) : VertexBuffer_D3D7(static_cast<const VertexBuffer&>(source)) {}
    ~VertexBuffer_D3D7() override;

    void Unlock() override;
    void Apply() override;
    void ColorToVector(float out[4], uint32_t color) const override;
    uint32_t VectorToColor(const float rgba[4]) const override;
    uint32_t SetColorAlpha(uint32_t color, float alpha) const override;
    uint8_t* Lock(uint32_t first, uint32_t count) override;

    // One channel in 0..1 to a byte: clamped first, then rounded.
    static uint32_t PackChannel(float v);
};

} // namespace KorvaneEngine

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/render/d3d7/IndexBuffer_D3D7.h"
#include "engine/render/d3d7/VertexBuffer_D3D7.h"

using namespace KorvaneEngine;

TEST(ColorPacking, ClampsBeforePacking)
{
    VertexBuffer_D3D7 vb(0, 1, 1);
    const float c[4] = {0.5f, 0.0f, 1.2f, -1.0f};
    EXPECT_EQ(vb.VectorToColor(c), 0x008000FFu);
    const float white[4] = {1, 1, 1, 1};
    EXPECT_EQ(vb.VectorToColor(white), 0xFFFFFFFFu);
    const float big[4] = {100.0f, 1e30f, -1e30f, 0.999f};
    EXPECT_EQ(vb.VectorToColor(big), 0xFFFFFF00u);
    const float nan[4] = {std::nanf(""), 0.2f, 0.0f, 1.0f};
    EXPECT_EQ(vb.VectorToColor(nan), 0xFF003300u);
    // Rounding: 0.5/255 rounds up, just below does not.
    const float tiny[4] = {0.5f / 255.0f + 1e-6f, 0.49f / 255.0f, 0, 0};
    EXPECT_EQ(vb.VectorToColor(tiny), 0x00010000u);

    float out[4];
    vb.ColorToVector(out, 0xFF000000u);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], 1.0f);
    vb.ColorToVector(out, 0x80FF4000u);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    EXPECT_FLOAT_EQ(out[1], 64.0f * (1.0f / 255.0f));
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_FLOAT_EQ(out[3], 128.0f * (1.0f / 255.0f));

    EXPECT_EQ(vb.SetColorAlpha(0x12345678u, 0.5f), 0x80345678u);
    EXPECT_EQ(vb.SetColorAlpha(0x12345678u, 7.0f), 0xFF345678u);
    EXPECT_EQ(vb.SetColorAlpha(0x12345678u, -7.0f), 0x00345678u);
}

TEST(VertexBuffers, LayoutsAndDefaults)
{
    VertexBuffer_D3D7 colored(1, 1, 5);
    EXPECT_EQ(colored.stride, 36u);
    EXPECT_EQ(colored.usage, 1u);
    EXPECT_FALSE(colored.locked);
    for (uint32_t i = 0; i < 5; ++i) {
        float c[4];
        colored.GetVertexColor(c, i);
        EXPECT_EQ(c[0], 1.0f);
        EXPECT_EQ(c[3], 1.0f);
    }
    EXPECT_EQ(colored.LockColoredVertices(0, 5)[4].color, 0xFFFFFFFFu);
    EXPECT_TRUE(colored.locked);
    colored.Unlock();

    VertexBuffer_D3D7 plain(0, 0, 3);
    EXPECT_EQ(plain.stride, 32u);
    EXPECT_EQ(plain.GetVertexAlpha(0), 1.0f);
    EXPECT_EQ(plain.GetVertexAlpha(12345), 1.0f); // never reads the array
    float c[4];
    plain.GetVertexColor(c, 99);
    EXPECT_EQ(c[0] + c[1] + c[2] + c[3], 4.0f);
    // Colour setters leave a buffer without colours alone.
    std::memset(plain.vertices, 0xAB, 3 * 32);
    const float red[4] = {1, 0, 0, 1};
    plain.SetColor(red);
    plain.SetAlpha(0.0f);
    for (int i = 0; i < 3 * 32; ++i)
        ASSERT_EQ(plain.vertices[i], 0xAB);

    // Lock returns the vertex at first and records the range.
    EXPECT_EQ(reinterpret_cast<uint8_t*>(colored.LockColoredVertices(2, 3)), colored.vertices + 72);
    EXPECT_EQ(colored.lockFirst, 2u);
    EXPECT_EQ(colored.lockCount, 3u);
    colored.Unlock();

    VertexBuffer_D3D7 empty(0, 1, 0);
    EXPECT_EQ(empty.vertexCount, 0u);
    empty.SetAlpha(0.5f);
}

TEST(VertexBuffers, ColorAndAlphaOnEveryVertex)
{
    VertexBuffer_D3D7 vb(0, 1, 4);
    const float c[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    vb.SetColor(c);
    ColoredVertex* v = vb.LockColoredVertices(0, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(v[i].color, 0xCC336699u);
    v[2].color = 0x11223344u;
    vb.Unlock();
    vb.SetAlpha(0.0f);
    v = vb.LockColoredVertices(0, 4);
    EXPECT_EQ(v[0].color, 0x00336699u);
    EXPECT_EQ(v[2].color, 0x00223344u);
    vb.Unlock();
    EXPECT_EQ(vb.GetVertexAlpha(2), 0.0f);
}

namespace {
void FillPlain(VertexBuffer& vb)
{
    Vertex* v = vb.LockVertices(0, vb.vertexCount);
    for (uint32_t i = 0; i < vb.vertexCount; ++i) {
        float f = static_cast<float>(i);
        v[i].position = Vector3(f + 0.1f, f + 0.2f, f + 0.3f);
        v[i].normal = Vector3(-f, 1e-7f * f, 3.5f);
        v[i].u = f / 7.0f;
        v[i].v = 1.0f / (f + 3.0f);
    }
    vb.Unlock();
}
} // namespace

TEST(VertexBuffers, ConvertingCopiesKeepGeometryExactly)
{
    VertexBuffer_D3D7 plain(0, 0, 9);
    FillPlain(plain);

    VertexBuffer_D3D7 colored(2, 1, plain);
    EXPECT_EQ(colored.usage, 2u);
    EXPECT_EQ(colored.vertexCount, 9u);
    const Vertex* p = plain.LockVertices(0, 9);
    const ColoredVertex* c = colored.LockColoredVertices(0, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(std::memcmp(&c[i].position, &p[i].position, 24), 0);
        EXPECT_EQ(std::memcmp(&c[i].u, &p[i].u, 8), 0);
        EXPECT_EQ(c[i].color, 0xFFFFFFFFu);
    }
    colored.Unlock();

    // Back to 32 bytes: bit-identical to the original.
    VertexBuffer_D3D7 back(0, 0, colored);
    EXPECT_EQ(std::memcmp(back.vertices, plain.vertices, 9 * 32), 0);

    // Same layout and the plain copy: byte copies, colours included.
    colored.LockColoredVertices(3, 1)->color = 0x01020304u;
    colored.Unlock();
    VertexBuffer_D3D7 same(7, 1, colored);
    VertexBuffer_D3D7 clone(colored);
    EXPECT_EQ(clone.usage, 2u);
    EXPECT_EQ(std::memcmp(same.vertices, colored.vertices, 9 * 36), 0);
    EXPECT_EQ(std::memcmp(clone.vertices, colored.vertices, 9 * 36), 0);
    EXPECT_FALSE(clone.locked);
}

TEST(IndexBuffers, WidthFollowsTheCount)
{
    IndexBuffer_D3D7 small(0, 65535), large(0, 65536);
    EXPECT_EQ(small.is32Bit, 0u);
    EXPECT_EQ(small.indexSize, 2u);
    EXPECT_EQ(large.is32Bit, 1u);
    EXPECT_EQ(large.indexSize, 4u);
    EXPECT_EQ(large.capacity, 65536u);
    EXPECT_EQ(large.indexCount, 65536u);

    const uint32_t v = 70000;
    small.SetIndices(10, 1, &v);
    EXPECT_EQ(small.GetIndex(10), 4464u);
    large.SetIndices(65535, 1, &v);
    EXPECT_EQ(large.GetIndex(65535), 70000u);
}

TEST(IndexBuffers, RangeIsCachedUntilChanged)
{
    IndexBuffer_D3D7 ib(0, 6);
    const uint32_t idx[6] = {5, 3, 9, 4, 7, 3};
    ib.SetIndices(0, 6, idx);
    EXPECT_EQ(ib.GetMinIndex(), 3u);
    EXPECT_EQ(ib.GetIndexRange(), 7u);
    EXPECT_FALSE(ib.rangeDirty);

    // Only the first indexCount indices count.
    ib.SetIndexCount(2);
    EXPECT_EQ(ib.GetMinIndex(), 3u);
    EXPECT_EQ(ib.GetIndexRange(), 3u);

    // A write through Lock marks the range for recomputation.
    ib.SetIndexCount(6);
    reinterpret_cast<uint16_t*>(ib.Lock(2, 1))[0] = 20;
    ib.Unlock();
    EXPECT_EQ(ib.GetMinIndex() + ib.GetIndexRange(), 21u);

    ib.SetIndexCount(0);
    EXPECT_EQ(ib.GetMinIndex(), 0u);
    EXPECT_EQ(ib.GetIndexRange(), 0u);

    // Asking for more indices than there are slots stops at the capacity.
    ib.SetIndexCount(1000);
    EXPECT_EQ(ib.indexCount, 6u);

    IndexBuffer_D3D7 sevens(0, 9);
    const uint32_t s[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
    sevens.SetIndices(0, 9, s);
    EXPECT_EQ(sevens.GetMinIndex() + sevens.GetIndexRange(), 8u);
}

TEST(IndexBuffers, SetIndicesStopsAtTheCapacity)
{
    std::vector<uint32_t> src(10, 9);
    IndexBuffer_D3D7 ib(0, 4);
    const uint32_t z[4] = {1, 1, 1, 1};
    ib.SetIndices(0, 4, z);
    ib.SetIndices(2, 10, src.data());
    EXPECT_EQ(ib.GetIndex(1), 1u);
    EXPECT_EQ(ib.GetIndex(3), 9u);
    ib.SetIndices(4, 1, src.data()); // starts past the end: nothing
    ib.SetIndices(1000, 1, src.data());
    EXPECT_EQ(ib.GetIndexRange(), 9u);
}

TEST(IndexBuffers, CopiesTakeEverySlotAndRecomputeTheRange)
{
    IndexBuffer_D3D7 ib(3, 5);
    const uint32_t idx[5] = {2, 4, 6, 8, 10};
    ib.SetIndices(0, 5, idx);
    ib.SetIndexCount(3);
    EXPECT_EQ(ib.GetIndexRange(), 5u);

    IndexBuffer_D3D7 copy(9, ib), clone(ib);
    EXPECT_EQ(copy.usage, 9u);
    EXPECT_EQ(clone.usage, 3u);
    EXPECT_EQ(copy.indexCount, 3u);
    EXPECT_TRUE(copy.rangeDirty);
    EXPECT_EQ(copy.GetIndex(4), 10u);
    EXPECT_EQ(copy.GetMinIndex(), 2u);
    EXPECT_EQ(clone.GetIndexRange(), 5u);
    EXPECT_NE(copy.indices, ib.indices);
}

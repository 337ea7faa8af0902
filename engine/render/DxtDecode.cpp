// DXT block decoding and flipping for FileDDS.
#include <cstring>

#include "engine/render/FileDDS.h"

namespace KorvaneEngine {

namespace {

uint64_t Load64(const uint8_t* p)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void Store64(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i, v >>= 8)
        p[i] = uint8_t(v);
}

void Widen565(uint16_t c, uint32_t rgb[3])
{
    uint32_t r5 = (c >> 11) & 31, g6 = (c >> 5) & 63, b5 = c & 31;
    rgb[0] = (r5 << 3) | (r5 >> 2);
    rgb[1] = (g6 << 2) | (g6 >> 4);
    rgb[2] = (b5 << 3) | (b5 >> 2);
}

} // namespace

uint32_t FileDDS::ReplicateBits(uint32_t value, uint32_t n, uint32_t k)
{
    if (n == 0)
        return 0;
    if (n < k)
        return ReplicateBits(value, n, k - n) | (value << (k - n));
    return value >> (n - k);
}

void FileDDS::DecodeColourBlock(const ColourBlock& block, bool dxt1, uint8_t out[64])
{
    uint32_t c[4][4];
    Widen565(block.colour0, c[0]);
    Widen565(block.colour1, c[1]);
    c[0][3] = c[1][3] = 255;
    if (!dxt1 || block.colour0 > block.colour1) {
        for (int i = 0; i < 3; ++i) {
            c[2][i] = (2 * c[0][i] + c[1][i]) / 3;
            c[3][i] = (c[0][i] + 2 * c[1][i]) / 3;
        }
        c[2][3] = c[3][3] = 255;
    } else {
        for (int i = 0; i < 3; ++i) {
            c[2][i] = (c[0][i] + c[1][i]) >> 1;
            c[3][i] = 0;
        }
        c[2][3] = 255;
        c[3][3] = 0;
    }
    for (uint32_t y = 0; y < 4; ++y) {
        uint32_t row = (block.indices >> (8 * y)) & 0xFF;
        for (uint32_t x = 0; x < 4; ++x) {
            const uint32_t* col = c[(row >> (2 * x)) & 3];
            uint8_t* p = out + 4 * (4 * y + x);
            for (int i = 0; i < 4; ++i)
                p[i] = uint8_t(col[i]);
        }
    }
}

void FileDDS::DecodeExplicitAlpha(const uint8_t alpha[8], uint8_t out[64])
{
    uint64_t bits = Load64(alpha);
    for (uint32_t i = 0; i < 16; ++i) {
        uint32_t a = uint32_t(bits >> (4 * i)) & 15;
        out[4 * i + 3] = uint8_t((a << 4) | a);
    }
}

void FileDDS::DecodeInterpolatedAlpha(const uint8_t alpha[8], uint8_t out[64])
{
    uint32_t a[8];
    a[0] = alpha[0];
    a[1] = alpha[1];
    if (a[0] > a[1]) {
        for (uint32_t i = 1; i <= 6; ++i)
            a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
    } else {
        for (uint32_t i = 1; i <= 4; ++i)
            a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    uint64_t bits = Load64(alpha);
    for (uint32_t i = 0; i < 16; ++i)
        out[4 * i + 3] = uint8_t(a[(bits >> (16 + 3 * i)) & 7]);
}

void FileDDS::DecodeDxt3Block(const AlphaColourBlock& block, uint8_t out[64])
{
    DecodeColourBlock(block.colour, false, out);
    DecodeExplicitAlpha(block.alpha, out);
}

void FileDDS::DecodeDxt5Block(const AlphaColourBlock& block, uint8_t out[64])
{
    DecodeColourBlock(block.colour, false, out);
    DecodeInterpolatedAlpha(block.alpha, out);
}

void FileDDS::FlipBlock(uint8_t* b, uint32_t fourCC)
{
    auto reverse4 = [](uint8_t* p) {
        uint8_t t = p[0];
        p[0] = p[3];
        p[3] = t;
        t = p[1];
        p[1] = p[2];
        p[2] = t;
    };
    if (fourCC == MakeFourCC('D', 'X', 'T', '1')) {
        reverse4(b + 4);
    } else if (fourCC == MakeFourCC('D', 'X', 'T', '2') || fourCC == MakeFourCC('D', 'X', 'T', '3')) {
        uint8_t rows[8];
        std::memcpy(rows, b, 8);
        for (int r = 0; r < 4; ++r) {
            b[2 * r] = rows[2 * (3 - r)];
            b[2 * r + 1] = rows[2 * (3 - r) + 1];
        }
        reverse4(b + 12);
    } else if (fourCC == MakeFourCC('D', 'X', 'T', '4') || fourCC == MakeFourCC('D', 'X', 'T', '5')) {
        uint64_t v = Load64(b);
        uint64_t flipped = v & 0xFFFF;
        for (int r = 0; r < 4; ++r) {
            uint64_t row = (v >> (16 + 12 * r)) & 0xFFF;
            flipped |= row << (16 + 12 * (3 - r));
        }
        Store64(b, flipped);
        reverse4(b + 12);
    }
}

} // namespace KorvaneEngine

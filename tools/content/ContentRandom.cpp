#include "tools/content/ContentRandom.h"

#include <cmath>

namespace Content {

namespace {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

float Lattice(int32_t x, int32_t y, uint32_t seed) { return float(Hash(x, y, seed) >> 8) / float(1u << 24); }

float Smooth(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

} // namespace

ContentRandom::ContentRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

uint64_t ContentRandom::Next()
{
    // splitmix64: every seed, even 0, gives a full-quality stream.
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float ContentRandom::Unit() { return float(Next() >> 40) / float(1ull << 24); }

uint32_t ContentRandom::Below(uint32_t n) { return n ? uint32_t(Next() % n) : 0; }

float ContentRandom::Noise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = int32_t(fx), iy = int32_t(fy);
    const float tx = Smooth(x - fx), ty = Smooth(y - fy);
    const float a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
    const float c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float ContentRandom::Fractal(float x, float y, uint32_t seed, int octaves)
{
    float sum = 0, weight = 0.5f, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * Noise(x, y, seed + uint32_t(o) * 1013u);
        total += weight;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f - 5.3f;
        weight *= 0.5f;
    }
    return sum / total;
}

float ContentRandom::Ridged(float x, float y, uint32_t seed, int octaves)
{
    float sum = 0, weight = 0.5f, total = 0;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(2.0f * Noise(x, y, seed + uint32_t(o) * 7919u) - 1.0f);
        sum += weight * n * n;
        total += weight;
        x = x * 2.07f + 3.7f;
        y = y * 2.07f + 11.9f;
        weight *= 0.5f;
    }
    return sum / total;
}

} // namespace Content

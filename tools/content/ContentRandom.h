#pragma once
#include <cstdint>

namespace Content {

// The generator's own seeded random numbers and smooth noise. Independent of
// the engine's random state and of the C library, so the same seed gives the
// same content on every machine and in every order modules run.
class ContentRandom {
public:
    explicit ContentRandom(uint64_t seed);

    uint64_t Next();
    // Uniform in [0, 1).
    float Unit();
    float Range(float low, float high) { return low + (high - low) * Unit(); }
    // Uniform in [0, n); 0 for n = 0.
    uint32_t Below(uint32_t n);
    bool Chance(float p) { return Unit() < p; }

    // Value noise in [0, 1], smooth, repeating never; seed picks the field.
    static float Noise(float x, float y, uint32_t seed);
    // Octaves of noise, each twice the frequency and half the weight; [0, 1].
    static float Fractal(float x, float y, uint32_t seed, int octaves);
    // 1 - |2n - 1| octaves: sharp crests, for ridges and veins; [0, 1].
    static float Ridged(float x, float y, uint32_t seed, int octaves);

private:
    uint64_t state_;
};

} // namespace Content

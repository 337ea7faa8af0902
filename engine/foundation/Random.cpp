#include "engine/foundation/Random.h"

namespace KorvaneEngine {

namespace {
uint32_t g_state = 1;
}

void SetRandomSeed(uint32_t v)
{
    g_state = v + 1u;
}

uint32_t Random()
{
    g_state = g_state * 1664525u + 1013904223u;
    return (g_state >> 16) & 0x7FFFu;
}

uint32_t RandomBelow(uint32_t n)
{
    // A span of 2^32 wraps to 0; every 15-bit value already lies below it.
    uint32_t r = Random();
    return n == 0 ? r : r % n;
}

int RandomInt(int min, int max)
{
    // The span and the sum are unsigned so that min = INT_MIN, max = INT_MAX
    // neither overflows nor divides by zero.
    uint32_t span = static_cast<uint32_t>(max) - static_cast<uint32_t>(min) + 1u;
    return static_cast<int>(static_cast<uint32_t>(min) + RandomBelow(span));
}

float RandomUnit()
{
    return static_cast<float>(Random() / 32767.0);
}

float RandomFloat(float min, float max)
{
    return RandomUnit() * (max - min) + min;
}

float RandomSignedUnit()
{
    return RandomUnit() * 2.0f - 1.0f;
}

float RandomFloatAround(float center, float spread)
{
    return RandomSignedUnit() * spread + center;
}

} // namespace KorvaneEngine

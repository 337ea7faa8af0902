#pragma once
#include <cstdint>

namespace KorvaneEngine {

// The engine's one pseudo-random source: a 32-bit linear congruential
// generator with a 15-bit output. One seed fixes the whole run's sequence;
// every function below consumes exactly one step.
void SetRandomSeed(uint32_t v);
// 0..32767
uint32_t Random();
// Random() modulo n; n = 0 stands for the full 32-bit span.
uint32_t RandomBelow(uint32_t n);
// min..max inclusive; max >= min.
int RandomInt(int min, int max);
// 0..1 inclusive, step 1/32767.
float RandomUnit();
float RandomFloat(float min, float max);
// -1..1
float RandomSignedUnit();
float RandomFloatAround(float center, float spread);

} // namespace KorvaneEngine

#include "RandomFloat.h"

#include <random>

float RandomFloat(float aMin, float aMax)
{
    // Each thread draws from its own engine, so no thread disturbs another's sequence.
    thread_local std::mt19937 engine{std::random_device{}()};
    constexpr float twoToMinus24 = 1.0f / 16777216.0f;
    return aMin + (aMax - aMin) * static_cast<float>(engine() >> 8) * twoToMinus24;
}

#pragma once
// Seeded randomness and noise for generated art: the same seed draws the same picture on
// every run and every machine.
#include <cstdint>

namespace ContentKit
{
    class Rng
    {
    public:
        explicit Rng(uint64_t aSeed) : myState(aSeed) {}
        uint64_t NextBits();
        float Next();                        // [0, 1)
        float Range(float aMin, float aMax); // [aMin, aMax)
        int Int(int aMin, int aMax);         // [aMin, aMax], inclusive

    private:
        uint64_t myState;
    };

    // A 64-bit mix of a value (splitmix64's finaliser).
    uint64_t Mix64(uint64_t aValue);

    // Smooth value noise in 0..1, lattice spacing 1; the same (x, y, seed) gives the same value.
    float ValueNoise(float x, float y, uint32_t aSeed);
    // Fractal sum of aOctaves noise layers, each twice the frequency and half the weight; 0..1.
    float Fbm(float x, float y, int anOctaves, uint32_t aSeed);
    // Value noise that repeats every aPeriod lattice cells in x and y (for tiling textures).
    float TileableNoise(float x, float y, int aPeriod, uint32_t aSeed);
}

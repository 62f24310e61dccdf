#include "ContentKit/Random.h"

#include <cmath>

namespace ContentKit
{
    uint64_t Mix64(uint64_t aValue)
    {
        aValue += 0x9E3779B97F4A7C15ull;
        aValue = (aValue ^ (aValue >> 30)) * 0xBF58476D1CE4E5B9ull;
        aValue = (aValue ^ (aValue >> 27)) * 0x94D049BB133111EBull;
        return aValue ^ (aValue >> 31);
    }

    uint64_t Rng::NextBits()
    {
        myState += 0x9E3779B97F4A7C15ull;
        return Mix64(myState);
    }

    float Rng::Next()
    {
        return float(NextBits() >> 40) / float(1ull << 24);
    }

    float Rng::Range(float aMin, float aMax)
    {
        return aMin + (aMax - aMin) * Next();
    }

    int Rng::Int(int aMin, int aMax)
    {
        if (aMax <= aMin)
            return aMin;
        return aMin + int(NextBits() % uint64_t(int64_t(aMax) - aMin + 1));
    }

    namespace
    {
        float Lattice(int x, int y, uint32_t aSeed)
        {
            const uint64_t key = (uint64_t(uint32_t(x)) << 32) ^ uint64_t(uint32_t(y)) ^ (uint64_t(aSeed) * 0xD6E8FEB86659FD93ull);
            return float(Mix64(key) >> 40) / float(1ull << 24);
        }

        float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

        int Wrap(int v, int aPeriod) { return ((v % aPeriod) + aPeriod) % aPeriod; }
    }

    float ValueNoise(float x, float y, uint32_t aSeed)
    {
        const float fx = std::floor(x), fy = std::floor(y);
        const int ix = int(fx), iy = int(fy);
        const float tx = Smooth(x - fx), ty = Smooth(y - fy);
        const float a = Lattice(ix, iy, aSeed), b = Lattice(ix + 1, iy, aSeed);
        const float c = Lattice(ix, iy + 1, aSeed), d = Lattice(ix + 1, iy + 1, aSeed);
        return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
    }

    float Fbm(float x, float y, int anOctaves, uint32_t aSeed)
    {
        float sum = 0.0f, weight = 0.5f, total = 0.0f, frequency = 1.0f;
        for (int i = 0; i < anOctaves; ++i)
        {
            sum += ValueNoise(x * frequency, y * frequency, aSeed + uint32_t(i) * 101u) * weight;
            total += weight;
            weight *= 0.5f;
            frequency *= 2.0f;
        }
        return total > 0.0f ? sum / total : 0.0f;
    }

    float TileableNoise(float x, float y, int aPeriod, uint32_t aSeed)
    {
        if (aPeriod < 1)
            aPeriod = 1;
        const float fx = std::floor(x), fy = std::floor(y);
        const int ix = int(fx), iy = int(fy);
        const float tx = Smooth(x - fx), ty = Smooth(y - fy);
        const int x0 = Wrap(ix, aPeriod), x1 = Wrap(ix + 1, aPeriod), y0 = Wrap(iy, aPeriod), y1 = Wrap(iy + 1, aPeriod);
        const float a = Lattice(x0, y0, aSeed), b = Lattice(x1, y0, aSeed);
        const float c = Lattice(x0, y1, aSeed), d = Lattice(x1, y1, aSeed);
        return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
    }
}

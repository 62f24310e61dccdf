#pragma once
// A colour held in sRGB; whatever hands a colour to the GPU converts it with AsLinear.
#include <cmath>

namespace Kiln
{
    inline float SrgbToLinear(float c)
    {
        return c >= 0.04045f ? std::pow((c + 0.055f) / 1.055f, 2.4f) : c / 12.92f;
    }

    struct Color
    {
        float r = 0.0f;
        float g = 0.0f;
        float b = 0.0f;
        float a = 0.0f;

        constexpr Color() = default;
        constexpr Color(float aR, float aG, float aB, float aA) : r(aR), g(aG), b(aB), a(aA) {}

        // r, g, b from sRGB to linear light; alpha unchanged.
        Color AsLinear() const { return {SrgbToLinear(r), SrgbToLinear(g), SrgbToLinear(b), a}; }

        constexpr bool operator==(const Color& o) const = default;
    };
}

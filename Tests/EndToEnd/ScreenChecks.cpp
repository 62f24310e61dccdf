#include "EndToEnd/ScreenChecks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace KilnE2E
{
    std::string HeroSighting::Describe() const
    {
        char text[160];
        std::snprintf(text, sizeof(text), "light centre (%.0f, %.0f), %.0f%% of the warmth around it, %d pale body pixels there", x, y,
                      concentration * 100.0f, bodyPixels);
        return text;
    }

    HeroSighting FindHero(const Screenshot& aShot)
    {
        HeroSighting sighting;
        const int width = aShot.GetWidth();
        const int height = aShot.GetHeight();
        double sumX = 0.0, sumY = 0.0, total = 0.0;
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                const Rgb c = aShot.At(x, y);
                const double warmth = std::max(0.0f, c.r - c.b);
                sumX += warmth * x;
                sumY += warmth * y;
                total += warmth;
            }
        }
        if (total <= 0.0)
            return sighting;
        sighting.x = static_cast<float>(sumX / total);
        sighting.y = static_cast<float>(sumY / total);

        const float radius = 0.3f * static_cast<float>(height);
        double near = 0.0;
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                const Rgb c = aShot.At(x, y);
                if (std::hypot(x - sighting.x, y - sighting.y) < radius)
                    near += std::max(0.0f, c.r - c.b);
                // The moth is pale lilac and white: light, and no warmer than it is blue.
                if (std::abs(x - sighting.x) < 70.0f && std::abs(y - sighting.y) < 80.0f && c.Luma() > 140.0f && c.b >= c.r)
                    ++sighting.bodyPixels;
            }
        }
        sighting.concentration = static_cast<float>(near / total);
        return sighting;
    }

    bool HeroNearCentre(const HeroSighting& aSighting, int aScreenWidth, int aScreenHeight)
    {
        const float w = static_cast<float>(aScreenWidth);
        const float h = static_cast<float>(aScreenHeight);
        const float dx = aSighting.x - 0.5f * w;
        const float dy = aSighting.y - 0.5f * h;
        return std::abs(dx) <= 0.1f * w && dy >= -0.1f * h && dy <= 0.3f * h && aSighting.concentration >= 0.75f && aSighting.bodyPixels >= 100;
    }

    namespace
    {
        float ToLinear(float aValue)
        {
            return aValue <= 0.04045f ? aValue / 12.92f : std::pow((aValue + 0.055f) / 1.055f, 2.4f);
        }

        float ToSrgb(float aValue)
        {
            return aValue <= 0.0031308f ? aValue * 12.92f : 1.055f * std::pow(aValue, 1.0f / 2.4f) - 0.055f;
        }
    }

    float ShareLitThroughVeil(const Screenshot& aShot, const Picture& aVeil, const Rect& aPlace, const Rect& aRegion)
    {
        size_t count = 0, lit = 0;
        for (int y = std::max(0, aRegion.y); y < std::min(aShot.GetHeight(), aRegion.y + aRegion.height); ++y)
        {
            for (int x = std::max(0, aRegion.x); x < std::min(aShot.GetWidth(), aRegion.x + aRegion.width); ++x)
            {
                float texel[4];
                aVeil.Sample(aPlace, x, y, texel);
                const float alpha = texel[3] / 255.0f;
                Rgb overBlack;
                float* channels[3] = {&overBlack.r, &overBlack.g, &overBlack.b};
                for (int c = 0; c < 3; ++c)
                {
                    const float value = texel[c] / 255.0f;
                    *channels[c] = 255.0f * std::max(ToSrgb(alpha * ToLinear(value)), alpha * value);
                }
                ++count;
                lit += aShot.At(x, y).Luma() > overBlack.Luma() + 8.0f ? 1u : 0u;
            }
        }
        return count == 0 ? 0.0f : static_cast<float>(lit) / static_cast<float>(count);
    }

    int HorizontalShift(const Screenshot& aBefore, const Screenshot& anAfter, const Rect& aBand, int aLimit)
    {
        const auto profile = [&aBand](const Screenshot& aShot) {
            std::vector<float> columns(static_cast<size_t>(std::max(0, aBand.width)), 0.0f);
            for (int x = 0; x < aBand.width; ++x)
            {
                for (int y = aBand.y; y < aBand.y + aBand.height; ++y)
                    columns[static_cast<size_t>(x)] += aShot.At(aBand.x + x, y).Luma();
                columns[static_cast<size_t>(x)] /= static_cast<float>(std::max(1, aBand.height));
            }
            return columns;
        };
        const std::vector<float> before = profile(aBefore);
        const std::vector<float> after = profile(anAfter);
        int best = 0;
        float bestError = -1.0f;
        for (int shift = -aLimit; shift <= aLimit; ++shift)
        {
            // Column x before is column x + shift after; at least half the band must overlap.
            const int from = std::max(0, -shift), to = std::min(aBand.width, aBand.width - shift);
            if (to - from < aBand.width / 2)
                continue;
            float error = 0.0f;
            for (int x = from; x < to; ++x)
                error += std::abs(before[static_cast<size_t>(x)] - after[static_cast<size_t>(x + shift)]);
            error /= static_cast<float>(to - from);
            if (bestError < 0.0f || error < bestError)
            {
                bestError = error;
                best = shift;
            }
        }
        return best;
    }
}

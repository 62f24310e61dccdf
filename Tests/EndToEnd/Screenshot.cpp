#include "EndToEnd/Screenshot.h"

#include "Support/PngFile.h"

#include <algorithm>
#include <cmath>

namespace KilnE2E
{
    float Rgb::DistanceTo(const Rgb& anOther) const
    {
        return std::max({std::abs(r - anOther.r), std::abs(g - anOther.g), std::abs(b - anOther.b)});
    }

    Screenshot::Screenshot(int aWidth, int aHeight, std::vector<uint8_t> somePixels)
        : myWidth(aWidth)
        , myHeight(aHeight)
        , myPixels(std::move(somePixels))
    {
        if (myWidth <= 0 || myHeight <= 0 || myPixels.size() != static_cast<size_t>(myWidth) * static_cast<size_t>(myHeight) * 3u)
        {
            myWidth = 0;
            myHeight = 0;
            myPixels.clear();
        }
    }

    Rect Screenshot::Clip(const Rect& aRect) const
    {
        const int left = std::clamp(aRect.x, 0, myWidth);
        const int top = std::clamp(aRect.y, 0, myHeight);
        const int right = std::clamp(aRect.x + aRect.width, 0, myWidth);
        const int bottom = std::clamp(aRect.y + aRect.height, 0, myHeight);
        return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
    }

    Rgb Screenshot::At(int anX, int aY) const
    {
        if (anX < 0 || aY < 0 || anX >= myWidth || aY >= myHeight)
            return {};
        const uint8_t* p = &myPixels[(static_cast<size_t>(aY) * static_cast<size_t>(myWidth) + static_cast<size_t>(anX)) * 3u];
        return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
    }

    namespace
    {
        // Calls aVisit(x, y) for every pixel of an already clipped rectangle; returns the count.
        template <typename Visit>
        size_t ForEach(const Rect& aRect, Visit&& aVisit)
        {
            for (int y = aRect.y; y < aRect.y + aRect.height; ++y)
                for (int x = aRect.x; x < aRect.x + aRect.width; ++x)
                    aVisit(x, y);
            return static_cast<size_t>(aRect.width) * static_cast<size_t>(aRect.height);
        }
    }

    float Screenshot::BrightShare(const Rect& aRect, float aLuma) const
    {
        size_t hits = 0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) { hits += At(x, y).Luma() > aLuma ? 1u : 0u; });
        return count == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(count);
    }

    float Screenshot::ChangedShare(const Screenshot& anOther, const Rect& aRect, float aTolerance) const
    {
        size_t hits = 0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) { hits += At(x, y).DistanceTo(anOther.At(x, y)) > aTolerance ? 1u : 0u; });
        return count == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(count);
    }

    bool Screenshot::SavePng(const std::filesystem::path& aPath, int aWidth) const
    {
        return !IsEmpty() && KilnTest::WritePng(aPath, myWidth, myHeight, myPixels, "rgb", aWidth);
    }
}

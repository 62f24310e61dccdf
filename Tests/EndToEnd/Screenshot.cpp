#include "EndToEnd/Screenshot.h"

#include "Platform/image/ImageDecoder.h"
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

    Rgb Screenshot::Mean(const Rect& aRect) const
    {
        double r = 0.0, g = 0.0, b = 0.0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) {
            const Rgb c = At(x, y);
            r += c.r;
            g += c.g;
            b += c.b;
        });
        if (count == 0)
            return {};
        return {static_cast<float>(r / count), static_cast<float>(g / count), static_cast<float>(b / count)};
    }

    float Screenshot::BrightShare(const Rect& aRect, float aLuma) const
    {
        size_t hits = 0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) { hits += At(x, y).Luma() > aLuma ? 1u : 0u; });
        return count == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(count);
    }

    float Screenshot::ShareNear(const Rect& aRect, const Rgb& aColour, float aTolerance) const
    {
        size_t hits = 0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) { hits += At(x, y).DistanceTo(aColour) <= aTolerance ? 1u : 0u; });
        return count == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(count);
    }

    float Screenshot::ChangedShare(const Screenshot& anOther, const Rect& aRect, float aTolerance) const
    {
        size_t hits = 0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) { hits += At(x, y).DistanceTo(anOther.At(x, y)) > aTolerance ? 1u : 0u; });
        return count == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(count);
    }

    Rect Screenshot::ChangedBounds(const Screenshot& anOther, const Rect& aRect, float aTolerance) const
    {
        int left = myWidth, top = myHeight, right = -1, bottom = -1;
        ForEach(Clip(aRect), [&](int x, int y) {
            if (At(x, y).DistanceTo(anOther.At(x, y)) > aTolerance)
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        });
        if (right < 0)
            return {};
        return {left, top, right - left + 1, bottom - top + 1};
    }

    float Screenshot::ColourfulShare(const Rect& aRect, float aSpread) const
    {
        size_t hits = 0;
        const size_t count = ForEach(Clip(aRect), [&](int x, int y) {
            const Rgb c = At(x, y);
            hits += std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > aSpread ? 1u : 0u;
        });
        return count == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(count);
    }

    Screenshot Screenshot::LoadPng(const std::filesystem::path& aPath)
    {
        Plat::Image::ImageData image;
        if (!Plat::Image::DecodeImageFile(aPath, Plat::Image::LoadDefault, image) || image.subresources.empty() ||
            (image.format != Plat::Image::DxgiFormat::R8G8B8A8_Unorm && image.format != Plat::Image::DxgiFormat::R8G8B8A8_Unorm_Srgb))
            return {};
        const Plat::Image::Subresource& top = image.subresources[0];
        std::vector<uint8_t> pixels;
        pixels.reserve(static_cast<size_t>(top.width) * top.height * 3u);
        for (uint32_t y = 0; y < top.height; ++y)
        {
            const uint8_t* row = image.Data(top) + static_cast<size_t>(y) * top.rowPitch;
            for (uint32_t x = 0; x < top.width; ++x)
                pixels.insert(pixels.end(), row + x * 4u, row + x * 4u + 3u);
        }
        return Screenshot(static_cast<int>(top.width), static_cast<int>(top.height), std::move(pixels));
    }

    bool Screenshot::SavePng(const std::filesystem::path& aPath, int aWidth) const
    {
        return !IsEmpty() && KilnTest::WritePng(aPath, myWidth, myHeight, myPixels, "rgb", aWidth);
    }
}

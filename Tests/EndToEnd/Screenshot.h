#pragma once
// One capture of the X screen (8-bit RGB, rows from the top) and the measures the
// end-to-end checks make on it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace KilnE2E
{
    struct Rgb
    {
        float r = 0.0f;
        float g = 0.0f;
        float b = 0.0f;

        float Luma() const { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }
        // Largest channel difference, 0..255.
        float DistanceTo(const Rgb& anOther) const;
    };

    // Pixel rectangle, top-left origin, clipped to the picture where used.
    struct Rect
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    class Screenshot
    {
    public:
        Screenshot() = default;
        Screenshot(int aWidth, int aHeight, std::vector<uint8_t> somePixels);

        bool IsEmpty() const { return myPixels.empty(); }
        int GetWidth() const { return myWidth; }
        int GetHeight() const { return myHeight; }
        Rect Whole() const { return {0, 0, myWidth, myHeight}; }

        Rgb At(int anX, int aY) const;
        // Share (0..1) of the rectangle's pixels whose luma is above aLuma.
        float BrightShare(const Rect& aRect, float aLuma) const;
        // Share of the rectangle's pixels that differ from anOther's by more than aTolerance.
        float ChangedShare(const Screenshot& anOther, const Rect& aRect, float aTolerance) const;

        // Writes a PNG (through ImageMagick), scaled to aWidth when it is not 0.
        bool SavePng(const std::filesystem::path& aPath, int aWidth = 0) const;

    private:
        Rect Clip(const Rect& aRect) const;

        int myWidth = 0;
        int myHeight = 0;
        std::vector<uint8_t> myPixels;
    };
}

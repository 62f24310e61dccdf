#pragma once
// A game picture (a DDS texture as the game ships it, 8-bit RGBA, top mip) and how much of
// it a capture shows where the game should have drawn it.
#include "EndToEnd/Screenshot.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace KilnE2E
{
    class Picture
    {
    public:
        // False when the file cannot be read as 8-bit RGBA.
        bool Load(const std::filesystem::path& aDdsFile);

        int GetWidth() const { return myWidth; }
        int GetHeight() const { return myHeight; }

        // The picture stretched over aPlace (screen pixels; it may reach off screen): the
        // share of its opaque texels on screen whose captured colour is within aTolerance
        // (largest channel difference). 0 when none of it is on screen. With aMinimumLuma only
        // the texels at least that bright count (dark texels match any dark ground).
        float MatchShare(const Screenshot& aShot, const Rect& aPlace, float aTolerance, float aMinimumLuma = 0.0f) const;

        // The texel (R, G, B, A, 0..255) drawn at screen pixel (anX, aY) when the picture is
        // stretched over aPlace; alpha 0 outside it.
        void Sample(const Rect& aPlace, int anX, int aY, float someRgba[4]) const;

    private:
        int myWidth = 0;
        int myHeight = 0;
        // R, G, B, A per texel, top row first.
        std::vector<uint8_t> myTexels;
    };
}

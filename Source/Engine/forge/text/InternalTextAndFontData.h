#pragma once
// A font rasterised once into a 1024 x 1024 atlas, shared by every text that uses the
// same file, size and outline.
#include "forge/text/Glyph.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kiln
{
    class Texture;

    class InternalTextAndFontData
    {
    public:
        InternalTextAndFontData();
        ~InternalTextAndFontData();
        InternalTextAndFontData(const InternalTextAndFontData&) = delete;
        InternalTextAndFontData& operator=(const InternalTextAndFontData&) = delete;

        // Indexed by character code; only 32 to 255 are ever filled.
        std::array<Glyph, 1024> myGlyphs{};
        uint32_t myAtlasWidth = 1024;
        uint32_t myAtlasHeight = 1024;
        float myLineHeight = 0.0f;
        int32_t mySpaceWidth = 0;
        uint32_t myFontSize = 0;
        // RGBA texels, red in the lowest byte; kept after upload.
        std::vector<uint32_t> myAtlasPixels;
        std::string myKey;
        // The atlas uploaded with its mip chain; null until then (and when that failed).
        std::unique_ptr<Texture> myAtlasTexture;
    };
}

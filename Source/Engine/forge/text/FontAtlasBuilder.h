#pragma once
// Rasterises the characters 32 to 255 of a TrueType face into the CPU side of a font:
// glyph records, the RGBA atlas pixels, line height and space width. No GPU work here.
#include <cstdint>
#include <string>

typedef struct FT_LibraryRec_* FT_Library;

namespace Kiln
{
    class InternalTextAndFontData;

    namespace FontAtlasBuilder
    {
        constexpr uint32_t ATLAS_SIZE = 1024;
        constexpr int FIRST_CHARACTER = 32;
        constexpr int LAST_CHARACTER = 255;

        // Fills someFont's glyphs, atlas pixels, space width and line height from the face
        // in aFontFile at aPixelSize with an outline of anOutlineWidth pixels. False when
        // the face cannot be opened or sized; the font is then unusable.
        bool Build(FT_Library aLibrary, const std::string& aFontFile, uint32_t aPixelSize,
                   uint8_t anOutlineWidth, InternalTextAndFontData& someFont);
    }
}

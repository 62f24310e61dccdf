#include "forge/text/FontAtlasBuilder.h"

#include "forge/text/InternalTextAndFontData.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cstring>

namespace Kiln::FontAtlasBuilder
{
    namespace
    {
        constexpr uint32_t RGBA_CHANNEL_MASK = 0xFFu;

        // Coverage of one bitmap texel as 0..255, whatever the pixel mode FreeType chose.
        uint8_t Coverage(const FT_Bitmap& aBitmap, unsigned aColumn, unsigned aRow)
        {
            const int pitch = aBitmap.pitch;
            const unsigned char* row = pitch >= 0
                ? aBitmap.buffer + static_cast<size_t>(aRow) * static_cast<size_t>(pitch)
                : aBitmap.buffer + static_cast<size_t>(aBitmap.rows - 1 - aRow) * static_cast<size_t>(-pitch);
            switch (aBitmap.pixel_mode)
            {
            case FT_PIXEL_MODE_GRAY:
                return row[aColumn];
            case FT_PIXEL_MODE_MONO:
                return (row[aColumn >> 3] & (0x80 >> (aColumn & 7))) ? 255 : 0;
            default:
                return 0;
            }
        }

        bool HasBitmap(const FT_Bitmap& aBitmap)
        {
            return aBitmap.buffer != nullptr && aBitmap.width > 0 && aBitmap.rows > 0;
        }

        // (-1, -1) moves a bitmap whose leftmost column / top row is empty one texel up-left.
        struct BitmapShift
        {
            int x = 0;
            int y = 0;
        };

        BitmapShift Measure(const FT_Bitmap& aBitmap)
        {
            BitmapShift shift;
            if (!HasBitmap(aBitmap))
                return shift;
            bool leftCovered = false;
            for (unsigned j = 0; j < aBitmap.rows && !leftCovered; ++j)
                leftCovered = Coverage(aBitmap, 0, j) != 0;
            bool topCovered = false;
            for (unsigned i = 0; i < aBitmap.width && !topCovered; ++i)
                topCovered = Coverage(aBitmap, i, 0) != 0;
            shift.x = leftCovered ? 0 : -1;
            shift.y = topCovered ? 0 : -1;
            return shift;
        }

        bool InsideAtlas(long aX, long aY)
        {
            return aX >= 0 && aY >= 0 && aX < static_cast<long>(ATLAS_SIZE) && aY < static_cast<long>(ATLAS_SIZE);
        }

        uint32_t Grey(uint8_t g)
        {
            const uint32_t v = g & RGBA_CHANNEL_MASK;
            return v | (v << 8) | (v << 16) | (v << 24);
        }

        // Black texels whose alpha is the stroked outline's coverage, replacing what is there.
        void DrawOutline(FT_Face aFace, int aCharacter, uint8_t anOutlineWidth, long aX, long aY,
                         std::vector<uint32_t>& someAtlas)
        {
            if (FT_Load_Char(aFace, static_cast<FT_ULong>(aCharacter), FT_LOAD_NO_BITMAP) != 0)
                return;
            FT_Glyph glyph = nullptr;
            if (FT_Get_Glyph(aFace->glyph, &glyph) != 0)
                return;
            FT_Stroker stroker = nullptr;
            if (FT_Stroker_New(aFace->glyph->library, &stroker) != 0)
            {
                FT_Done_Glyph(glyph);
                return;
            }
            FT_Stroker_Set(stroker, static_cast<FT_Fixed>(anOutlineWidth) * 64, FT_STROKER_LINECAP_ROUND,
                           FT_STROKER_LINEJOIN_ROUND, 0);
            // Both calls destroy the glyph they replace, also on failure.
            if (FT_Glyph_StrokeBorder(&glyph, stroker, false, true) == 0 &&
                FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, true) == 0 &&
                glyph->format == FT_GLYPH_FORMAT_BITMAP)
            {
                const FT_Bitmap& bitmap = reinterpret_cast<FT_BitmapGlyph>(glyph)->bitmap;
                if (HasBitmap(bitmap))
                {
                    const BitmapShift shift = Measure(bitmap);
                    for (unsigned j = 0; j < bitmap.rows; ++j)
                    {
                        for (unsigned i = 0; i < bitmap.width; ++i)
                        {
                            const long tx = aX + static_cast<long>(i);
                            const long ty = aY + shift.y + static_cast<long>(j);
                            if (InsideAtlas(tx, ty))
                                someAtlas[static_cast<size_t>(ty) * ATLAS_SIZE + static_cast<size_t>(tx)] =
                                    static_cast<uint32_t>(Coverage(bitmap, i, j)) << 24;
                        }
                    }
                }
            }
            FT_Stroker_Done(stroker);
            FT_Done_Glyph(glyph);
        }

        struct Packer
        {
            long x = 2;
            long y = 2;
            long rowBottom = 0;
        };

        void PackCharacter(FT_Face aFace, int aCharacter, uint8_t anOutline, Packer& aPen,
                           InternalTextAndFontData& someFont)
        {
            if (FT_Load_Char(aFace, static_cast<FT_ULong>(aCharacter), FT_LOAD_RENDER) != 0)
                return;
            const long b = anOutline;
            if (static_cast<long>(aFace->glyph->bitmap.width) + 2 * b + aPen.x > static_cast<long>(ATLAS_SIZE))
            {
                aPen.x = 2;
                aPen.y = aPen.rowBottom;
            }

            // Re-rendered after the outline pass, which loads the glyph without a bitmap.
            const auto fitsAtlas = [&](long w, long h) {
                return aPen.x + w + 2 * b <= static_cast<long>(ATLAS_SIZE) &&
                       aPen.y + h + 2 * b <= static_cast<long>(ATLAS_SIZE);
            };
            if (!fitsAtlas(static_cast<long>(aFace->glyph->bitmap.width), static_cast<long>(aFace->glyph->bitmap.rows)))
                return; // the atlas is full; the pen stays
            if (b > 0)
            {
                DrawOutline(aFace, aCharacter, anOutline, aPen.x, aPen.y, someFont.myAtlasPixels);
                if (FT_Load_Char(aFace, static_cast<FT_ULong>(aCharacter), FT_LOAD_RENDER) != 0)
                    return;
            }

            const FT_GlyphSlot slot = aFace->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            const long w = static_cast<long>(bitmap.width);
            const long h = static_cast<long>(bitmap.rows);
            if (!fitsAtlas(w, h))
                return;

            Glyph& glyph = someFont.myGlyphs[static_cast<size_t>(aCharacter)];
            constexpr float atlas = static_cast<float>(ATLAS_SIZE);
            glyph.uLeft = static_cast<float>(aPen.x) / atlas;
            glyph.vTop = static_cast<float>(aPen.y) / atlas;
            glyph.uRight = static_cast<float>(aPen.x + w + 2 * b) / atlas;
            glyph.vBottom = static_cast<float>(aPen.y + h + 2 * b) / atlas;

            if (HasBitmap(bitmap))
            {
                const BitmapShift shift = Measure(bitmap);
                for (unsigned j = 0; j < bitmap.rows; ++j)
                {
                    for (unsigned i = 0; i < bitmap.width; ++i)
                    {
                        const long tx = aPen.x + b + shift.x + static_cast<long>(i);
                        const long ty = aPen.y + b + shift.y + static_cast<long>(j);
                        if (InsideAtlas(tx, ty))
                            someFont.myAtlasPixels[static_cast<size_t>(ty) * ATLAS_SIZE + static_cast<size_t>(tx)] |=
                                Grey(Coverage(bitmap, i, j));
                    }
                    aPen.rowBottom = std::max(aPen.rowBottom, aPen.y + 8 + static_cast<long>(j));
                }
            }
            // A wide outline makes a cell taller and wider than the usual gap of 8 texels;
            // keep the next row and the next cell clear of it.
            if (h > 0 && 2 * b > 7)
                aPen.rowBottom = std::max(aPen.rowBottom, aPen.y + h + 2 * b);

            glyph.width = static_cast<int16_t>(w + 2 * b);
            glyph.height = static_cast<int16_t>(h + 2 * b);
            glyph.horizontalAdvance = static_cast<int16_t>(slot->advance.x >> 6);
            glyph.verticalAdvance = static_cast<int16_t>(slot->advance.y >> 6);
            glyph.leftBearing = static_cast<int16_t>(slot->bitmap_left);
            glyph.topBearing = static_cast<int16_t>(slot->bitmap_top);
            glyph.character = static_cast<uint8_t>(aCharacter);

            aPen.x += w + std::max<long>(8, 2 * b);
        }
    }

    bool Build(FT_Library aLibrary, const std::string& aFontFile, uint32_t aPixelSize, uint8_t anOutlineWidth,
               InternalTextAndFontData& someFont)
    {
        someFont.myAtlasPixels.assign(static_cast<size_t>(ATLAS_SIZE) * ATLAS_SIZE, 0u);
        someFont.myFontSize = aPixelSize;
        if (aLibrary == nullptr || aFontFile.empty())
            return false;

        FT_Face face = nullptr;
        if (FT_New_Face(aLibrary, aFontFile.c_str(), 0, &face) != 0)
            return false;
        if (FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(aPixelSize) * 64, 0, 100, 100) != 0 ||
            FT_Load_Char(face, 'x', FT_LOAD_DEFAULT) != 0)
        {
            FT_Done_Face(face);
            return false;
        }
        someFont.mySpaceWidth = static_cast<int32_t>(face->glyph->metrics.width / 256);

        Packer pen;
        for (int c = FIRST_CHARACTER; c <= LAST_CHARACTER; ++c)
            PackCharacter(face, c, anOutlineWidth, pen, someFont);

        someFont.myAtlasWidth = ATLAS_SIZE;
        someFont.myAtlasHeight = ATLAS_SIZE;
        someFont.myLineHeight = static_cast<float>((face->ascender - face->descender) >> 6);
        FT_Done_Face(face);
        return true;
    }
}

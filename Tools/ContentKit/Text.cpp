#include "ContentKit/Canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace ContentKit
{
    struct Font::Impl
    {
        FT_Library library = nullptr;
        FT_Face face = nullptr;

        ~Impl()
        {
            if (face)
                FT_Done_Face(face);
            if (library)
                FT_Done_FreeType(library);
        }
    };

    namespace
    {
        // Next code point of UTF-8 text; malformed bytes read as U+FFFD, one byte each.
        char32_t NextCodePoint(std::string_view aText, size_t& anIndex)
        {
            const auto byte = [&](size_t i) { return uint8_t(aText[i]); };
            const uint8_t lead = byte(anIndex);
            int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
            if (extra < 0 || anIndex + size_t(extra) >= aText.size())
            {
                ++anIndex;
                return 0xFFFD;
            }
            char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
            for (int i = 1; i <= extra; ++i)
            {
                if ((byte(anIndex + size_t(i)) & 0xC0) != 0x80)
                {
                    ++anIndex;
                    return 0xFFFD;
                }
                code = (code << 6) | (byte(anIndex + size_t(i)) & 0x3F);
            }
            anIndex += size_t(extra) + 1;
            return code;
        }

        bool SetSize(FT_Face aFace, float aPixelHeight)
        {
            return FT_Set_Pixel_Sizes(aFace, 0, FT_UInt(std::max(1.0f, std::round(aPixelHeight)))) == 0;
        }
    }

    Font::Font(const std::filesystem::path& aFile)
        : myImpl(std::make_unique<Impl>())
    {
        if (FT_Init_FreeType(&myImpl->library) != 0)
        {
            myImpl->library = nullptr;
            return;
        }
        if (FT_New_Face(myImpl->library, aFile.string().c_str(), 0, &myImpl->face) != 0)
            myImpl->face = nullptr;
    }

    Font::~Font() = default;
    Font::Font(Font&&) noexcept = default;
    Font& Font::operator=(Font&&) noexcept = default;

    bool Font::IsValid() const
    {
        return myImpl && myImpl->face;
    }

    float Font::Measure(std::string_view aUtf8, float aPixelHeight) const
    {
        if (!IsValid() || !SetSize(myImpl->face, aPixelHeight))
            return 0.0f;
        FT_Face face = myImpl->face;
        float advance = 0.0f;
        FT_UInt previous = 0;
        for (size_t i = 0; i < aUtf8.size();)
        {
            const FT_UInt glyph = FT_Get_Char_Index(face, NextCodePoint(aUtf8, i));
            if (previous && glyph && FT_HAS_KERNING(face))
            {
                FT_Vector kern;
                if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern) == 0)
                    advance += float(kern.x) / 64.0f;
            }
            if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0)
                advance += float(face->glyph->advance.x) / 64.0f;
            previous = glyph;
        }
        return advance;
    }

    float Font::Ascent(float aPixelHeight) const
    {
        if (!IsValid() || !SetSize(myImpl->face, aPixelHeight))
            return 0.0f;
        return float(myImpl->face->size->metrics.ascender) / 64.0f;
    }

    float Canvas::DrawText(const Font& aFont, std::string_view aUtf8, Vec2 anOrigin, float aPixelHeight, const Paint& aPaint)
    {
        if (!aFont.IsValid() || !SetSize(aFont.myImpl->face, aPixelHeight))
            return 0.0f;
        FT_Face face = aFont.myImpl->face;
        float penX = anOrigin.x;
        FT_UInt previous = 0;
        for (size_t i = 0; i < aUtf8.size();)
        {
            const FT_UInt glyph = FT_Get_Char_Index(face, NextCodePoint(aUtf8, i));
            if (previous && glyph && FT_HAS_KERNING(face))
            {
                FT_Vector kern;
                if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern) == 0)
                    penX += float(kern.x) / 64.0f;
            }
            previous = glyph;
            if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0)
                continue;
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
            {
                const int left = int(std::lround(penX)) + slot->bitmap_left;
                const int top = int(std::lround(anOrigin.y)) - slot->bitmap_top;
                for (unsigned row = 0; row < bitmap.rows; ++row)
                {
                    const int y = top + int(row);
                    if (y < 0 || y >= myHeight)
                        continue;
                    const unsigned char* line = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
                    for (unsigned col = 0; col < bitmap.width; ++col)
                    {
                        const int x = left + int(col);
                        if (x < 0 || x >= myWidth || line[col] == 0)
                            continue;
                        Composite(x, y, aPaint.At({float(x) + 0.5f, float(y) + 0.5f}), float(line[col]) / 255.0f);
                    }
                }
            }
            penX += float(slot->advance.x) / 64.0f;
        }
        return penX - anOrigin.x;
    }

    std::filesystem::path DefaultFontPath(bool aBold)
    {
        return aBold ? "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"
                     : "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
    }
}

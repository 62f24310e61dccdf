#include "forge/text/FontAtlasBuilder.h"
#include "forge/text/InternalTextAndFontData.h"

#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <fstream>
#include <memory>

namespace
{
    using Kiln::InternalTextAndFontData;
    namespace FontAtlasBuilder = Kiln::FontAtlasBuilder;

    // The font the build installs for the game ("Text/arial.ttf" under the engine assets).
    std::string GameFontPath()
    {
        return (Plat::Runtime::ExecutableDirectory() / "assets/engine/Text/arial.ttf").string();
    }

    class FontAtlasBuilderTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_EQ(FT_Init_FreeType(&myLibrary), 0);
            ASSERT_TRUE(std::filesystem::exists(GameFontPath())) << GameFontPath();
        }
        void TearDown() override { FT_Done_FreeType(myLibrary); }

        std::unique_ptr<InternalTextAndFontData> Build(uint32_t aSize, uint8_t anOutline)
        {
            auto font = std::make_unique<InternalTextAndFontData>();
            EXPECT_TRUE(FontAtlasBuilder::Build(myLibrary, GameFontPath(), aSize, anOutline, *font));
            return font;
        }

        FT_Library myLibrary = nullptr;
    };

    struct Cell
    {
        int left, top, right, bottom; // texels, right and bottom exclusive
    };

    Cell CellOf(const Kiln::Glyph& g)
    {
        return {static_cast<int>(g.uLeft * 1024.0f + 0.5f), static_cast<int>(g.vTop * 1024.0f + 0.5f),
                static_cast<int>(g.uRight * 1024.0f + 0.5f), static_cast<int>(g.vBottom * 1024.0f + 0.5f)};
    }

    bool HasArea(const Kiln::Glyph& g) { return g.width > 0 && g.height > 0; }

    uint32_t Texel(const InternalTextAndFontData& aFont, int x, int y)
    {
        return aFont.myAtlasPixels[static_cast<size_t>(y) * 1024 + static_cast<size_t>(x)];
    }

    bool CellsOverlap(const Cell& a, const Cell& b)
    {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    }

    TEST_F(FontAtlasBuilderTest, PacksPrintableCharactersIntoSeparateInkedCells)
    {
        const auto font = Build(14, 0);
        EXPECT_EQ(font->myAtlasWidth, 1024u);
        EXPECT_EQ(font->myAtlasHeight, 1024u);
        EXPECT_EQ(font->myFontSize, 14u);
        ASSERT_EQ(font->myAtlasPixels.size(), 1024u * 1024u);

        for (int c = 0; c < 1024; ++c)
        {
            const Kiln::Glyph& g = font->myGlyphs[static_cast<size_t>(c)];
            if (c < 32 || c > 255)
            {
                EXPECT_EQ(g.width, 0) << c;
                EXPECT_EQ(g.uRight, 0.0f) << c;
                EXPECT_EQ(g.character, 0) << c;
            }
        }

        int inked = 0;
        for (int c = 33; c < 127; ++c)
        {
            const Kiln::Glyph& g = font->myGlyphs[static_cast<size_t>(c)];
            ASSERT_TRUE(HasArea(g)) << char(c);
            EXPECT_EQ(g.character, c);
            const Cell cell = CellOf(g);
            EXPECT_EQ(cell.right - cell.left, g.width);
            EXPECT_EQ(cell.bottom - cell.top, g.height);
            EXPECT_GE(cell.left, 1);
            EXPECT_LE(cell.right, 1024);
            EXPECT_LE(cell.bottom, 1024);
            // Coverage lies in the cell (a bitmap with an empty first column/row shifts one texel up-left).
            bool ink = false;
            for (int y = cell.top - 1; y < cell.bottom; ++y)
                for (int x = cell.left - 1; x < cell.right; ++x)
                    ink = ink || (Texel(*font, x, y) >> 24) != 0;
            EXPECT_TRUE(ink) << char(c);
            inked += ink ? 1 : 0;
            for (int d = c + 1; d < 256; ++d)
            {
                const Kiln::Glyph& other = font->myGlyphs[static_cast<size_t>(d)];
                if (HasArea(other))
                {
                    EXPECT_FALSE(CellsOverlap(cell, CellOf(other))) << char(c) << " and " << d;
                }
            }
        }
        EXPECT_EQ(inked, 126 - 33 + 1);

        // Glyph texels are grey levels with alpha equal to the coverage.
        const Cell a = CellOf(font->myGlyphs['A']);
        uint32_t brightest = 0;
        for (int y = a.top; y < a.bottom; ++y)
            for (int x = a.left; x < a.right; ++x)
                brightest = std::max(brightest, Texel(*font, x, y));
        EXPECT_EQ(brightest, 0xFFFFFFFFu);

        // Everything far from every cell stays empty.
        EXPECT_EQ(Texel(*font, 1023, 1023), 0u);
        EXPECT_EQ(Texel(*font, 0, 0), 0u);
    }

    TEST_F(FontAtlasBuilderTest, SizesAtOneHundredDotsPerInchAndMeasuresSpaceAndLines)
    {
        const auto font = Build(30, 0);
        // 30 points at 100 dpi: an em of 41.7 pixels; a capital H is about 0.72 em tall.
        const Kiln::Glyph& h = font->myGlyphs['H'];
        EXPECT_NEAR(h.height, 30.0 * 100.0 / 72.0 * 0.716, 2.0);
        EXPECT_EQ(h.topBearing, h.height);
        EXPECT_GT(h.horizontalAdvance, h.width);
        EXPECT_EQ(h.verticalAdvance, 0);
        // A quarter of the width of 'x' in pixels.
        const Kiln::Glyph& x = font->myGlyphs['x'];
        EXPECT_NEAR(font->mySpaceWidth, x.width / 4.0, 1.0);
        EXPECT_GT(font->mySpaceWidth, 0);
        // A space has an advance but no bitmap.
        const Kiln::Glyph& space = font->myGlyphs[' '];
        EXPECT_EQ(space.width, 0);
        EXPECT_EQ(space.height, 0);
        EXPECT_GT(space.horizontalAdvance, 0);
        EXPECT_EQ(space.character, ' ');
        // (ascender - descender) in design units, shifted right by 6: 2288 >> 6 for this face.
        EXPECT_FLOAT_EQ(font->myLineHeight, 35.0f);
        // Descenders reach below the baseline.
        EXPECT_LT(font->myGlyphs['g'].topBearing, font->myGlyphs['g'].height);
    }

    TEST_F(FontAtlasBuilderTest, OutlineWidensCellsAndDrawsBlackBorder)
    {
        const auto plain = Build(30, 0);
        const auto outlined = Build(30, 2);
        const Kiln::Glyph& a = plain->myGlyphs['O'];
        const Kiln::Glyph& b = outlined->myGlyphs['O'];
        EXPECT_EQ(b.width, a.width + 4);
        EXPECT_EQ(b.height, a.height + 4);

        // The outline is black with coverage in alpha; the fill is grey on top of it.
        const Cell cell = CellOf(b);
        int black = 0, grey = 0;
        for (int y = cell.top - 1; y < cell.bottom; ++y)
        {
            for (int x = cell.left - 1; x < cell.right; ++x)
            {
                const uint32_t t = Texel(*outlined, x, y);
                if ((t >> 24) != 0 && (t & 0xFFFFFFu) == 0)
                    ++black;
                if ((t & 0xFFu) == 0xFFu)
                    ++grey;
            }
        }
        EXPECT_GT(black, 20);
        EXPECT_GT(grey, 20);
        // Left column of the cell: only outline, no fill (the fill starts 2 texels in).
        bool fillInLeftColumn = false;
        for (int y = cell.top; y < cell.bottom; ++y)
            fillInLeftColumn = fillInLeftColumn || (Texel(*outlined, cell.left, y) & 0xFFu) != 0;
        EXPECT_FALSE(fillInLeftColumn);
    }

    TEST_F(FontAtlasBuilderTest, WideOutlinesNeverShareTexels)
    {
        const auto font = Build(20, 6);
        for (int c = 32; c < 256; ++c)
        {
            const Kiln::Glyph& g = font->myGlyphs[static_cast<size_t>(c)];
            if (!HasArea(g))
                continue;
            for (int d = c + 1; d < 256; ++d)
            {
                const Kiln::Glyph& other = font->myGlyphs[static_cast<size_t>(d)];
                if (HasArea(other))
                {
                    ASSERT_FALSE(CellsOverlap(CellOf(g), CellOf(other))) << c << " and " << d;
                }
            }
        }
    }

    TEST_F(FontAtlasBuilderTest, FullAtlasSkipsWhatNoLongerFits)
    {
        const auto font = Build(160, 3);
        int placed = 0, skipped = 0;
        for (int c = 33; c < 256; ++c)
        {
            const Kiln::Glyph& g = font->myGlyphs[static_cast<size_t>(c)];
            if (HasArea(g))
            {
                ++placed;
                EXPECT_LE(g.uRight, 1.0f);
                EXPECT_LE(g.vBottom, 1.0f);
            }
            else if (g.character == 0)
            {
                ++skipped;
                EXPECT_EQ(g.uLeft, 0.0f);
                EXPECT_EQ(g.horizontalAdvance, 0);
            }
        }
        EXPECT_GT(placed, 10);
        EXPECT_GT(skipped, 10);
    }

    TEST_F(FontAtlasBuilderTest, UnreadableFontsFail)
    {
        InternalTextAndFontData font;
        EXPECT_FALSE(FontAtlasBuilder::Build(myLibrary, "/nonexistent/arial.ttf", 14, 0, font));
        EXPECT_FALSE(FontAtlasBuilder::Build(myLibrary, "", 14, 0, font));

        const auto dir = std::filesystem::temp_directory_path() /
                         ("kiln_font_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                          std::to_string(reinterpret_cast<uintptr_t>(&font)));
        std::filesystem::create_directories(dir);
        const auto garbage = dir / "broken.ttf";
        std::ofstream(garbage) << "this is not a font";
        EXPECT_FALSE(FontAtlasBuilder::Build(myLibrary, garbage.string(), 14, 0, font));
        std::filesystem::remove_all(dir);
    }
}

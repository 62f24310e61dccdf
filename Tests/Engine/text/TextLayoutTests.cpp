#include "forge/text/TextLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    using Kiln::InternalTextAndFontData;
    using Kiln::TextGlyphQuad;

    // A hand-made font, so the expected positions follow from the numbers alone.
    std::unique_ptr<InternalTextAndFontData> MakeFont()
    {
        auto font = std::make_unique<InternalTextAndFontData>();
        font->mySpaceWidth = 3;
        auto set = [&](unsigned char c, int16_t w, int16_t h, int16_t adv, int16_t left, int16_t top) {
            Kiln::Glyph& g = font->myGlyphs[c];
            g.width = w;
            g.height = h;
            g.horizontalAdvance = adv;
            g.leftBearing = left;
            g.topBearing = top;
            g.character = c;
            g.uLeft = c / 1024.0f;
            g.vTop = 0.25f;
            g.uRight = (c + w) / 1024.0f;
            g.vBottom = 0.5f;
        };
        set('a', 8, 10, 11, 1, 10);
        set('b', 9, 14, 12, 2, 14);
        set(' ', 0, 0, 5, 0, 0);
        return font;
    }

    std::vector<TextGlyphQuad> Layout(const InternalTextAndFontData& aFont, std::string_view aText, float aScale = 1.0f)
    {
        std::vector<TextGlyphQuad> quads;
        Kiln::LayoutText(aFont, aText, aScale, [&](const TextGlyphQuad& q) { quads.push_back(q); });
        return quads;
    }

    TEST(TextLayout, LineBreakReturnsToColumnZeroBelowTallestGlyph)
    {
        const auto font = MakeFont();
        const auto quads = Layout(*font, "a\nb");
        ASSERT_EQ(quads.size(), 3u);
        EXPECT_EQ(quads[0].origin, Kiln::Vector2f(1.0f, 10.0f));
        EXPECT_EQ(quads[0].size, Kiln::Vector2f(8.0f, 10.0f));
        // The break itself is an empty quad at the pen.
        EXPECT_EQ(quads[1].character, '\n');
        EXPECT_EQ(quads[1].size, Kiln::Vector2f(0.0f, 0.0f));
        EXPECT_EQ(quads[1].origin, Kiln::Vector2f(11.0f, 0.0f));
        // 'b' starts at x 0 (plus its bearing) with the pen lowered by 10 + 6.
        EXPECT_EQ(quads[2].origin, Kiln::Vector2f(2.0f, 14.0f - 16.0f));

        // The tallest glyph so far counts, also one from an earlier line.
        const auto twoBreaks = Layout(*font, "b\na\na");
        EXPECT_EQ(twoBreaks[4].origin.y, 10.0f - 2.0f * (14.0f + 6.0f));
    }

    TEST(TextLayout, SpaceAdvancesByItsAdvancePlusSpaceWidth)
    {
        const auto font = MakeFont();
        const auto quads = Layout(*font, "a b", 2.0f);
        ASSERT_EQ(quads.size(), 3u);
        EXPECT_EQ(quads[1].origin, Kiln::Vector2f(11.0f * 2.0f, 0.0f));
        EXPECT_EQ(quads[2].origin.x, (2.0f + 11.0f + 5.0f + 3.0f) * 2.0f);
        EXPECT_EQ(quads[2].size, Kiln::Vector2f(18.0f, 28.0f));
        // Bytes above 127 select their own (here empty) records instead of wrapping negative.
        const auto high = Layout(*font, "\xE9" "a");
        EXPECT_EQ(high[0].character, 0xE9);
        EXPECT_EQ(high[1].origin.x, 1.0f);
    }

    TEST(TextLayout, BoxCentreCoversInkOnly)
    {
        const auto font = MakeFont();
        // "ab": 'a' spans x 1..9, y 0..10; 'b' spans x 13..22, y 0..14.
        const Kiln::Vector2f c = Kiln::GetTextBoxCenter(*font, "ab", 1.0f);
        EXPECT_FLOAT_EQ(c.x, (1.0f + 22.0f) / 2.0f);
        EXPECT_FLOAT_EQ(c.y, 7.0f);
        // A text starting with a break lies wholly below the origin; so does its centre.
        const Kiln::Vector2f below = Kiln::GetTextBoxCenter(*font, "\na", 1.0f);
        EXPECT_FLOAT_EQ(below.x, 5.0f);
        EXPECT_FLOAT_EQ(below.y, (10.0f - 6.0f + -6.0f) / 2.0f);
        EXPECT_EQ(Kiln::GetTextBoxCenter(*font, "  ", 1.0f), Kiln::Vector2f(0.0f, 0.0f));
    }

    TEST(TextLayout, GlyphSpritesCarryTheCellAndTurnAboutTheCentre)
    {
        const auto font = MakeFont();
        const auto quads = Layout(*font, "a");
        const Kiln::Color color(0.2f, 0.4f, 0.6f, 0.8f);

        const auto upright = Kiln::MakeGlyphSprite(quads[0], {100.0f, 50.0f}, color, 0.0f, {});
        EXPECT_EQ(upright.myPosition, Kiln::Vector2f(101.0f, 60.0f));
        EXPECT_EQ(upright.myPivot, Kiln::Vector2f(0.0f, 0.0f));
        EXPECT_EQ(upright.mySize, Kiln::Vector2f(8.0f, 10.0f));
        EXPECT_EQ(upright.myTextureRect, Kiln::Vector4f(0.0f, 0.0f, 1.0f, 1.0f));
        EXPECT_EQ(upright.myCustomData, Kiln::Vector4f('a' / 1024.0f, 0.25f, ('a' + 8) / 1024.0f, 0.5f));
        EXPECT_EQ(upright.myColor, color);
        EXPECT_EQ(upright.myRotation, 0.0f);
        EXPECT_FALSE(upright.myIsHidden);

        // A quarter turn about (5, 5): corner (1, 10) goes to (0, 1).
        const float quarter = 3.14159265f / 2.0f;
        const auto turned = Kiln::MakeGlyphSprite(quads[0], {100.0f, 50.0f}, color, quarter, {5.0f, 5.0f});
        EXPECT_NEAR(turned.myPosition.x, 100.0f, 1e-4f);
        EXPECT_NEAR(turned.myPosition.y, 51.0f, 1e-4f);
        EXPECT_EQ(turned.myRotation, quarter);
    }
}

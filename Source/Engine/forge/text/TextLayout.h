#pragma once
// Where each byte of a text lands: one quad per byte, '\n' and ' ' included. Quads are
// in sprite space (y up): the origin is the quad's top-left corner.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/math/Vector.h"
#include "forge/text/InternalTextAndFontData.h"

#include <algorithm>
#include <string_view>

namespace Kiln
{
    struct TextGlyphQuad
    {
        unsigned char character = 0;
        const Glyph* glyph = nullptr;
        Vector2f origin;
        Vector2f size;
    };

    // Line gap added below the tallest glyph seen so far at every '\n'.
    constexpr float TEXT_LINE_SPACING = 6.0f;

    // Calls aVisitor(const TextGlyphQuad&) for every byte of aText, in order.
    template <typename Visitor>
    void LayoutText(const InternalTextAndFontData& aFont, std::string_view aText, float aScale, Visitor&& aVisitor)
    {
        float penX = 0.0f;
        float penY = 0.0f;
        float maxHeight = 0.0f;
        for (const char byte : aText)
        {
            const unsigned char c = static_cast<unsigned char>(byte);
            const Glyph& glyph = aFont.myGlyphs[c];
            maxHeight = std::max(maxHeight, static_cast<float>(glyph.height));

            TextGlyphQuad quad;
            quad.character = c;
            quad.glyph = &glyph;
            quad.origin = {(static_cast<float>(glyph.leftBearing) + penX) * aScale,
                           (static_cast<float>(glyph.topBearing) + penY) * aScale};
            quad.size = {static_cast<float>(glyph.width) * aScale, static_cast<float>(glyph.height) * aScale};
            aVisitor(static_cast<const TextGlyphQuad&>(quad));

            if (c == '\n')
            {
                penX = 0.0f;
                penY -= maxHeight + TEXT_LINE_SPACING;
            }
            else
            {
                penX += static_cast<float>(glyph.horizontalAdvance);
                if (c == ' ')
                    penX += static_cast<float>(aFont.mySpaceWidth);
            }
        }
    }

    // Centre of the smallest box holding every quad that covers an area. Empty quads
    // ('\n', ' ') hold no ink and do not stretch the box; a text without ink turns
    // about the origin.
    Vector2f GetTextBoxCenter(const InternalTextAndFontData& aFont, std::string_view aText, float aScale);

    // The sprite that draws one laid-out quad of a text at aPosition. With a rotation the
    // quad's corner turns about aCenter and the quad turns with it.
    Sprite2DInstanceData MakeGlyphSprite(const TextGlyphQuad& aQuad, const Vector2f& aPosition, const Color& aColor,
                                         float aRotation, const Vector2f& aCenter);
}

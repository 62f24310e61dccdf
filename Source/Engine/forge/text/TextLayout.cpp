#include "forge/text/TextLayout.h"

#include <cmath>
#include <limits>

namespace Kiln
{
    Vector2f GetTextBoxCenter(const InternalTextAndFontData& aFont, std::string_view aText, float aScale)
    {
        constexpr float inf = std::numeric_limits<float>::infinity();
        float minX = inf, minY = inf, maxX = -inf, maxY = -inf;
        LayoutText(aFont, aText, aScale, [&](const TextGlyphQuad& aQuad) {
            if (aQuad.size.x <= 0.0f || aQuad.size.y <= 0.0f)
                return;
            minX = std::min(minX, aQuad.origin.x);
            maxX = std::max(maxX, aQuad.origin.x + aQuad.size.x);
            maxY = std::max(maxY, aQuad.origin.y);
            minY = std::min(minY, aQuad.origin.y - aQuad.size.y);
        });
        if (minX > maxX)
            return {};
        return {(minX + maxX) * 0.5f, (minY + maxY) * 0.5f};
    }

    Sprite2DInstanceData MakeGlyphSprite(const TextGlyphQuad& aQuad, const Vector2f& aPosition, const Color& aColor,
                                         float aRotation, const Vector2f& aCenter)
    {
        Vector2f corner = aQuad.origin;
        if (aRotation != 0.0f)
        {
            const float c = std::cos(aRotation);
            const float s = std::sin(aRotation);
            const Vector2f d = corner - aCenter;
            corner = {d.x * c - d.y * s + aCenter.x, d.x * s + d.y * c + aCenter.y};
        }
        Sprite2DInstanceData sprite;
        sprite.myPosition = corner + aPosition;
        sprite.myPivot = {0.0f, 0.0f};
        sprite.mySize = aQuad.size;
        sprite.mySizeMultiplier = {1.0f, 1.0f};
        sprite.myTextureRect = {0.0f, 0.0f, 1.0f, 1.0f};
        sprite.myColor = aColor;
        sprite.myCustomData = {aQuad.glyph->uLeft, aQuad.glyph->vTop, aQuad.glyph->uRight, aQuad.glyph->vBottom};
        sprite.myRotation = aRotation;
        sprite.myIsHidden = false;
        return sprite;
    }
}

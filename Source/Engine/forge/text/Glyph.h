#pragma once
// One character's place in a font atlas and its metrics, in pixels.
#include <cstdint>

namespace Kiln
{
    struct Glyph
    {
        // The glyph's cell in the atlas, as fractions of the atlas size.
        float uLeft = 0.0f;
        float vTop = 0.0f;
        float uRight = 0.0f;
        float vBottom = 0.0f;
        // Bitmap size plus twice the outline width.
        int16_t width = 0;
        int16_t height = 0;
        int16_t horizontalAdvance = 0;
        int16_t verticalAdvance = 0;
        int16_t leftBearing = 0;
        int16_t topBearing = 0;
        uint8_t character = 0;
    };
}

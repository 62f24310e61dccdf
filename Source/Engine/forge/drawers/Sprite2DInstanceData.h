#pragma once
// One screen-space sprite: a quad placed by position, pivot (in units of its size),
// size and rotation. Sprite space has y up; pivot (0, 0) is the quad's top-left corner.
#include "forge/math/Color.h"
#include "forge/math/Vector.h"

namespace Kiln
{
    struct Sprite2DInstanceData
    {
        Vector2f myPosition{0.0f, 0.0f};
        Vector2f myPivot{0.5f, 0.5f};
        Vector2f mySize{1.0f, 1.0f};
        Vector2f mySizeMultiplier{1.0f, 1.0f};
        // Sub-rectangle (left, top, right, bottom) of the cell, in UV; the whole cell by default.
        Vector4f myTextureRect{0.0f, 0.0f, 1.0f, 1.0f};
        Color myColor{1.0f, 1.0f, 1.0f, 1.0f};
        // The UV cell (left, top, right, bottom) that glyphs and sprite-sheet frames select.
        Vector4f myCustomData{0.0f, 0.0f, 1.0f, 1.0f};
        float myRotation = 0.0f; // radians
        bool myIsHidden = false;
    };
}

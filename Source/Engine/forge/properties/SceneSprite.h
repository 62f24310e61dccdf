#pragma once
// A sprite description as a property holds it.
#include "forge/math/Vector.h"
#include "forge/stringRegistry/StringId.h"

namespace Kiln
{
    struct SceneSprite
    {
        static constexpr int TEXTURE_SLOT_COUNT = 4;

        // Texture paths in the order color, normal, material, effects; null = none.
        StringId myTextures[TEXTURE_SLOT_COUNT];
        Vector2<float> mySize = {100.0f, 100.0f};
        Vector2<float> myPivot = {0.5f, 0.5f};
    };

    static_assert(sizeof(SceneSprite) == 48);
}

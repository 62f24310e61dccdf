#pragma once
// Menu pages are laid out for a 1600 x 900 reference screen and scaled to the render size.
#include "CustomSceneObject.h"

#include "forge/math/Vector.h"
#include "forge/properties/SceneSprite.h"

namespace MenuLayout
{
    constexpr float ReferenceWidth = 1600.0f;
    constexpr float ReferenceHeight = 900.0f;

    inline Kiln::Vector2<float> ScaledPosition(const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize)
    {
        return {anObject.myPosition.x / ReferenceWidth * aRenderSize.x, anObject.myPosition.y / ReferenceHeight * aRenderSize.y};
    }

    inline Kiln::Vector2<float> ScaledScale(const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize)
    {
        return {anObject.myScale.x / ReferenceWidth * aRenderSize.x, anObject.myScale.y / ReferenceHeight * aRenderSize.y};
    }

    // The colour (slot 0) or another texture path of a sprite property; "" when unset.
    inline const char* TexturePath(const Kiln::SceneSprite& aSprite, int aSlot = 0)
    {
        return aSprite.myTextures[aSlot].GetString();
    }
}

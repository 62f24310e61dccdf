#pragma once
// A static textured quad placed in the level: sprite size times the object's scale, turned
// by the object's rotation and hung from its pivot.
#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"
#include "forge/properties/SceneSprite.h"

namespace Kiln
{
    class SpriteDrawer;
}

class WorldSprite
{
public:
    WorldSprite();

    // aRotation in degrees (about x, then y, then z).
    void Init(const Kiln::SceneSprite& aSprite, const Kiln::Vector3<float>& aPosition, const Kiln::Vector3<float>& aScale,
              const Kiln::Vector3<float>& aRotation);
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    const Kiln::Sprite3DInstanceData& GetInstance() const { return myInstance; }
    const Kiln::SpriteSharedData& GetSharedData() const { return mySharedData; }
    const Kiln::Vector2<float>& GetSize() const { return mySize; }
    const Kiln::Vector2<float>& GetPivot() const { return myPivot; }

private:
    Kiln::Vector3<float> myPosition{0.0f, 0.0f, 0.0f};
    Kiln::Sprite3DInstanceData myInstance;
    Kiln::Vector2<float> myPivot{0.5f, 0.5f};
    Kiln::SpriteSharedData mySharedData;
    Kiln::Vector2<float> mySize{0.0f, 0.0f};
    float myDepthScale = 0.0f;
};

#include "WorldSprite.h"

#include "CustomSceneObject.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"

#include <cmath>

WorldSprite::WorldSprite() = default;

void WorldSprite::Init(const Kiln::SceneSprite& aSprite, const Kiln::Vector3<float>& aPosition, const Kiln::Vector3<float>& aScale,
                       const Kiln::Vector3<float>& aRotation)
{
    if (Kiln::Engine* engine = Kiln::Engine::GetInstance())
    {
        const char* path = aSprite.myTextures[0].IsNull() ? "" : aSprite.myTextures[0].GetString();
        mySharedData.myTextures[0] = engine->GetTextureManager()->GetTexture(path, Kiln::TextureSrgbMode::ForceSrgb, false);
    }

    mySize = {aSprite.mySize.x * aScale.x, aSprite.mySize.y * aScale.y};
    myDepthScale = aScale.z;
    myPivot = aSprite.myPivot;

    myInstance.myTransform = CustomSceneObject::ComputeTransform(aRotation, {mySize.x, mySize.y, myDepthScale}, aPosition);
    myPosition = aPosition;
}

void WorldSprite::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    // Hang the quad from its pivot, turned with the sprite about the z axis.
    const float a = -myPivot.x * mySize.x;
    const float b = myPivot.y * mySize.y;
    const Kiln::Vector3<float> row = myInstance.myTransform.GetRow(0);
    const float length = std::sqrt(row.x * row.x + row.y * row.y + row.z * row.z);
    const float c = length > 0.0f ? row.x / length : 1.0f;
    const float s = length > 0.0f ? row.y / length : 0.0f;
    myInstance.myTransform.SetPosition({c * a - s * b + myPosition.x, s * a + c * b + myPosition.y, myPosition.z});

    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(mySharedData);
    batch.Draw(myInstance);
}

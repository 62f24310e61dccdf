#include "Enemy.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/Texture.h"

Enemy::Enemy()
{
    myCollider.Init(this, {0.0f, 0.0f}, {0.0f, 0.0f});
}

Enemy::~Enemy() = default;

void Enemy::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    if (myIsDead)
        return;
    Kiln::Matrix4x4<float>& transform = mySpriteInstance.myTransform;
    transform.SetPosition(myPosition + transform.GetRow(0) * mySpriteOffset.x + transform.GetRow(1) * mySpriteOffset.y);
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(mySharedData);
    batch.Draw(mySpriteInstance);
}

Kiln::Vector2<float> Enemy::GetSpriteSize() const
{
    const Kiln::Texture* texture = mySharedData.myTextures[0];
    if (texture == nullptr)
        return {};
    const Kiln::Vector2<uint32_t> size = Kiln::GetTextureSize(*texture);
    return {static_cast<float>(size.x), static_cast<float>(size.y)};
}

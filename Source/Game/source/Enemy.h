#pragma once
// Base of the level's enemies: a box that hurts or kills the player, a sprite and a kind
// the world and the player tell apart (1 walking, 2 hands).
#include "ColliderPossessor.h"
#include "EnemyConfig.h"
#include "OBB2D.h"

#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <cstdint>

namespace Kiln
{
    class SpriteDrawer;
}

class Enemy : public ColliderPossessor
{
public:
    static constexpr uint32_t TYPE_PASSIVE = 1;
    static constexpr uint32_t TYPE_HANDS = 2;

    Enemy();
    ~Enemy() override;

    virtual void Init(const EnemyConfig& aConfig) = 0;
    virtual void Update(float aDeltaTime) = 0;
    // Nothing once dead; otherwise the sprite with its corner at the sprite offset.
    virtual void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    virtual const Kiln::Vector3<float>& GetVelocity() const { return myVelocity; }
    virtual const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    // The pixel size of the sprite's colour texture; 0 x 0 without one.
    virtual Kiln::Vector2<float> GetSpriteSize() const;
    virtual OBB2D& GetCollider() { return myCollider; }
    const OBB2D& GetCollider() const { return myCollider; }
    virtual bool IsDead() const { return myIsDead; }
    virtual uint32_t GetEnemyType() const { return myEnemyType; }
    virtual void SetVelocity(const Kiln::Vector3<float>& aVelocity) { myVelocity = aVelocity; }
    virtual void SetVelocity(float anX, float aY, float aZ) { myVelocity = {anX, aY, aZ}; }
    virtual void SetPosition(const Kiln::Vector3<float>& aPosition) { myPosition = aPosition; }
    virtual void SetPosition(float anX, float aY, float aZ) { myPosition = {anX, aY, aZ}; }

    const Kiln::Sprite3DInstanceData& GetSpriteInstance() const { return mySpriteInstance; }
    const Kiln::SpriteSharedData& GetSharedData() const { return mySharedData; }
    const Kiln::Vector2<float>& GetSpriteOffset() const { return mySpriteOffset; }

protected:
    Kiln::Vector3<float> myVelocity;
    Kiln::Vector3<float> myPosition;
    // Where the sprite's corner sits, in units of the sprite transform's x and y axes.
    Kiln::Vector2<float> mySpriteOffset;
    OBB2D myCollider;
    bool myIsDead = false;
    uint32_t myEnemyType = 0;
    Kiln::Sprite3DInstanceData mySpriteInstance;
    Kiln::SpriteSharedData mySharedData;
};

#pragma once
// Base of everything that owns a collision shape. The collision pass calls OnCollision on
// one owner, which answers by calling the other's OnCollisionWith operation of its own
// kind (double dispatch); the OnCollisionWith operations run the stored callbacks unless
// an owner overrides them.
#include "CollisionLayer.h"

#include "forge/math/Vector.h"

#include <cstdint>
#include <functional>

class CollisionBox;
class CollisionCircle;
class Enemy;
class Player;

class ColliderPossessor
{
public:
    template <typename Other>
    using Callback = std::function<void(Other& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)>;

    ColliderPossessor() = default;
    // Shapes point back at their owner, so owners stay where they were built.
    ColliderPossessor(const ColliderPossessor&) = delete;
    ColliderPossessor& operator=(const ColliderPossessor&) = delete;
    virtual ~ColliderPossessor();

    virtual void OnCollisionWithBox(CollisionBox& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime);
    virtual void OnCollisionWithCircle(CollisionCircle& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime);
    virtual void OnCollisionWithEnemy(Enemy& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime);
    virtual void OnCollisionWithPlayer(Player& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime);
    // Calls anOther's OnCollisionWith operation of this owner's kind with itself and -aPush.
    virtual void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) = 0;

    void SetPlayerCollisionCallback(const Callback<Player>& aCallback) { myPlayerCallback = aCallback; }
    void SetBoxCollisionCallback(const Callback<CollisionBox>& aCallback) { myBoxCallback = aCallback; }

    uint32_t GetCollisionLayer() const { return myCollisionLayer; }
    uint32_t GetCollisionMask() const { return myCollisionMask; }
    void SetCollisionLayer(const uint32_t& aLayer) { myCollisionLayer = aLayer; }
    void SetCollisionMask(uint32_t aMask) { myCollisionMask = aMask; }

protected:
    Callback<Player> myPlayerCallback;
    Callback<Enemy> myEnemyCallback;
    Callback<CollisionCircle> myCircleCallback;
    Callback<CollisionBox> myBoxCallback;
    uint32_t myCollisionLayer = CollisionLayer::None;
    uint32_t myCollisionMask = CollisionLayer::None;
};

#pragma once
// A walking creature that patrols its platform: it accelerates along its walk direction,
// falls under gravity, stands on solid boxes, and turns at walls and at ledges (two small
// probes below its front and back corners tell where the ground ends). Touching it hurts
// the player; only a dash attack kills it, with a burst of dark particles. Its position,
// body and death are saved and restored with the checkpoints.
#include "AnimationController.h"
#include "CollisionBox.h"
#include "Enemy.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"

#include <functional>
#include <memory>

class ParticleEmitter;

namespace Kiln
{
    class SpriteShader;
}

class PassiveEnemy : public Enemy, public Subscriber
{
public:
    static constexpr const char* CONTROLLER_PATH = "animations\\controllers\\A_Passive_Enemy.ksc";

    using DeathCallback = std::function<void(PassiveEnemy& anEnemy)>;

    PassiveEnemy();
    ~PassiveEnemy() override;

    void Init(const EnemyConfig& aConfig) override;
    void Update(float aDeltaTime) override;

    void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;
    void OnCollisionWithBox(CollisionBox& aBox, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;
    void OnCollisionWithPlayer(Player& aPlayer, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;

    void Receive(const Message& aMessage) override;

    // The left and right edge probes, registered besides the body.
    OBB2D& GetHitBoxCollider() { return myLeftProbe.GetCollider(); }
    OBB2D& GetAttackBoxCollider() { return myRightProbe.GetCollider(); }

    // Called with the enemy when a dash attack kills it.
    void SetDeathCallback(const DeathCallback& aCallback) { myDeathCallback = aCallback; }

    const Kiln::Vector2<float>& GetWalkDirection() const { return myWalkDirection; }
    const Kiln::Vector2<float>& GetProbeOffset() const { return myProbeOffset; }
    const AnimationController& GetAnimationController() const { return myAnimationController; }
    const ParticleEmitter* GetDeathEmitter() const { return myDeathEmitter.get(); }

private:
    void PlaceColliders();

    DeathCallback myDeathCallback;
    AnimationController myAnimationController;
    std::unique_ptr<ParticleEmitter> myDeathEmitter;
    CollisionBox myLeftProbe;
    CollisionBox myRightProbe;
    Kiln::Vector2<float> myProbeOffset;
    Kiln::Vector2<float> myWalkDirection{-1.0f, 0.0f};
    Kiln::Vector3<float> mySavedPosition;
    Kiln::Vector2<float> mySavedBoxSize;
    bool mySavedIsDead = false;
    Kiln::Vector2<float> mySpriteScale;
    std::unique_ptr<Kiln::SpriteShader> myShader;
    float myWalkAcceleration = 3000.0f;
    float myDampening = 10.0f;
    float myGravity = 4000.0f;
    bool myIsLeftGrounded = false;
    bool myIsRightGrounded = false;
    bool myHasHitWall = false;
};

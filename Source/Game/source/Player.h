#pragma once
// The hero: a sprite-sheet character moved by a four-state machine (grounded, airborne,
// dashing, dead) with acceleration, exponential dampening, gravity, coyote time, double
// jump and a horizontal dash, resolved against solid boxes by sub-stepped push-out. It is
// hurt by enemies, heals after a while, dies and respawns at the last saved state, and is
// frozen while talking to an upgrade character or leaving a level.
#include "AnimationController.h"
#include "ColliderPossessor.h"
#include "InputEvent.h"
#include "MessageType.h"
#include "OBB2D.h"
#include "PlayerConfiguration.h"
#include "Subscriber.h"

#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <memory>
#include <string_view>

class ParticleEmitter;

namespace Kiln
{
    class SpriteDrawer;
    class SpriteShader;
    class TextureResource;
}

class Player : public ColliderPossessor, public Subscriber
{
public:
    static constexpr uint32_t STATE_GROUNDED = 0;
    static constexpr uint32_t STATE_AIRBORNE = 1;
    static constexpr uint32_t STATE_DASHING = 2;
    static constexpr uint32_t STATE_DEAD = 3;

    static constexpr const char* CONTROLLER_PATH = "animations\\controllers\\A_Player.ksc";
    static constexpr const char* TEXTURE_PATH = "sprites/player character/S_mothboi.dds";

    Player();
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void Init(const PlayerConfiguration& aConfiguration);
    void Update(float aDeltaTime);
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    OBB2D& GetCollider() { return myCollider; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    const Kiln::Vector3<float>& GetVelocity() const { return myVelocity; }
    bool IsDashing() const { return myState == STATE_DASHING; }
    bool IsDashAttacking() const { return myState == STATE_DASHING && myHasDashAttack; }
    bool IsInteractPressed() const { return myIsInteractPressed; }

    // 2 with the double jump, else 1.
    void SetMaxJumps(uint32_t aMaxJumps) { myMaxJumps = aMaxJumps; }
    void SetDashUnlocked(bool anUnlocked) { myHasDash = anUnlocked; }
    void SetDashAttackUnlocked(bool anUnlocked) { myHasDashAttack = anUnlocked; }

    // Stops the player where it stands (the chase start) until Unfreeze.
    void Freeze();
    void Unfreeze() { myIsFrozen = false; }
    // Frozen, walking out of the level at a steady pace.
    void BeginLevelExit();

    void OnCollisionWithBox(CollisionBox& aBox, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;
    void OnCollisionWithEnemy(Enemy& anEnemy, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;
    void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;

    void Receive(const Message& aMessage) override;

    // What the input listener registered by Init does with each action event.
    void HandleInput(const InputEvent& anEvent);

    uint32_t GetState() const { return myState; }
    int32_t GetHealth() const { return myHealth; }
    bool IsGrounded() const { return myIsGrounded; }
    bool IsFrozen() const { return myIsFrozen; }
    bool IsFacingRight() const { return myIsFacingRight; }
    uint32_t GetJumpsUsed() const { return myJumpsUsed; }
    uint32_t GetDashesUsed() const { return myDashesUsed; }
    uint32_t GetMaxJumps() const { return myMaxJumps; }
    uint32_t GetInputListenerId() const { return myInputListenerId; }
    const Kiln::Vector3<float>& GetSavedPosition() const { return mySavedPosition; }
    const AnimationController& GetAnimationController() const { return myAnimationController; }
    const Kiln::Sprite3DInstanceData& GetSpriteInstance() const { return mySpriteInstance; }
    Kiln::SpriteShader* GetHurtShader() const { return myHurtShader.get(); }

private:
    enum Emitter : uint32_t
    {
        JumpSpark,
        DoubleJumpSpark,
        DashSpark,
        DashDust,
        DamageDash,
        HurtAndDeath,
        FootstepDust,
        Heal,
        UpgradeBurst,
        Landing,
        LandingSmoke,
        EmitterCount,
    };

    void CreateEmitters();
    void Burst(Emitter anEmitter, uint32_t aCount = 1);
    void Post(MessageType aType);
    void SetAnimation(std::string_view aState);
    void RequestAnimation(std::string_view aState);

    void UpdateGrounded(float aDeltaTime);
    void UpdateAirborne(float aDeltaTime);
    void UpdateDashing(float aDeltaTime);
    void UpdateDead(float aDeltaTime);
    void UpdateFacing();
    void UpdateUpgradeEffect(float aDeltaTime);
    void Jump();
    void StartDash(float aDirection);
    void Land();
    void Die();
    float GetHorizontalInput() const;

    Kiln::Vector3<float> myVelocity;
    Kiln::Vector3<float> myPosition;
    Kiln::Vector3<float> mySavedPosition;
    Kiln::Vector3<float> mySpriteOffset{-75.0f, 97.5f, 0.0f};
    OBB2D myCollider;
    AnimationController myAnimationController;
    Kiln::Sprite3DInstanceData mySpriteInstance;
    Kiln::TextureResource* myTexture = nullptr;
    float myFacingXOffset = 0.0f;
    float myFacingOffsetAmount = 150.0f;

    float myGroundAcceleration = 0.0f;
    float myAirAcceleration = 0.0f;
    float myDashVelocityImpulse = 0.0f;
    float myJumpVelocityImpulse = 0.0f;
    float myGroundDampening = 0.0f;
    float myAirDampening = 0.0f;
    float myDashDampening = 0.0f;
    float myGravityAcceleration = 0.0f;
    float myWalkableAngle = 0.0f;   // radians
    float myMinimumDashVelocity = 0.0f;
    float myCoyoteTimeDuration = 0.0f;

    float myCoyoteTimer = 0.0f;
    int32_t myHealth = 100;
    float myInvulnerabilityTimer = 0.0f;
    float myHealTimer = 0.0f;
    float myDeathTimer = 0.0f;
    float myDeathDuration = 1.5f;
    float myUpgradeEffectTimer = 0.0f;
    float myUpgradeEffectDuration = 3.0f;
    bool myIsUpgradeEffectActive = false;
    bool myIsUpgradeFirstPhasePending = false;

    uint32_t myDashesUsed = 0;
    uint32_t myMaxDashes = 1;
    uint32_t myJumpsUsed = 0;
    uint32_t myMaxJumps = 2;
    uint32_t myCollisionSubSteps = 12;
    uint32_t myInputListenerId = 0;

    bool myHasDash = false;
    bool myHasDashAttack = false;
    bool myIsGrounded = false;
    bool myIsJumpConsumed = false;
    bool myIsFacingRight = true;
    bool myHasFacingChanged = false;
    bool myIsFrozen = false;

    std::unique_ptr<Kiln::SpriteShader> myHurtShader;
    std::unique_ptr<ParticleEmitter> myEmitters[EmitterCount];

    float myAnalogMove = 0.0f;
    bool myIsJumpPressed = false;
    bool myIsDashPressed = false;
    bool myIsInteractPressed = false;
    bool myIsInteractLatched = false;
    uint32_t myLeftHeldCount = 0;   // bound inputs held for each direction
    uint32_t myRightHeldCount = 0;

    uint32_t myState = STATE_GROUNDED;
};

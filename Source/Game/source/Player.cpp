#include "Player.h"

#include "AnimationLibrary.h"
#include "CollisionBox.h"
#include "Enemy.h"
#include "InputMapper.h"
#include "Message.h"
#include "ParticleEmitter.h"
#include "PostMaster.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include "Platform/runtime/Assert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
    const float kPi = std::acos(-1.0f);

    constexpr MessageType kSubscriptions[] = {MessageType::SaveState, MessageType::RestoreState,
                                              MessageType::UpgradeGranted, MessageType::NpcTalk};

    // The animations drawn with the hurt shader.
    constexpr const char* kHurtShaderAnimations[] = {"Upgrade_anim", "Run", "Idle"};

    Kiln::StringId Interned(const char* aPath)
    {
        return Kiln::StringRegistry::RegisterOrGetStringLiteral(aPath, std::strlen(aPath));
    }
}

Player::Player()
{
    myCollider.Init(this, {0.0f, 0.0f}, {80.0f, 100.0f});
    for (MessageType type : kSubscriptions)
        PostMaster::GetInstance().Subscribe(type, this);
}

Player::~Player()
{
    Post(MessageType::FootstepsStop);
    for (MessageType type : kSubscriptions)
        PostMaster::GetInstance().Unsubscribe(type, this);
    if (myInputListenerId != 0)
        InputMapper::GetInstance().RemoveInputEventListener(myInputListenerId);

    // The controller's sheets belong to the library and outlive this player: take the hurt
    // shader back out of them.
    if (myHurtShader)
    {
        if (AnimationLibrary* library = AnimationLibrary::GetInstance())
        {
            for (auto& [id, sheet] : library->GetData(CONTROLLER_PATH).mySheets)
            {
                if (sheet.myCustomShader == myHurtShader.get())
                    sheet.myCustomShader = nullptr;
            }
        }
    }
}

void Player::Init(const PlayerConfiguration& aConfiguration)
{
    SetCollisionLayer(CollisionLayer::Player);
    SetCollisionMask(CollisionLayer::Solid | CollisionLayer::BreakableWall | CollisionLayer::Enemy);
    if (myInputListenerId != 0)
        InputMapper::GetInstance().RemoveInputEventListener(myInputListenerId);
    myInputListenerId = InputMapper::GetInstance().AddInputEventListener([this](const InputEvent& anEvent) { HandleInput(anEvent); });

    myPosition = aConfiguration.myPosition;
    mySavedPosition = myPosition;
    myVelocity = {};
    myGroundAcceleration = aConfiguration.myGroundAcceleration;
    myAirAcceleration = aConfiguration.myAirAcceleration;
    myDashVelocityImpulse = aConfiguration.myDashVelocityImpulse;
    myJumpVelocityImpulse = aConfiguration.myJumpVelocityImpulse;
    myGroundDampening = aConfiguration.myGroundDampening;
    myAirDampening = aConfiguration.myAirDampening;
    myDashDampening = aConfiguration.myDashDampening;
    myGravityAcceleration = aConfiguration.myGravityAcceleration;
    myWalkableAngle = aConfiguration.myWalkableAngle * kPi / 180.0f;
    myMinimumDashVelocity = aConfiguration.myMinimumDashVelocity;
    myCoyoteTimeDuration = aConfiguration.myCoyoteTimeDuration;

    myCollider.Init(this, {myPosition.x, myPosition.y}, {80.0f, 100.0f});
    myCollider.SetRotation(0.0f);
    mySpriteInstance = {};
    mySpriteInstance.myTransform = Kiln::Matrix4x4<float>::CreateScale({150.0f, 150.0f, 1.0f});
    myFacingXOffset = 0.0f;
    myFacingOffsetAmount = 150.0f;
    myIsFacingRight = true;
    myHasFacingChanged = false;
    myCoyoteTimer = 0.0f;
    myHealth = 100;
    myInvulnerabilityTimer = 0.0f;
    myHealTimer = 0.0f;
    myDeathTimer = 0.0f;
    myDeathDuration = 1.5f;
    myUpgradeEffectTimer = 0.0f;
    myUpgradeEffectDuration = 3.0f;
    myIsUpgradeEffectActive = false;
    myIsUpgradeFirstPhasePending = false;
    myDashesUsed = 0;
    myMaxDashes = 1;
    myJumpsUsed = 0;
    myCollisionSubSteps = 12;
    myIsGrounded = false;
    myIsJumpConsumed = false;
    myIsFrozen = false;
    myState = STATE_GROUNDED;

    if (Kiln::Engine* engine = Kiln::Engine::GetInstance())
        myTexture = engine->GetTextureManager()->GetTexture(TEXTURE_PATH, Kiln::TextureSrgbMode::ForceSrgb, false);

    myAnimationController.Init(CONTROLLER_PATH);
    myHurtShader = std::make_unique<Kiln::SpriteShader>();
    // Without its pixel shader the sprite keeps the sheet's own shader rather than vanish.
    const bool shaderLoaded = myHurtShader->Init("shaders/instanced_sprite_shader_vs", "shaders/PlayerHurt_PS");
    myHurtShader->SetConstantBufferIndex(5);
    AnimationControllerData& data = AnimationLibrary::GetInstance()->GetData(CONTROLLER_PATH);
    for (const char* name : kHurtShaderAnimations)
    {
        myAnimationController.SetState(name);
        if (shaderLoaded)
            data.mySheets[myAnimationController.GetCurrentSheet()].myCustomShader = myHurtShader.get();
    }
    const float health = static_cast<float>(myHealth);
    myHurtShader->SetDataBufferVector4({health, health, health, 1.0f}, 0);

    CreateEmitters();
}

void Player::CreateEmitters()
{
    const float jump = myJumpVelocityImpulse;
    const float dash = myDashVelocityImpulse;
    const float damping = myDashDampening;

    ParticleEmitterSettings jumpSpark;
    jumpSpark.myTexturePath = Interned("sprites/VFX/S_VFX_spark_jump.dds");
    jumpSpark.mySpawnAmount = 50;
    jumpSpark.mySize = {60.0f, 60.0f};
    jumpSpark.myLifetimeInterval = {0.1f, 0.5f};
    jumpSpark.mySpeedInterval = {-jump, -0.5f * jump};
    jumpSpark.myAngleInterval = {70.0f, 110.0f};
    jumpSpark.myAccelerationInterval = {0.0f, 0.0f};
    jumpSpark.myDampingInterval = {0.8f * damping, 0.8f * damping};
    jumpSpark.myXOffsetInterval = {-40.0f, 40.0f};
    jumpSpark.myYOffsetInterval = {100.0f, 60.0f};
    jumpSpark.myScaleEnd = 0.0f;

    ParticleEmitterSettings doubleJumpSpark;
    doubleJumpSpark.myTexturePath = Interned("sprites/VFX/S_VFX_spark_doubleJump.dds");
    doubleJumpSpark.mySpawnAmount = 40;
    doubleJumpSpark.mySize = {60.0f, 60.0f};
    doubleJumpSpark.myLifetimeInterval = {0.3f, 1.0f};
    doubleJumpSpark.mySpeedInterval = {600.0f, 720.0f};
    doubleJumpSpark.myAngleInterval = {220.0f, 320.0f};
    doubleJumpSpark.myAccelerationInterval = {600.0f, 1200.0f};
    doubleJumpSpark.myXOffsetInterval = {-30.0f, 30.0f};
    doubleJumpSpark.myYOffsetInterval = {30.0f, 100.0f};
    doubleJumpSpark.myScaleEnd = 0.0f;

    ParticleEmitterSettings dashSpark;
    dashSpark.myTexturePath = Interned("sprites\\VFX\\S_VFX_spark_dash.dds");
    dashSpark.mySpawnAmount = 200;
    dashSpark.mySize = {30.0f, 30.0f};
    dashSpark.myLifetimeInterval = {0.1f, 0.5f};
    dashSpark.mySpeedInterval = {0.2f * dash, dash};
    dashSpark.myAngleInterval = {0.0f, 0.0f};
    dashSpark.myAccelerationInterval = {0.0f, 0.0f};
    dashSpark.myDampingInterval = {0.8f * damping, 0.8f * damping};
    dashSpark.myXOffsetInterval = {-40.0f, 40.0f};
    dashSpark.myYOffsetInterval = {-50.0f, 50.0f};
    dashSpark.myScaleEnd = 0.0f;

    ParticleEmitterSettings dashDust;
    dashDust.myTexturePath = Interned("sprites\\VFX\\S_VFX_DashDust.dds");
    dashDust.myHasAnimation = true;
    dashDust.myControllerPath = "animations\\controllers\\A_Dash_VFX.ksc";
    dashDust.mySpawnAmount = 1;
    dashDust.mySize = {150.0f, 150.0f};
    dashDust.myBaseOffset = {0.0f, 15.0f};
    dashDust.myColorEnd = dashDust.myColorStart;

    ParticleEmitterSettings damageDash;
    damageDash.myTexturePath = Interned("sprites\\VFX\\S_VFX_Dash.dds");
    damageDash.myHasAnimation = true;
    damageDash.myControllerPath = "animations\\controllers\\A_Damage_Dash_VFX.ksc";
    damageDash.mySpawnAmount = 1;
    damageDash.mySize = {-200.0f, 200.0f};
    damageDash.mySpeedInterval = {dash, dash};
    damageDash.myDampingInterval = {damping, damping};
    damageDash.myXOffsetInterval = {50.0f, 50.0f};
    damageDash.myColorEnd = damageDash.myColorStart;

    ParticleEmitterSettings hurt;
    hurt.myTexturePath = Interned("sprites\\VFX\\S_VFX_heal_death.dds");
    hurt.mySpawnAmount = 2;
    hurt.mySize = {30.0f, 30.0f};
    hurt.myLifetimeInterval = {1.0f, 2.0f};
    hurt.mySpeedInterval = {60.0f, 100.0f};
    hurt.myAngleInterval = {0.0f, 360.0f};
    hurt.myAccelerationInterval = {-20.0f, 0.0f};
    hurt.myXOffsetInterval = {-10.0f, 10.0f};
    hurt.myYOffsetInterval = {-30.0f, 30.0f};
    hurt.myIsAlphaBlend = false;
    hurt.myScaleEnd = 0.0f;

    ParticleEmitterSettings footstep;
    footstep.myTexturePath = Interned("sprites\\particles\\S_Dustcloud.dds");
    footstep.mySpawnAmount = 1;
    footstep.mySize = {10.0f, 10.0f};
    footstep.myLifetimeInterval = {0.25f, 0.5f};
    footstep.myAccelerationInterval = {100.0f, 100.0f};
    footstep.myXOffsetInterval = {-10.0f, 10.0f};
    footstep.myYOffsetInterval = {-50.0f, -45.0f};

    ParticleEmitterSettings heal;
    heal.myTexturePath = Interned("sprites\\VFX\\S_VFX_heal_death.dds");
    heal.mySpawnAmount = 50;
    heal.mySize = {30.0f, 30.0f};
    heal.myLifetimeInterval = {1.0f, 2.0f};
    heal.mySpeedInterval = {60.0f, 100.0f};
    heal.myAngleInterval = {0.0f, 360.0f};
    heal.myAccelerationInterval = {-20.0f, 0.0f};
    heal.myXOffsetInterval = {-1000.0f, 1000.0f};
    heal.myYOffsetInterval = {-1000.0f, 1000.0f};
    heal.myIsAlphaBlend = false;
    heal.mySeekTarget = &myPosition;
    heal.myColorStart.a = 0.0f;
    heal.myColorEnd.a = 0.5f;

    ParticleEmitterSettings upgrade = heal;
    upgrade.mySpawnAmount = 80;
    upgrade.myColorEnd.a = 1.5f;

    ParticleEmitterSettings landing;
    landing.myTexturePath = Interned("sprites\\VFX\\S_VFX_Landing.dds");
    landing.myHasAnimation = true;
    landing.myControllerPath = "animations\\controllers\\A_Land_VFX.ksc";
    landing.mySpawnAmount = 1;
    landing.mySize = {150.0f, 150.0f};
    landing.myLifetimeInterval = {2.0f, 2.0f};
    landing.mySpeedInterval = {0.0f, 0.0f};
    landing.myDampingInterval = {0.8f * damping, 0.8f * damping};
    landing.myYOffsetInterval = {0.0f, 0.0f};
    landing.myBaseOffset = {0.0f, -15.0f};
    landing.myScaleEnd = 0.0f;
    landing.myColorEnd = landing.myColorStart;

    ParticleEmitterSettings smoke;
    smoke.myTexturePath = Interned("sprites\\VFX\\S_VFX_smoke_landing.dds");
    smoke.mySpawnAmount = 30;
    smoke.mySize = {15.0f, 15.0f};
    smoke.myLifetimeInterval = {0.1f, 0.5f};
    smoke.mySpeedInterval = {120.0f, 200.0f};
    smoke.myAngleInterval = {25.0f, 155.0f};
    smoke.myAccelerationInterval = {0.0f, 0.0f};
    smoke.myDampingInterval = {0.4f, 0.4f};
    smoke.myXOffsetInterval = {-40.0f, 40.0f};
    smoke.myYOffsetInterval = {-50.0f, -50.0f};

    myEmitters[JumpSpark] = std::make_unique<ParticleEmitter>(jumpSpark);
    myEmitters[DoubleJumpSpark] = std::make_unique<ParticleEmitter>(doubleJumpSpark);
    myEmitters[DashSpark] = std::make_unique<ParticleEmitter>(dashSpark);
    myEmitters[DashDust] = std::make_unique<ParticleEmitter>(dashDust);
    myEmitters[DamageDash] = std::make_unique<ParticleEmitter>(damageDash);
    myEmitters[HurtAndDeath] = std::make_unique<ParticleEmitter>(hurt);
    myEmitters[FootstepDust] = std::make_unique<ParticleEmitter>(footstep);
    myEmitters[Heal] = std::make_unique<ParticleEmitter>(heal);
    myEmitters[UpgradeBurst] = std::make_unique<ParticleEmitter>(upgrade);
    myEmitters[Landing] = std::make_unique<ParticleEmitter>(landing);
    myEmitters[LandingSmoke] = std::make_unique<ParticleEmitter>(smoke);
}

void Player::Burst(Emitter anEmitter, uint32_t aCount)
{
    ParticleEmitter* emitter = myEmitters[anEmitter].get();
    if (emitter == nullptr)
        return;
    emitter->SetPosition(myPosition);
    for (uint32_t i = 0; i < aCount; ++i)
        emitter->Emit();
}

void Player::Post(MessageType aType)
{
    Message message;
    message.type = aType;
    PostMaster::GetInstance().SendMessage(message);
}

void Player::SetAnimation(std::string_view aState)
{
    myAnimationController.SetState(aState);
}

void Player::RequestAnimation(std::string_view aState)
{
    myAnimationController.SetNextState(aState);
}

float Player::GetHorizontalInput() const
{
    const float digital = (myRightHeldCount > 0 ? 1.0f : 0.0f) - (myLeftHeldCount > 0 ? 1.0f : 0.0f);
    return std::clamp(myAnalogMove + digital, -1.0f, 1.0f);
}

void Player::HandleInput(const InputEvent& anEvent)
{
    if (anEvent.action == Action::Move)
    {
        if (const float* value = std::get_if<float>(&anEvent.value))
            myAnalogMove = *value;
        // The mapper raises Move from the left stick: its x is the analog axis.
        else if (const auto* stick = std::get_if<Kiln::Vector2<float>>(&anEvent.value))
            myAnalogMove = stick->x;
        return;
    }
    const bool* pressed = std::get_if<bool>(&anEvent.value);
    if (pressed == nullptr)
        return;

    // Several keys raise one direction: count the held ones, so the direction lasts while
    // any of them is down and ends with the last; a release never seen pressed is ignored.
    const auto hold = [&](uint32_t& aCount) {
        if (*pressed)
            ++aCount;
        else if (aCount > 0)
            --aCount;
    };
    switch (anEvent.action)
    {
    case Action::Left: hold(myLeftHeldCount); break;
    case Action::Right: hold(myRightHeldCount); break;
    case Action::Jump: myIsJumpPressed = *pressed; break;
    case Action::Dash: myIsDashPressed = *pressed; break;
    case Action::Interact:
        myIsInteractPressed = *pressed;
        myIsInteractLatched = *pressed;
        break;
    default: break;
    }
}

void Player::Update(float aDeltaTime)
{
    if (myState == STATE_DEAD)
    {
        UpdateDead(aDeltaTime);
        return;
    }

    const float x = GetHorizontalInput();
    if (myIsFrozen)
    {
        myVelocity.y -= myGravityAcceleration * aDeltaTime;
        if (myIsGrounded)
            RequestAnimation("Idle");
    }
    else
    {
        switch (myState)
        {
        case STATE_GROUNDED: UpdateGrounded(aDeltaTime); break;
        case STATE_AIRBORNE: UpdateAirborne(aDeltaTime); break;
        case STATE_DASHING: UpdateDashing(aDeltaTime); break;
        default: KILN_ASSERT(false && "Player::Update() encountered invalid player state."); break;
        }

        if (myIsGrounded)
        {
            const int32_t frame = myAnimationController.GetCurrentFrame();
            if (myAnimationController.GetCurrentAnimationName() == "Run" && (frame == 0 || frame == 7))
                Burst(FootstepDust);
            myCoyoteTimer = 0.0f;
            myIsGrounded = false;
        }
        else if (myJumpsUsed == 0)
        {
            myCoyoteTimer += aDeltaTime;
            if (myCoyoteTimer >= myCoyoteTimeDuration)
            {
                if (myState == STATE_GROUNDED)
                    myState = STATE_AIRBORNE;
                myCoyoteTimer = 0.0f;
                myJumpsUsed = 1;
            }
        }
    }

    myPosition += myVelocity * aDeltaTime;
    myCollider.SetPosition({myPosition.x, myPosition.y});

    myAnimationController.Update(aDeltaTime);
    UpdateFacing();

    myIsJumpPressed = false;
    myIsInteractPressed = myIsInteractLatched;
    myIsInteractLatched = false;

    if (myInvulnerabilityTimer > 0.0f)
        myInvulnerabilityTimer -= aDeltaTime;

    if (myHealTimer > 0.0f)
    {
        myHealTimer -= aDeltaTime;
        if (myHealTimer <= 0.0f)
        {
            Post(MessageType::PlayerHealed);
            Burst(Heal);
            myHealth = 100;
        }
    }

    if (myIsUpgradeEffectActive)
        UpdateUpgradeEffect(aDeltaTime);

    if (!myIsFrozen)
        Post(myState == STATE_GROUNDED && x != 0.0f ? MessageType::FootstepsStart : MessageType::FootstepsStop);
}

void Player::UpdateGrounded(float aDeltaTime)
{
    if (myIsJumpPressed)
    {
        Burst(JumpSpark);
        Jump();
        SetAnimation("Jump_start");
        UpdateAirborne(aDeltaTime);
        return;
    }

    const bool dashRequest = myIsDashPressed && myHasDash;
    const float x = GetHorizontalInput();
    if (x == 0.0f)
    {
        if (!dashRequest)
        {
            RequestAnimation("Idle");
        }
        else
        {
            StartDash(myIsFacingRight ? 1.0f : -1.0f);
            UpdateDashing(aDeltaTime);
            return;
        }
    }
    else
    {
        if (!dashRequest)
        {
            RequestAnimation("Run");
            myVelocity.x += x * myGroundAcceleration * aDeltaTime;
        }
        else
        {
            StartDash(x < 0.0f ? -1.0f : 1.0f);
            UpdateDashing(aDeltaTime);
            return;
        }
    }

    myVelocity.y -= myGravityAcceleration * aDeltaTime;
    const float speedSqr = myVelocity.LengthSqr();
    if (speedSqr > 0.0001f)
    {
        myVelocity *= std::exp(-myGroundDampening * aDeltaTime);
    }
    else if (speedSqr > 0.0f)
    {
        myVelocity.x = 0.0f;
        myVelocity.y = 0.0f;
    }
}

void Player::UpdateAirborne(float aDeltaTime)
{
    if (myIsGrounded)
    {
        Land();
        UpdateGrounded(aDeltaTime);
        return;
    }

    if (myIsJumpPressed && !myIsJumpConsumed && myJumpsUsed < myMaxJumps)
    {
        Burst(DoubleJumpSpark);
        Jump();
        SetAnimation("duble_jump");
    }

    const float x = GetHorizontalInput();
    const bool canDash = myIsDashPressed && myHasDash && myDashesUsed < myMaxDashes;
    if (x != 0.0f)
    {
        if (canDash)
        {
            StartDash(x < 0.0f ? -1.0f : 1.0f);
            UpdateDashing(aDeltaTime);
            return;
        }
        myVelocity.x += x * myAirAcceleration * aDeltaTime;
    }
    else if (canDash)
    {
        StartDash(myIsFacingRight ? 1.0f : -1.0f);
        UpdateDashing(aDeltaTime);
        return;
    }

    const float d = std::exp(-myAirDampening * aDeltaTime);
    myVelocity.x *= d;
    myVelocity.y = d * (myVelocity.y - myGravityAcceleration * aDeltaTime);
    myVelocity.z *= d;
    myIsJumpConsumed = false;

    if (myVelocity.y < 0.0f)
        RequestAnimation("Jump_idle");
}

void Player::UpdateDashing(float aDeltaTime)
{
    if (!myIsJumpConsumed && myIsJumpPressed && myJumpsUsed < myMaxJumps)
    {
        Jump();
        SetAnimation("duble_jump");
        UpdateAirborne(aDeltaTime);
        return;
    }

    const float speed = std::abs(myVelocity.x);
    myVelocity.x *= std::exp(-myDashDampening * aDeltaTime);

    const float minimum = myMinimumDashVelocity;
    const float fastest = std::max(minimum, speed);
    // Gravity shrinks while the dash is fast (and stays whole when neither speed is positive).
    const float gravityShare = fastest > 0.0f ? minimum / fastest : 1.0f;
    myVelocity.y -= gravityShare * myGravityAcceleration * aDeltaTime;

    if (speed < minimum)
    {
        SetAnimation("Idle");
        myState = myIsGrounded ? STATE_GROUNDED : STATE_AIRBORNE;
    }
}

void Player::Jump()
{
    Post(MessageType::DoubleJump);
    myState = STATE_AIRBORNE;
    myVelocity.y = myJumpVelocityImpulse;
    myIsGrounded = false;
    myIsJumpConsumed = true;
    ++myJumpsUsed;
}

void Player::StartDash(float aDirection)
{
    const float sparkRotation = aDirection > 0.0f ? 0.0f : kPi;
    if (myEmitters[DashSpark])
        myEmitters[DashSpark]->SetRotation(sparkRotation);
    Burst(DashSpark);
    if (myEmitters[DashDust])
        myEmitters[DashDust]->SetRotation(aDirection > 0.0f ? kPi : 0.0f);
    Burst(DashDust);
    if (myHasDashAttack)
    {
        if (myEmitters[DamageDash])
            myEmitters[DamageDash]->SetRotation(sparkRotation);
        Burst(DamageDash);
    }

    myState = STATE_DASHING;
    myIsDashPressed = false;
    myVelocity.y = 0.0f;
    myVelocity.x = aDirection * myDashVelocityImpulse;

    Post(MessageType::Dash);
    ++myDashesUsed;
    SetAnimation("Dash");
}

void Player::Land()
{
    myState = STATE_GROUNDED;
    myIsGrounded = true;
    myDashesUsed = 0;
    myJumpsUsed = 0;
    Post(MessageType::Land);
    Burst(Landing);
    Burst(LandingSmoke);
    SetAnimation("Jump_end");
}

void Player::Die()
{
    Post(MessageType::PlayerDied);
    Burst(HurtAndDeath, 70);
    myVelocity = {};
    myIsGrounded = false;
    myJumpsUsed = 0;
    myDashesUsed = 0;
    myState = STATE_DEAD;
}

void Player::UpdateDead(float aDeltaTime)
{
    if (myDeathTimer >= myDeathDuration)
    {
        SetAnimation("Idle");
        Post(MessageType::RestoreState);
        myDeathTimer = 0.0f;
    }
    myDeathTimer += aDeltaTime;
}

void Player::UpdateFacing()
{
    if ((myVelocity.x > 0.0f && !myIsFacingRight) || (myVelocity.x < 0.0f && myIsFacingRight))
        myHasFacingChanged = true;
    if (!myHasFacingChanged)
        return;

    myFacingXOffset = myFacingXOffset == 0.0f ? myFacingOffsetAmount : 0.0f;
    Kiln::Matrix4x4<float>& transform = mySpriteInstance.myTransform;
    for (size_t column = 0; column < 4; ++column)
        transform(0, column) = -transform(0, column);
    myHasFacingChanged = false;
    myIsFacingRight = !myIsFacingRight;
}

void Player::UpdateUpgradeEffect(float aDeltaTime)
{
    myUpgradeEffectTimer += aDeltaTime;
    if (myUpgradeEffectTimer < myUpgradeEffectDuration)
        return;

    if (myIsUpgradeFirstPhasePending)
    {
        Burst(UpgradeBurst);
        SetAnimation("Upgrade_anim");
        myIsUpgradeFirstPhasePending = false;
        myUpgradeEffectTimer = 0.0f;
    }
    else
    {
        SetAnimation("Idle");
        myIsFrozen = false;
        myIsUpgradeEffectActive = false;
        Post(MessageType::SaveState);
    }
}

void Player::Freeze()
{
    myIsFrozen = true;
    myVelocity.x = 0.0f;
    Post(MessageType::FootstepsStop);
}

void Player::BeginLevelExit()
{
    myIsFrozen = true;
    myVelocity.x = myGroundAcceleration * 0.07f;
    RequestAnimation("Run");
    Post(MessageType::FootstepsStart);
}

void Player::OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    anOther.OnCollisionWithPlayer(*this, -aPush, aDeltaTime);
}

void Player::OnCollisionWithBox(CollisionBox& aBox, const Kiln::Vector2<float>&, float aDeltaTime)
{
    if ((aBox.GetCollisionLayer() & CollisionLayer::BreakableWall) != 0 && IsDashAttacking())
        return;

    // Re-walk this frame's motion in small steps against this one box.
    Kiln::Vector3<float> p = myPosition - myVelocity * aDeltaTime;
    const float step = aDeltaTime / static_cast<float>(myCollisionSubSteps);
    for (uint32_t k = 0; k < myCollisionSubSteps; ++k)
    {
        p += myVelocity * step;
        myCollider.SetPosition({p.x, p.y});
        Kiln::Vector2<float> push;
        if (aBox.GetCollider().Intersects(myCollider, push, false))
        {
            const float angle = std::atan2(push.y, push.x);
            const float folded = angle > kPi * 0.5f ? kPi - angle : angle;
            // A floor pushes up; a flat or empty push is never one, whatever the angle says.
            const bool walkable = folded >= myWalkableAngle && push.y > 0.0f;
            const Kiln::Vector2<float> n = push.GetNormalized();
            const float vn = -(myVelocity.x * n.x + myVelocity.y * n.y);

            if (walkable)
            {
                p.y += push.LengthSqr() / push.y;
                myVelocity.y += vn * n.y;
                if (myState == STATE_AIRBORNE)
                {
                    Land();
                }
                else
                {
                    myIsGrounded = true;
                    myJumpsUsed = 0;
                    myDashesUsed = 0;
                }
            }
            else
            {
                p.x += push.x;
                p.y += push.y;
                myVelocity.x += vn * n.x;
                myVelocity.y += vn * n.y;
            }
        }
        myPosition = p;
    }
    myCollider.SetPosition({myPosition.x, myPosition.y});
}

void Player::OnCollisionWithEnemy(Enemy& anEnemy, const Kiln::Vector2<float>& aPush, float)
{
    if (myState == STATE_DEAD)
        return;

    if (anEnemy.GetEnemyType() == Enemy::TYPE_HANDS)
    {
        Die();
        return;
    }

    if (IsDashAttacking())
        return;
    myPosition.x -= aPush.x;
    myPosition.y -= aPush.y;
    // A frozen hero has no slow-down: a knock-back would carry it off for good.
    if (!myIsFrozen)
    {
        const Kiln::Vector3<float> away = (myPosition - anEnemy.GetPosition()).GetNormalized();
        myVelocity = {2000.0f * away.x, 2000.0f * away.y, 0.0f};
        myJumpsUsed = 1;
    }
    Burst(HurtAndDeath);

    if (myInvulnerabilityTimer > 0.0f)
        return;
    myHealth -= 50;
    myInvulnerabilityTimer = 1.5f;
    myHealTimer = 10.0f;
    if (myHealth > 0)
        Post(MessageType::PlayerHurt);
    else
        Die();
}

void Player::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::SaveState: mySavedPosition = myPosition; break;
    case MessageType::RestoreState:
        myPosition = mySavedPosition;
        myCollider.SetPosition({myPosition.x, myPosition.y});
        myState = STATE_GROUNDED;
        myHealth = 100;
        myHealTimer = 0.0f;
        break;
    case MessageType::UpgradeGranted:
        if ((aMessage.position.x - myPosition.x > 0.0f) != myIsFacingRight)
            myHasFacingChanged = true;
        myUpgradeEffectTimer = 1.0f;
        myIsUpgradeEffectActive = true;
        myIsUpgradeFirstPhasePending = true;
        break;
    case MessageType::NpcTalk:
        myIsFrozen = true;
        myVelocity.x = 0.0f;
        Post(MessageType::FootstepsStop);
        break;
    default: break;
    }
}

void Player::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    if (myState == STATE_DEAD)
        return;
    myAnimationController.ApplyToSpriteInstance(mySpriteInstance);
    const float health = static_cast<float>(myHealth);
    if (myHurtShader)
        myHurtShader->SetDataBufferVector4({health, health, health, 1.0f}, 0);
    mySpriteInstance.myTransform.SetPosition(myPosition + mySpriteOffset + Kiln::Vector3<float>{myFacingXOffset, 0.0f, 0.0f});
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(myAnimationController.GetCurrentTexture());
    batch.Draw(mySpriteInstance);
}

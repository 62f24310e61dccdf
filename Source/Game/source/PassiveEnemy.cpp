#include "PassiveEnemy.h"

#include "MatrixFromEulerDegrees.h"
#include "Message.h"
#include "ParticleEmitter.h"
#include "Player.h"
#include "PostMaster.h"

#include "forge/shaders/SpriteShader.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <cmath>
#include <cstring>

namespace
{
    const float kPi = std::acos(-1.0f);
    constexpr float PROBE_SIZE = 8.0f;
    constexpr float PROBE_MARGIN = 4.0f;
    constexpr float STOPPED_SPEED = 0.0001f;
    constexpr const char* DEATH_TEXTURE = "sprites\\particles\\S_Darktangle.dds";
    constexpr MessageType kSubscriptions[] = {MessageType::SaveState, MessageType::RestoreState};
}

PassiveEnemy::PassiveEnemy()
{
    for (MessageType type : kSubscriptions)
        PostMaster::GetInstance().Subscribe(type, this);
}

PassiveEnemy::~PassiveEnemy()
{
    for (MessageType type : kSubscriptions)
        PostMaster::GetInstance().Unsubscribe(type, this);
}

void PassiveEnemy::Init(const EnemyConfig& aConfig)
{
    myPosition = aConfig.myPosition;
    mySpriteScale = {aConfig.myScale.x, aConfig.myScale.y};

    myAnimationController.Init(CONTROLLER_PATH);
    myAnimationController.SetState("Walk");
    mySharedData = myAnimationController.GetCurrentTexture();
    Kiln::Matrix4x4<float>& transform = mySpriteInstance.myTransform;
    transform = Kiln::Matrix4x4<float>::CreateScale(aConfig.myScale);
    myAnimationController.ApplyToSpriteInstance(mySpriteInstance);
    transform = MatrixFromEulerDegrees(aConfig.myRotation) * transform;
    transform.SetPosition(myPosition);

    mySpriteOffset = {-0.625f, 0.775f};

    myCollider.Init(this, {myPosition.x, myPosition.y}, aConfig.myBoxSize);
    SetCollisionLayer(CollisionLayer::Enemy);
    SetCollisionMask(CollisionLayer::Solid | CollisionLayer::BreakableWall | CollisionLayer::Player);

    myProbeOffset = {aConfig.myBoxSize.x / 2.0f + PROBE_MARGIN, aConfig.myBoxSize.y / 2.0f + PROBE_MARGIN};
    for (CollisionBox* probe : {&myLeftProbe, &myRightProbe})
    {
        probe->Init({0.0f, 0.0f}, {PROBE_SIZE, PROBE_SIZE});
        probe->SetCollisionLayer(CollisionLayer::Trigger);
        probe->SetCollisionMask(CollisionLayer::Solid);
    }
    myLeftProbe.SetBoxCollisionCallback([this](CollisionBox&, const Kiln::Vector2<float>&, float) { myIsLeftGrounded = true; });
    myRightProbe.SetBoxCollisionCallback([this](CollisionBox&, const Kiln::Vector2<float>&, float) { myIsRightGrounded = true; });
    PlaceColliders();

    myWalkAcceleration = 3000.0f;
    myDampening = 10.0f;
    myGravity = 4000.0f;
    myWalkDirection = {-1.0f, 0.0f};
    mySavedPosition = myPosition;
    mySavedBoxSize = aConfig.myBoxSize;
    mySavedIsDead = myIsDead;

    myShader = std::make_unique<Kiln::SpriteShader>();
    // Without its pixel shader the enemy keeps the sheet's own shader rather than vanish.
    if (myShader->Init("shaders/instanced_sprite_shader_vs", "shaders/AlphaSpriteShaderPS"))
        mySharedData.myCustomShader = myShader.get();

    ParticleEmitterSettings death;
    death.myTexturePath = Kiln::StringRegistry::RegisterOrGetStringLiteral(DEATH_TEXTURE, std::strlen(DEATH_TEXTURE));
    death.mySpawnAmount = 100;
    death.mySize = {25.0f, 25.0f};
    death.myLifetimeInterval = {1.0f, 2.0f};
    death.mySpeedInterval = {500.0f, 2000.0f};
    death.myAngleInterval = {0.0f, 360.0f};
    death.myDampingInterval = {2.0f, 5.0f};
    death.myStartScaleInterval = {1.0f, 2.5f};
    death.myXOffsetInterval = {-aConfig.myBoxSize.x / 2.0f, aConfig.myBoxSize.x / 2.0f};
    death.myYOffsetInterval = {-aConfig.myBoxSize.y / 2.0f, aConfig.myBoxSize.y / 2.0f};
    death.myScaleEnd = 0.0f;
    death.myIsAlphaBlend = true;
    // A dark splash that thins out as it spreads.
    death.myColorStart = {0.45f, 0.35f, 0.6f, 1.0f};
    death.myColorEnd = {0.1f, 0.05f, 0.15f, 0.0f};
    myDeathEmitter = std::make_unique<ParticleEmitter>(death);

    myEnemyType = TYPE_PASSIVE;
}

void PassiveEnemy::PlaceColliders()
{
    myCollider.SetPosition({myPosition.x, myPosition.y});
    myLeftProbe.SetPosition({myPosition.x - myProbeOffset.x, myPosition.y - myProbeOffset.y});
    myRightProbe.SetPosition({myPosition.x + myProbeOffset.x, myPosition.y - myProbeOffset.y});
}

void PassiveEnemy::Update(float aDeltaTime)
{
    if (myIsDead)
        return;

    if (myHasHitWall)
    {
        myWalkDirection = -myWalkDirection;
    }
    else if (myIsLeftGrounded != myIsRightGrounded)
    {
        // One probe over a gap: turn only when walking towards it.
        if ((myIsRightGrounded && myWalkDirection.x < 0.0f) || (myIsLeftGrounded && myWalkDirection.x > 0.0f))
            myWalkDirection = -myWalkDirection;
    }
    myHasHitWall = false;
    myIsLeftGrounded = false;
    myIsRightGrounded = false;

    const float e = std::exp(-myDampening * aDeltaTime);
    myVelocity.x = e * (myVelocity.x + myWalkAcceleration * myWalkDirection.x * aDeltaTime);
    myVelocity.y = e * (myVelocity.y + myWalkAcceleration * myWalkDirection.y * aDeltaTime) - myGravity * aDeltaTime;
    myVelocity.z *= e;

    myPosition += myVelocity * aDeltaTime;
    PlaceColliders();

    // The art faces left: mirror it while walking right.
    Kiln::Matrix4x4<float>& transform = mySpriteInstance.myTransform;
    transform(0, 0) = myVelocity.x < 0.0f ? mySpriteScale.x : -mySpriteScale.x;
    transform(0, 1) = 0.0f;
    transform(0, 2) = 0.0f;

    myAnimationController.Update(aDeltaTime);
    myAnimationController.ApplyToSpriteInstance(mySpriteInstance);
}

void PassiveEnemy::OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    anOther.OnCollisionWithEnemy(*this, -aPush, aDeltaTime);
}

void PassiveEnemy::OnCollisionWithBox(CollisionBox&, const Kiln::Vector2<float>& aPush, float)
{
    // The pass hands us the vector towards the box; our own way out is the opposite.
    const Kiln::Vector2<float> p = -aPush;
    const float angle = std::atan2(p.y, p.x);
    const float length = std::sqrt(p.x * p.x + p.y * p.y);
    const Kiln::Vector2<float> n = length > 0.0f ? p * (1.0f / length) : p;
    const float vn = -(myVelocity.x * n.x + myVelocity.y * n.y);

    if (std::abs(myVelocity.x) > STOPPED_SPEED && std::abs(myVelocity.x + vn * n.x) <= STOPPED_SPEED)
        myHasHitWall = true;

    const float folded = angle > kPi * 0.5f ? kPi - angle : angle;
    if (folded >= kPi * 0.25f)
    {
        // A floor: lift straight up by the depth along the push, keep walking.
        myPosition.y += (length * length) / p.y;
        myVelocity.y += vn * n.y;
    }
    else
    {
        myVelocity.x += vn * n.x;
        myVelocity.y += vn * n.y;
        myPosition.x += p.x;
        myPosition.y += p.y;
    }
    PlaceColliders();
}

void PassiveEnemy::OnCollisionWithPlayer(Player& aPlayer, const Kiln::Vector2<float>&, float)
{
    if (!aPlayer.IsDashAttacking())
        return;

    myIsDead = true;
    myCollider.SetSize(0.0f, 0.0f);
    if (myDeathEmitter)
    {
        myDeathEmitter->SetPosition(myPosition);
        myDeathEmitter->Emit();
    }
    Message message;
    message.type = MessageType::EnemyDied;
    PostMaster::GetInstance().SendMessage(message);
    if (myDeathCallback)
        myDeathCallback(*this);
}

void PassiveEnemy::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::SaveState:
        mySavedPosition = myPosition;
        mySavedIsDead = myIsDead;
        mySavedBoxSize = myCollider.GetSize();
        break;
    case MessageType::RestoreState:
        myPosition = mySavedPosition;
        myIsDead = mySavedIsDead;
        myCollider.SetSize(mySavedBoxSize.x, mySavedBoxSize.y);
        PlaceColliders();
        break;
    default: break;
    }
}

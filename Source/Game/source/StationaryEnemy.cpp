#include "StationaryEnemy.h"

#include "MatrixFromEulerDegrees.h"
#include "ParticleEmitter.h"

#include "forge/stringRegistry/StringRegistry.h"

#include <cstring>
#include <iostream>

namespace
{
    constexpr float SPRITE_SIZE = 300.0f;
    constexpr float WALL_ANGLE_LIMIT = 40.0f;
    constexpr const char* MOTE_TEXTURE = "sprites/particles/S_Darktangle.dds";
}

StationaryEnemy::StationaryEnemy() = default;

StationaryEnemy::~StationaryEnemy() = default;

void StationaryEnemy::Init(const EnemyConfig& aConfig)
{
    myPosition = aConfig.myPosition;
    Kiln::Matrix4x4<float>& transform = mySpriteInstance.myTransform;
    transform = Kiln::Matrix4x4<float>::CreateScale({SPRITE_SIZE, SPRITE_SIZE, SPRITE_SIZE});

    const float angle = aConfig.myRotation.z;
    if (angle >= -WALL_ANGLE_LIMIT && angle <= WALL_ANGLE_LIMIT)
    {
        myAnimationController.Init(IDLE_CONTROLLER_PATH);
        myEmitterOffset = -0.5f;
    }
    else
    {
        myAnimationController.Init(DANGLING_CONTROLLER_PATH);
        std::cout << myPosition.x << " " << myPosition.y << "\n";
        // The dangling art is drawn upside down, so a ceiling object turned by 180 shows it upright.
        transform = MatrixFromEulerDegrees({0.0f, 0.0f, 180.0f}) * transform;
        myEmitterOffset = 0.5f;
    }

    myAnimationController.SetState("Idle");
    mySharedData = myAnimationController.GetCurrentTexture();
    myAnimationController.ApplyToSpriteInstance(mySpriteInstance);

    transform = MatrixFromEulerDegrees(aConfig.myRotation) * transform;
    transform.SetPosition(myPosition);

    mySpriteOffset = {-0.5f, 0.5f};

    myCollider.Init(this, {myPosition.x, myPosition.y}, aConfig.myBoxSize);
    SetCollisionLayer(CollisionLayer::Enemy);
    SetCollisionMask(CollisionLayer::Player);

    myEmitter.reset();
    if (aConfig.myWithParticles)
    {
        const float halfWidth = (transform(0, 0) + transform(1, 0)) * 0.5f;
        ParticleEmitterSettings settings;
        settings.myTexturePath = Kiln::StringRegistry::RegisterOrGetStringLiteral(MOTE_TEXTURE, std::strlen(MOTE_TEXTURE));
        settings.mySpawnAmount = 5;
        settings.mySpawnFrequency = 0.3f;
        settings.myLifetimeInterval = {4.0f, 5.0f};
        settings.mySpeedInterval = {20.0f, 30.0f};
        settings.myAngleInterval = {80.0f, 100.0f};
        settings.myAccelerationInterval = {-10.0f, 0.0f};
        settings.mySize = {70.0f, 70.0f};
        settings.myXOffsetInterval = {-halfWidth, halfWidth};
        settings.myRotation = aConfig.myRotation.z / 180.0f * 3.1415f;
        settings.myScaleEnd = 0.0f;
        settings.myIsAlphaBlend = true;
        // Motes fade as they drift away from the hands.
        settings.myColorStart = {1.0f, 1.0f, 1.0f, 1.0f};
        settings.myColorEnd = {0.6f, 0.55f, 0.8f, 0.0f};
        myEmitter = std::make_unique<ParticleEmitter>(settings);
    }

    myEnemyType = TYPE_HANDS;
}

void StationaryEnemy::Update(float aDeltaTime)
{
    if (myEmitter)
        myEmitter->UpdateAt(aDeltaTime, myPosition + mySpriteInstance.myTransform.GetRow(1) * myEmitterOffset);
    myAnimationController.Update(aDeltaTime);
    myAnimationController.ApplyToSpriteInstance(mySpriteInstance);
}

void StationaryEnemy::OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    anOther.OnCollisionWithEnemy(*this, -aPush, aDeltaTime);
}

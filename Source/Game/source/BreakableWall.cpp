#include "BreakableWall.h"

#include "ParticleEmitter.h"
#include "Player.h"
#include "PropModels.h"

void BreakableWall::Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken, Kiln::StringId aParticleTexture,
                         Kiln::Vector4<float> aColour)
{
    const Kiln::Matrix4x4<float>& transform = aWhole.GetTransform();
    const Kiln::Vector2<float> extent = GetModelHalfExtents(aWhole);
    const float scaleX = GetRowLength(transform, 0);
    const float scaleY = GetRowLength(transform, 1);
    SetUp(aWhole, aBroken, {scaleX * 2.0f * extent.x, scaleY * 2.0f * extent.y});

    // The model stands on its position: the box sits above it.
    myBox.Init({myPosition.x, myPosition.y + extent.y * scaleY}, myBoxSize);
    myBox.SetCollisionLayer(CollisionLayer::BreakableWall);
    myBox.SetCollisionMask(CollisionLayer::Player);
    myBox.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>&, float) { OnPlayerContact(aPlayer); });

    const float height = 150.0f * scaleY;
    ParticleEmitterSettings settings;
    settings.myPosition = {myPosition.x, myPosition.y, 0.0f};
    settings.myTexturePath = aParticleTexture;
    settings.myColorStart = {aColour.x, aColour.y, aColour.z, aColour.w};
    settings.myColorEnd = settings.myColorStart;
    settings.mySpawnAmount = 100;
    settings.mySize = {100.0f, 100.0f};
    settings.myLifetimeInterval = {0.7f, 1.0f};
    settings.mySpeedInterval = {1000.0f, 1300.0f};
    settings.myAngleInterval = {-20.0f, 20.0f};
    settings.myAccelerationInterval = {900.0f, 1000.0f};
    settings.myXOffsetInterval = {10.0f, 60.0f};
    settings.myYOffsetInterval = {-height / 2.0f, height / 2.0f};
    settings.myScaleEnd = 0.0f;
    settings.myIsAlphaBlend = true;
    myEmitter = std::make_unique<ParticleEmitter>(settings);
    // The burst spreads over the wall's height from its middle.
    Kiln::Vector3<float> centre = myEmitter->GetPosition();
    centre.y = myPosition.y + height / 2.0f;
    myEmitter->SetPosition(centre);
}

void BreakableWall::OnPlayerContact(Player& aPlayer)
{
    if (!aPlayer.IsDashAttacking())
        return;

    // The debris flies on in the direction of the dash.
    myEmitter->SetRotation(aPlayer.GetVelocity().x > 0.0f ? 0.0f : 3.1415f);
    myEmitter->Emit();
    Break(MessageType::WallBroken);
}

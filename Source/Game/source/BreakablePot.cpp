#include "BreakablePot.h"

#include "ParticleEmitter.h"
#include "Player.h"
#include "PropModels.h"

#include "forge/stringRegistry/StringRegistry.h"

#include <cstring>

namespace
{
    constexpr const char* kShardTexture = "sprites/particles/S_Darktangle.dds";
}

void BreakablePot::Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken)
{
    // Whatever the model, a generous box: a dash that passes close by breaks it.
    SetUp(aWhole, aBroken, {325.0f, 325.0f});
    const float lift = GetModelHalfExtents(myWholeInstance).y * GetRowLength(myWholeInstance.GetTransform(), 1);
    myBox.Init({myPosition.x, myPosition.y + lift}, myBoxSize);
    myBox.SetCollisionLayer(CollisionLayer::Trigger);
    myBox.SetCollisionMask(CollisionLayer::Player);
    myBox.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>&, float) { OnPlayerContact(aPlayer); });

    ParticleEmitterSettings settings;
    settings.myTexturePath = Kiln::StringRegistry::RegisterOrGetStringLiteral(kShardTexture, std::strlen(kShardTexture));
    settings.mySpawnAmount = 200;
    settings.mySize = {10.0f, 10.0f};
    settings.myLifetimeInterval = {1.0f, 1.5f};
    settings.mySpeedInterval = {0.0f, 1.0f};
    settings.myAngleInterval = {-300.0f, 300.0f};
    settings.myAccelerationInterval = {25.0f, 50.0f};
    settings.myXOffsetInterval = {-30.0f, 30.0f};
    settings.myYOffsetInterval = {0.0f, 60.0f};
    settings.myScaleEnd = 0.0f;
    settings.myIsAlphaBlend = true;
    myEmitter = std::make_unique<ParticleEmitter>(settings);
}

void BreakablePot::OnPlayerContact(Player& aPlayer)
{
    if (!aPlayer.IsDashing())
        return;

    myEmitter->SetPosition(myPosition);
    myEmitter->Emit();
    Break(MessageType::PotBroken);
}

#include "CheckPoints.h"

#include "Message.h"
#include "ParticleEmitter.h"
#include "Player.h"
#include "PostMaster.h"
#include "PropModels.h"

#include "forge/drawers/ModelDrawer.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <cstring>

namespace
{
    constexpr const char* kSparkTexture = "sprites/VFX/S_VFX_checkpoint.dds";

    void Post(MessageType aType)
    {
        Message message;
        message.type = aType;
        PostMaster::GetInstance().SendMessage(message);
    }
}

CheckPoints::CheckPoints() = default;

CheckPoints::~CheckPoints()
{
    if (ourCurrent == this)
        ourCurrent = nullptr;
}

void CheckPoints::Init(const Kiln::ModelInstance& anOff, const Kiln::ModelInstance& anOn)
{
    myOffInstance = anOff;
    myOnInstance = anOn;

    myBox.Init({myPosition.x, myPosition.y + 400.0f}, {84.0f, 800.0f});
    myBox.SetCollisionLayer(CollisionLayer::Trigger);
    myBox.SetCollisionMask(CollisionLayer::Player);
    // A dead hero falling through must not save the spot where it died.
    myBox.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>&, float) {
        if (aPlayer.GetState() != Player::STATE_DEAD)
            Activate();
    });

    ParticleEmitterSettings settings;
    settings.myTexturePath = Kiln::StringRegistry::RegisterOrGetStringLiteral(kSparkTexture, std::strlen(kSparkTexture));
    settings.mySpawnAmount = 50;
    settings.mySize = {60.0f, 60.0f};
    settings.myLifetimeInterval = {0.5f, 1.0f};
    settings.mySpeedInterval = {100.0f, 100.0f};
    settings.myAngleInterval = {0.0f, 180.0f};
    settings.myAccelerationInterval = {50.0f, 100.0f};
    settings.myXOffsetInterval = {-25.0f, 25.0f};
    settings.myYOffsetInterval = {125.0f, 125.0f};
    settings.myRotation = 0.0f;
    settings.myScaleEnd = 1.0f;
    settings.myIsAlphaBlend = true;
    myEmitter = std::make_unique<ParticleEmitter>(settings);
}

void CheckPoints::Activate()
{
    if (ourCurrent == this)
        return;
    Post(MessageType::CheckpointReached);
    Post(MessageType::SaveState);
    myEmitter->SetPosition(myPosition);
    myEmitter->Emit();
    ourCurrent = this;
}

void CheckPoints::Render()
{
    if (Kiln::ModelDrawer* drawer = GetModelDrawer())
        drawer->Draw(IsCurrent() ? myOnInstance : myOffInstance);
}

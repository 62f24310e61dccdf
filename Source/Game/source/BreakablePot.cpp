#include "BreakablePot.h"

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
    constexpr const char* kShardTexture = "sprites/particles/S_Darktangle.dds";
}

BreakablePot::BreakablePot()
{
    PostMaster::GetInstance().Subscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Subscribe(MessageType::RestoreState, this);
}

BreakablePot::~BreakablePot()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Unsubscribe(MessageType::RestoreState, this);
}

void BreakablePot::Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken)
{
    myWholeInstance = aWhole;
    myBrokenInstance = aBroken;

    // Whatever the model, a generous box: a dash that passes close by breaks it.
    myBoxSize = {325.0f, 325.0f};
    mySavedIsBroken = myIsBroken;
    mySavedBoxSize = myBoxSize;
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

    myBoxSize = {0.0f, 0.0f};
    myIsBroken = true;
    myBox.SetSize(myBoxSize);
    myEmitter->SetPosition(myPosition);
    myEmitter->Emit();

    Message message;
    message.type = MessageType::PotBroken;
    PostMaster::GetInstance().SendMessage(message);
}

void BreakablePot::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::SaveState:
        mySavedIsBroken = myIsBroken;
        mySavedBoxSize = myBoxSize;
        break;
    case MessageType::RestoreState:
        myIsBroken = mySavedIsBroken;
        myBoxSize = mySavedBoxSize;
        myBox.SetSize(myBoxSize);
        break;
    default: break;
    }
}

void BreakablePot::Render()
{
    if (Kiln::ModelDrawer* drawer = GetModelDrawer())
        drawer->DrawLambert(myIsBroken ? myBrokenInstance : myWholeInstance);
}

#include "BreakableWall.h"

#include "Message.h"
#include "ParticleEmitter.h"
#include "Player.h"
#include "PostMaster.h"
#include "PropModels.h"

#include "forge/drawers/ModelDrawer.h"

BreakableWall::BreakableWall()
{
    PostMaster::GetInstance().Subscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Subscribe(MessageType::RestoreState, this);
}

BreakableWall::~BreakableWall()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Unsubscribe(MessageType::RestoreState, this);
}

void BreakableWall::Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken, Kiln::StringId aParticleTexture,
                         Kiln::Vector4<float> aColour)
{
    myWholeInstance = aWhole;
    myBrokenInstance = aBroken;

    const Kiln::Matrix4x4<float>& transform = myWholeInstance.GetTransform();
    const Kiln::Vector2<float> extent = GetModelHalfExtents(myWholeInstance);
    const float scaleX = GetRowLength(transform, 0);
    const float scaleY = GetRowLength(transform, 1);
    myBoxSize = {scaleX * 2.0f * extent.x, scaleY * 2.0f * extent.y};
    // A respawn before the level's first save finds the wall as it was built.
    mySavedIsBroken = myIsBroken;
    mySavedBoxSize = myBoxSize;

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

    myBoxSize = {0.0f, 0.0f};
    myIsBroken = true;
    // The debris flies on in the direction of the dash.
    myEmitter->SetRotation(aPlayer.GetVelocity().x > 0.0f ? 0.0f : 3.1415f);
    myEmitter->Emit();
    myBox.SetSize(myBoxSize);

    Message message;
    message.type = MessageType::WallBroken;
    PostMaster::GetInstance().SendMessage(message);
}

void BreakableWall::Receive(const Message& aMessage)
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

void BreakableWall::Render()
{
    if (Kiln::ModelDrawer* drawer = GetModelDrawer())
        drawer->DrawLambert(myIsBroken ? myBrokenInstance : myWholeInstance);
}

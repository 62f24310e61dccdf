#include "DoorButton.h"

#include "Door.h"
#include "Message.h"
#include "Player.h"
#include "PostMaster.h"
#include "PropModels.h"

#include "forge/drawers/ModelDrawer.h"

#include <algorithm>

DoorButton::DoorButton()
{
    PostMaster::GetInstance().Subscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Subscribe(MessageType::RestoreState, this);
}

DoorButton::~DoorButton()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Unsubscribe(MessageType::RestoreState, this);
}

void DoorButton::Init(const Kiln::ModelInstance& anUnpressed, const Kiln::ModelInstance& aPressed, int32_t aButtonIndex)
{
    mySavedIsPressed = myIsPressed;
    myUnpressedInstance = anUnpressed;
    myPressedInstance = aPressed;
    myButtonIndex = aButtonIndex;
    myCircle.Init({myPosition.x, myPosition.y}, RADIUS);
    myCircle.SetCollisionLayer(CollisionLayer::Trigger);
    myCircle.SetCollisionMask(CollisionLayer::Player);
    myCircle.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>&, float) { OnPlayerContact(aPlayer); });
}

void DoorButton::AddDoor(Door* aDoor)
{
    // The world links after every loading batch: the doors of earlier batches come again.
    if (aDoor == nullptr || std::find(myDoors.begin(), myDoors.end(), aDoor) != myDoors.end())
        return;
    myDoors.push_back(aDoor);
}

void DoorButton::OnPlayerContact(Player& aPlayer)
{
    if (myIsPressed || !aPlayer.IsDashing())
        return;
    myIsPressed = true;
    for (Door* door : myDoors)
        door->Open();
}

void DoorButton::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::SaveState: mySavedIsPressed = myIsPressed; break;
    // The doors restore themselves.
    case MessageType::RestoreState: myIsPressed = mySavedIsPressed; break;
    default: break;
    }
}

void DoorButton::Render()
{
    if (Kiln::ModelDrawer* drawer = GetModelDrawer())
        drawer->DrawLambert(myIsPressed ? myPressedInstance : myUnpressedInstance);
}

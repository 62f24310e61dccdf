#include "Door.h"

#include "Message.h"
#include "PostMaster.h"
#include "PropModels.h"

#include "forge/drawers/ModelDrawer.h"

#include <cmath>

Door::Door()
{
    PostMaster::GetInstance().Subscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Subscribe(MessageType::RestoreState, this);
}

Door::~Door()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Unsubscribe(MessageType::RestoreState, this);
}

Kiln::Vector2<float> Door::GetModelSize() const
{
    const Kiln::Matrix4x4<float>& transform = myClosedInstance.GetTransform();
    const Kiln::Vector2<float> extent = GetModelHalfExtents(myClosedInstance);
    return {GetRowLength(transform, 0) * 2.0f * extent.x, GetRowLength(transform, 1) * 2.0f * extent.y};
}

void Door::Init(const Kiln::ModelInstance& aClosed, const Kiln::ModelInstance& anOpen, int32_t aDoorIndex, float anOpenTimer,
                float anOpenSpeed)
{
    // Also refuses "not a number", which would never let the door finish or move.
    myOpenTimer = anOpenTimer > 0.0f ? anOpenTimer : DEFAULT_OPEN_TIMER;
    myOpenSpeed = anOpenSpeed > 0.0f ? anOpenSpeed : DEFAULT_OPEN_SPEED;

    myClosedInstance = aClosed;
    myOpenInstance = anOpen;
    myDoorIndex = aDoorIndex;

    // The box stands on the position along the door's own up axis.
    const Kiln::Matrix4x4<float>& transform = myClosedInstance.GetTransform();
    const Kiln::Vector3<float> up = transform.GetRow(1);
    const Kiln::Vector2<float> u = Kiln::Vector2<float>{up.x, up.y}.GetNormalized();
    const Kiln::Vector2<float> size = GetModelSize();
    myBoxOffset = u * (size.y / 2.0f);
    mySlide = {myBoxOffset.x, -100.0f};

    const Kiln::Vector3<float> side = transform.GetRow(0);
    const Kiln::Vector2<float> across = Kiln::Vector2<float>{side.x, side.y}.GetNormalized();
    myBox.Init({myPosition.x + myBoxOffset.x, myPosition.y + myBoxOffset.y}, size, std::atan2(across.y, across.x));
    myBox.SetCollisionLayer(CollisionLayer::Solid);
    myBox.SetCollisionMask(CollisionLayer::None);

    mySavedPosition = myPosition;
    mySavedElapsed = myElapsed;
    mySavedIsOpened = myIsOpened;
    mySavedBoxCenter = myBox.GetCollider().GetCenter();
}

void Door::Open()
{
    Message message;
    message.type = MessageType::DoorOpened;
    PostMaster::GetInstance().SendMessage(message);
    myIsOpened = true;
}

void Door::Update(float aDeltaTime)
{
    if (!myIsOpened || !(myElapsed < myOpenTimer))
        return;

    myPosition.y -= myOpenSpeed * aDeltaTime;
    Kiln::Matrix4x4<float> transform = myOpenInstance.GetTransform();
    transform.SetPosition(myPosition);
    myOpenInstance.SetTransform(transform);
    const Kiln::Vector2<float> slide = mySlide * (myElapsed / myOpenTimer);
    myBox.SetPosition({myPosition.x + myBoxOffset.x + slide.x, myPosition.y + myBoxOffset.y + slide.y});
    myElapsed += aDeltaTime;
}

void Door::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::SaveState:
        mySavedPosition = myPosition;
        mySavedIsOpened = myIsOpened;
        mySavedElapsed = myElapsed;
        mySavedBoxCenter = myBox.GetCollider().GetCenter();
        break;
    case MessageType::RestoreState:
    {
        myPosition = mySavedPosition;
        myIsOpened = mySavedIsOpened;
        myElapsed = mySavedElapsed;
        myBox.SetPosition(mySavedBoxCenter);
        Kiln::Matrix4x4<float> transform = myOpenInstance.GetTransform();
        transform.SetPosition(myPosition);
        myOpenInstance.SetTransform(transform);
        break;
    }
    default: break;
    }
}

void Door::Render()
{
    if (Kiln::ModelDrawer* drawer = GetModelDrawer())
        drawer->DrawLambert(myIsOpened ? myOpenInstance : myClosedInstance);
}

#include "LevelTransition.h"

#include "Message.h"
#include "PostMaster.h"

LevelTransition::LevelTransition() = default;

LevelTransition::~LevelTransition() = default;

void LevelTransition::Init(const Kiln::Vector3<float>& aPosition, const Kiln::Vector2<float>& aPivot, const Kiln::Vector2<float>& aSize,
                           float aDelay)
{
    myDelay = aDelay;
    const Kiln::Vector2<float> center{(0.5f - aPivot.x) * aSize.x + aPosition.x, aPosition.y - (0.5f - aPivot.y) * aSize.y};
    myTriggerBox.Init(center, aSize);
    myTriggerBox.SetCollisionLayer(CollisionLayer::Trigger);
    myTriggerBox.SetCollisionMask(CollisionLayer::Player);
    myTriggerBox.SetPlayerCollisionCallback([this](Player&, const Kiln::Vector2<float>&, float) {
        myIsTriggered = true;
        Message message;
        message.type = MessageType::LevelExit;
        PostMaster::GetInstance().SendMessage(message);
        // Never again: a box of no size touches nothing.
        myTriggerBox.SetSize(0.0f, 0.0f);
        if (myOnTriggered)
            myOnTriggered();
    });
}

void LevelTransition::Update(float aDeltaTime)
{
    if (!myIsTriggered)
        return;
    if (myDelay <= 0.0f)
    {
        // Cleared first: the action may end the level that owns this object.
        myIsTriggered = false;
        if (myOnFinished)
            myOnFinished();
    }
    else
    {
        myDelay -= aDeltaTime;
    }
}

#include "CustomCamera.h"

#include "Message.h"
#include "PostMaster.h"

#include <cmath>

CustomCamera::CustomCamera()
{
    PostMaster::GetInstance().Subscribe(MessageType::RestoreState, this);
}

CustomCamera::~CustomCamera()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::RestoreState, this);
}

void CustomCamera::Receive(const Message& aMessage)
{
    if (aMessage.type == MessageType::RestoreState)
        mySnap = true;
}

void CustomCamera::Update(float aDeltaTime)
{
    if (mySnap)
    {
        myAnchor = myTarget;
        mySnap = false;
    }

    Kiln::Vector3<float> lag = myAnchor - myTarget;
    const float lagSqr = lag.LengthSqr();
    if (lagSqr > 0.0001f)
    {
        lag *= std::exp(-myAnchorDampening * aDeltaTime);
    }
    else if (lagSqr > 0.0f)
    {
        lag.x = 0.0f;
        lag.y = 0.0f;
    }
    myAnchor = myTarget + lag;

    mySwing.Update(aDeltaTime);

    SetUpdatedFlag(true);
    SetPosition(myTarget + myOffset - lag * myViewLeadingScale + mySwing.GetOffset());
}

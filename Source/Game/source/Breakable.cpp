#include "Breakable.h"

#include "Message.h"
#include "ParticleEmitter.h"
#include "PostMaster.h"
#include "PropModels.h"

#include "forge/drawers/ModelDrawer.h"

Breakable::Breakable()
{
    PostMaster::GetInstance().Subscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Subscribe(MessageType::RestoreState, this);
}

Breakable::~Breakable()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::SaveState, this);
    PostMaster::GetInstance().Unsubscribe(MessageType::RestoreState, this);
}

void Breakable::SetUp(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken, const Kiln::Vector2<float>& aBoxSize)
{
    myWholeInstance = aWhole;
    myBrokenInstance = aBroken;
    myBoxSize = aBoxSize;
    mySavedIsBroken = myIsBroken;
    mySavedBoxSize = myBoxSize;
}

void Breakable::Break(MessageType aBrokenMessage)
{
    myBoxSize = {0.0f, 0.0f};
    myIsBroken = true;
    myBox.SetSize(myBoxSize);

    PostMaster::Send(aBrokenMessage);
}

void Breakable::Receive(const Message& aMessage)
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

void Breakable::Render()
{
    if (Kiln::ModelDrawer* drawer = GetModelDrawer())
        drawer->DrawLambert(myIsBroken ? myBrokenInstance : myWholeInstance);
}

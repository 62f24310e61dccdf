#include "InteractObject.h"

#include "Message.h"
#include "PostMaster.h"
#include "ScreenPrompt.h"

#include "forge/drawers/SpriteDrawer.h"

InteractObject::InteractObject(const char* aControllerSpritePath, const char* aKeyboardSpritePath, const Kiln::Vector3<float>& aPosition)
    : myPosition(aPosition)
{
    const Kiln::Vector2<float> screen = GetScreenSize();
    mySprite.myPosition = {0.83f * screen.x, 0.35f * screen.y};
    mySprite.mySize = {0.07f * screen.x, 0.07f * screen.x};
    mySprite.myPivot = {0.5f, 1.0f};
    myControllerSprite = LoadScreenPicture(aControllerSpritePath);
    myKeyboardSprite = LoadScreenPicture(aKeyboardSpritePath);
    PostMaster::GetInstance().Subscribe(MessageType::UpgradeGranted, this);
}

InteractObject::~InteractObject()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::UpgradeGranted, this);
}

void InteractObject::UpdateProximity(Kiln::Vector3<float> aPlayerPosition)
{
    const float dx = myPosition.x - aPlayerPosition.x;
    const float dy = myPosition.y - aPlayerPosition.y;
    myIsNear = dx * dx + dy * dy < 125000.0f;
}

void InteractObject::Receive(const Message&)
{
    // Only UpgradeGranted arrives: the ability this prompt pointed at has been taken.
    if (myIsNear)
        myIsEnabled = false;
}

void InteractObject::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    if (!myIsNear || !myIsEnabled)
        return;
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(IsGamepadActive() ? myControllerSprite : myKeyboardSprite);
    batch.Draw(mySprite);
}

#include "TutorialText.h"

#include "Message.h"
#include "PostMaster.h"
#include "ScreenPrompt.h"

#include "forge/drawers/SpriteDrawer.h"

TutorialText::TutorialText(const char* aControllerPage1, const char* aControllerPage2, const char* aKeyboardPage1,
                           const char* aKeyboardPage2, const Kiln::Vector3<float>& aPosition)
    : myPosition(aPosition)
{
    const Kiln::Vector2<float> screen = GetScreenSize();
    mySprite.myPosition = {0.5f * screen.x, 0.1f * screen.y};
    mySprite.mySize = {0.8f * screen.x, 0.4f * screen.x};
    mySprite.myPivot = {0.5f, 1.0f};
    myControllerPage1 = LoadScreenPicture(aControllerPage1);
    myControllerPage2 = LoadScreenPicture(aControllerPage2);
    myKeyboardPage1 = LoadScreenPicture(aKeyboardPage1);
    myKeyboardPage2 = LoadScreenPicture(aKeyboardPage2);
    PostMaster::GetInstance().Subscribe(MessageType::UpgradeGranted, this);
    PostMaster::GetInstance().Subscribe(MessageType::NpcTalk, this);
}

TutorialText::~TutorialText()
{
    PostMaster::GetInstance().Unsubscribe(MessageType::UpgradeGranted, this);
    PostMaster::GetInstance().Unsubscribe(MessageType::NpcTalk, this);
}

void TutorialText::UpdateProximity(Kiln::Vector3<float> aPlayerPosition)
{
    myIsNear = (myPosition - aPlayerPosition).Length() <= 5000.0f;
}

void TutorialText::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::NpcTalk:
        if (myIsNear)
        {
            ++myPage;
            myIsVisible = true;
        }
        break;
    case MessageType::UpgradeGranted:
        myPage = 0;
        myIsVisible = false;
        break;
    default: break;
    }
}

void TutorialText::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    // A page past the second (a second character talked to before the first granted
    // anything) has no picture.
    if (!myIsVisible || (myPage != 1 && myPage != 2))
        return;
    const bool pad = IsGamepadActive();
    const Kiln::SpriteSharedData& page = myPage == 1 ? (pad ? myControllerPage1 : myKeyboardPage1) : (pad ? myControllerPage2 : myKeyboardPage2);
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(page);
    batch.Draw(mySprite);
}

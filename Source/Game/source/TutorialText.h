#pragma once
// A two-page tutorial card drawn on screen near its spot: each talk of an upgrade character
// nearby turns to the next page, and a granted upgrade puts it away. The pages show the
// gamepad's pictures when the pad was used last, else the keyboard's.
#include "Subscriber.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <cstdint>

namespace Kiln
{
    class SpriteDrawer;
}

class TutorialText : public Subscriber
{
public:
    // Null paths read as empty ones. Needs the running engine for its size and textures.
    TutorialText(const char* aControllerPage1, const char* aControllerPage2, const char* aKeyboardPage1,
                 const char* aKeyboardPage2, const Kiln::Vector3<float>& aPosition);
    ~TutorialText() override;
    TutorialText(const TutorialText&) = delete;
    TutorialText& operator=(const TutorialText&) = delete;

    void UpdateProximity(Kiln::Vector3<float> aPlayerPosition);
    // In screen space, over everything else.
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    void Receive(const Message& aMessage) override;

    bool IsVisible() const { return myIsVisible; }
    bool IsNear() const { return myIsNear; }
    // 0 while none is turned up.
    uint32_t GetPage() const { return myPage; }
    const Kiln::Sprite2DInstanceData& GetSprite() const { return mySprite; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }

private:
    bool myIsVisible = false;
    bool myIsNear = false;
    uint32_t myPage = 0;
    Kiln::Sprite2DInstanceData mySprite;
    Kiln::SpriteSharedData myControllerPage1;
    Kiln::SpriteSharedData myControllerPage2;
    Kiln::SpriteSharedData myKeyboardPage1;
    Kiln::SpriteSharedData myKeyboardPage2;
    Kiln::Vector3<float> myPosition;
};

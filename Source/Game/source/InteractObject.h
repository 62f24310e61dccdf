#pragma once
// A button prompt drawn on screen while the player stands near its spot: the gamepad's
// picture when the pad was used last, else the keyboard's. Once an upgrade is granted
// while the player is near, the prompt has done its job and never shows again.
#include "Subscriber.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

namespace Kiln
{
    class SpriteDrawer;
}

class InteractObject : public Subscriber
{
public:
    // Null paths read as empty ones. Needs the running engine for its size and textures.
    InteractObject(const char* aControllerSpritePath, const char* aKeyboardSpritePath, const Kiln::Vector3<float>& aPosition);
    ~InteractObject() override;
    InteractObject(const InteractObject&) = delete;
    InteractObject& operator=(const InteractObject&) = delete;

    void UpdateProximity(Kiln::Vector3<float> aPlayerPosition);
    // In screen space, over everything else.
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    void Receive(const Message& aMessage) override;

    bool IsNear() const { return myIsNear; }
    bool IsEnabled() const { return myIsEnabled; }
    const Kiln::Sprite2DInstanceData& GetSprite() const { return mySprite; }
    const Kiln::SpriteSharedData& GetControllerSprite() const { return myControllerSprite; }
    const Kiln::SpriteSharedData& GetKeyboardSprite() const { return myKeyboardSprite; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }

private:
    bool myIsNear = false;
    bool myIsEnabled = true;
    Kiln::Sprite2DInstanceData mySprite;
    Kiln::SpriteSharedData myControllerSprite;
    Kiln::SpriteSharedData myKeyboardSprite;
    Kiln::Vector3<float> myPosition;
};

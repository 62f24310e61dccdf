#pragma once
// A decoration whose frames come from a sprite-sheet controller (the grass): a quad of
// 100 units times the object's scale, centred on the object, playing the "Idle" state.
#include "AnimationController.h"
#include "CustomSceneObject.h"

#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <string>

namespace Kiln
{
    class SpriteDrawer;
}

class AnimatedWorldSprite
{
public:
    AnimatedWorldSprite();
    ~AnimatedWorldSprite();
    AnimatedWorldSprite(const AnimatedWorldSprite&) = delete;
    AnimatedWorldSprite& operator=(const AnimatedWorldSprite&) = delete;

    // A controller without an "Idle" state ends the load with a ContentError naming the
    // object and the controller.
    void Init(const std::string& aControllerPath, CustomSceneObject anObject);
    void Update(float aDeltaTime);
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    const Kiln::Sprite3DInstanceData& GetInstance() const { return myInstance; }
    const Kiln::SpriteSharedData& GetSharedData() const { return mySharedData; }
    const AnimationController& GetAnimationController() const { return myAnimationController; }

private:
    Kiln::Sprite3DInstanceData myInstance;
    Kiln::SpriteSharedData mySharedData;
    AnimationController myAnimationController;
    Kiln::Vector3<float> myPosition{0.0f, 0.0f, 0.0f};
};

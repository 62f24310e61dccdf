#include "AnimatedWorldSprite.h"

#include "ContentError.h"

#include "forge/drawers/SpriteDrawer.h"

namespace
{
    constexpr float UNIT_SIZE = 100.0f;
}

AnimatedWorldSprite::AnimatedWorldSprite() = default;

AnimatedWorldSprite::~AnimatedWorldSprite() = default;

void AnimatedWorldSprite::Init(const std::string& aControllerPath, CustomSceneObject anObject)
{
    myAnimationController.Init(aControllerPath);
    mySharedData = myAnimationController.GetCurrentTexture();
    if (myAnimationController.GetAnimations().find("Idle") == myAnimationController.GetAnimations().end())
    {
        throw ContentError(anObject.Describe("the animation controller \"" + aControllerPath +
                                             "\" has no state \"Idle\" for a decoration to start in (no KOB_AnimationBlock object of "
                                             "that name in \"" + ContentError::SceneFolder(aControllerPath) + "\")"));
    }
    myAnimationController.SetState("Idle");

    myPosition = anObject.myPosition;
    const float w = anObject.myScale.x * UNIT_SIZE;
    const float h = anObject.myScale.y * UNIT_SIZE;
    const float d = anObject.myScale.z * UNIT_SIZE;
    myInstance.myTransform = Kiln::Matrix4x4<float>::CreateScale({w, h, d});
    myInstance.myTransform.SetPosition({myPosition.x - w / 2.0f, myPosition.y + h / 2.0f, myPosition.z + 1.0f});
}

void AnimatedWorldSprite::Update(float aDeltaTime)
{
    myAnimationController.Update(aDeltaTime);
}

void AnimatedWorldSprite::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    myAnimationController.ApplyToSpriteInstance(myInstance);
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(mySharedData);
    batch.Draw(myInstance);
}

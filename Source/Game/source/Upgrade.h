#pragma once
// A character that grants the player an ability: the first two presses of interact inside
// its circle make it talk, the third grants the ability, after which it falls and takes
// no further part.
#include "AnimationController.h"
#include "CollisionCircle.h"
#include "UpgradeConfiguration.h"

#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <memory>

class Player;

namespace Kiln
{
    class SpriteDrawer;
    class SpriteShader;
}

class Upgrade
{
public:
    static constexpr const char* CONTROLLER_PATH = "animations\\controllers\\A_Upgrade.ksc";
    static constexpr float RADIUS = 200.0f;

    static constexpr int32_t TYPE_DOUBLE_JUMP = 1;
    static constexpr int32_t TYPE_DASH = 2;
    static constexpr int32_t TYPE_DASH_ATTACK = 3;

    Upgrade();
    ~Upgrade();
    Upgrade(const Upgrade&) = delete;
    Upgrade& operator=(const Upgrade&) = delete;

    // Needs the controller scene in the animation library; a controller without "Idle" or
    // "Fall" throws ContentError naming it.
    void Init(const UpgradeConfiguration& aConfiguration);
    void Update(float aDeltaTime);
    void Render(Kiln::SpriteDrawer& aSpriteDrawer);

    // The circle to register with the collision manager.
    Circle& GetCollider() { return myCircle.GetCollider(); }
    // A frame of contact with the player: counts a press of interact.
    void OnInteract(Player& aPlayer);

    bool IsGranted() const { return myIsGranted; }
    uint32_t GetInteractions() const { return myInteractions; }
    int32_t GetUpgradeType() const { return myUpgradeType; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    const Kiln::Vector2<float>& GetPivot() const { return myPivot; }
    const Kiln::Sprite3DInstanceData& GetSpriteInstance() const { return mySpriteInstance; }
    const AnimationController& GetAnimationController() const { return myAnimationController; }
    const CollisionCircle& GetCircle() const { return myCircle; }
    Kiln::SpriteShader* GetShader() const { return myShader.get(); }

private:
    AnimationController myAnimationController;
    Kiln::Sprite3DInstanceData mySpriteInstance;
    Kiln::Vector2<float> myPivot{0.5f, 0.5f};
    Kiln::Vector3<float> myPosition;
    CollisionCircle myCircle;
    int32_t myUpgradeType = 0;
    std::unique_ptr<Kiln::SpriteShader> myShader;
    bool myIsGranted = false;
    uint32_t myInteractions = 0;
    // The sheets of "Idle" and "Fall", which draw with the own shader.
    int32_t myIdleSheet = -1;
    int32_t myFallSheet = -1;
    bool myIsShaderLoaded = false;
};

#pragma once
// A level's chase scene. When the player walks into its area, darkness closes in from the
// screen edges, the chase music starts and the player is held while a wall of hands rises
// far behind; the hands then sweep forward faster than the player can run until they are
// close behind, release the player and follow at the chase speed, killing on contact.
// Once the exit button has been pressed and the hands have passed the end of the area,
// the darkness fades away. Its progress is saved and restored with the checkpoints.
#include "CollisionBox.h"
#include "StationaryEnemy.h"
#include "Subscriber.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CustomSceneObject;
class ParticleEmitter;
class Player;

namespace Kiln
{
    class Camera;
}

class ChasingHands : public Subscriber
{
public:
    static constexpr uint32_t STATE_IDLE = 0;
    static constexpr uint32_t STATE_RISING = 1;
    static constexpr uint32_t STATE_CHASING = 2;
    static constexpr uint32_t STATE_FOLLOWING = 3;
    static constexpr uint32_t STATE_FADING = 4;
    static constexpr uint32_t STATE_DONE = 6;

    static constexpr const char* CONTROLLER_PATH = "animations\\controllers\\A_Chasing_Hands.ksc";
    static constexpr float HAND_SPACING = 256.0f;
    static constexpr float KILL_BOX_WIDTH = 400.0f;
    // The tallest area read: 80 hands, several screens high. Taller ones are refused at
    // read and held to this height when made directly.
    static constexpr float MAX_HEIGHT = 20000.0f;
    // The widest area read: the hands sweep the whole width before the darkness can fade,
    // and a wider one would hold the player for hours. Refused at read.
    static constexpr float MAX_WIDTH = 20000.0f;

    // (duration, amplitude): the world's camera shake; a duration of -1 stops the shake,
    // 0 shakes until the next call.
    using ShakeFunction = std::function<void(float aDuration, float anAmplitude)>;

    ChasingHands(Kiln::Vector3<float> aPosition, Kiln::Vector3<float> aSize, float aSpeed);
    // From a level's chase object: its position, its scale x 1000 as the size and its
    // "speed". Throws ContentError naming the object for a speed that is not above 0 (the
    // hands would never pass the end and the player would stay held) and for an area
    // wider than MAX_WIDTH or taller than MAX_HEIGHT.
    static std::unique_ptr<ChasingHands> Create(const CustomSceneObject& anObject);
    ~ChasingHands() override;
    ChasingHands(const ChasingHands&) = delete;
    ChasingHands& operator=(const ChasingHands&) = delete;

    void Update(float aDeltaTime, Player& aPlayer, ShakeFunction aShake);
    // The exit button was pressed: the darkness may fade once the hands pass the end.
    void AllowFinish() { myIsFinishAllowed = true; }

    // The darkness at the screen edges and behind the hands (screen space).
    void Render(const Kiln::Camera& aCamera);
    // The wall of hands, once it has risen.
    void RenderHands();

    // The start area, and the box that moves with the hands; the world registers both.
    OBB2D& GetCollider() { return myStartBox.GetCollider(); }
    OBB2D& GetKillCollider() { return myKillBox.GetCollider(); }

    void Receive(const Message& aMessage) override;

    uint32_t GetState() const { return myState; }
    float GetHandsX() const { return myHandsX; }
    float GetEndX() const { return myEndX; }
    float GetIntensity() const { return myIntensity; }
    bool IsFinishAllowed() const { return myIsFinishAllowed; }
    const std::vector<std::unique_ptr<StationaryEnemy>>& GetHands() const { return myHands; }
    const ParticleEmitter& GetEmitter() const { return *myEmitter; }
    const Kiln::Sprite2DInstanceData& GetOverlay() const { return myOverlay; }

private:
    void OnStartContact(Player& aPlayer);
    void OnKillContact(Player& aPlayer, const Kiln::Vector2<float>& aPush, float aDeltaTime);
    void UpdateHands(float aDeltaTime);
    // The motes' speed range: their own, plus the chase speed while the hands move.
    void SetMoteDrift(bool aWithTheHands);

    float mySavedHandsX = 0.0f;
    uint32_t mySavedState = STATE_IDLE;
    float mySavedIntensity = 0.0f;
    Kiln::Vector2<float> mySavedStartBoxSize;
    std::vector<std::unique_ptr<StationaryEnemy>> myHands;
    Kiln::Vector3<float> myPosition;
    float myHandsX = 0.0f;
    float mySpeed = 0.0f;
    float myEndX = 0.0f;
    Kiln::Vector3<float> mySize;
    float myIntensity = 0.0f;
    uint32_t myState = STATE_IDLE;
    CollisionBox myStartBox;
    CollisionBox myKillBox;
    bool myIsFinishAllowed = false;
    std::unique_ptr<ParticleEmitter> myEmitter;
    Kiln::Sprite2DInstanceData myOverlay;
    Kiln::SpriteSharedData myOverlaySharedData;
};

#pragma once
// A locked door: a solid box that door buttons open. Once opened it sinks into the floor
// for its open time, its box sliding a little further down than the model so that it is
// out of the way when the model stops. Its state goes back to the last save when the
// player respawns.
#include "CollisionBox.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"

#include <cstdint>

class Door : public Subscriber
{
public:
    // What an "openTimer" or "openSpeed" of 0 or less stands for.
    static constexpr float DEFAULT_OPEN_TIMER = 5.0f;   // seconds
    static constexpr float DEFAULT_OPEN_SPEED = 50.0f;  // units per second

    Door();
    ~Door() override;
    Door(const Door&) = delete;
    Door& operator=(const Door&) = delete;

    // Before Init: the foot of the door.
    void SetPosition(const Kiln::Vector3<float>& aPosition) { myPosition = aPosition; }
    void Init(const Kiln::ModelInstance& aClosed, const Kiln::ModelInstance& anOpen, int32_t aDoorIndex, float anOpenTimer,
              float anOpenSpeed);

    // Sinks while opening.
    void Update(float aDeltaTime);
    // Starts the sinking (a second call changes nothing but the message).
    void Open();
    int32_t GetIndex() const { return myDoorIndex; }
    // The closed model's width and height as placed.
    Kiln::Vector2<float> GetModelSize() const;

    // The box to register with the collision manager.
    OBB2D& GetCollider() { return myBox.GetCollider(); }
    // The open model once opened, else the closed one.
    void Render();

    void Receive(const Message& aMessage) override;

    bool IsOpened() const { return myIsOpened; }
    float GetElapsed() const { return myElapsed; }
    float GetOpenTimer() const { return myOpenTimer; }
    float GetOpenSpeed() const { return myOpenSpeed; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    const Kiln::Vector2<float>& GetBoxOffset() const { return myBoxOffset; }
    const Kiln::Vector2<float>& GetSlide() const { return mySlide; }
    const CollisionBox& GetBox() const { return myBox; }
    const Kiln::ModelInstance& GetOpenInstance() const { return myOpenInstance; }

private:
    Kiln::ModelInstance myClosedInstance;
    Kiln::ModelInstance myOpenInstance;
    CollisionBox myBox;
    Kiln::Vector3<float> myPosition;
    Kiln::Vector3<float> mySavedPosition;
    Kiln::Vector2<float> myBoxOffset;
    Kiln::Vector2<float> mySlide;
    // Where the box was at the last save: a respawn puts it back exactly there.
    Kiln::Vector2<float> mySavedBoxCenter;
    float myElapsed = 0.0f;
    float mySavedElapsed = 0.0f;
    float myOpenTimer = DEFAULT_OPEN_TIMER;
    float myOpenSpeed = DEFAULT_OPEN_SPEED;
    bool myIsOpened = false;
    bool mySavedIsOpened = false;
    int32_t myDoorIndex = 0;
};

#pragma once
// A floor button that a dash presses: it opens every door linked to it (the doors of the
// same index). It stays pressed until a respawn restores an earlier save.
#include "CollisionCircle.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"

#include <cstdint>
#include <vector>

class Door;
class Player;

class DoorButton : public Subscriber
{
public:
    static constexpr float RADIUS = 75.0f;

    DoorButton();
    ~DoorButton() override;
    DoorButton(const DoorButton&) = delete;
    DoorButton& operator=(const DoorButton&) = delete;

    // Before Init: the centre of the button.
    void SetPosition(const Kiln::Vector3<float>& aPosition) { myPosition = aPosition; }
    void Init(const Kiln::ModelInstance& anUnpressed, const Kiln::ModelInstance& aPressed, int32_t aButtonIndex);

    // Links a door (not owned) to open on a press; a door already linked is not added twice.
    void AddDoor(Door* aDoor);
    int32_t GetIndex() const { return myButtonIndex; }
    bool IsPressed() const { return myIsPressed; }
    const std::vector<Door*>& GetDoors() const { return myDoors; }

    // The circle to register with the collision manager.
    Circle& GetCollider() { return myCircle.GetCollider(); }
    // The pressed model once pressed, else the unpressed one.
    void Render();

    void Receive(const Message& aMessage) override;

    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }

private:
    void OnPlayerContact(Player& aPlayer);

    Kiln::ModelInstance myUnpressedInstance;
    Kiln::ModelInstance myPressedInstance;
    std::vector<Door*> myDoors;
    Kiln::Vector3<float> myPosition;
    CollisionCircle myCircle;
    bool myIsPressed = false;
    bool mySavedIsPressed = false;
    int32_t myButtonIndex = 0;
};

#pragma once
// What a breakable prop shares: a whole and a broken model, a box that a break switches
// off, a burst of particles, and a state that goes back to the last save when the player
// respawns. What breaks it, its box and its burst are the prop's own.
#include "CollisionBox.h"
#include "MessageType.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"

#include <memory>

class ParticleEmitter;

class Breakable : public Subscriber
{
public:
    Breakable();
    ~Breakable() override;
    Breakable(const Breakable&) = delete;
    Breakable& operator=(const Breakable&) = delete;

    // The box to register with the collision manager.
    OBB2D& GetCollider() { return myBox.GetCollider(); }
    // The broken model once broken, else the whole one.
    void Render();

    void Receive(const Message& aMessage) override;

    bool IsBroken() const { return myIsBroken; }
    const CollisionBox& GetBox() const { return myBox; }
    // Null before Init.
    const ParticleEmitter* GetEmitter() const { return myEmitter.get(); }

protected:
    // Takes the models and the whole box's size; a respawn before the level's first save
    // finds the prop as it was built.
    void SetUp(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken, const Kiln::Vector2<float>& aBoxSize);
    // Switches the box off and tells the level.
    void Break(MessageType aBrokenMessage);

    Kiln::Vector2<float> myBoxSize;
    Kiln::ModelInstance myWholeInstance;
    std::unique_ptr<ParticleEmitter> myEmitter;
    CollisionBox myBox;

private:
    bool myIsBroken = false;
    bool mySavedIsBroken = false;
    Kiln::Vector2<float> mySavedBoxSize;
    Kiln::ModelInstance myBrokenInstance;
};

#pragma once
// A pot that any dash breaks: a trigger box that switches itself off, a broken model and a
// burst of particles. Its state goes back to the last save when the player respawns.
#include "CollisionBox.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"

#include <memory>

class ParticleEmitter;
class Player;

class BreakablePot : public Subscriber
{
public:
    BreakablePot();
    ~BreakablePot() override;
    BreakablePot(const BreakablePot&) = delete;
    BreakablePot& operator=(const BreakablePot&) = delete;

    // Before Init: the foot of the pot.
    void SetPosition(const Kiln::Vector3<float>& aPosition) { myPosition = aPosition; }
    void Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken);

    // The box to register with the collision manager.
    OBB2D& GetCollider() { return myBox.GetCollider(); }
    // The broken model once broken, else the whole one.
    void Render();

    void Receive(const Message& aMessage) override;

    bool IsBroken() const { return myIsBroken; }
    const CollisionBox& GetBox() const { return myBox; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    // Null before Init.
    const ParticleEmitter* GetEmitter() const { return myEmitter.get(); }

private:
    void OnPlayerContact(Player& aPlayer);

    bool myIsBroken = false;
    bool mySavedIsBroken = false;
    Kiln::Vector2<float> myBoxSize;
    Kiln::Vector2<float> mySavedBoxSize;
    Kiln::Vector3<float> myPosition;
    Kiln::ModelInstance myWholeInstance;
    Kiln::ModelInstance myBrokenInstance;
    std::unique_ptr<ParticleEmitter> myEmitter;
    CollisionBox myBox;
};

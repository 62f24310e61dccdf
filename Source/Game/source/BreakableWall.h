#pragma once
// A wall that blocks the player like a solid box until a dash attack goes through it: then
// it switches its box off, shows its broken model and bursts into particles. Its state
// goes back to the last save when the player respawns.
#include "CollisionBox.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"
#include "forge/stringRegistry/StringId.h"

#include <memory>

class ParticleEmitter;
class Player;

class BreakableWall : public Subscriber
{
public:
    BreakableWall();
    ~BreakableWall() override;
    BreakableWall(const BreakableWall&) = delete;
    BreakableWall& operator=(const BreakableWall&) = delete;

    // Before Init: the foot of the wall.
    void SetPosition(float anX, float aY) { myPosition = {anX, aY}; }
    void Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken, Kiln::StringId aParticleTexture,
              Kiln::Vector4<float> aColour);

    // The box to register with the collision manager.
    OBB2D& GetCollider() { return myBox.GetCollider(); }
    // The broken model once broken, else the whole one.
    void Render();

    void Receive(const Message& aMessage) override;

    bool IsBroken() const { return myIsBroken; }
    const CollisionBox& GetBox() const { return myBox; }
    const Kiln::Vector2<float>& GetPosition() const { return myPosition; }
    // Null before Init.
    const ParticleEmitter* GetEmitter() const { return myEmitter.get(); }

private:
    void OnPlayerContact(Player& aPlayer);

    bool myIsBroken = false;
    bool mySavedIsBroken = false;
    Kiln::Vector2<float> myBoxSize;
    Kiln::Vector2<float> mySavedBoxSize;
    Kiln::Vector2<float> myPosition;
    Kiln::ModelInstance myWholeInstance;
    Kiln::ModelInstance myBrokenInstance;
    std::unique_ptr<ParticleEmitter> myEmitter;
    CollisionBox myBox;
};

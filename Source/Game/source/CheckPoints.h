#pragma once
// A checkpoint: a tall trigger that saves the game the first time the player touches it
// and then shows its lit model. One checkpoint of the running level is the current one.
#include "CollisionBox.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"

#include <memory>

class ParticleEmitter;
class Player;

class CheckPoints
{
public:
    CheckPoints();
    // A checkpoint that goes (with its level) stops being the current one, so a checkpoint
    // of the next level is never taken for it.
    ~CheckPoints();
    CheckPoints(const CheckPoints&) = delete;
    CheckPoints& operator=(const CheckPoints&) = delete;

    // Before Init: the foot of the checkpoint.
    void SetPosition(const Kiln::Vector3<float>& aPosition) { myPosition = aPosition; }
    void Init(const Kiln::ModelInstance& anOff, const Kiln::ModelInstance& anOn);

    // The box to register with the collision manager.
    OBB2D& GetCollider() { return myBox.GetCollider(); }
    // The lit model while this is the current checkpoint, else the unlit one.
    void Render();

    // The checkpoint last touched; null until one is.
    static const CheckPoints* GetCurrent() { return ourCurrent; }
    bool IsCurrent() const { return ourCurrent == this; }
    const CollisionBox& GetBox() const { return myBox; }
    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    // Null before Init.
    const ParticleEmitter* GetEmitter() const { return myEmitter.get(); }

private:
    void Activate();

    static inline const CheckPoints* ourCurrent = nullptr;

    Kiln::ModelInstance myOffInstance;
    Kiln::ModelInstance myOnInstance;
    Kiln::Vector3<float> myPosition;
    CollisionBox myBox;
    std::unique_ptr<ParticleEmitter> myEmitter;
};

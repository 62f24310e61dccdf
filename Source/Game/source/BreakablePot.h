#pragma once
// A pot that any dash breaks: a trigger box that switches itself off, a broken model and a
// burst of particles. Its state goes back to the last save when the player respawns.
#include "Breakable.h"

class Player;

class BreakablePot : public Breakable
{
public:
    // Before Init: the foot of the pot.
    void SetPosition(const Kiln::Vector3<float>& aPosition) { myPosition = aPosition; }
    void Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken);

    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }

private:
    void OnPlayerContact(Player& aPlayer);

    Kiln::Vector3<float> myPosition;
};

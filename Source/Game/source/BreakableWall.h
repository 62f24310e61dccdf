#pragma once
// A wall that blocks the player like a solid box until a dash attack goes through it: then
// it switches its box off, shows its broken model and bursts into particles. Its state
// goes back to the last save when the player respawns.
#include "Breakable.h"

#include "forge/stringRegistry/StringId.h"

class Player;

class BreakableWall : public Breakable
{
public:
    // Before Init: the foot of the wall.
    void SetPosition(float anX, float aY) { myPosition = {anX, aY}; }
    void Init(const Kiln::ModelInstance& aWhole, const Kiln::ModelInstance& aBroken, Kiln::StringId aParticleTexture,
              Kiln::Vector4<float> aColour);

    const Kiln::Vector2<float>& GetPosition() const { return myPosition; }

private:
    void OnPlayerContact(Player& aPlayer);

    Kiln::Vector2<float> myPosition;
};

#pragma once
// A particle that glides in a straight line from where it was when its target was set to
// the target's current position, arriving when its life ends. Speed, size and animation
// stay as they were born.
#include "Particle.h"

class SeekingParticle : public Particle
{
public:
    using Particle::Particle;

    // Start position := the current position; aTarget must outlive the particle.
    void SetTarget(const Kiln::Vector3<float>* aTarget);
    void Update(float aDeltaTime) override;

private:
    Kiln::Vector3<float> myStartPosition;
    const Kiln::Vector3<float>* myTarget = nullptr;
};

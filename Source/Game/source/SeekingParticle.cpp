#include "SeekingParticle.h"

void SeekingParticle::SetTarget(const Kiln::Vector3<float>* aTarget)
{
    myStartPosition = myPosition;
    myTarget = aTarget;
}

void SeekingParticle::Update(float aDeltaTime)
{
    myAge += aDeltaTime;
    if (myTarget == nullptr)
        return;
    const float t = myAge / myLifetime;
    myPosition = myStartPosition + (*myTarget - myStartPosition) * t;
}

#include "ParticleEmitter.h"

#include "ParticleRegistry.h"
#include "RandomFloat.h"
#include "SeekingParticle.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
    float Draw(const Kiln::Vector2<float>& anInterval)
    {
        return RandomFloat(anInterval.x, anInterval.y);
    }

    void Order(Kiln::Vector2<float>& anInterval)
    {
        if (anInterval.y < anInterval.x)
            std::swap(anInterval.x, anInterval.y);
    }
}

ParticleEmitter::ParticleEmitter(const ParticleEmitterSettings& someSettings)
    : mySettings(someSettings), mySpawnTimer(someSettings.mySpawnFrequency)
{
    if (mySettings.myHasAnimation)
    {
        myController.Init(mySettings.myControllerPath);
        myController.SetState("Idle");
    }
}

void ParticleEmitter::Update(float aDeltaTime)
{
    if (mySettings.myEmitterLifetime > 0.0f)
    {
        myElapsedTime += aDeltaTime;
        if (myElapsedTime >= mySettings.myEmitterLifetime)
            return;
    }

    const float period = mySettings.mySpawnFrequency;
    // A period of 0 or less (or not a number) would never leave the loop below: such an
    // emitter bursts once per update instead.
    if (!(period > 0.0f))
    {
        mySpawnTimer = 0.0f;
        Emit();
        return;
    }
    mySpawnTimer += aDeltaTime;
    // A period far below the frame time would birth without bound: past the most bursts
    // one update may spawn, the rest of the backlog is dropped.
    const int32_t burstLimit = std::max(1, ParticleEmitterSettings::MAX_SPAWN_AMOUNT / std::max(1, mySettings.mySpawnAmount));
    int32_t bursts = 0;
    while (mySpawnTimer >= period)
    {
        if (bursts++ == burstLimit)
        {
            mySpawnTimer = std::fmod(mySpawnTimer, period);
            break;
        }
        const float before = mySpawnTimer;
        mySpawnTimer -= period;
        Emit();
        // A period too small to count the timer down would never end the loop either.
        if (!(mySpawnTimer < before))
        {
            mySpawnTimer = 0.0f;
            break;
        }
    }
}

void ParticleEmitter::UpdateAt(float aDeltaTime, const Kiln::Vector3<float>& aPosition)
{
    mySettings.myPosition = aPosition;
    Update(aDeltaTime);
}

void ParticleEmitter::Emit()
{
    ParticleEmitterSettings& s = mySettings;
    const float rotationDegrees = s.myRotation * 180.0f / 3.1415f;
    const float cosRotation = std::cos(s.myRotation);
    const float sinRotation = std::sin(s.myRotation);
    const AnimationController noAnimation;

    for (int32_t i = 0; i < s.mySpawnAmount; ++i)
    {
        const float speed = Draw(s.mySpeedInterval);
        const float angle = RandomFloat(rotationDegrees + s.myAngleInterval.x, rotationDegrees + s.myAngleInterval.y) * 0.017452778f;
        const float lifetime = Draw(s.myLifetimeInterval);
        const float acceleration = Draw(s.myAccelerationInterval);
        const float damping = Draw(s.myDampingInterval);
        const float startScale = Draw(s.myStartScaleInterval);
        const float accelerationChange = Draw(s.myAccelerationChangeInterval);

        Order(s.myXOffsetInterval);
        Order(s.myYOffsetInterval);
        const float ox = Draw(s.myXOffsetInterval);
        const float oy = Draw(s.myYOffsetInterval);
        const Kiln::Vector3<float> position = s.myPosition + Kiln::Vector3<float>(cosRotation * ox - sinRotation * oy + s.myBaseOffset.x,
                                                                                sinRotation * ox + cosRotation * oy + s.myBaseOffset.y, 1.0f);

        const AnimationController& controller = s.myHasAnimation ? myController : noAnimation;
        Particle* particle = nullptr;
        if (s.mySeekTarget != nullptr)
        {
            auto* seeking = new SeekingParticle(position, s.myTexturePath, lifetime, speed, angle, acceleration, damping, startScale,
                                                s.myScaleEnd, s.mySize, s.myColorStart, s.myColorEnd, s.myIsAlphaBlend, controller,
                                                s.myHasAnimation, accelerationChange, s.mySizeDynamic);
            seeking->SetTarget(s.mySeekTarget);
            particle = seeking;
        }
        else
        {
            particle = new Particle(position, s.myTexturePath, lifetime, speed, angle, acceleration, damping, startScale, s.myScaleEnd,
                                    s.mySize, s.myColorStart, s.myColorEnd, s.myIsAlphaBlend, controller, s.myHasAnimation,
                                    accelerationChange, s.mySizeDynamic);
        }
        ParticleRegistry::GetInstance().Register(particle);
    }
}

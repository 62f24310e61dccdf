#include "Particle.h"

#include <cmath>

Particle::Particle(const Kiln::Vector3<float>& aPosition, Kiln::StringId aTexturePath, float aLifetime, float aSpeed, float anAngle,
                   float anAcceleration, float aDamping, float aStartScale, float aScaleEnd, const Kiln::Vector2<float>& aSize,
                   const Kiln::Color& aStartColor, const Kiln::Color& anEndColor, bool anIsAlphaBlend,
                   const AnimationController& aController, bool aHasAnimation, float anAccelerationChange, bool aSizeDynamic)
    : myPosition(aPosition)
    , myStartSize(aSize * aStartScale)
    , myCurrentSize(aSize * aStartScale)
    , mySpeed(aSpeed)
    , myAcceleration(anAcceleration)
    , myDamping(aDamping)
    , myScaleEnd(aScaleEnd)
    , myLifetime(aLifetime)
    , myStartColor(aStartColor)
    , myEndColor(anEndColor)
    , myTexturePath(aTexturePath)
    , myIsAlphaBlend(anIsAlphaBlend)
    , myAccelerationChange(anAccelerationChange)
    , myHasAnimation(aHasAnimation)
    , myController(aController)
    , myDirection(std::cos(anAngle), std::sin(anAngle))
    , mySizeCurve(aSizeDynamic ? &SineSize : &LinearSize)
{
}

Particle::~Particle() = default;

Kiln::Vector2<float> Particle::LinearSize(const Particle& aParticle)
{
    const Kiln::Vector2<float>& start = aParticle.myStartSize;
    return start + (start * aParticle.myScaleEnd - start) * (aParticle.myAge / aParticle.myLifetime);
}

Kiln::Vector2<float> Particle::SineSize(const Particle& aParticle)
{
    return aParticle.myStartSize * std::sin(aParticle.myAge * 3.1415927f / aParticle.myLifetime);
}

void Particle::Update(float aDeltaTime)
{
    myAge += aDeltaTime;
    mySpeed = std::exp(-myDamping * aDeltaTime) * (mySpeed - myAcceleration * aDeltaTime);
    myAcceleration += myAccelerationChange * aDeltaTime;
    myPosition.x += mySpeed * myDirection.x * aDeltaTime;
    myPosition.y += mySpeed * myDirection.y * aDeltaTime;
    myCurrentSize = mySizeCurve(*this);
    if (myHasAnimation)
        myController.Update(aDeltaTime);
}

Kiln::Color Particle::GetCurrentColor() const
{
    const float t = myAge / myLifetime;
    return {myStartColor.r + (myEndColor.r - myStartColor.r) * t, myStartColor.g + (myEndColor.g - myStartColor.g) * t,
            myStartColor.b + (myEndColor.b - myStartColor.b) * t, myStartColor.a + (myEndColor.a - myStartColor.a) * t};
}

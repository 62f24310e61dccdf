#pragma once
// One 2D particle: flies along a fixed direction with a speed that decays, changes size
// and colour over its life and may play a sprite-sheet animation. Owned and updated by the
// ParticleRegistry from Register until the update that ends its life.
#include "AnimationController.h"

#include "forge/math/Color.h"
#include "forge/math/Vector.h"
#include "forge/stringRegistry/StringId.h"

class Particle
{
public:
    // anAngle in radians; the start size is aSize times aStartScale.
    Particle(const Kiln::Vector3<float>& aPosition, Kiln::StringId aTexturePath, float aLifetime, float aSpeed, float anAngle,
             float anAcceleration, float aDamping, float aStartScale, float aScaleEnd, const Kiln::Vector2<float>& aSize,
             const Kiln::Color& aStartColor, const Kiln::Color& anEndColor, bool anIsAlphaBlend,
             const AnimationController& aController, bool aHasAnimation, float anAccelerationChange, bool aSizeDynamic);
    virtual ~Particle();
    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;

    virtual void Update(float aDeltaTime);

    bool IsAlive() const { return myAge < myLifetime; }
    // Start colour blended towards the end colour by age / lifetime, per channel.
    Kiln::Color GetCurrentColor() const;

    const Kiln::Vector3<float>& GetPosition() const { return myPosition; }
    const Kiln::Vector2<float>& GetStartSize() const { return myStartSize; }
    const Kiln::Vector2<float>& GetCurrentSize() const { return myCurrentSize; }
    float GetSpeed() const { return mySpeed; }
    float GetAcceleration() const { return myAcceleration; }
    float GetLifetime() const { return myLifetime; }
    float GetAge() const { return myAge; }
    Kiln::StringId GetTexturePath() const { return myTexturePath; }
    bool IsAlphaBlend() const { return myIsAlphaBlend; }
    bool HasAnimation() const { return myHasAnimation; }
    const AnimationController& GetController() const { return myController; }
    const Kiln::Vector2<float>& GetDirection() const { return myDirection; }

protected:
    using SizeCurve = Kiln::Vector2<float> (*)(const Particle& aParticle);
    static Kiln::Vector2<float> LinearSize(const Particle& aParticle);
    static Kiln::Vector2<float> SineSize(const Particle& aParticle);

    Kiln::Vector3<float> myPosition;
    Kiln::Vector2<float> myStartSize;
    Kiln::Vector2<float> myCurrentSize;
    float mySpeed = 0.0f;
    float myAcceleration = 0.0f;
    float myDamping = 0.0f;
    float myScaleEnd = 1.0f;
    float myLifetime = 0.0f;
    Kiln::Color myStartColor;
    Kiln::Color myEndColor;
    Kiln::StringId myTexturePath;
    bool myIsAlphaBlend = true;
    float myAccelerationChange = 0.0f;
    bool myHasAnimation = false;
    AnimationController myController;
    Kiln::Vector2<float> myDirection{1.0f, 0.0f}; // (cos angle, sin angle)
    float myAge = 0.0f;
    SizeCurve mySizeCurve = &LinearSize;
};

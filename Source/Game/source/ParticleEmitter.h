#pragma once
// Spawns bursts of particles into the ParticleRegistry: on a timer (Update, UpdateAt) or on
// demand (Emit). The owner may move and turn it between bursts, and change any setting.
#include "AnimationController.h"
#include "ParticleEmitterSettings.h"

class ParticleEmitter
{
public:
    explicit ParticleEmitter(const ParticleEmitterSettings& someSettings);

    // Timed bursts at the stored position; nothing once the emitter lifetime has passed.
    void Update(float aDeltaTime);
    void UpdateAt(float aDeltaTime, const Kiln::Vector3<float>& aPosition);
    // One burst now, whatever the lifetime and the timer.
    void Emit();

    void SetPosition(const Kiln::Vector3<float>& aPosition) { mySettings.myPosition = aPosition; }
    const Kiln::Vector3<float>& GetPosition() const { return mySettings.myPosition; }
    void SetRotation(float aRadians) { mySettings.myRotation = aRadians; }
    float GetRotation() const { return mySettings.myRotation; }

    ParticleEmitterSettings& GetSettings() { return mySettings; }
    const ParticleEmitterSettings& GetSettings() const { return mySettings; }
    float GetSpawnTimer() const { return mySpawnTimer; }
    float GetElapsedTime() const { return myElapsedTime; }
    const AnimationController& GetController() const { return myController; }

private:
    ParticleEmitterSettings mySettings;
    float mySpawnTimer = 0.0f;
    float myElapsedTime = 0.0f;
    AnimationController myController;
};

#pragma once
// Hands reaching out of a wall (rotation.z within +-40 degrees) or hanging from a ceiling
// (any other rotation, drawn with the dangling art turned half a turn). They never move and
// never die; touching them kills the player. Optionally they shed dark motes from the edge
// they grow out of.
#include "AnimationController.h"
#include "Enemy.h"

#include <memory>

class ParticleEmitter;

class StationaryEnemy : public Enemy
{
public:
    static constexpr const char* IDLE_CONTROLLER_PATH = "animations\\controllers\\A_Hands_Idle.ksc";
    static constexpr const char* DANGLING_CONTROLLER_PATH = "animations\\controllers\\A_Hands_Dangling.ksc";

    StationaryEnemy();
    ~StationaryEnemy() override;

    void Init(const EnemyConfig& aConfig) override;
    void Update(float aDeltaTime) override;
    void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;

    const AnimationController& GetAnimationController() const { return myAnimationController; }
    const ParticleEmitter* GetEmitter() const { return myEmitter.get(); }
    float GetEmitterOffset() const { return myEmitterOffset; }

private:
    // The chase scene dresses its wall of hands in its own controller and size.
    friend class ChasingHands;

    std::unique_ptr<ParticleEmitter> myEmitter;
    AnimationController myAnimationController;
    // Where the emitter sits along the sprite's y axis.
    float myEmitterOffset = -0.5f;
};

#pragma once
// The invisible exit of a level: when the player touches it, it runs one action at once
// (the player walks out) and another once its delay has passed (the next level).
#include "CollisionBox.h"

#include "forge/math/Vector.h"

#include <functional>

class LevelTransition
{
public:
    using Action = std::function<void()>;

    LevelTransition();
    ~LevelTransition();
    LevelTransition(const LevelTransition&) = delete;
    LevelTransition& operator=(const LevelTransition&) = delete;

    // The box spans aSize with aPivot (0 to 1, y down from the top) at aPosition; the
    // finishing action runs aDelay seconds after the contact.
    void Init(const Kiln::Vector3<float>& aPosition, const Kiln::Vector2<float>& aPivot, const Kiln::Vector2<float>& aSize, float aDelay);

    void SetOnTriggered(const Action& anAction) { myOnTriggered = anAction; }
    void SetOnFinished(const Action& anAction) { myOnFinished = anAction; }

    void Update(float aDeltaTime);

    OBB2D& GetCollider() { return myTriggerBox.GetCollider(); }

    bool IsTriggered() const { return myIsTriggered; }
    float GetDelay() const { return myDelay; }

private:
    Action myOnTriggered;
    Action myOnFinished;
    CollisionBox myTriggerBox;
    float myDelay = 1.0f;
    bool myIsTriggered = false;
};

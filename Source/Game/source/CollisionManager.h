#pragma once
// The level's registered shapes (not owned) and the once-a-frame collision pass over every
// pair of them whose layers and masks match.
#include <cstddef>
#include <vector>

class Collider;

class CollisionManager
{
public:
    void AddCollider(Collider* aCollider);

    // Tests each pair once, in registration order, and tells each owner whose mask matches
    // the other's layer. Null entries are skipped and removed afterwards, each hole filled
    // by the last entry.
    void CollisionPass(float aDeltaTime);

    const std::vector<Collider*>& GetColliders() const { return myColliders; }

private:
    std::vector<Collider*> myColliders;
    std::vector<std::size_t> myHoles;
};

#include "CollisionManager.h"

#include "ColliderPossessor.h"
#include "Collider.h"

void CollisionManager::AddCollider(Collider* aCollider)
{
    myColliders.push_back(aCollider);
}

void CollisionManager::CollisionPass(float aDeltaTime)
{
    myHoles.clear();
    // Indices rather than iterators: a contact callback may register further shapes.
    for (size_t i = 0; i < myColliders.size(); ++i)
    {
        Collider* a = myColliders[i];
        if (!a)
        {
            myHoles.push_back(i);
            continue;
        }
        if (i + 1 == myColliders.size())
            break;
        ColliderPossessor* ownerA = a->GetOwner();
        if (!ownerA)
            continue;

        for (size_t j = i + 1; j < myColliders.size(); ++j)
        {
            Collider* b = myColliders[j];
            if (!b)
                continue;
            ColliderPossessor* ownerB = b->GetOwner();
            if (!ownerB)
                continue;

            const bool aListens = (ownerA->GetCollisionMask() & ownerB->GetCollisionLayer()) != 0;
            const bool bListens = (ownerB->GetCollisionMask() & ownerA->GetCollisionLayer()) != 0;
            if (!aListens && !bListens)
                continue;

            Kiln::Vector2<float> push;
            if (!a->Intersects(*b, push, false))
                continue;
            // push is what A's owner is handed; B's owner gets it negated.
            if (aListens)
                ownerB->OnCollision(*ownerA, -push, aDeltaTime);
            if (bListens)
                ownerA->OnCollision(*ownerB, push, aDeltaTime);
        }
    }

    for (auto hole = myHoles.rbegin(); hole != myHoles.rend(); ++hole)
    {
        myColliders[*hole] = myColliders.back();
        myColliders.pop_back();
    }
}

#include "CollisionBox.h"

CollisionBox::CollisionBox()
{
    myBox.Init(this, {0.0f, 0.0f}, {0.0f, 0.0f});
}

void CollisionBox::Init(const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize)
{
    myBox.Init(this, aCenter, aSize);
}

void CollisionBox::Init(const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize, float aRotation)
{
    myBox.Init(this, aCenter, aSize);
    myBox.SetRotation(aRotation);
}

void CollisionBox::OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    anOther.OnCollisionWithBox(*this, -aPush, aDeltaTime);
}

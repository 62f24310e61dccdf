#include "CollisionCircle.h"

CollisionCircle::CollisionCircle()
{
    myCircle.Init(this, {0.0f, 0.0f}, 0.0f);
}

void CollisionCircle::Init(const Kiln::Vector2<float>& aCenter, float aRadius)
{
    myCircle.Init(this, aCenter, aRadius);
}

void CollisionCircle::OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    anOther.OnCollisionWithCircle(*this, -aPush, aDeltaTime);
}

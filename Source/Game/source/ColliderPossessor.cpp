#include "ColliderPossessor.h"

ColliderPossessor::~ColliderPossessor() = default;

void ColliderPossessor::OnCollisionWithBox(CollisionBox& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    if (myBoxCallback)
        myBoxCallback(anOther, aPush, aDeltaTime);
}

void ColliderPossessor::OnCollisionWithCircle(CollisionCircle& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    if (myCircleCallback)
        myCircleCallback(anOther, aPush, aDeltaTime);
}

void ColliderPossessor::OnCollisionWithEnemy(Enemy& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    if (myEnemyCallback)
        myEnemyCallback(anOther, aPush, aDeltaTime);
}

void ColliderPossessor::OnCollisionWithPlayer(Player& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    if (myPlayerCallback)
        myPlayerCallback(anOther, aPush, aDeltaTime);
}

#pragma once
// A generic owner of one circle: door buttons and upgrade characters. A radius of 0
// switches it off.
#include "Circle.h"
#include "ColliderPossessor.h"

class CollisionCircle : public ColliderPossessor
{
public:
    CollisionCircle();

    void Init(const Kiln::Vector2<float>& aCenter, float aRadius);

    // The shape to register with the collision manager.
    Circle& GetCollider() { return myCircle; }
    const Circle& GetCollider() const { return myCircle; }
    float GetRadius() const { return myCircle.GetRadius(); }

    void SetPosition(const Kiln::Vector2<float>& aCenter) { myCircle.SetPosition(aCenter); }
    void SetRadius(float aRadius) { myCircle.SetRadius(aRadius); }

    void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;

private:
    Circle myCircle;
};

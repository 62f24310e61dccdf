#pragma once
// A generic owner of one box: floor tiles, doors, triggers and probes. It reacts to
// contacts through its callbacks; a box of size 0 touches nothing.
#include "ColliderPossessor.h"
#include "OBB2D.h"

class CollisionBox : public ColliderPossessor
{
public:
    CollisionBox();

    void Init(const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize);
    void Init(const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize, float aRotation);

    // The shape to register with the collision manager.
    OBB2D& GetCollider() { return myBox; }
    const OBB2D& GetCollider() const { return myBox; }
    const Kiln::Vector2<float>& GetSize() const { return myBox.GetSize(); }

    void SetPosition(const Kiln::Vector2<float>& aCenter) { myBox.SetPosition(aCenter); }
    void SetSize(const Kiln::Vector2<float>& aSize) { myBox.SetSize(aSize.x, aSize.y); }
    void SetSize(float aWidth, float aHeight) { myBox.SetSize(aWidth, aHeight); }

    void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) override;

private:
    OBB2D myBox;
};

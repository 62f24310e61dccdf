#pragma once
// A collision shape in the world's x/y plane (y up). Shapes test each other by double
// dispatch; a hit writes the push vector described at each operation.
#include "forge/math/Vector.h"

class ColliderPossessor;
class Circle;
class OBB2D;

class Collider
{
public:
    Collider() = default;
    Collider(const Collider&) = default;
    Collider& operator=(const Collider&) = default;
    virtual ~Collider();

    // Each returns true on contact and then writes aPush; aFlip negates what is written.
    virtual bool Intersects(const Circle& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const = 0;
    virtual bool Intersects(const OBB2D& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const = 0;
    virtual bool Intersects(const Collider& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const = 0;

    // Asserts when the shape has no owner yet (and then returns null).
    ColliderPossessor* GetOwner() const
    {
        if (mySharedOwner == nullptr)
            ReportMissingOwner();
        return mySharedOwner;
    }
    void SetOwner(ColliderPossessor* anOwner) { mySharedOwner = anOwner; }

    void SetPosition(const Kiln::Vector2<float>& aCenter) { myCenter = aCenter; }
    const Kiln::Vector2<float>& GetCenter() const { return myCenter; }

protected:
    static void ReportMissingOwner();

    ColliderPossessor* mySharedOwner = nullptr;
    Kiln::Vector2<float> myCenter;
};

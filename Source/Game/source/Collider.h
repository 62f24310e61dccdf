#pragma once
// A collision shape in the world's x/y plane (y up). Shapes test each other by double
// dispatch; a hit writes the push vector described at each operation.
#include "forge/math/Vector.h"

#include <vector>

class ColliderPossessor;
class Circle;
class OBB2D;

// An axis-aligned box no contact of the shape lies outside of, widened for rounding.
// Empty (min above max) when the shape touches nothing; NaN where it may touch anything.
struct ColliderBounds
{
    float minX;
    float minY;
    float maxX;
    float maxY;
};

class Collider
{
public:
    Collider() = default;
    Collider(const Collider&) = default;
    Collider& operator=(const Collider& anOther)
    {
        mySharedOwner = anOther.mySharedOwner;
        myCenter = anOther.myCenter;
        NoteEdit();
        return *this;
    }
    virtual ~Collider();

    // Each returns true on contact and then writes aPush; aFlip negates what is written.
    virtual bool Intersects(const Circle& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const = 0;
    virtual bool Intersects(const OBB2D& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const = 0;
    virtual bool Intersects(const Collider& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const = 0;
    virtual ColliderBounds GetBounds() const = 0;

    // Asserts when the shape has no owner yet (and then returns null).
    ColliderPossessor* GetOwner() const
    {
        if (mySharedOwner == nullptr)
            ReportMissingOwner();
        return mySharedOwner;
    }
    void SetOwner(ColliderPossessor* anOwner) { mySharedOwner = anOwner; }

    void SetPosition(const Kiln::Vector2<float>& aCenter)
    {
        myCenter = aCenter;
        NoteEdit();
    }
    const Kiln::Vector2<float>& GetCenter() const { return myCenter; }

    // While set, every change of a shape's place or extent on this thread is appended here:
    // the collision pass learns which shapes its contact handlers moved.
    static std::vector<const Collider*>*& EditLog()
    {
        static thread_local std::vector<const Collider*>* log = nullptr;
        return log;
    }

protected:
    static void ReportMissingOwner();
    void NoteEdit() const
    {
        if (std::vector<const Collider*>* log = EditLog())
            log->push_back(this);
    }

    ColliderPossessor* mySharedOwner = nullptr;
    Kiln::Vector2<float> myCenter;
};

#pragma once
// An oriented box: centre, full width and height, and a rotation in radians about the centre.
#include "Collider.h"

class OBB2D : public Collider
{
public:
    OBB2D() = default;

    void Init(ColliderPossessor* anOwner, const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize);

    const Kiln::Vector2<float>& GetSize() const { return mySize; }
    void SetSize(float aWidth, float aHeight)
    {
        mySize = {aWidth, aHeight};
        NoteEdit();
    }
    float GetRotation() const { return myRotation; }
    void SetRotation(float aRadians)
    {
        myRotation = aRadians;
        NoteEdit();
    }

    bool Intersects(const Circle& aCircle, Kiln::Vector2<float>& aPush, bool aFlip) const override;
    bool Intersects(const OBB2D& aBox, Kiln::Vector2<float>& aPush, bool aFlip) const override;
    bool Intersects(const Collider& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const override;
    ColliderBounds GetBounds() const override;

    // Separating axes. Unflipped, the push is aFirst's separation vector: the shortest move
    // that ends the overlap, pointing away from aSecond. Boxes of no area never touch.
    static bool OBB2DvsOBB2D(const OBB2D& aFirst, const OBB2D& aSecond, Kiln::Vector2<float>& aPush, bool aFlip);
    // Unflipped, the push is the circle's separation vector (from the box towards the circle).
    // A box of no area or a circle of no radius never touches.
    static bool OBB2DvsCircle(const Circle& aCircle, const OBB2D& aBox, Kiln::Vector2<float>& aPush, bool aFlip);

private:
    Kiln::Vector2<float> mySize;
    float myRotation = 0.0f;
};

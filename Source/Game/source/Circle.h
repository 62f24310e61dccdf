#pragma once
// A circle: centre and radius.
#include "Collider.h"

class Circle : public Collider
{
public:
    Circle() = default;

    void Init(ColliderPossessor* anOwner, const Kiln::Vector2<float>& aCenter, float aRadius);

    const Kiln::Vector2<float>& GetCenter() const { return myCenter; }
    float GetRadius() const { return myRadius; }
    void SetRadius(float aRadius)
    {
        myRadius = aRadius;
        NoteEdit();
    }

    // Against another circle: unflipped, the push is anOther's separation vector. A circle
    // of no radius is switched off and touches nothing.
    bool Intersects(const Circle& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const override;
    bool Intersects(const OBB2D& aBox, Kiln::Vector2<float>& aPush, bool aFlip) const override;
    bool Intersects(const Collider& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const override;
    ColliderBounds GetBounds() const override;

private:
    float myRadius = 0.0f;
};

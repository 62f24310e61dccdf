#include "Circle.h"

#include "OBB2D.h"

void Circle::Init(ColliderPossessor* anOwner, const Kiln::Vector2<float>& aCenter, float aRadius)
{
    mySharedOwner = anOwner;
    myCenter = aCenter;
    myRadius = aRadius;
}

bool Circle::Intersects(const Circle& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const
{
    // Radius 0 is how an owner switches its circle off; it must stay off against circles too.
    if (!(myRadius > 0.0f && anOther.myRadius > 0.0f))
        return false;

    const Kiln::Vector2<float> d = anOther.myCenter - myCenter;
    const float distance = d.Length();
    const float depth = anOther.myRadius + myRadius - distance;
    if (depth < 0.0f)
        return false;

    const Kiln::Vector2<float> n = distance > 0.0f ? d / distance : Kiln::Vector2<float>{};
    aPush = n * depth;
    if (aFlip)
        aPush = -aPush;
    return true;
}

bool Circle::Intersects(const OBB2D& aBox, Kiln::Vector2<float>& aPush, bool aFlip) const
{
    return OBB2D::OBB2DvsCircle(*this, aBox, aPush, aFlip);
}

bool Circle::Intersects(const Collider& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const
{
    return anOther.Intersects(*this, aPush, !aFlip);
}

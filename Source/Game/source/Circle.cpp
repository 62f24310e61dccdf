#include "Circle.h"

#include "OBB2D.h"

#include <cmath>
#include <limits>

void Circle::Init(ColliderPossessor* anOwner, const Kiln::Vector2<float>& aCenter, float aRadius)
{
    mySharedOwner = anOwner;
    myCenter = aCenter;
    myRadius = aRadius;
    NoteEdit();
}

ColliderBounds Circle::GetBounds() const
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    if (!(myRadius > 0.0f))
        return {inf, inf, -inf, -inf};
    // Wider than the distance tests can round by at these magnitudes.
    const float reach = myRadius + (std::abs(myCenter.x) + std::abs(myCenter.y) + myRadius) * 1e-5f + 1e-3f;
    return {myCenter.x - reach, myCenter.y - reach, myCenter.x + reach, myCenter.y + reach};
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

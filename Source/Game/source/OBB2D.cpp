#include "OBB2D.h"

#include "Circle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
    constexpr float kUnrotated = 0.0001f;

    struct Interval
    {
        float min;
        float max;
    };

    // A box's centre, its two unit axes (local x and y in world space) and half extents.
    struct Frame
    {
        Kiln::Vector2<float> center;
        Kiln::Vector2<float> axisX;
        Kiln::Vector2<float> axisY;
        Kiln::Vector2<float> half;
    };

    Frame FrameOf(const OBB2D& aBox)
    {
        const float c = std::cos(aBox.GetRotation());
        const float s = std::sin(aBox.GetRotation());
        return {aBox.GetCenter(), {c, s}, {-s, c}, aBox.GetSize() * 0.5f};
    }

    Interval Project(const Frame& aBox, const Kiln::Vector2<float>& anAxis)
    {
        const Kiln::Vector2<float> halfX = aBox.axisX * aBox.half.x;
        const Kiln::Vector2<float> halfY = aBox.axisY * aBox.half.y;
        const Kiln::Vector2<float>& c = aBox.center;
        const Kiln::Vector2<float> corners[4] = {c + halfX + halfY, c + halfX - halfY, c - halfX + halfY, c - halfX - halfY};
        Interval result{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
        for (const Kiln::Vector2<float>& corner : corners)
        {
            const float p = corner.Dot(anAxis);
            result.min = std::min(result.min, p);
            result.max = std::max(result.max, p);
        }
        return result;
    }
}

void OBB2D::Init(ColliderPossessor* anOwner, const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize)
{
    mySharedOwner = anOwner;
    myCenter = aCenter;
    mySize = aSize;
    NoteEdit();
}

ColliderBounds OBB2D::GetBounds() const
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    if (!(mySize.x > 0.0f && mySize.y > 0.0f))
        return {inf, inf, -inf, -inf};
    float extentX = mySize.x * 0.5f;
    float extentY = mySize.y * 0.5f;
    if (myRotation != 0.0f)
    {
        const float c = std::abs(std::cos(myRotation));
        const float s = std::abs(std::sin(myRotation));
        const float halfW = extentX;
        extentX = c * halfW + s * extentY;
        extentY = s * halfW + c * extentY;
    }
    // Wider than the separating-axis tests can round by at these magnitudes.
    const float slop = (std::abs(myCenter.x) + std::abs(myCenter.y) + extentX + extentY) * 1e-5f + 1e-3f;
    return {myCenter.x - extentX - slop, myCenter.y - extentY - slop, myCenter.x + extentX + slop, myCenter.y + extentY + slop};
}

bool OBB2D::Intersects(const Circle& aCircle, Kiln::Vector2<float>& aPush, bool aFlip) const
{
    return OBB2DvsCircle(aCircle, *this, aPush, !aFlip);
}

bool OBB2D::Intersects(const OBB2D& aBox, Kiln::Vector2<float>& aPush, bool aFlip) const
{
    return OBB2DvsOBB2D(aBox, *this, aPush, aFlip);
}

bool OBB2D::Intersects(const Collider& anOther, Kiln::Vector2<float>& aPush, bool aFlip) const
{
    return anOther.Intersects(*this, aPush, !aFlip);
}

bool OBB2D::OBB2DvsOBB2D(const OBB2D& aFirst, const OBB2D& aSecond, Kiln::Vector2<float>& aPush, bool aFlip)
{
    const Kiln::Vector2<float>& s1 = aFirst.mySize;
    const Kiln::Vector2<float>& s2 = aSecond.mySize;
    // Not "<= 0" alone: a NaN size must not count as a box either.
    if (!(s1.x > 0.0f && s1.y > 0.0f && s2.x > 0.0f && s2.y > 0.0f))
        return false;

    if (std::abs(aFirst.myRotation) <= kUnrotated && std::abs(aSecond.myRotation) <= kUnrotated)
    {
        const Kiln::Vector2<float>& c1 = aFirst.myCenter;
        const Kiln::Vector2<float>& c2 = aSecond.myCenter;
        if (c2.x - s2.x * 0.5f > c1.x + s1.x * 0.5f || c2.y - s2.y * 0.5f > c1.y + s1.y * 0.5f ||
            c1.x - s1.x * 0.5f > c2.x + s2.x * 0.5f || c1.y - s1.y * 0.5f > c2.y + s2.y * 0.5f)
        {
            return false;
        }
    }

    const Frame first = FrameOf(aFirst);
    const Frame second = FrameOf(aSecond);
    const Kiln::Vector2<float> axes[4] = {first.axisX, first.axisY, second.axisX, second.axisY};

    float smallest = std::numeric_limits<float>::infinity();
    Kiln::Vector2<float> best;
    for (const Kiln::Vector2<float>& axis : axes)
    {
        const Interval a = Project(first, axis);
        const Interval b = Project(second, axis);
        const float overlap = std::min(a.max, b.max) - std::max(a.min, b.min);
        if (overlap < 0.0f)
            return false;
        if (overlap < smallest)
        {
            smallest = overlap;
            best = axis;
        }
    }

    if (best.Dot(aFirst.myCenter - aSecond.myCenter) < 0.0f)
        best = -best;
    aPush = best * smallest;
    if (aFlip)
        aPush = -aPush;
    return true;
}

bool OBB2D::OBB2DvsCircle(const Circle& aCircle, const OBB2D& aBox, Kiln::Vector2<float>& aPush, bool aFlip)
{
    const float w = aBox.mySize.x;
    const float h = aBox.mySize.y;
    const float radius = aCircle.GetRadius();
    if (!(w > 0.0f && h > 0.0f && radius > 0.0f))
        return false;

    const float halfW = w * 0.5f;
    const float halfH = h * 0.5f;
    const Kiln::Vector2<float> d = aCircle.GetCenter() - aBox.myCenter;

    if (std::abs(aBox.myRotation) <= kUnrotated)
    {
        const Kiln::Vector2<float> clamped{std::clamp(d.x, -halfW, halfW), std::clamp(d.y, -halfH, halfH)};
        if ((d - clamped).LengthSqr() >= radius * radius)
            return false;
    }

    const float c = std::cos(aBox.myRotation);
    const float s = std::sin(aBox.myRotation);
    const Kiln::Vector2<float> local{c * d.x + s * d.y, c * d.y - s * d.x};
    Kiln::Vector2<float> closest{std::clamp(local.x, -halfW, halfW), std::clamp(local.y, -halfH, halfH)};

    Kiln::Vector2<float> n;
    if ((local - closest).LengthSqr() > 0.0001f)
    {
        n = (closest - local).GetNormalized();
    }
    else if (halfH - std::abs(local.y) > halfW - std::abs(local.x))
    {
        n = {local.x < 0.0f ? 1.0f : -1.0f, 0.0f};
        closest.x = -n.x * halfW;
    }
    else
    {
        n = {0.0f, local.y < 0.0f ? 1.0f : -1.0f};
        closest.y = -n.y * halfH;
    }

    const float penetration = radius + (local - closest).Dot(n);
    if (penetration < 0.0f)
        return false;

    const Kiln::Vector2<float> world{n.x * c - n.y * s, n.x * s + n.y * c};
    aPush = world * -penetration;
    if (aFlip)
        aPush = -aPush;
    return true;
}

#include "MeshBuilder.h"

#include <algorithm>
#include <limits>

namespace GameModels
{
    Vec3 NewellNormal(const std::vector<Vec3>& somePoints)
    {
        Vec3 n;
        for (size_t i = 0; i < somePoints.size(); ++i)
        {
            const Vec3& a = somePoints[i];
            const Vec3& b = somePoints[(i + 1) % somePoints.size()];
            n.x += (a.y - b.y) * (a.z + b.z);
            n.y += (a.z - b.z) * (a.x + b.x);
            n.z += (a.x - b.x) * (a.y + b.y);
        }
        return n;
    }

    void MeshBuilder::SetCell(const Cell& aCell, float aShade)
    {
        myUv = CellCentreUv(aCell);
        myShade = aShade;
    }

    void MeshBuilder::Push(std::vector<Corner> someCorners, const Vec3& aFacing)
    {
        // Drop repeated corners (a lathe quad meeting the axis is a triangle).
        std::vector<Corner> corners;
        for (const Corner& c : someCorners)
            if (corners.empty() || !(corners.back().position == c.position))
                corners.push_back(c);
        while (corners.size() > 1 && corners.front().position == corners.back().position)
            corners.pop_back();
        if (corners.size() < 3)
            return;
        std::vector<Vec3> points;
        for (const Corner& c : corners)
            points.push_back(c.position);
        const Vec3 newell = NewellNormal(points);
        if (Length(newell) <= 1e-6f)
            return;
        // The engine's front faces wind clockwise seen from the front in its left-handed
        // space, which is the order whose Newell normal points to the viewer.
        if (Dot(newell, aFacing) < 0.0f)
            std::reverse(corners.begin(), corners.end());
        myPolygons.push_back({std::move(corners)});
    }

    void MeshBuilder::AddFace(const std::vector<Vec3>& somePoints, const Vec3& aNormal)
    {
        const Vec3 n = Normalize(aNormal);
        std::vector<Corner> corners;
        for (const Vec3& p : somePoints)
            corners.push_back({p, n, myUv, {myShade, myShade, myShade, 1.0f}});
        Push(std::move(corners), n);
    }

    void MeshBuilder::AddSmoothFace(const std::vector<Vec3>& somePoints, const std::vector<Vec3>& someNormals)
    {
        std::vector<Corner> corners;
        Vec3 facing;
        for (size_t i = 0; i < somePoints.size() && i < someNormals.size(); ++i)
        {
            const Vec3 n = Normalize(someNormals[i]);
            corners.push_back({somePoints[i], n, myUv, {myShade, myShade, myShade, 1.0f}});
            facing += n;
        }
        Push(std::move(corners), facing);
    }

    void MeshBuilder::AddBox(const Vec3& aMin, const Vec3& aMax, float aBevel)
    {
        const Vec3 centre = (aMin + aMax) * 0.5f;
        const Vec3 half = (aMax - aMin) * 0.5f;
        const float b = std::clamp(aBevel, 0.0f, std::min({half.x, half.y, half.z}) * 0.9f);
        // A point of the box given, per axis, the side (-1, +1) and whether it is pulled in
        // by the bevel.
        auto at = [&](const std::array<int, 3>& someSides, const std::array<bool, 3>& someInset) {
            Vec3 p;
            for (int a = 0; a < 3; ++a)
                p[a] = centre[a] + float(someSides[size_t(a)]) * (half[a] - (someInset[size_t(a)] ? b : 0.0f));
            return p;
        };
        auto axisVector = [](int anAxis, int aSide) {
            Vec3 v;
            v[anAxis] = float(aSide);
            return v;
        };

        // Faces: the full-size plane of each axis, inset on the other two.
        for (int a = 0; a < 3; ++a)
            for (int s : {-1, 1})
            {
                const int u = (a + 1) % 3, v = (a + 2) % 3;
                std::vector<Vec3> quad;
                for (const auto& [su, sv] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}})
                {
                    std::array<int, 3> sides{};
                    std::array<bool, 3> inset{};
                    sides[size_t(a)] = s;
                    sides[size_t(u)] = su;
                    sides[size_t(v)] = sv;
                    inset[size_t(u)] = inset[size_t(v)] = true;
                    quad.push_back(at(sides, inset));
                }
                AddFace(quad, axisVector(a, s));
            }
        if (b <= 0.0f)
            return;

        // Edge chamfers between the faces of axes a and c, running along axis d.
        for (int a = 0; a < 3; ++a)
            for (int c = a + 1; c < 3; ++c)
            {
                const int d = 3 - a - c;
                for (int sa : {-1, 1})
                    for (int sc : {-1, 1})
                    {
                        std::vector<Vec3> quad;
                        for (const auto& [fromA, sd] : {std::pair{true, -1}, {true, 1}, {false, 1}, {false, -1}})
                        {
                            std::array<int, 3> sides{};
                            std::array<bool, 3> inset{};
                            sides[size_t(a)] = sa;
                            sides[size_t(c)] = sc;
                            sides[size_t(d)] = sd;
                            inset[size_t(d)] = true;
                            inset[size_t(fromA ? c : a)] = true;
                            quad.push_back(at(sides, inset));
                        }
                        AddFace(quad, axisVector(a, sa) + axisVector(c, sc));
                    }
            }

        // Corner triangles.
        for (int sx : {-1, 1})
            for (int sy : {-1, 1})
                for (int sz : {-1, 1})
                {
                    const std::array<int, 3> sides{sx, sy, sz};
                    AddFace({at(sides, {false, true, true}), at(sides, {true, false, true}), at(sides, {true, true, false})},
                            Vec3{float(sx), float(sy), float(sz)});
                }
    }

    void MeshBuilder::AddLathe(const std::vector<ProfilePoint>& aProfile, int aSegments, bool aSmooth, float aStartDegrees,
                               bool aCloseEnds)
    {
        if (aProfile.size() < 2 || aSegments < 3)
            return;
        const size_t count = aProfile.size();
        auto ring = [&](int aStep) {
            const float angle = Radians(aStartDegrees + 360.0f * float(aStep) / float(aSegments));
            return std::pair{std::cos(angle), std::sin(angle)};
        };
        auto point = [&](const ProfilePoint& p, int aStep) {
            const auto [c, s] = ring(aStep);
            return Vec3{p.radius * c, p.y, p.radius * s};
        };

        // Per profile segment, its normal in (radial, y); shared with a neighbour across a
        // gentle bend and kept apart across a sharp one.
        std::vector<Vec2> segmentNormals;
        for (size_t i = 0; i + 1 < count; ++i)
        {
            const float dr = aProfile[i + 1].radius - aProfile[i].radius;
            const float dy = aProfile[i + 1].y - aProfile[i].y;
            const float length = std::sqrt(dr * dr + dy * dy);
            segmentNormals.push_back(length > 0.0f ? Vec2{dy / length, -dr / length} : Vec2{1.0f, 0.0f});
        }
        auto blended = [&](size_t aSegment, bool anAtEnd) {
            const Vec2 own = segmentNormals[aSegment];
            const bool hasNeighbour = anAtEnd ? aSegment + 1 < segmentNormals.size() : aSegment > 0;
            if (!hasNeighbour)
                return own;
            const Vec2 other = segmentNormals[anAtEnd ? aSegment + 1 : aSegment - 1];
            if (own.x * other.x + own.y * other.y < 0.75f) // sharper than about 40 degrees
                return own;
            const Vec2 sum{own.x + other.x, own.y + other.y};
            const float length = std::sqrt(sum.x * sum.x + sum.y * sum.y);
            return Vec2{sum.x / length, sum.y / length};
        };
        auto aroundNormal = [&](const Vec2& aProfileNormal, int aStep) {
            const auto [c, s] = ring(aStep);
            return Vec3{aProfileNormal.x * c, aProfileNormal.y, aProfileNormal.x * s};
        };

        for (size_t i = 0; i + 1 < count; ++i)
            for (int k = 0; k < aSegments; ++k)
            {
                const std::vector<Vec3> quad{point(aProfile[i], k), point(aProfile[i + 1], k), point(aProfile[i + 1], k + 1),
                                             point(aProfile[i], k + 1)};
                if (aSmooth)
                {
                    const Vec2 low = blended(i, false), high = blended(i, true);
                    AddSmoothFace(quad, {aroundNormal(low, k), aroundNormal(high, k), aroundNormal(high, k + 1),
                                         aroundNormal(low, k + 1)});
                }
                else
                {
                    // Faceted: the side's own plane, facing away from the axis.
                    const Vec3 outward = aroundNormal(segmentNormals[i], k) + aroundNormal(segmentNormals[i], k + 1);
                    Vec3 n = NewellNormal(quad);
                    if (Dot(n, outward) < 0.0f)
                        n = -n;
                    AddFace(quad, n);
                }
            }

        if (!aCloseEnds)
            return;
        for (const auto& [index, normal] : {std::pair{size_t(0), Vec3{0.0f, -1.0f, 0.0f}}, {count - 1, Vec3{0.0f, 1.0f, 0.0f}}})
        {
            if (aProfile[index].radius <= 0.0f)
                continue;
            std::vector<Vec3> cap;
            for (int k = 0; k < aSegments; ++k)
                cap.push_back(point(aProfile[index], k));
            AddFace(cap, normal);
        }
    }

    void MeshBuilder::Append(const MeshBuilder& aPart, const Affine& aTransform)
    {
        for (const Polygon& polygon : aPart.myPolygons)
        {
            std::vector<Corner> corners = polygon.corners;
            Vec3 facing;
            for (Corner& c : corners)
            {
                c.position = aTransform.Point(c.position);
                c.normal = aTransform.Normal(c.normal);
                facing += c.normal;
            }
            Push(std::move(corners), facing);
        }
    }

    void MeshBuilder::BakeLight(const Vec3& aTowardLight, float anAmbient)
    {
        const Vec3 l = Normalize(aTowardLight);
        for (Polygon& polygon : myPolygons)
            for (Corner& c : polygon.corners)
            {
                const float light = anAmbient + (1.0f - anAmbient) * std::max(Dot(c.normal, l), 0.0f);
                for (int i = 0; i < 3; ++i)
                    c.colour[size_t(i)] *= light;
            }
    }

    void MeshBuilder::GetBounds(Vec3& aMin, Vec3& aMax) const
    {
        constexpr float big = std::numeric_limits<float>::max();
        aMin = {big, big, big};
        aMax = {-big, -big, -big};
        bool any = false;
        for (const Polygon& polygon : myPolygons)
            for (const Corner& c : polygon.corners)
            {
                any = true;
                for (int a = 0; a < 3; ++a)
                {
                    aMin[a] = std::min(aMin[a], c.position[a]);
                    aMax[a] = std::max(aMax[a], c.position[a]);
                }
            }
        if (!any)
            aMin = aMax = {};
    }
}

#include "ContentKit/Geometry.h"

#include <algorithm>

namespace ContentKit
{
    namespace
    {
        float SignedArea(const std::vector<Vec2>& somePoints)
        {
            float area = 0.0f;
            for (size_t i = 0, j = somePoints.size() - 1; i < somePoints.size(); j = i++)
                area += Cross(somePoints[j], somePoints[i]);
            return area * 0.5f;
        }

        // Enough segments that a chord strays under a tenth of a pixel from the arc.
        int ArcSegments(float aRadius)
        {
            if (aRadius <= 0.5f)
                return 8;
            const float step = 2.0f * std::acos(std::max(0.0f, 1.0f - 0.1f / aRadius));
            return std::clamp(int(std::ceil(2.0f * Pi / step)), 12, 512);
        }

        void AppendDisc(std::vector<std::vector<Vec2>>& someContours, Vec2 aCentre, float aRadius)
        {
            const int count = ArcSegments(aRadius);
            std::vector<Vec2> disc(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                disc[size_t(i)] = aCentre + FromAngle(2.0f * Pi * float(i) / float(count), aRadius);
            someContours.push_back(std::move(disc));
        }
    }

    Affine Affine::RotateAround(Vec2 aPivot, float anAngle)
    {
        return Translate(aPivot) * Rotate(anAngle) * Translate(aPivot * -1.0f);
    }

    Affine Affine::Inverse() const
    {
        const float det = a * d - b * c;
        if (std::abs(det) < 1e-12f)
            return {};
        const float id = 1.0f / det;
        Affine inv{d * id, -b * id, -c * id, a * id, 0.0f, 0.0f};
        inv.e = -(inv.a * e + inv.c * f);
        inv.f = -(inv.b * e + inv.d * f);
        return inv;
    }

    std::vector<Vec2> FlattenQuad(Vec2 aP0, Vec2 aP1, Vec2 aP2, int aSegments)
    {
        std::vector<Vec2> points;
        aSegments = std::max(aSegments, 1);
        for (int i = 0; i <= aSegments; ++i)
        {
            const float t = float(i) / float(aSegments), u = 1.0f - t;
            points.push_back(aP0 * (u * u) + aP1 * (2.0f * u * t) + aP2 * (t * t));
        }
        return points;
    }

    std::vector<Vec2> FlattenCubic(Vec2 aP0, Vec2 aP1, Vec2 aP2, Vec2 aP3, int aSegments)
    {
        std::vector<Vec2> points;
        aSegments = std::max(aSegments, 1);
        for (int i = 0; i <= aSegments; ++i)
        {
            const float t = float(i) / float(aSegments), u = 1.0f - t;
            points.push_back(aP0 * (u * u * u) + aP1 * (3.0f * u * u * t) + aP2 * (3.0f * u * t * t) + aP3 * (t * t * t));
        }
        return points;
    }

    std::vector<Vec2> SmoothCurve(const std::vector<Vec2>& somePoints, int aSegments)
    {
        if (somePoints.size() < 3)
            return somePoints;
        std::vector<Vec2> points;
        const size_t n = somePoints.size();
        for (size_t i = 0; i + 1 < n; ++i)
        {
            const Vec2 p0 = somePoints[i == 0 ? 0 : i - 1], p1 = somePoints[i], p2 = somePoints[i + 1];
            const Vec2 p3 = somePoints[std::min(i + 2, n - 1)];
            for (int s = 0; s < aSegments; ++s)
            {
                const float t = float(s) / float(aSegments), t2 = t * t, t3 = t2 * t;
                points.push_back((p1 * 2.0f + (p2 - p0) * t + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * t2 +
                                  (p1 * 3.0f - p0 - p2 * 3.0f + p3) * t3) * 0.5f);
            }
        }
        points.push_back(somePoints.back());
        return points;
    }

    Path& Path::MoveTo(Vec2 aPoint)
    {
        myContours.push_back({aPoint});
        myOpen = true;
        return *this;
    }

    Path& Path::LineTo(Vec2 aPoint)
    {
        if (!myOpen)
            return MoveTo(aPoint);
        myContours.back().push_back(aPoint);
        return *this;
    }

    Path& Path::QuadTo(Vec2 aControl, Vec2 aPoint)
    {
        if (!myOpen)
            return MoveTo(aPoint);
        const auto points = FlattenQuad(myContours.back().back(), aControl, aPoint);
        myContours.back().insert(myContours.back().end(), points.begin() + 1, points.end());
        return *this;
    }

    Path& Path::CubicTo(Vec2 aControl1, Vec2 aControl2, Vec2 aPoint)
    {
        if (!myOpen)
            return MoveTo(aPoint);
        const auto points = FlattenCubic(myContours.back().back(), aControl1, aControl2, aPoint);
        myContours.back().insert(myContours.back().end(), points.begin() + 1, points.end());
        return *this;
    }

    Path& Path::Close()
    {
        myOpen = false;
        return *this;
    }

    Path& Path::AddPolygon(const std::vector<Vec2>& somePoints)
    {
        if (somePoints.size() >= 3)
            myContours.push_back(somePoints);
        myOpen = false;
        return *this;
    }

    Path& Path::AddRect(float x, float y, float aWidth, float aHeight)
    {
        return AddPolygon({{x, y}, {x + aWidth, y}, {x + aWidth, y + aHeight}, {x, y + aHeight}});
    }

    Path& Path::AddRoundedRect(float x, float y, float aWidth, float aHeight, float aRadius)
    {
        aRadius = std::clamp(aRadius, 0.0f, std::min(aWidth, aHeight) * 0.5f);
        if (aRadius <= 0.0f)
            return AddRect(x, y, aWidth, aHeight);
        std::vector<Vec2> points;
        const int quarter = std::max(3, ArcSegments(aRadius) / 4);
        const Vec2 centres[4] = {{x + aWidth - aRadius, y + aRadius}, {x + aWidth - aRadius, y + aHeight - aRadius},
                                 {x + aRadius, y + aHeight - aRadius}, {x + aRadius, y + aRadius}};
        for (int corner = 0; corner < 4; ++corner)
        {
            const float start = -0.5f * Pi + float(corner) * 0.5f * Pi;
            for (int i = 0; i <= quarter; ++i)
                points.push_back(centres[corner] + FromAngle(start + 0.5f * Pi * float(i) / float(quarter), aRadius));
        }
        return AddPolygon(points);
    }

    Path& Path::AddCircle(Vec2 aCentre, float aRadius)
    {
        return AddEllipse(aCentre, aRadius, aRadius);
    }

    Path& Path::AddEllipse(Vec2 aCentre, float aRadiusX, float aRadiusY, float anAngle)
    {
        const int count = ArcSegments(std::max(aRadiusX, aRadiusY));
        // The inscribed polygon is pushed out a little so its area matches the ellipse's.
        const float step = 2.0f * Pi / float(count);
        const float grow = std::sqrt(step / std::sin(step));
        std::vector<Vec2> points(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
        {
            const float t = step * float(i);
            points[size_t(i)] = aCentre + Rotated({std::cos(t) * aRadiusX * grow, std::sin(t) * aRadiusY * grow}, anAngle);
        }
        return AddPolygon(points);
    }

    Path& Path::AddPath(const Path& anOther)
    {
        myContours.insert(myContours.end(), anOther.myContours.begin(), anOther.myContours.end());
        myOpen = false;
        return *this;
    }

    Path Path::Transformed(const Affine& aTransform) const
    {
        Path result = *this;
        for (auto& contour : result.myContours)
            for (Vec2& point : contour)
                point = aTransform.Apply(point);
        return result;
    }

    Path StrokeOutline(const std::vector<Vec2>& somePoints, float aStartWidth, float anEndWidth, bool aClosed)
    {
        Path path;
        if (somePoints.empty())
            return path;
        std::vector<std::vector<Vec2>> contours;
        const size_t n = somePoints.size();
        // Widths follow the arc length, so uneven point spacing tapers evenly.
        std::vector<float> along(n, 0.0f);
        for (size_t i = 1; i < n; ++i)
            along[i] = along[i - 1] + Length(somePoints[i] - somePoints[i - 1]);
        const float total = std::max(along.back(), 1e-6f);
        const auto halfWidth = [&](size_t i) { return 0.5f * (aStartWidth + (anEndWidth - aStartWidth) * along[i] / total); };

        const size_t segments = aClosed ? n : n - 1;
        for (size_t i = 0; i < segments; ++i)
        {
            const size_t j = (i + 1) % n;
            const Vec2 a = somePoints[i], b = somePoints[j];
            const Vec2 dir = Normalized(b - a);
            if (Length(b - a) < 1e-6f)
                continue;
            const Vec2 normal = Perpendicular(dir);
            const float ha = halfWidth(i), hb = aClosed && j == 0 ? halfWidth(0) : halfWidth(j);
            std::vector<Vec2> quad = {a + normal * ha, b + normal * hb, b - normal * hb, a - normal * ha};
            if (SignedArea(quad) < 0.0f)
                std::reverse(quad.begin(), quad.end());
            contours.push_back(std::move(quad));
        }
        for (size_t i = 0; i < n; ++i)
        {
            const float radius = halfWidth(i);
            if (radius > 0.05f)
                AppendDisc(contours, somePoints[i], radius);
        }
        for (auto& contour : contours)
        {
            if (SignedArea(contour) < 0.0f)
                std::reverse(contour.begin(), contour.end());
            path.AddPolygon(contour);
        }
        return path;
    }
}

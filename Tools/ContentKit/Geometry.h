#pragma once
// 2D points, affine transforms and paths (polygons after flattening) for the canvas.
#include <cmath>
#include <vector>

namespace ContentKit
{
    inline constexpr float Pi = 3.14159265358979f;

    struct Vec2
    {
        float x = 0.0f;
        float y = 0.0f;

        Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
        Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
        Vec2 operator*(float s) const { return {x * s, y * s}; }
        Vec2 operator/(float s) const { return {x / s, y / s}; }
        Vec2& operator+=(Vec2 o) { x += o.x; y += o.y; return *this; }
        Vec2& operator-=(Vec2 o) { x -= o.x; y -= o.y; return *this; }
    };

    inline float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
    inline float Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
    inline float Length(Vec2 a) { return std::sqrt(Dot(a, a)); }
    inline Vec2 Normalized(Vec2 a) { const float l = Length(a); return l > 0.0f ? a / l : Vec2{}; }
    inline Vec2 Perpendicular(Vec2 a) { return {-a.y, a.x}; }
    inline Vec2 Lerp(Vec2 a, Vec2 b, float t) { return a + (b - a) * t; }
    inline Vec2 Rotated(Vec2 a, float anAngle)
    {
        const float c = std::cos(anAngle), s = std::sin(anAngle);
        return {a.x * c - a.y * s, a.x * s + a.y * c};
    }
    inline Vec2 FromAngle(float anAngle, float aLength = 1.0f) { return {std::cos(anAngle) * aLength, std::sin(anAngle) * aLength}; }

    // x' = a x + c y + e, y' = b x + d y + f.
    struct Affine
    {
        float a = 1.0f, b = 0.0f, c = 0.0f, d = 1.0f, e = 0.0f, f = 0.0f;

        static Affine Translate(Vec2 anOffset) { return {1, 0, 0, 1, anOffset.x, anOffset.y}; }
        static Affine Scale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
        static Affine Rotate(float anAngle)
        {
            const float co = std::cos(anAngle), si = std::sin(anAngle);
            return {co, si, -si, co, 0, 0};
        }
        // Rotation by anAngle around aPivot.
        static Affine RotateAround(Vec2 aPivot, float anAngle);

        Vec2 Apply(Vec2 p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
        // (this * o) applies o first, then this.
        Affine operator*(const Affine& o) const
        {
            return {a * o.a + c * o.b, b * o.a + d * o.b, a * o.c + c * o.d, b * o.c + d * o.d,
                    a * o.e + c * o.f + e, b * o.e + d * o.f + f};
        }
        Affine Inverse() const;
    };

    std::vector<Vec2> FlattenQuad(Vec2 aP0, Vec2 aP1, Vec2 aP2, int aSegments = 16);
    std::vector<Vec2> FlattenCubic(Vec2 aP0, Vec2 aP1, Vec2 aP2, Vec2 aP3, int aSegments = 24);
    // A smooth curve through the points (Catmull-Rom), aSegments per span.
    std::vector<Vec2> SmoothCurve(const std::vector<Vec2>& somePoints, int aSegments = 8);

    // Closed contours of straight edges; curves are flattened as they are added.
    class Path
    {
    public:
        Path& MoveTo(Vec2 aPoint);
        Path& LineTo(Vec2 aPoint);
        Path& QuadTo(Vec2 aControl, Vec2 aPoint);
        Path& CubicTo(Vec2 aControl1, Vec2 aControl2, Vec2 aPoint);
        Path& Close();

        Path& AddPolygon(const std::vector<Vec2>& somePoints);
        Path& AddRect(float x, float y, float aWidth, float aHeight);
        Path& AddRoundedRect(float x, float y, float aWidth, float aHeight, float aRadius);
        Path& AddCircle(Vec2 aCentre, float aRadius);
        Path& AddEllipse(Vec2 aCentre, float aRadiusX, float aRadiusY, float anAngle = 0.0f);
        Path& AddPath(const Path& anOther);

        Path Transformed(const Affine& aTransform) const;
        const std::vector<std::vector<Vec2>>& Contours() const { return myContours; }
        bool Empty() const { return myContours.empty(); }

    private:
        std::vector<std::vector<Vec2>> myContours;
        bool myOpen = false;
    };

    // The outline of a stroke along somePoints as counter-clockwise pieces that union under
    // the non-zero rule: a quad per segment and a disc per point (round joins and caps).
    Path StrokeOutline(const std::vector<Vec2>& somePoints, float aStartWidth, float anEndWidth, bool aClosed);
}

#pragma once
// Small vector and transform types for building model geometry in the engine's space:
// x right, y up, z away from the camera (left-handed), units of 1 cm = 1 world unit.
#include <array>
#include <cmath>

namespace GameModels
{
    struct Vec2
    {
        float x = 0.0f;
        float y = 0.0f;
        bool operator==(const Vec2&) const = default;
    };

    struct Vec3
    {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;

        Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
        Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
        Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
        Vec3 operator-() const { return {-x, -y, -z}; }
        Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
        bool operator==(const Vec3&) const = default;
        float operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
        float& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
    };

    inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
    inline Vec3 Cross(const Vec3& a, const Vec3& b)
    {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }
    inline float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
    inline Vec3 Normalize(const Vec3& v)
    {
        const float length = Length(v);
        return length > 0.0f ? v * (1.0f / length) : Vec3{0.0f, 1.0f, 0.0f};
    }

    constexpr float PI = 3.14159265358979f;
    inline float Radians(float someDegrees) { return someDegrees * PI / 180.0f; }

    // An affine transform p' = M p + t (column vectors; M row-major).
    struct Affine
    {
        std::array<std::array<float, 3>, 3> m = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
        Vec3 t;

        Vec3 Point(const Vec3& p) const { return Direction(p) + t; }
        Vec3 Direction(const Vec3& d) const
        {
            return {m[0][0] * d.x + m[0][1] * d.y + m[0][2] * d.z, m[1][0] * d.x + m[1][1] * d.y + m[1][2] * d.z,
                    m[2][0] * d.x + m[2][1] * d.y + m[2][2] * d.z};
        }
        // Normals go through the inverse transpose, so non-uniform scales keep them upright.
        Vec3 Normal(const Vec3& n) const
        {
            const Vec3 c0{m[0][0], m[1][0], m[2][0]}, c1{m[0][1], m[1][1], m[2][1]}, c2{m[0][2], m[1][2], m[2][2]};
            const Vec3 r0 = Cross(c1, c2), r1 = Cross(c2, c0), r2 = Cross(c0, c1);
            const float det = Dot(c0, r0);
            const Vec3 out = r0 * n.x + r1 * n.y + r2 * n.z;
            return Normalize(det < 0.0f ? -out : out);
        }
        bool Mirrors() const
        {
            const Vec3 c0{m[0][0], m[1][0], m[2][0]}, c1{m[0][1], m[1][1], m[2][1]}, c2{m[0][2], m[1][2], m[2][2]};
            return Dot(c0, Cross(c1, c2)) < 0.0f;
        }

        // this after anOther: (this * anOther) p = this(anOther(p)).
        Affine operator*(const Affine& anOther) const
        {
            Affine out;
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    out.m[r][c] = m[r][0] * anOther.m[0][c] + m[r][1] * anOther.m[1][c] + m[r][2] * anOther.m[2][c];
            out.t = Point(anOther.t);
            return out;
        }

        static Affine Translate(const Vec3& anOffset)
        {
            Affine a;
            a.t = anOffset;
            return a;
        }
        static Affine Scale(const Vec3& aScale)
        {
            Affine a;
            a.m = {{{aScale.x, 0, 0}, {0, aScale.y, 0}, {0, 0, aScale.z}}};
            return a;
        }
        static Affine RotateX(float someDegrees)
        {
            const float c = std::cos(Radians(someDegrees)), s = std::sin(Radians(someDegrees));
            Affine a;
            a.m = {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
            return a;
        }
        static Affine RotateY(float someDegrees)
        {
            const float c = std::cos(Radians(someDegrees)), s = std::sin(Radians(someDegrees));
            Affine a;
            a.m = {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
            return a;
        }
        static Affine RotateZ(float someDegrees)
        {
            const float c = std::cos(Radians(someDegrees)), s = std::sin(Radians(someDegrees));
            Affine a;
            a.m = {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
            return a;
        }
    };
}

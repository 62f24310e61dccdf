#pragma once
// Plain tuples of two, three and four values, passed by value across the engine and game.
#include <cmath>

namespace Kiln
{
    template <typename T>
    struct Vector2
    {
        T x{};
        T y{};

        constexpr Vector2() = default;
        constexpr Vector2(T aX, T aY) : x(aX), y(aY) {}

        constexpr Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
        constexpr Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
        constexpr Vector2 operator-() const { return {-x, -y}; }
        constexpr Vector2 operator*(T s) const { return {x * s, y * s}; }
        constexpr Vector2 operator/(T s) const { return {x / s, y / s}; }
        constexpr Vector2& operator+=(const Vector2& o) { x += o.x; y += o.y; return *this; }
        constexpr Vector2& operator-=(const Vector2& o) { x -= o.x; y -= o.y; return *this; }
        constexpr Vector2& operator*=(T s) { x *= s; y *= s; return *this; }
        constexpr Vector2& operator/=(T s) { x /= s; y /= s; return *this; }
        constexpr bool operator==(const Vector2& o) const = default;

        constexpr T Dot(const Vector2& o) const { return x * o.x + y * o.y; }
        constexpr T LengthSqr() const { return x * x + y * y; }
        T Length() const { return static_cast<T>(std::sqrt(LengthSqr())); }
        // A zero vector stays zero rather than turning into NaNs.
        Vector2 GetNormalized() const
        {
            const T len = Length();
            return len > T(0) ? *this / len : Vector2{};
        }
        void Normalize() { *this = GetNormalized(); }
    };

    template <typename T>
    struct Vector3
    {
        T x{};
        T y{};
        T z{};

        constexpr Vector3() = default;
        constexpr Vector3(T aX, T aY, T aZ) : x(aX), y(aY), z(aZ) {}

        constexpr Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
        constexpr Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
        constexpr Vector3 operator-() const { return {-x, -y, -z}; }
        constexpr Vector3 operator*(T s) const { return {x * s, y * s, z * s}; }
        constexpr Vector3 operator/(T s) const { return {x / s, y / s, z / s}; }
        constexpr Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
        constexpr Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
        constexpr Vector3& operator*=(T s) { x *= s; y *= s; z *= s; return *this; }
        constexpr Vector3& operator/=(T s) { x /= s; y /= s; z /= s; return *this; }
        constexpr bool operator==(const Vector3& o) const = default;

        constexpr T Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
        constexpr Vector3 Cross(const Vector3& o) const
        {
            return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
        }
        constexpr T LengthSqr() const { return x * x + y * y + z * z; }
        T Length() const { return static_cast<T>(std::sqrt(LengthSqr())); }
        Vector3 GetNormalized() const
        {
            const T len = Length();
            return len > T(0) ? *this / len : Vector3{};
        }
        void Normalize() { *this = GetNormalized(); }
    };

    template <typename T>
    struct Vector4
    {
        T x{};
        T y{};
        T z{};
        T w{};

        constexpr Vector4() = default;
        constexpr Vector4(T aX, T aY, T aZ, T aW) : x(aX), y(aY), z(aZ), w(aW) {}
        constexpr Vector4(const Vector3<T>& v, T aW) : x(v.x), y(v.y), z(v.z), w(aW) {}

        constexpr Vector4 operator+(const Vector4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
        constexpr Vector4 operator-(const Vector4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
        constexpr Vector4 operator-() const { return {-x, -y, -z, -w}; }
        constexpr Vector4 operator*(T s) const { return {x * s, y * s, z * s, w * s}; }
        constexpr Vector4 operator/(T s) const { return {x / s, y / s, z / s, w / s}; }
        constexpr Vector4& operator+=(const Vector4& o) { x += o.x; y += o.y; z += o.z; w += o.w; return *this; }
        constexpr Vector4& operator-=(const Vector4& o) { x -= o.x; y -= o.y; z -= o.z; w -= o.w; return *this; }
        constexpr Vector4& operator*=(T s) { x *= s; y *= s; z *= s; w *= s; return *this; }
        constexpr bool operator==(const Vector4& o) const = default;

        constexpr T Dot(const Vector4& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
        constexpr T LengthSqr() const { return Dot(*this); }
        T Length() const { return static_cast<T>(std::sqrt(LengthSqr())); }
        constexpr Vector3<T> XYZ() const { return {x, y, z}; }
    };

    template <typename T> constexpr Vector2<T> operator*(T s, const Vector2<T>& v) { return v * s; }
    template <typename T> constexpr Vector3<T> operator*(T s, const Vector3<T>& v) { return v * s; }
    template <typename T> constexpr Vector4<T> operator*(T s, const Vector4<T>& v) { return v * s; }

    using Vector2f = Vector2<float>;
    using Vector3f = Vector3<float>;
    using Vector4f = Vector4<float>;
}

#pragma once
// 4x4 matrix, 16 values row-major, row-vector convention: a point is a row vector
// multiplied on the left, translation sits in elements 12, 13, 14, and A * B applies A first.
#include "forge/math/Quaternion.h"
#include "forge/math/Vector.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace Kiln
{
    template <typename T>
    class Matrix4x4
    {
    public:
        constexpr Matrix4x4() : myData{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}
        constexpr explicit Matrix4x4(const std::array<T, 16>& someValues) : myData(someValues) {}

        constexpr T& operator[](size_t anIndex) { return myData[anIndex]; }
        constexpr const T& operator[](size_t anIndex) const { return myData[anIndex]; }
        constexpr T& operator()(size_t aRow, size_t aColumn) { return myData[aRow * 4 + aColumn]; }
        constexpr const T& operator()(size_t aRow, size_t aColumn) const { return myData[aRow * 4 + aColumn]; }

        constexpr T* GetData() { return myData.data(); }
        constexpr const T* GetData() const { return myData.data(); }

        constexpr bool operator==(const Matrix4x4& o) const = default;

        constexpr Matrix4x4 operator*(const Matrix4x4& o) const
        {
            Matrix4x4 r;
            for (size_t row = 0; row < 4; ++row)
            {
                for (size_t col = 0; col < 4; ++col)
                {
                    T sum{};
                    for (size_t k = 0; k < 4; ++k)
                        sum += myData[row * 4 + k] * o.myData[k * 4 + col];
                    r.myData[row * 4 + col] = sum;
                }
            }
            return r;
        }
        constexpr Matrix4x4& operator*=(const Matrix4x4& o) { return *this = *this * o; }

        // this = this * other, in place.
        constexpr void Multiply(const Matrix4x4& anOther) { *this = *this * anOther; }

        constexpr Vector3<T> GetPosition() const { return {myData[12], myData[13], myData[14]}; }
        constexpr void SetPosition(const Vector3<T>& aPosition)
        {
            myData[12] = aPosition.x;
            myData[13] = aPosition.y;
            myData[14] = aPosition.z;
        }
        constexpr Vector3<T> GetRow(size_t aRow) const
        {
            return {myData[aRow * 4], myData[aRow * 4 + 1], myData[aRow * 4 + 2]};
        }

        // Row vector times matrix.
        constexpr Vector4<T> Transform(const Vector4<T>& v) const
        {
            return {v.x * myData[0] + v.y * myData[4] + v.z * myData[8] + v.w * myData[12],
                    v.x * myData[1] + v.y * myData[5] + v.z * myData[9] + v.w * myData[13],
                    v.x * myData[2] + v.y * myData[6] + v.z * myData[10] + v.w * myData[14],
                    v.x * myData[3] + v.y * myData[7] + v.z * myData[11] + v.w * myData[15]};
        }
        constexpr Vector3<T> TransformPoint(const Vector3<T>& p) const { return Transform(Vector4<T>(p, T(1))).XYZ(); }
        constexpr Vector3<T> TransformDirection(const Vector3<T>& d) const { return Transform(Vector4<T>(d, T(0))).XYZ(); }

        static constexpr Matrix4x4 Transpose(const Matrix4x4& m)
        {
            Matrix4x4 r;
            for (size_t row = 0; row < 4; ++row)
                for (size_t col = 0; col < 4; ++col)
                    r.myData[row * 4 + col] = m.myData[col * 4 + row];
            return r;
        }

        static constexpr Matrix4x4 CreateTranslation(const Vector3<T>& t)
        {
            Matrix4x4 r;
            r.SetPosition(t);
            return r;
        }
        static constexpr Matrix4x4 CreateScale(const Vector3<T>& s)
        {
            Matrix4x4 r;
            r.myData[0] = s.x;
            r.myData[5] = s.y;
            r.myData[10] = s.z;
            return r;
        }
        // Rotations by an angle in radians, left-handed as the rest of the engine.
        static Matrix4x4 CreateRotationAroundX(T anAngle)
        {
            const T c = std::cos(anAngle), s = std::sin(anAngle);
            Matrix4x4 r;
            r.myData[5] = c;  r.myData[6] = s;
            r.myData[9] = -s; r.myData[10] = c;
            return r;
        }
        static Matrix4x4 CreateRotationAroundY(T anAngle)
        {
            const T c = std::cos(anAngle), s = std::sin(anAngle);
            Matrix4x4 r;
            r.myData[0] = c; r.myData[2] = -s;
            r.myData[8] = s; r.myData[10] = c;
            return r;
        }
        static Matrix4x4 CreateRotationAroundZ(T anAngle)
        {
            const T c = std::cos(anAngle), s = std::sin(anAngle);
            Matrix4x4 r;
            r.myData[0] = c;  r.myData[1] = s;
            r.myData[4] = -s; r.myData[5] = c;
            return r;
        }

        // Splits a transform into translation (row 3), scale (the lengths of rows 0 to 2,
        // all four elements each) and the rotation of the unscaled rows. A row of length 0
        // is used as it stands, so a degenerate matrix gives no NaNs.
        static void Decompose(const Matrix4x4& aMatrix, Vector3<T>& aTranslation, Quaternion& aRotation, Vector3<T>& aScale)
        {
            const auto rowLength = [&aMatrix](size_t aRow) {
                const T* row = aMatrix.myData.data() + aRow * 4;
                return static_cast<T>(std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2] + row[3] * row[3]));
            };
            const auto unscaledRow = [&aMatrix](size_t aRow, T aLength) {
                const Vector3<T> row = aMatrix.GetRow(aRow);
                const Vector3<T> unscaled = aLength != T(0) ? row / aLength : row;
                return Vector3<float>(static_cast<float>(unscaled.x), static_cast<float>(unscaled.y),
                                      static_cast<float>(unscaled.z));
            };
            aScale = {rowLength(0), rowLength(1), rowLength(2)};
            aTranslation = aMatrix.GetPosition();
            aRotation = Quaternion::FromRotationMatrix(unscaledRow(0, aScale.x), unscaledRow(1, aScale.y),
                                                       unscaledRow(2, aScale.z));
        }

        // Inverse of a rotation-plus-translation matrix: transposed 3x3, translation
        // rotated back; element 15 kept.
        static constexpr Matrix4x4 GetFastInverse(const Matrix4x4& m)
        {
            Matrix4x4 r;
            for (size_t row = 0; row < 3; ++row)
                for (size_t col = 0; col < 3; ++col)
                    r.myData[row * 4 + col] = m.myData[col * 4 + row];
            r.myData[3] = r.myData[7] = r.myData[11] = T(0);
            const T tx = m.myData[12], ty = m.myData[13], tz = m.myData[14];
            r.myData[12] = -(tx * m.myData[0] + ty * m.myData[1] + tz * m.myData[2]);
            r.myData[13] = -(tx * m.myData[4] + ty * m.myData[5] + tz * m.myData[6]);
            r.myData[14] = -(tx * m.myData[8] + ty * m.myData[9] + tz * m.myData[10]);
            r.myData[15] = m.myData[15];
            return r;
        }

        // General inverse by cofactors; a singular matrix gives non-finite values.
        static constexpr Matrix4x4 GetInverse(const Matrix4x4& aMatrix)
        {
            const auto& m = aMatrix.myData;
            std::array<T, 16> inv{};
            inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
            inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
            inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
            inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
            inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
            inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
            inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
            inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
            inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
            inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
            inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
            inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
            inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
            inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
            inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
            inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

            const T det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
            const T invDet = T(1) / det;
            for (T& v : inv)
                v *= invDet;
            return Matrix4x4(inv);
        }

    private:
        std::array<T, 16> myData;
    };

    template <typename T>
    constexpr Vector4<T> operator*(const Vector4<T>& v, const Matrix4x4<T>& m) { return m.Transform(v); }

    using Matrix4x4f = Matrix4x4<float>;
}

#include "Platform/fbx/Matrix.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Plat::Fbx
{
    namespace
    {
        constexpr double DegToRad = std::numbers::pi / 180.0;
        constexpr double RadToDeg = 180.0 / std::numbers::pi;

        // Rotation by aDegrees about one axis, as a row-vector matrix.
        AMatrix AxisRotation(int anAxis, double aDegrees)
        {
            AMatrix m;
            if (aDegrees == 0.0)
                return m;
            const double c = std::cos(aDegrees * DegToRad);
            const double s = std::sin(aDegrees * DegToRad);
            const int a = (anAxis + 1) % 3;
            const int b = (anAxis + 2) % 3;
            m.At(a, a) = c;
            m.At(a, b) = s;
            m.At(b, a) = -s;
            m.At(b, b) = c;
            return m;
        }

        double Length3(const Vector4& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
    }

    AMatrix::AMatrix(const Vector4& aTranslation, const Vector4& aRotation, const Vector4& aScaling)
    {
        *this = Translation(aTranslation) * Rotation(aRotation) * Scaling(aScaling);
    }

    AMatrix AMatrix::Translation(const Vector4& aTranslation)
    {
        AMatrix m;
        for (int c = 0; c < 3; ++c)
            m.myData[3][c] = aTranslation[c];
        return m;
    }

    AMatrix AMatrix::Scaling(const Vector4& aScaling)
    {
        AMatrix m;
        for (int c = 0; c < 3; ++c)
            m.myData[c][c] = aScaling[c];
        return m;
    }

    AMatrix AMatrix::Rotation(const Vector4& someDegrees, RotationOrder anOrder)
    {
        // The first axis of the order turns first, so it is the rightmost factor.
        static constexpr int orders[7][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {0, 1, 2}};
        const int index = std::clamp(static_cast<int>(anOrder), 0, 6);
        const int* axes = orders[index];
        return AxisRotation(axes[2], someDegrees[axes[2]]) * AxisRotation(axes[1], someDegrees[axes[1]]) *
               AxisRotation(axes[0], someDegrees[axes[0]]);
    }

    Vector4 AMatrix::GetRow(int aRow) const
    {
        return Vector4(myData[aRow][0], myData[aRow][1], myData[aRow][2], myData[aRow][3]);
    }

    void AMatrix::SetRow(int aRow, const Vector4& aRow4)
    {
        for (int c = 0; c < 4; ++c)
            myData[aRow][c] = aRow4[c];
    }

    Vector4 AMatrix::GetS() const
    {
        return Vector4(Length3(GetRow(0)), Length3(GetRow(1)), Length3(GetRow(2)), 0.0);
    }

    Vector4 AMatrix::GetR() const
    {
        AMatrix rotation;
        for (int r = 0; r < 3; ++r)
        {
            const Vector4 row = GetRow(r);
            const double length = Length3(row);
            for (int c = 0; c < 3; ++c)
                rotation.myData[r][c] = length > 0.0 ? row[c] / length : (r == c ? 1.0 : 0.0);
        }
        return EulerXYZFromRotation(rotation);
    }

    AMatrix AMatrix::operator*(const AMatrix& aRight) const
    {
        // Row vectors: p * (this * right) = (p * right) * this.
        // Each element sums from 0 over k in order; a whole row at a time, so the four
        // columns' sums proceed side by side.
        AMatrix out;
        for (int r = 0; r < 4; ++r)
        {
            double row[4] = {0.0, 0.0, 0.0, 0.0};
            for (int k = 0; k < 4; ++k)
            {
                const double factor = aRight.myData[r][k];
                for (int c = 0; c < 4; ++c)
                    row[c] += factor * myData[k][c];
            }
            for (int c = 0; c < 4; ++c)
                out.myData[r][c] = row[c];
        }
        return out;
    }

    AMatrix AMatrix::Transpose() const
    {
        AMatrix out;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                out.myData[r][c] = myData[c][r];
        return out;
    }

    AMatrix AMatrix::Inverse() const
    {
        // Gauss-Jordan with partial pivoting; a singular matrix gives identity.
        double a[4][8];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
            {
                a[r][c] = myData[r][c];
                a[r][c + 4] = r == c ? 1.0 : 0.0;
            }
        for (int col = 0; col < 4; ++col)
        {
            int pivot = col;
            for (int r = col + 1; r < 4; ++r)
                if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                    pivot = r;
            if (std::fabs(a[pivot][col]) < 1e-300)
                return AMatrix();
            if (pivot != col)
                for (int c = 0; c < 8; ++c)
                    std::swap(a[pivot][c], a[col][c]);
            const double inv = 1.0 / a[col][col];
            for (int c = 0; c < 8; ++c)
                a[col][c] *= inv;
            for (int r = 0; r < 4; ++r)
            {
                if (r == col || a[r][col] == 0.0)
                    continue;
                const double f = a[r][col];
                for (int c = 0; c < 8; ++c)
                    a[r][c] -= f * a[col][c];
            }
        }
        AMatrix out;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                out.myData[r][c] = a[r][c + 4];
        return out;
    }

    Vector4 AMatrix::MultT(const Vector4& aPoint) const
    {
        Vector4 out;
        for (int c = 0; c < 4; ++c)
            out[c] = aPoint[0] * myData[0][c] + aPoint[1] * myData[1][c] + aPoint[2] * myData[2][c] + myData[3][c];
        out[3] = 1.0;
        return out;
    }

    Vector4 AMatrix::MultR(const Vector4& aDirection) const
    {
        Vector4 out;
        for (int c = 0; c < 3; ++c)
            out[c] = aDirection[0] * myData[0][c] + aDirection[1] * myData[1][c] + aDirection[2] * myData[2][c];
        out[3] = aDirection[3];
        return out;
    }

    Vector4 EulerXYZFromRotation(const AMatrix& m)
    {
        // m = Rx * Ry * Rz applied to row vectors in that order (X first):
        // row 0 = ( cy cz, cy sz, -sy ).
        const double sy = std::clamp(-m.Get(0, 2), -1.0, 1.0);
        double x, y, z;
        y = std::asin(sy);
        if (std::fabs(sy) < 0.9999999)
        {
            x = std::atan2(m.Get(1, 2), m.Get(2, 2));
            z = std::atan2(m.Get(0, 1), m.Get(0, 0));
        }
        else
        {
            // Gimbal lock: fold the whole turn into X.
            z = 0.0;
            x = std::atan2(-m.Get(2, 1), m.Get(1, 1));
        }
        return Vector4(x * RadToDeg, y * RadToDeg, z * RadToDeg, 0.0);
    }
}

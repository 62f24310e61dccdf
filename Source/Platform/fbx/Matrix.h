#pragma once
// Double-precision vectors and affine matrices in the layout the importer reads:
// row r of a matrix is GetRow(r), with the translation in row 3, so a point p maps to
// p * M (row vectors). The product A * B is the transform that applies B first and
// then A, which is how parent-times-child chains are written.
#include <cstdint>

namespace Plat::Fbx
{
    struct Vector4
    {
        double mData[4] = {0.0, 0.0, 0.0, 0.0};

        Vector4() = default;
        Vector4(double aX, double aY, double aZ, double aW = 0.0) : mData{aX, aY, aZ, aW} {}

        double& operator[](int anIndex) { return mData[anIndex]; }
        double operator[](int anIndex) const { return mData[anIndex]; }
        bool operator==(const Vector4&) const = default;
    };

    // Euler rotation orders; the letters say which axis turns first.
    enum class RotationOrder : int
    {
        EulerXYZ = 0,
        EulerXZY = 1,
        EulerYZX = 2,
        EulerYXZ = 3,
        EulerZXY = 4,
        EulerZYX = 5,
        SphericXYZ = 6, // evaluated as XYZ
    };

    class AMatrix
    {
    public:
        AMatrix() : myData{{1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}} {} // identity
        // Translation * rotation (Euler XYZ, degrees) * scaling.
        AMatrix(const Vector4& aTranslation, const Vector4& aRotation, const Vector4& aScaling);

        static AMatrix Translation(const Vector4& aTranslation);
        static AMatrix Scaling(const Vector4& aScaling);
        static AMatrix Rotation(const Vector4& someDegrees, RotationOrder anOrder = RotationOrder::EulerXYZ);

        Vector4 GetRow(int aRow) const;
        void SetRow(int aRow, const Vector4& aRow4);
        double Get(int aRow, int aColumn) const { return myData[aRow][aColumn]; }
        double& At(int aRow, int aColumn) { return myData[aRow][aColumn]; }

        Vector4 GetT() const { return GetRow(3); }
        // Euler XYZ angles in degrees of the rotation part (scaling removed).
        Vector4 GetR() const;
        Vector4 GetS() const;

        AMatrix operator*(const AMatrix& aRight) const;
        AMatrix Inverse() const;
        AMatrix Transpose() const;
        // The point transformed by the full matrix, and the direction by its 3x3 part.
        Vector4 MultT(const Vector4& aPoint) const;
        Vector4 MultR(const Vector4& aDirection) const;

        bool operator==(const AMatrix&) const = default;

    private:
        double myData[4][4];
    };

    // Euler XYZ angles (degrees) of a pure rotation matrix.
    Vector4 EulerXYZFromRotation(const AMatrix& aRotation);
}

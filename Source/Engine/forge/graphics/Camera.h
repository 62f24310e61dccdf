#pragma once
// Where the camera is (camera-to-world transform) and how it projects: orthographic or
// perspective, left-handed, depth 0 to 1.
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

namespace Kiln
{
    class Camera
    {
    public:
        Camera() = default;

        void SetOrthographicProjection(float aLeft, float aRight, float aBottom, float aTop, float aNearPlane, float aFarPlane);
        // Field of view in degrees, measured horizontally: the vertical view follows the aspect.
        void SetPerspectiveProjection(float aHorizontalFovDegrees, const Vector2<float>& aResolution, float aNearPlane, float aFarPlane);

        const Matrix4x4<float>& GetTransform() const { return myTransform; }
        Matrix4x4<float>& GetTransform() { return myTransform; }
        void SetTransform(const Matrix4x4<float>& aTransform) { myTransform = aTransform; }
        Vector3<float> GetPosition() const { return myTransform.GetPosition(); }
        void SetPosition(const Vector3<float>& aPosition) { myTransform.SetPosition(aPosition); }

        const Matrix4x4<float>& GetProjection() const { return myProjection; }
        void SetProjection(const Matrix4x4<float>& aProjection) { myProjection = aProjection; }

        // The world-to-camera matrix: the fast inverse of the transform.
        Matrix4x4<float> GetView() const { return Matrix4x4<float>::GetFastInverse(myTransform); }

        // The two values uploaded after the matrices; the projection setters leave them alone.
        float GetNearValue() const { return myNearValue; }
        float GetFarValue() const { return myFarValue; }
        void SetNearValue(float aValue) { myNearValue = aValue; }
        void SetFarValue(float aValue) { myFarValue = aValue; }

        // Raised again by the graphics state stack whenever it uploads this camera.
        bool GetUpdatedFlag() const { return myUpdatedFlag; }
        void SetUpdatedFlag(bool aFlag) { myUpdatedFlag = aFlag; }

        const Matrix4x4<float>& GetSecondaryMatrix() const { return mySecondaryMatrix; }
        void SetSecondaryMatrix(const Matrix4x4<float>& aMatrix) { mySecondaryMatrix = aMatrix; }

    protected:
        Matrix4x4<float> myTransform;
        Matrix4x4<float> myProjection;
        float myNearValue = 1.0f;
        float myFarValue = 10000.0f;
        bool myUpdatedFlag = true;
        Matrix4x4<float> mySecondaryMatrix;
    };
}

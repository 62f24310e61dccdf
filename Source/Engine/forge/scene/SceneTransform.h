#pragma once
// A scene object's placement as the level data writes it: translation, rotation as Euler
// angles in degrees (about x, then y, then z) and scale.
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

namespace Kiln
{
    struct SceneTransform
    {
        Vector3<float> myTranslation = {0.0f, 0.0f, 0.0f};
        Vector3<float> myRotation = {0.0f, 0.0f, 0.0f};
        Vector3<float> myScale = {1.0f, 1.0f, 1.0f};

        // Splits a row-major, row-vector 4x4 matrix: scale from the lengths of rows 0 to 2
        // (all four entries of each row), rotation from the scaled-out rows through a
        // quaternion, translation from row 3. Near a pitch of +-90 degrees the z angle is 0.
        static SceneTransform FromMatrix(const Matrix4x4<float>& aMatrix);
    };
}

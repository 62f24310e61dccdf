#include "forge/scene/SceneTransform.h"

#include "forge/math/Quaternion.h"

#include <cmath>

namespace Kiln
{
    namespace
    {
        constexpr float HALF_PI = 1.570796f;
        constexpr float RADIANS_TO_DEGREES = 57.295776f;
        // Beyond this |2(wy - xz)| the pitch is taken as +-90 degrees (gimbal lock).
        constexpr float GIMBAL_LIMIT = 0.9999f;

        float RowLength(const Matrix4x4<float>& aMatrix, int aRow)
        {
            const float* row = aMatrix.GetData() + aRow * 4;
            return std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2] + row[3] * row[3]);
        }

        // A row of length 0 stays as it is rather than turning the rotation into NaNs.
        Vector3<float> Unscaled(const Matrix4x4<float>& aMatrix, int aRow, float aLength)
        {
            const Vector3<float> row = aMatrix.GetRow(static_cast<std::size_t>(aRow));
            return aLength > 0.0f ? row / aLength : row;
        }
    }

    SceneTransform SceneTransform::FromMatrix(const Matrix4x4<float>& aMatrix)
    {
        SceneTransform transform;
        const Vector3<float> scale(RowLength(aMatrix, 0), RowLength(aMatrix, 1), RowLength(aMatrix, 2));
        transform.myScale = scale;
        transform.myTranslation = aMatrix.GetPosition();

        const Quaternion q = Quaternion::FromRotationMatrix(Unscaled(aMatrix, 0, scale.x), Unscaled(aMatrix, 1, scale.y),
                                                            Unscaled(aMatrix, 2, scale.z));
        const float w = q.w, x = q.x, y = q.y, z = q.z;
        const float s = 2.0f * (w * y - x * z);
        Vector3<float> radians;
        if (std::fabs(s) > GIMBAL_LIMIT)
        {
            radians.y = s * HALF_PI;
            radians.x = std::atan2(w * x - y * z, 0.5f - x * x - z * z);
            radians.z = 0.0f;
        }
        else
        {
            radians.y = std::asin(s);
            radians.x = std::atan2(w * x + y * z, 0.5f - x * x - y * y);
            radians.z = std::atan2(w * z + x * y, 0.5f - y * y - z * z);
        }
        transform.myRotation = radians * RADIANS_TO_DEGREES;
        return transform;
    }
}

#include "forge/graphics/Camera.h"

#include "forge/math/FMath.h"
#include "Platform/runtime/Assert.h"

#include <cmath>

namespace Kiln
{
    void Camera::SetOrthographicProjection(float aLeft, float aRight, float aBottom, float aTop, float aNearPlane, float aFarPlane)
    {
        myProjection = Matrix4x4<float>();
        myProjection[0] = 2.0f / (aRight - aLeft);
        myProjection[5] = 2.0f / (aTop - aBottom);
        myProjection[10] = 1.0f / (aFarPlane - aNearPlane);
        myProjection[12] = -(aLeft + aRight) / (aRight - aLeft);
        myProjection[13] = -(aBottom + aTop) / (aTop - aBottom);
        myProjection[14] = -aNearPlane / (aFarPlane - aNearPlane);
    }

    void Camera::SetPerspectiveProjection(float aHorizontalFovDegrees, const Vector2<float>& aResolution, float aNearPlane, float aFarPlane)
    {
        KILN_ASSERT(aNearPlane < aFarPlane);
        KILN_ASSERT(aNearPlane >= FMath::KindaSmallNumber);

        myProjection = Matrix4x4<float>();
        const float scale = std::tan(aHorizontalFovDegrees * 0.017453292f * 0.5f);
        myProjection[0] = 1.0f / scale;
        myProjection[5] = aResolution.x / (scale * aResolution.y);
        myProjection[10] = aFarPlane / (aFarPlane - aNearPlane);
        myProjection[11] = 1.0f;
        myProjection[14] = -aNearPlane * aFarPlane / (aFarPlane - aNearPlane);
        myProjection[15] = 0.0f;
    }
}

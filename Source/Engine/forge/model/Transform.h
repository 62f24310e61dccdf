#pragma once
// One joint's local placement: translation, rotation (w, x, y, z) and scale, ten floats.
#include "forge/math/Quaternion.h"
#include "forge/math/Vector.h"

namespace Kiln
{
    struct Transform
    {
        Vector3<float> myTranslation = {0.0f, 0.0f, 0.0f};
        Quaternion myRotation = {1.0f, 0.0f, 0.0f, 0.0f};
        Vector3<float> myScale = {1.0f, 1.0f, 1.0f};

        constexpr bool operator==(const Transform&) const = default;
    };

    static_assert(sizeof(Transform) == 10 * sizeof(float));
}

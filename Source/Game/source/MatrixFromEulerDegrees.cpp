#include "MatrixFromEulerDegrees.h"

#include "CustomSceneObject.h"

Kiln::Matrix4x4<float> MatrixFromEulerDegrees(const Kiln::Vector3<float>& someDegrees)
{
    // A placement with unit scale at the origin is exactly the rotation.
    return CustomSceneObject::ComputeTransform(someDegrees, {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f});
}

#pragma once
// One sprite placed by a full transform of the unit quad (x 0 to 1, y -1 to 0).
#include "forge/math/Color.h"
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

namespace Kiln
{
    struct Sprite3DInstanceData
    {
        Matrix4x4f myTransform;
        Vector4f myTextureRect{0.0f, 0.0f, 1.0f, 1.0f};
        Color myColor{1.0f, 1.0f, 1.0f, 1.0f};
        Vector4f myCustomData{0.0f, 0.0f, 1.0f, 1.0f};
        bool myIsHidden = false;
    };
}

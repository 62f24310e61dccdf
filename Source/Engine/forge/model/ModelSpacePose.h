#pragma once
// The joints' matrices in model space, the temporary of pose evaluation (lives on the stack).
#include "forge/math/Matrix4x4.h"
#include "forge/model/EngineDefines.h"

#include <array>
#include <cstdint>

namespace Kiln
{
    struct ModelSpacePose
    {
        std::array<Matrix4x4<float>, MAX_ANIMATION_BONES> myTransforms{};
        uint64_t myJointCount = 0;
    };
}

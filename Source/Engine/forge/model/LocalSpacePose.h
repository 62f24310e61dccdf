#pragma once
// A skeleton's pose as one local transform per joint (joint order), for up to 128 joints.
#include "forge/model/EngineDefines.h"
#include "forge/model/Transform.h"

#include <array>
#include <cstdint>

namespace Kiln
{
    struct LocalSpacePose
    {
        std::array<Transform, MAX_ANIMATION_BONES> myTransforms{};
        uint64_t myJointCount = 0;
    };
}

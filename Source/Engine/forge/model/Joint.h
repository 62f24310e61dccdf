#pragma once
// One joint of a skeleton: its inverse bind matrix and its place in the hierarchy.
#include "forge/math/Matrix4x4.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kiln
{
    struct Joint
    {
        Matrix4x4<float> myInverseBind;
        int32_t myParent = -1;          // -1 for a root
        std::vector<int32_t> myChildren;
        std::string myName;             // without namespace
    };
}

#pragma once
// A reference to an animation clip file by its path.
#include "forge/stringRegistry/StringId.h"

namespace Kiln
{
    struct AnimationClipReference
    {
        StringId myClipPath;
    };

    static_assert(sizeof(AnimationClipReference) == 8);
}

#pragma once
// A reference to another scene by its path.
#include "forge/stringRegistry/StringId.h"

namespace Kiln
{
    struct SceneReference
    {
        StringId myScenePath;
    };

    static_assert(sizeof(SceneReference) == 8);
}

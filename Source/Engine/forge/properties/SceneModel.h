#pragma once
// A model reference as a property holds it: the model's path and, per mesh, texture paths
// that override the model's own.
#include "forge/stringRegistry/StringId.h"

namespace Kiln
{
    struct SceneModel
    {
        static constexpr int MESH_SLOT_COUNT = 4;
        static constexpr int TEXTURE_SLOT_COUNT = 4;

        StringId myPath;
        // Per mesh slot, in the order color, normal, material, effects; null = no override.
        StringId myTextures[MESH_SLOT_COUNT][TEXTURE_SLOT_COUNT];
    };

    static_assert(sizeof(SceneModel) == 136);
}

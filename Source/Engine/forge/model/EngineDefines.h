#pragma once
// Limits shared by models, skeletons, animation and the model shaders' bone buffer.
#include <cstddef>

namespace Kiln
{
    // Joints of one skeleton; also the bone matrices a skinned draw uploads.
    inline constexpr size_t MAX_ANIMATION_BONES = 128;
    // Meshes of one model; also the texture sets a model and its instances keep.
    inline constexpr size_t MAX_MESHES_PER_MODEL = 4;
}

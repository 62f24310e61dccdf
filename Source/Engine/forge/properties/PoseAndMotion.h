#pragma once
// The value of a "Pose" property: 16 bytes that are always zero. Nothing reads it; it
// keeps the type's place and size in the property table.
#include <cstdint>

namespace Kiln
{
    struct PoseAndMotion
    {
        std::uint64_t myData[2] = {0, 0};
    };

    static_assert(sizeof(PoseAndMotion) == 16);
}

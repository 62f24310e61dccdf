#pragma once
// Bounding volumes of meshes and models.
#include <cstdint>

namespace KILNFBXImporter
{
    struct FBXBounds
    {
        float extents[3] = {0.0f, 0.0f, 0.0f}; // half sizes
        float center[3] = {0.0f, 0.0f, 0.0f};
        float radius = 0.0f;
        bool operator==(const FBXBounds&) const = default;
    };

    struct FBXBox
    {
        float min[3] = {0.0f, 0.0f, 0.0f};
        float max[3] = {0.0f, 0.0f, 0.0f};
        uint32_t isValid = 0; // 1 once set
        bool operator==(const FBXBox&) const = default;
    };

    // The bounds of the corners of both; the radius is the largest merged extent.
    FBXBounds MergeBounds(const FBXBounds& a, const FBXBounds& b);
    FBXBox MakeBoxFromCenterExtents(const float aCenter[3], const float someExtents[3]);
}

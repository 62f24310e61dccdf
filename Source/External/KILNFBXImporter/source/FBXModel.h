#pragma once
// Everything a model file yields.
#include "FBXBounds.h"
#include "FBXMaterial.h"
#include "FBXMesh.h"
#include "FBXSkeleton.h"

#include <string>
#include <vector>

namespace KILNFBXImporter
{
    struct FBXLodLevel
    {
        int32_t level = 0;     // the child's position in its LOD group node
        float distance = 0.0f; // 0 for level 0, else the group's threshold level - 1
        std::vector<FBXMesh> meshes;
    };

    struct FBXModel
    {
        FBXSkeleton skeleton;
        std::vector<FBXMesh> meshes; // outside LOD groups
        std::vector<FBXMaterial> materials;
        std::vector<std::vector<FBXLodLevel>> lodGroups;
        std::string path;
        FBXBounds bounds;
        FBXBox box;
    };
}

#pragma once
// One mesh per (mesh node, material): de-duplicated vertices and triangle indices.
#include "FBXBounds.h"
#include "FBXVertex.h"

#include <cstdint>
#include <string>
#include <vector>

namespace KILNFBXImporter
{
    struct FBXMesh
    {
        std::vector<FBXVertex> vertices;
        std::vector<uint32_t> indices;  // three per triangle
        uint32_t materialIndex = 0;     // into FBXModel::materials
        std::string name;               // the mesh node's name
        FBXBounds bounds;
        FBXBox box;
    };
}

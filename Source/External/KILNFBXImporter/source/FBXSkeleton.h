#pragma once
// Joints, event markers and socket markers of a model's node tree.
#include "FBXMatrix.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace KILNFBXImporter
{
    struct FBXJoint
    {
        FBXMatrix matrix;        // the bind matrix once a skin cluster supplies it
        int32_t parent = -1;     // -1 for a root
        std::string name;        // the full node name
        std::string shortName;   // the text after the last ':'
        std::vector<int32_t> children;
    };

    struct FBXSocket
    {
        FBXMatrix matrix;        // the node's global transform at time 0
        int32_t parent = -1;     // the nearest skeleton ancestor's joint index
        std::string name;
        std::string shortName;   // always empty
    };

    struct FBXSkeleton
    {
        std::string name;
        std::vector<FBXJoint> Joints; // depth first, parents before children
        std::unordered_map<std::string, FBXSocket> sockets;      // model import only
        std::unordered_map<std::string, uint32_t> jointIndex;    // by short name
    };
}

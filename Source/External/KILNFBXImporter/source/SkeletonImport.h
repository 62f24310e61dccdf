#pragma once
// The one walk of a scene's node tree that collects joints, events and sockets.
#include "FBXSkeleton.h"

#include <vector>

namespace Plat::Fbx
{
    class Node;
}

namespace KILNFBXImporter
{
    // Appends the joints below (and including) aNode to aSkeleton, null nodes named
    // "..._evt"/"..._event" to someEvents and "..._skt"/"..._socket" to someSockets.
    // True when the skeleton holds at least one joint afterwards. Throws on a
    // duplicate joint short name.
    bool GatherSkeleton(const Plat::Fbx::Node* aNode, FBXSkeleton& aSkeleton, std::vector<FBXJoint>& someEvents,
                        std::vector<FBXSocket>& someSockets, int32_t aParentIndex);
}

#pragma once
// The 64-bit hash of a vertex, the equality of vertices that merging goes by, and the
// cheaper hash of the merge table.
#include "FBXVertex.h"

#include <cstdint>

namespace KILNFBXImporter
{
    // FNV-1a 64 of every 32-bit field in layout order (zeros of either sign hashed as
    // four zero bytes), combined with the golden-ratio mix.
    uint64_t VertexHash(const FBXVertex& aVertex);

    // True when both vertices hold the same values (zeros of either sign are equal).
    bool SameVertex(const FBXVertex& a, const FBXVertex& b);

    // A cheaper spread of the vertex over 64 bits for tables that compare vertices with
    // SameVertex: vertices SameVertex calls equal hash alike.
    uint64_t TableHash(const FBXVertex& aVertex);
}

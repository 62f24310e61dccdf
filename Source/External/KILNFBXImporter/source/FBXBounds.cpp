#include "FBXBounds.h"

#include <algorithm>

namespace KILNFBXImporter
{
    FBXBounds MergeBounds(const FBXBounds& a, const FBXBounds& b)
    {
        FBXBounds out;
        for (int i = 0; i < 3; ++i)
        {
            const float lowest = std::min({a.center[i] - a.extents[i], a.center[i] + a.extents[i],
                                           b.center[i] - b.extents[i], b.center[i] + b.extents[i]});
            const float highest = std::max({a.center[i] - a.extents[i], a.center[i] + a.extents[i],
                                            b.center[i] - b.extents[i], b.center[i] + b.extents[i]});
            out.extents[i] = (highest - lowest) * 0.5f;
            out.center[i] = (highest + lowest) * 0.5f;
        }
        out.radius = std::max({out.extents[0], out.extents[1], out.extents[2]});
        return out;
    }

    FBXBox MakeBoxFromCenterExtents(const float aCenter[3], const float someExtents[3])
    {
        FBXBox box;
        for (int i = 0; i < 3; ++i)
        {
            box.min[i] = aCenter[i] - someExtents[i];
            box.max[i] = aCenter[i] + someExtents[i];
        }
        box.isValid = 1;
        return box;
    }
}

#pragma once
// A generated scene for load tests and benchmarks: a square grid of quads in the XZ
// plane with per-corner normals and UVs, skinned to a chain of joints along X.
#include "Platform/fbx/Document.h"

namespace KilnTest
{
    // quadsPerSide^2 quads (twice as many triangles) and jointCount joints; every control
    // point is weighted to the two joints nearest to it.
    Plat::Fbx::Document MakeSkinnedGrid(int aQuadsPerSide, int aJointCount);
}

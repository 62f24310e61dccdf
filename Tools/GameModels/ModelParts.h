#pragma once
// Small building blocks shared by the model designs.
#include "MeshBuilder.h"

#include <vector>

namespace GameModels
{
    // The direction the Lambert shader lights from (up, left, towards the camera).
    inline const Vec3 KEY_LIGHT{-1.0f, 1.0f, -1.0f};

    // A box of size aSize centred on the origin, bevelled, painted with aCell.
    MeshBuilder BoxPart(const Vec3& aSize, float aBevel, const Cell& aCell, float aShade = 1.0f);

    // A lathed part painted with aCell.
    MeshBuilder LathePart(const std::vector<ProfilePoint>& aProfile, int aSegments, bool aSmooth, const Cell& aCell,
                          float aShade = 1.0f, float aStartDegrees = 0.0f, bool aCloseEnds = true);

    // The radius of a lathe profile at height y (profile bottom to top).
    float ProfileRadiusAt(const std::vector<ProfilePoint>& aProfile, float y);

    // A thin bar from a to b in the x-y plane, aWidth across, spanning z from aNearZ to aFarZ.
    MeshBuilder BarPart(const Vec2& a, const Vec2& b, float aWidth, float aNearZ, float aFarZ, const Cell& aCell);
}

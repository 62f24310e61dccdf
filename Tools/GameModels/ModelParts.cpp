#include "ModelParts.h"

#include <cmath>

namespace GameModels
{
    MeshBuilder BoxPart(const Vec3& aSize, float aBevel, const Cell& aCell, float aShade)
    {
        MeshBuilder part;
        part.SetCell(aCell, aShade);
        part.AddBox(aSize * -0.5f, aSize * 0.5f, aBevel);
        return part;
    }

    MeshBuilder LathePart(const std::vector<ProfilePoint>& aProfile, int aSegments, bool aSmooth, const Cell& aCell,
                          float aShade, float aStartDegrees, bool aCloseEnds)
    {
        MeshBuilder part;
        part.SetCell(aCell, aShade);
        part.AddLathe(aProfile, aSegments, aSmooth, aStartDegrees, aCloseEnds);
        return part;
    }

    float ProfileRadiusAt(const std::vector<ProfilePoint>& aProfile, float y)
    {
        for (size_t i = 0; i + 1 < aProfile.size(); ++i)
        {
            const ProfilePoint& a = aProfile[i];
            const ProfilePoint& b = aProfile[i + 1];
            if (y >= std::min(a.y, b.y) && y <= std::max(a.y, b.y) && b.y != a.y)
                return a.radius + (b.radius - a.radius) * (y - a.y) / (b.y - a.y);
        }
        return aProfile.empty() ? 0.0f : aProfile.back().radius;
    }

    MeshBuilder BarPart(const Vec2& a, const Vec2& b, float aWidth, float aNearZ, float aFarZ, const Cell& aCell)
    {
        const float dx = b.x - a.x, dy = b.y - a.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        MeshBuilder bar;
        bar.SetCell(aCell);
        bar.AddBox({-length * 0.5f - aWidth * 0.3f, -aWidth * 0.5f, aNearZ}, {length * 0.5f + aWidth * 0.3f, aWidth * 0.5f, aFarZ},
                   0.0f);
        MeshBuilder placed;
        placed.Append(bar, Affine::Translate({(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, 0.0f}) *
                               Affine::RotateZ(std::atan2(dy, dx) * 180.0f / PI));
        return placed;
    }
}

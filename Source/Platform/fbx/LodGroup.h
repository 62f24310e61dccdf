#pragma once
// Level-of-detail groups: the distances at which a group switches between its children.
#include "Platform/fbx/Mesh.h"

#include <string>
#include <vector>

namespace Plat::Fbx
{
    class Distance
    {
    public:
        Distance() = default;
        Distance(float aValue, std::string aUnit) : myValue(aValue), myUnit(std::move(aUnit)) {}
        float value() const { return myValue; }
        const std::string& unitName() const { return myUnit; }

    private:
        float myValue = 0.0f;
        std::string myUnit = "cm";
    };

    class LodGroup : public NodeAttribute
    {
    public:
        LodGroup() : NodeAttribute(EType::LODGroup) {}

        int GetNumThresholds() const { return static_cast<int>(myThresholds.size()); }
        // Threshold i switches from child i to child i + 1. False, with aDistance
        // left as it was, when there is no such threshold.
        bool GetThreshold(int anIndex, Distance& aDistance) const
        {
            if (anIndex < 0 || anIndex >= GetNumThresholds())
                return false;
            aDistance = Distance(static_cast<float>(myThresholds[static_cast<size_t>(anIndex)]), "cm");
            return true;
        }

        std::vector<double> myThresholds;
    };
}

#pragma once
// Animation stacks (takes), their layers and the curves that animate node channels.
#include "Platform/fbx/Object.h"
#include "Platform/fbx/Time.h"

#include <cstdint>
#include <vector>

namespace Plat::Fbx
{
    struct AnimKey
    {
        enum class Interpolation : uint8_t
        {
            Constant,
            Linear,
            Cubic,
        };

        int64_t time = 0;
        float value = 0.0f;
        Interpolation interpolation = Interpolation::Cubic;
        bool constantNext = false; // constant segments hold the next key's value
        // Cubic: slopes in value per second, weights as fractions of the segment.
        float rightSlope = 0.0f;
        float nextLeftSlope = 0.0f;
        float rightWeight = 1.0f / 3.0f;
        float nextLeftWeight = 1.0f / 3.0f;
        bool weighted = false;
    };

    class AnimCurve : public SceneObject
    {
    public:
        int KeyGetCount() const { return static_cast<int>(myKeys.size()); }
        // The value at aTime: held flat before the first and after the last key.
        double Evaluate(Time aTime) const;

        std::vector<AnimKey> myKeys; // ordered by time (checked when built)
        double myDefault = 0.0;
    };

    class AnimLayer : public SceneObject
    {
    };

    class AnimStack : public SceneObject
    {
    public:
        TimeSpan GetLocalTimeSpan() const { return myLocal; }
        TimeSpan GetReferenceTimeSpan() const { return myReference; }
        int GetMemberCount() const { return static_cast<int>(myLayers.size()); }
        AnimLayer* GetMember(int anIndex) const
        {
            return anIndex >= 0 && anIndex < GetMemberCount() ? myLayers[static_cast<size_t>(anIndex)] : nullptr;
        }

        TimeSpan myLocal;
        TimeSpan myReference;
        std::vector<AnimLayer*> myLayers;
    };

    // What the file's Takes section says about a stack.
    struct TakeInfo
    {
        std::string mName;
        TimeSpan mLocalTimeSpan;
        TimeSpan mReferenceTimeSpan;
    };
}

#pragma once
// A model's joints (at most MAX_ANIMATION_BONES, parents before children) with their
// bind pose, and the evaluation of a local-space pose into skinning matrices:
//   bone[j] = inverseBind[j] x local(j) x local(parent(j)) x ... x local(root)
// (row vectors: a vertex is moved by the left factor first).
#include "forge/math/Matrix4x4.h"
#include "forge/model/EngineDefines.h"
#include "forge/model/Joint.h"
#include "forge/model/LocalSpacePose.h"
#include "forge/model/ModelSpacePose.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kiln
{
    using BonePalette = std::array<Matrix4x4<float>, MAX_ANIMATION_BONES>;

    class Skeleton
    {
    public:
        // Walks the hierarchy from joint 0 (identity parent); joints that cannot be reached
        // from joint 0 keep the matrix they had in aModelSpacePose.
        void ComputeModelSpacePose(const LocalSpacePose& aPose, ModelSpacePose& aModelSpacePose) const;
        // aModelSpacePose[j] = local(aPose[j]) x aParent, then the same for j's children.
        void UpdateHierarchy(const LocalSpacePose& aPose, ModelSpacePose& aModelSpacePose, int32_t aJointIndex,
                             const Matrix4x4<float>& aParent) const;
        // Bones for every joint of the skeleton: inverse bind x model space. Entries past the
        // joint count are left as they are.
        void ApplyInverseBindPose(const ModelSpacePose& aModelSpacePose, BonePalette& someBones) const;

        // Scale, then rotation (the quaternion as stored, not normalised), then translation.
        static Matrix4x4<float> ComputeLocalMatrix(const Transform& aTransform, bool anIgnoreScale);

        size_t GetJointCount() const { return myJoints.size(); }
        // The joint's index, or -1 when the skeleton has no joint of that name.
        int32_t GetJointIndex(const std::string& aName) const;

        std::string myName;
        LocalSpacePose myBindPose;
        std::vector<Joint> myJoints;
        std::unordered_map<std::string, uint32_t> myJointIndexByName;
        std::vector<std::string> myJointNames;

    private:
        void UpdateHierarchy(const LocalSpacePose& aPose, ModelSpacePose& aModelSpacePose, int32_t aJointIndex,
                             const Matrix4x4<float>& aParent, size_t aDepth) const;
    };
}

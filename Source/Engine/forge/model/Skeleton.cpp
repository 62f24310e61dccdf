#include "forge/model/Skeleton.h"

#include <algorithm>

namespace Kiln
{
    void Skeleton::ComputeModelSpacePose(const LocalSpacePose& aPose, ModelSpacePose& aModelSpacePose) const
    {
        if (!myJoints.empty())
            UpdateHierarchy(aPose, aModelSpacePose, 0, Matrix4x4<float>());
        aModelSpacePose.myJointCount = aPose.myJointCount;
    }

    void Skeleton::UpdateHierarchy(const LocalSpacePose& aPose, ModelSpacePose& aModelSpacePose, int32_t aJointIndex,
                                   const Matrix4x4<float>& aParent) const
    {
        UpdateHierarchy(aPose, aModelSpacePose, aJointIndex, aParent, 0);
    }

    void Skeleton::UpdateHierarchy(const LocalSpacePose& aPose, ModelSpacePose& aModelSpacePose, int32_t aJointIndex,
                                   const Matrix4x4<float>& aParent, size_t aDepth) const
    {
        // A hand-built skeleton could name a joint that is not there or loop back on
        // itself; no chain is deeper than the joint limit.
        if (aJointIndex < 0 || static_cast<size_t>(aJointIndex) >= myJoints.size() ||
            static_cast<size_t>(aJointIndex) >= MAX_ANIMATION_BONES || aDepth >= MAX_ANIMATION_BONES)
            return;

        const size_t index = static_cast<size_t>(aJointIndex);
        Matrix4x4<float>& modelSpace = aModelSpacePose.myTransforms[index];
        modelSpace = ComputeLocalMatrix(aPose.myTransforms[index], false);
        modelSpace.Multiply(aParent);
        for (const int32_t child : myJoints[index].myChildren)
            UpdateHierarchy(aPose, aModelSpacePose, child, modelSpace, aDepth + 1);
    }

    void Skeleton::ApplyInverseBindPose(const ModelSpacePose& aModelSpacePose, BonePalette& someBones) const
    {
        const size_t count = std::min(myJoints.size(), MAX_ANIMATION_BONES);
        for (size_t i = 0; i < count; ++i)
            someBones[i] = myJoints[i].myInverseBind * aModelSpacePose.myTransforms[i];
    }

    Matrix4x4<float> Skeleton::ComputeLocalMatrix(const Transform& aTransform, bool anIgnoreScale)
    {
        const float w = aTransform.myRotation.w;
        const float x = aTransform.myRotation.x;
        const float y = aTransform.myRotation.y;
        const float z = aTransform.myRotation.z;
        const Vector3<float> scale = anIgnoreScale ? Vector3<float>(1.0f, 1.0f, 1.0f) : aTransform.myScale;

        // Identity x S x R: each rotation row scaled by its axis' scale.
        Matrix4x4<float> m;
        m(0, 0) = (1.0f - 2.0f * (y * y + z * z)) * scale.x;
        m(0, 1) = 2.0f * (x * y + w * z) * scale.x;
        m(0, 2) = 2.0f * (x * z - w * y) * scale.x;
        m(1, 0) = 2.0f * (x * y - w * z) * scale.y;
        m(1, 1) = (1.0f - 2.0f * (x * x + z * z)) * scale.y;
        m(1, 2) = 2.0f * (y * z + w * x) * scale.y;
        m(2, 0) = 2.0f * (x * z + w * y) * scale.z;
        m(2, 1) = 2.0f * (y * z - w * x) * scale.z;
        m(2, 2) = (1.0f - 2.0f * (x * x + y * y)) * scale.z;
        m(3, 0) = aTransform.myTranslation.x;
        m(3, 1) = aTransform.myTranslation.y;
        m(3, 2) = aTransform.myTranslation.z;
        return m;
    }

    int32_t Skeleton::GetJointIndex(const std::string& aName) const
    {
        const auto found = myJointIndexByName.find(aName);
        return found != myJointIndexByName.end() ? static_cast<int32_t>(found->second) : -1;
    }
}

#include "forge/model/AnimatedModelInstance.h"
#include "forge/model/Skeleton.h"

#include "../properties/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using Kiln::Matrix4x4;
using Kiln::Skeleton;
using Kiln::Transform;

namespace
{
    constexpr float HALF_SQRT2 = 0.70710678f;

    void ExpectMatrixNear(const Matrix4x4<float>& a, const Matrix4x4<float>& b, float aTolerance = 1e-5f)
    {
        for (size_t i = 0; i < 16; ++i)
            EXPECT_NEAR(a[i], b[i], aTolerance) << "element " << i;
    }

    Transform Rotated(float aDegreesAboutZ, Kiln::Vector3<float> aTranslation = {})
    {
        const float half = aDegreesAboutZ * 3.14159265f / 360.0f;
        Transform t;
        t.myRotation = {std::cos(half), 0.0f, 0.0f, std::sin(half)};
        t.myTranslation = aTranslation;
        return t;
    }

    // A chain: joint i's parent is i - 1, each joint 1 unit along y from its parent.
    std::shared_ptr<Kiln::Model> ChainModel(size_t aJointCount)
    {
        auto model = std::make_shared<Kiln::Model>();
        Skeleton& skeleton = model->GetSkeleton();
        skeleton.myJoints.resize(aJointCount);
        for (size_t i = 0; i < aJointCount; ++i)
        {
            Kiln::Joint& joint = skeleton.myJoints[i];
            joint.myParent = static_cast<int32_t>(i) - 1;
            if (i + 1 < aJointCount)
                joint.myChildren.push_back(static_cast<int32_t>(i + 1));
            joint.myInverseBind = Matrix4x4<float>::CreateTranslation({0.0f, -static_cast<float>(i), 0.0f});
        }
        return model;
    }
}

TEST(Skeleton, LocalMatrixScalesThenRotatesThenTranslates)
{
    Transform t = Rotated(90.0f, {3.0f, 4.0f, 5.0f});
    t.myScale = {2.0f, 1.0f, 1.0f};
    const Matrix4x4<float> m = Skeleton::ComputeLocalMatrix(t, false);
    // x is stretched to 2 first, then turned onto y.
    const Kiln::Vector3<float> p = m.TransformPoint({1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(p.x, 3.0f, 1e-5f);
    EXPECT_NEAR(p.y, 6.0f, 1e-5f);
    EXPECT_NEAR(p.z, 5.0f, 1e-5f);
    const Kiln::Vector3<float> q = m.TransformPoint({0.0f, 1.0f, 0.0f});
    EXPECT_NEAR(q.x, 2.0f, 1e-5f);   // y is not stretched
    EXPECT_NEAR(q.y, 4.0f, 1e-5f);

    const Matrix4x4<float> unscaled = Skeleton::ComputeLocalMatrix(t, true);
    EXPECT_NEAR(unscaled.TransformPoint({1.0f, 0.0f, 0.0f}).y, 5.0f, 1e-5f);
}

TEST(Skeleton, TheQuaternionIsUsedAsStoredWithoutNormalising)
{
    Transform t;
    t.myRotation = {2.0f, 0.0f, 0.0f, 0.0f};   // not unit: the matrix is still the identity form
    const Matrix4x4<float> m = Skeleton::ComputeLocalMatrix(t, false);
    EXPECT_EQ(m, Matrix4x4<float>());
    t.myRotation = {0.0f, 0.0f, 0.0f, 2.0f};   // 1 - 2 z^2 = -7 on the diagonal
    EXPECT_FLOAT_EQ(Skeleton::ComputeLocalMatrix(t, false)(0, 0), -7.0f);
}

TEST(AnimatedModelInstance, AnIdentityPoseGivesTheInverseBindMatricesAndLeavesTheRestIdentity)
{
    const auto model = ChainModel(3);
    Kiln::AnimatedModelInstance instance;
    instance.SetModel(model);
    instance.ApplyPose(Kiln::LocalSpacePose{});
    for (size_t i = 0; i < 3; ++i)
        ExpectMatrixNear(instance.GetBones()[i], model->GetSkeleton().myJoints[i].myInverseBind);
    for (size_t i = 3; i < Kiln::MAX_ANIMATION_BONES; ++i)
        EXPECT_EQ(instance.GetBones()[i], Matrix4x4<float>()) << i;
}

TEST(AnimatedModelInstance, BonesChainInverseBindLocalAndParents)
{
    const auto model = ChainModel(3);
    Kiln::LocalSpacePose pose;
    pose.myJointCount = 3;
    pose.myTransforms[0] = Rotated(0.0f, {10.0f, 0.0f, 0.0f});
    pose.myTransforms[1] = Rotated(90.0f, {0.0f, 1.0f, 0.0f});
    pose.myTransforms[2] = Rotated(0.0f, {0.0f, 1.0f, 0.0f});
    Kiln::AnimatedModelInstance instance;
    instance.SetModel(model);
    instance.ApplyPose(pose);

    // A point bound at the tip joint (model y = 2) follows the bend at joint 1: it ends
    // one unit along -x from joint 1, which stands at (10, 1).
    const Kiln::Vector3<float> tip = instance.GetBones()[2].TransformPoint({0.0f, 2.0f, 0.0f});
    EXPECT_NEAR(tip.x, 9.0f, 1e-5f);
    EXPECT_NEAR(tip.y, 1.0f, 1e-5f);
    // The same product written out: inverse bind x local(2) x local(1) x local(0).
    const Skeleton& s = model->GetSkeleton();
    ExpectMatrixNear(instance.GetBones()[2], s.myJoints[2].myInverseBind * Skeleton::ComputeLocalMatrix(pose.myTransforms[2], false) *
                                                 Skeleton::ComputeLocalMatrix(pose.myTransforms[1], false) *
                                                 Skeleton::ComputeLocalMatrix(pose.myTransforms[0], false));
}

TEST(AnimatedModelInstance, JointsUnderASecondRootKeepAnIdentityModelSpaceMatrix)
{
    const auto model = ChainModel(4);
    Skeleton& skeleton = model->GetSkeleton();
    skeleton.myJoints[1].myChildren.clear();   // joints 2 and 3 hang under a second root
    skeleton.myJoints[2].myParent = -1;
    Kiln::LocalSpacePose pose;
    for (auto& t : pose.myTransforms)
        t = Rotated(30.0f, {1.0f, 2.0f, 3.0f});
    Kiln::AnimatedModelInstance instance;
    instance.SetModel(model);
    instance.ApplyPose(pose);
    EXPECT_EQ(instance.GetBones()[2], skeleton.myJoints[2].myInverseBind);
    EXPECT_EQ(instance.GetBones()[3], skeleton.myJoints[3].myInverseBind);
    EXPECT_NE(instance.GetBones()[1], skeleton.myJoints[1].myInverseBind);
}

TEST(AnimatedModelInstance, ABrokenHierarchyStopsInsteadOfRunningAway)
{
    const auto model = ChainModel(3);
    Skeleton& skeleton = model->GetSkeleton();
    skeleton.myJoints[2].myChildren = {0, 7, -1};   // a loop back to the root, and joints that do not exist
    Kiln::AnimatedModelInstance instance;
    instance.SetModel(model);
    instance.ApplyPose(Kiln::LocalSpacePose{});
    ExpectMatrixNear(instance.GetBones()[1], skeleton.myJoints[1].myInverseBind);
}

TEST(AnimatedModelInstance, WithoutAModelAPoseChangesNothing)
{
    Kiln::AnimatedModelInstance instance;
    Kiln::LocalSpacePose pose;
    pose.myTransforms[0] = Rotated(45.0f);
    instance.ApplyPose(pose);
    EXPECT_EQ(instance.GetBones()[0], Matrix4x4<float>());
}

TEST(AnimatedModelInstance, CopiesShareTheModelAndKeepTheirOwnBones)
{
    const auto model = ChainModel(2);
    Kiln::AnimatedModelInstance a;
    a.SetModel(model);
    EXPECT_EQ(model.use_count(), 2);
    {
        Kiln::AnimatedModelInstance b = a;
        EXPECT_EQ(model.use_count(), 3);
        Kiln::LocalSpacePose pose;
        pose.myTransforms[0] = Rotated(90.0f);
        b.ApplyPose(pose);
        EXPECT_NE(b.GetBones()[0], a.GetBones()[0]);
    }
    EXPECT_EQ(model.use_count(), 2);
}

TEST(AnimatedModelInstance, PosingA128JointSkeletonAllocatesNothing)
{
    const auto model = ChainModel(Kiln::MAX_ANIMATION_BONES);
    Kiln::AnimatedModelInstance instance;
    instance.SetModel(model);
    Kiln::LocalSpacePose pose;
    pose.myJointCount = Kiln::MAX_ANIMATION_BONES;
    for (size_t i = 0; i < Kiln::MAX_ANIMATION_BONES; ++i)
        pose.myTransforms[i] = Rotated(1.0f, {0.0f, 1.0f, 0.0f});

    KilnTest::AllocationScope scope;
    instance.ApplyPose(pose);
    EXPECT_EQ(scope.GetCount(), 0u);
    // The last joint turned 127 times one degree, so the palette really was written.
    EXPECT_NE(instance.GetBones()[127], model->GetSkeleton().myJoints[127].myInverseBind);
}

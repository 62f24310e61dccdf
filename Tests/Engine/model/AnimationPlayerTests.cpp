#include "forge/model/AnimationPlayer.h"

#include "../properties/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using Kiln::AnimationPlayer;

namespace
{
    // A clip whose frame f moves joint 0 to x = f and joint 1 to y = 10 f; duration
    // (frames - 1) / fps, as the importer makes it.
    std::shared_ptr<Kiln::Animation> CountingClip(int aFrameCount, float aFramesPerSecond)
    {
        auto clip = std::make_shared<Kiln::Animation>();
        clip->myFrameCount = aFrameCount;
        clip->myFramesPerSecond = aFramesPerSecond;
        clip->myDuration = static_cast<float>(aFrameCount - 1) / aFramesPerSecond;
        clip->myFrames.resize(static_cast<size_t>(aFrameCount));
        for (int f = 0; f < aFrameCount; ++f)
        {
            Kiln::LocalSpacePose& pose = clip->myFrames[static_cast<size_t>(f)];
            pose.myJointCount = 2;
            pose.myTransforms[0].myTranslation.x = static_cast<float>(f);
            pose.myTransforms[1].myTranslation.y = 10.0f * static_cast<float>(f);
        }
        return clip;
    }

    AnimationPlayer Playing(const std::shared_ptr<Kiln::Animation>& aClip, bool aLooping)
    {
        AnimationPlayer player;
        player.SetAnimation(aClip);
        player.SetLooping(aLooping);
        player.SetState(AnimationPlayer::STATE_PLAYING);
        return player;
    }
}

TEST(AnimationPlayer, StartsCreatedWithIdentityPoseAndTakesTheClipsFrameRate)
{
    AnimationPlayer player;
    EXPECT_EQ(player.GetState(), AnimationPlayer::STATE_CREATED);
    EXPECT_FALSE(player.IsLooping());
    EXPECT_TRUE(player.IsInterpolating());
    EXPECT_EQ(player.GetTime(), 0.0f);
    EXPECT_EQ(player.GetPose().myJointCount, 0u);
    EXPECT_EQ(player.GetPose().myTransforms[127], Kiln::Transform{});

    player.SetTime(0.5f);
    player.SetAnimation(CountingClip(3, 24.0f));
    EXPECT_EQ(player.GetFramesPerSecond(), 24.0f);
    EXPECT_EQ(player.GetTime(), 0.5f);
    EXPECT_EQ(player.GetState(), AnimationPlayer::STATE_CREATED);
}

TEST(AnimationPlayer, InTheCreatedStateEveryUpdateYieldsFrameZero)
{
    AnimationPlayer player;
    player.SetAnimation(CountingClip(10, 30.0f));
    for (int i = 0; i < 3; ++i)
    {
        player.Update(0.1f);
        EXPECT_EQ(player.GetTime(), 0.0f);
        EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 0.0f);
        EXPECT_EQ(player.GetPose().myJointCount, 2u);
    }
}

TEST(AnimationPlayer, LoopingWrapsTheTimeBelowTheDuration)
{
    AnimationPlayer player = Playing(CountingClip(61, 30.0f), true);   // 2 seconds
    player.SetTime(1.9f);
    player.Update(0.3f);
    EXPECT_NEAR(player.GetTime(), 0.2f, 1e-5f);
    EXPECT_EQ(player.GetState(), AnimationPlayer::STATE_PLAYING);
    EXPECT_NEAR(player.GetPose().myTransforms[0].myTranslation.x, 6.0f, 1e-3f);
}

TEST(AnimationPlayer, WithoutLoopingTheClipEndsHeldOnItsLastFrame)
{
    AnimationPlayer player = Playing(CountingClip(61, 30.0f), false);
    player.SetTime(1.9f);
    player.Update(0.3f);
    EXPECT_EQ(player.GetTime(), 2.0f);
    EXPECT_EQ(player.GetState(), AnimationPlayer::STATE_FINISHED);
    EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 60.0f);
    EXPECT_EQ(player.GetPose().myTransforms[1].myTranslation.y, 600.0f);
    player.Update(1.0f);
    EXPECT_EQ(player.GetTime(), 2.0f);
    EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 60.0f);
}

TEST(AnimationPlayer, SamplesBetweenTheTwoFramesAroundTheTime)
{
    AnimationPlayer player = Playing(CountingClip(10, 30.0f), false);
    player.SetTime(0.05f);   // frame 1, blend 0.5
    player.SampleFrames();
    EXPECT_NEAR(player.GetPose().myTransforms[0].myTranslation.x, 1.5f, 1e-4f);
    EXPECT_NEAR(player.GetPose().myTransforms[1].myTranslation.y, 15.0f, 1e-3f);

    player.SetInterpolate(false);
    player.SampleFrames();
    EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 1.0f);
    player.SetTime(0.099f);
    player.SampleFrames();
    EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 2.0f);
}

TEST(AnimationPlayer, RotationsBlendThroughSlerpAndScalesLinearly)
{
    auto clip = CountingClip(2, 1.0f);
    clip->myFrames[1].myTransforms[0].myRotation = {0.0f, 0.0f, 0.0f, 1.0f};   // half turn about z
    clip->myFrames[1].myTransforms[0].myScale = {3.0f, 1.0f, 1.0f};
    AnimationPlayer player = Playing(clip, false);
    player.SetTime(0.5f);
    player.SampleFrames();
    const Kiln::Transform& t = player.GetPose().myTransforms[0];
    EXPECT_NEAR(t.myRotation.w, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(t.myRotation.z, std::sqrt(0.5f), 1e-6f);
    EXPECT_FLOAT_EQ(t.myScale.x, 2.0f);
}

TEST(AnimationPlayer, TheLastFrameBlendsTowardsTheFirstWhilePlaying)
{
    AnimationPlayer player = Playing(CountingClip(4, 10.0f), true);
    player.SetTime(0.35f);   // frame 3 (the last), blend 0.5 towards frame 0
    player.SampleFrames();
    EXPECT_NEAR(player.GetPose().myTransforms[0].myTranslation.x, 1.5f, 1e-4f);
}

TEST(AnimationPlayer, TimesOutsideTheClipSampleItsEndsInsteadOfReadingPastThem)
{
    AnimationPlayer player = Playing(CountingClip(4, 10.0f), false);
    player.SetInterpolate(false);
    player.SetTime(50.0f);
    player.SampleFrames();
    EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 3.0f);
    player.SetTime(-1.0f);
    player.SampleFrames();
    EXPECT_EQ(player.GetPose().myTransforms[0].myTranslation.x, 0.0f);
}

TEST(AnimationPlayer, WithoutAClipOrFrameRateTheUpdateLeavesThePose)
{
    AnimationPlayer player;
    player.SetState(AnimationPlayer::STATE_PLAYING);
    player.Update(0.1f);
    EXPECT_EQ(player.GetPose().myJointCount, 0u);

    auto clip = CountingClip(3, 30.0f);
    clip->myFramesPerSecond = 0.0f;
    player.SetAnimation(clip);
    player.Update(0.1f);
    EXPECT_EQ(player.GetPose().myJointCount, 0u);
}

TEST(AnimationPlayer, AZeroLengthLoopingClipStaysOnItsFirstFrameAndAHugeStepStillEndsTheLoop)
{
    AnimationPlayer still = Playing(CountingClip(1, 30.0f), true);
    still.Update(0.5f);
    EXPECT_EQ(still.GetTime(), 0.0f);
    EXPECT_EQ(still.GetPose().myJointCount, 2u);
    AnimationPlayer player = Playing(CountingClip(3, 30.0f), true);
    player.Update(1.0e9f);
    EXPECT_GE(player.GetTime(), 0.0f);
    EXPECT_LT(player.GetTime(), 2.0f / 30.0f);
}

TEST(AnimationPlayer, CopiesShareTheClip)
{
    auto clip = CountingClip(3, 30.0f);
    AnimationPlayer a;
    a.SetAnimation(clip);
    const AnimationPlayer b = a;
    EXPECT_EQ(b.GetAnimation(), clip);
    EXPECT_EQ(clip.use_count(), 3);
}

TEST(AnimationPlayer, AnUpdateOf128JointsAllocatesNothing)
{
    auto clip = CountingClip(30, 30.0f);
    for (auto& frame : clip->myFrames)
        frame.myJointCount = Kiln::MAX_ANIMATION_BONES;
    AnimationPlayer player = Playing(clip, true);
    KilnTest::AllocationScope scope;
    for (int i = 0; i < 100; ++i)
        player.Update(0.016f);
    EXPECT_EQ(scope.GetCount(), 0u);
    EXPECT_EQ(player.GetPose().myJointCount, Kiln::MAX_ANIMATION_BONES);
}

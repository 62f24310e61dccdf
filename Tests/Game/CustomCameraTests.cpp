#include "CameraSwing.h"
#include "CustomCamera.h"
#include "Message.h"
#include "PostMaster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Vec3 = Kiln::Vector3<float>;

namespace
{
    void ExpectVec(const Vec3& anActual, const Vec3& anExpected, float aTolerance = 1e-3f)
    {
        EXPECT_NEAR(anActual.x, anExpected.x, aTolerance);
        EXPECT_NEAR(anActual.y, anExpected.y, aTolerance);
        EXPECT_NEAR(anActual.z, anExpected.z, aTolerance);
    }

    void SendRestoreState()
    {
        Message message;
        message.type = MessageType::RestoreState;
        PostMaster::GetInstance().SendMessage(message);
    }
}

TEST(CustomCamera, AnchorLagsExponentiallyAndTheViewLeadsTheMotion)
{
    CustomCamera camera;
    camera.SetAnchor({0, 0, 0});
    camera.SetAnchorDampening(5.0f);
    camera.SetViewLeadingScale(0.5f);
    camera.SetOffset({0, 150, -1300});
    camera.SetTarget({100, 0, 0});
    camera.Update(0.1f);

    const float lag = -100.0f * std::exp(-0.5f);
    ExpectVec(camera.GetAnchor(), {100 + lag, 0, 0});
    // The target moved right: the view sits to the right of target + offset.
    ExpectVec(camera.GetPosition(), {100 - 0.5f * lag, 150, -1300});
    EXPECT_GT(camera.GetPosition().x, 100.0f);

    // Moving left, the lead turns round.
    camera.SetAnchor({0, 0, 0});
    camera.SetTarget({-100, 20, 0});
    camera.Update(0.1f);
    EXPECT_LT(camera.GetPosition().x, -100.0f);
    EXPECT_NEAR(camera.GetPosition().y, 170.0f - 0.5f * (-20.0f * std::exp(-0.5f)), 1e-3f);
    EXPECT_GT(camera.GetPosition().y, 170.0f) << "rising target: the view looks further up";

    // A standing target: the anchor closes in and the lead fades.
    for (int i = 0; i < 200; ++i)
        camera.Update(0.016f);
    ExpectVec(camera.GetAnchor(), {-100, 20, 0});
    ExpectVec(camera.GetPosition(), {-100, 170, -1300});
}

TEST(CustomCamera, ZeroDampeningKeepsAConstantLeadAndSmallLagsSnapInXAndY)
{
    CustomCamera camera;
    camera.SetViewLeadingScale(1.0f);
    camera.SetAnchor({0, 0, 0});
    camera.SetTarget({50, 0, 0});
    for (int i = 0; i < 10; ++i)
        camera.Update(0.1f);
    ExpectVec(camera.GetAnchor(), {0, 0, 0});
    ExpectVec(camera.GetPosition(), {100, 0, 0});

    camera.SetAnchorDampening(1.0f);
    camera.SetAnchor({50.005f, 0.0f, 0.004f});
    camera.Update(0.1f);
    ExpectVec(camera.GetAnchor(), {50, 0, 0.004f}, 1e-6f);
    EXPECT_FLOAT_EQ(camera.GetAnchor().z, 0.004f) << "z of a small lag is left alone";
}

TEST(CustomCamera, RestoreStateSnapsTheNextUpdateOntoTheTarget)
{
    CustomCamera camera;
    camera.SetAnchorDampening(5.0f);
    camera.SetViewLeadingScale(0.5f);
    camera.SetOffset({0, 0, -1000});
    camera.SetAnchor({5000, 0, 0});
    camera.SetTarget({0, 300, 0});
    camera.GetTransform()(0, 0) = 0.5f;   // rotation rows are not the camera's business
    SendRestoreState();
    EXPECT_TRUE(camera.IsSnapPending());
    camera.SetUpdatedFlag(false);
    camera.Update(0.016f);
    EXPECT_FALSE(camera.IsSnapPending());
    EXPECT_TRUE(camera.GetUpdatedFlag());
    ExpectVec(camera.GetAnchor(), {0, 300, 0});
    ExpectVec(camera.GetPosition(), {0, 300, -1000});   // no lag and no lead in the snapped frame
    EXPECT_FLOAT_EQ(camera.GetTransform()(0, 0), 0.5f);

    Message other;
    other.type = MessageType::SaveState;
    camera.Receive(other);
    EXPECT_FALSE(camera.IsSnapPending());
}

TEST(CustomCamera, ADestroyedCameraLeavesTheBus)
{
    {
        CustomCamera gone;
    }
    CustomCamera camera;
    SendRestoreState();   // would reach freed memory if the first camera stayed subscribed
    EXPECT_TRUE(camera.IsSnapPending());
}

TEST(CameraSwing, StaysInsideItsRadiusAndMoves)
{
    CameraSwing swing;
    swing.SetRadius(20.0f);
    swing.SetSpeed(0.5f);
    EXPECT_FLOAT_EQ(swing.GetInterval(), 2.0f);
    swing.Update(1.0f);
    ExpectVec(swing.GetOffset(), {0, 0, 0});   // stopped until started
    swing.Start();
    EXPECT_EQ(swing.GetState(), CameraSwing::STATE_SWINGING);

    float longest = 0.0f;
    float travelled = 0.0f;
    Vec3 previous = swing.GetOffset();
    for (int i = 0; i < 6000; ++i)
    {
        swing.Update(0.016f);
        const Vec3 offset = swing.GetOffset();
        longest = std::max(longest, offset.Length());
        travelled += (offset - previous).Length();
        EXPECT_EQ(offset.z, 0.0f);
        previous = offset;
    }
    EXPECT_LE(longest, 20.0f + 1e-3f);
    EXPECT_GT(longest, 5.0f) << "the sway reaches out towards its circle";
    EXPECT_GT(travelled, 100.0f);

    // A frame several intervals long picks several points and still stays on the curve.
    for (int i = 0; i < 20; ++i)
    {
        swing.Update(7.3f);
        EXPECT_LE(swing.GetOffset().Length(), 20.0f + 1e-3f);
    }
    swing.Start();   // starting again changes nothing
    EXPECT_EQ(swing.GetState(), CameraSwing::STATE_SWINGING);
}

TEST(CameraSwing, MovesSmoothlyBetweenFrames)
{
    CameraSwing swing;
    swing.SetRadius(20.0f);
    swing.SetSpeed(0.5f);
    swing.Start();
    swing.Update(0.0f);
    Vec3 previous = swing.GetOffset();
    for (int i = 0; i < 2000; ++i)
    {
        swing.Update(0.01f);
        // The curve is continuous across segment joins: no jumps between frames.
        EXPECT_LT((swing.GetOffset() - previous).Length(), 1.0f) << "frame " << i;
        previous = swing.GetOffset();
    }
}

TEST(CameraSwing, NoRadiusNoSwayAndNoSpeedOrAnyOtherNoHang)
{
    CameraSwing still;
    still.SetSpeed(2.0f);
    still.Start();
    for (int i = 0; i < 100; ++i)
        still.Update(0.1f);
    ExpectVec(still.GetOffset(), {0, 0, 0});

    CustomCamera camera;
    camera.SetSwingRadius(20.0f);
    camera.SetSwingSpeed(0.0f);
    camera.StartSwing();
    camera.Update(1.0f);
    ExpectVec(camera.GetPosition(), {0, 0, 0});   // an endless segment stays at its start

    CameraSwing backwards;
    backwards.SetRadius(20.0f);
    backwards.SetSpeed(-1.0f);
    backwards.Start();
    backwards.Update(0.5f);   // a negative interval must not loop for ever
    EXPECT_LE(backwards.GetOffset().Length(), 20.0f);

    // Speeds far beyond a frame: each update ends, on the curve of new points.
    for (float speed : {1e10f, std::numeric_limits<float>::max()})
    {
        CameraSwing fast;
        fast.SetRadius(20.0f);
        fast.SetSpeed(speed);
        fast.Start();
        for (float step : {0.016f, 1e30f, std::numeric_limits<float>::infinity(), 0.016f})
        {
            const Vec3 before = fast.GetOffset();
            fast.Update(step);
            EXPECT_LE(fast.GetOffset().Length(), 20.0f + 1e-3f) << speed << " " << step;
            EXPECT_TRUE(std::isinf(step) || !(fast.GetOffset() == before)) << speed << " " << step;
        }
    }
}

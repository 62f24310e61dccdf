#include "forge/input/XInput.h"
#include "Support/FakePads.h"

#include <gtest/gtest.h>

using namespace Plat::Gamepad;

TEST(XInput, ProbesTheSlotsInOrderAndTakesTheFirstPad)
{
    TestSupport::FakePads fake;
    Kiln::XInput reader;
    EXPECT_FALSE(reader.Update());
    EXPECT_EQ(reader.GetState(), PadReading{});

    fake.connected[2] = fake.connected[3] = true;
    fake.pads[2].buttons = BUTTON_B;
    fake.pads[3].buttons = BUTTON_Y;
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ(reader.GetState().buttons, BUTTON_B);

    // Once chosen, a pad plugged into a lower slot does not take over.
    fake.connected[0] = true;
    fake.pads[0].buttons = BUTTON_X;
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ(reader.GetState().buttons, BUTTON_B);
}

TEST(XInput, AnUnpluggedPadIsDroppedAndTheNextUpdateProbesAgain)
{
    TestSupport::FakePads fake;
    Kiln::XInput reader;
    fake.connected[1] = true;
    fake.pads[1].buttons = BUTTON_START;
    fake.pads[1].leftTrigger = 255;
    ASSERT_TRUE(reader.Update());

    fake.connected[1] = false;
    fake.reads = {};
    EXPECT_FALSE(reader.Update());
    EXPECT_EQ(reader.GetState(), PadReading{}) << "the record is zeroed";
    EXPECT_EQ(fake.reads[0], 0) << "no probing in the call that found the pad gone";

    fake.connected[3] = true;
    fake.pads[3].buttons = BUTTON_A;
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ(fake.reads[0], 1);
    EXPECT_EQ(reader.GetState().buttons, BUTTON_A);
}

TEST(XInput, SticksUseTheirAxisDeadZoneAndTriggersScaleToOne)
{
    TestSupport::FakePads fake;
    fake.connected[0] = true;
    Kiln::XInput reader;
    reader.SetDeadZones(0.05f, 0.02f);

    PadReading& pad = fake.pads[0];
    pad.thumbLX = 1638;     // 0.04999: inside the x dead zone
    pad.thumbLY = 1638;     // outside the smaller y dead zone
    pad.thumbRX = 32767;
    pad.thumbRY = -32768;
    pad.leftTrigger = 255;
    pad.rightTrigger = 0;
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ(reader.myLeftStickX, 0.0f);
    EXPECT_NEAR(reader.myLeftStickY, (1638.0f / 32767.0f - 0.02f) / 0.98f, 1e-6f);
    EXPECT_FLOAT_EQ(reader.myRightStickX, 1.0f);
    EXPECT_FLOAT_EQ(reader.myRightStickY, -1.0f) << "-32768 is clamped to -1";
    EXPECT_EQ(reader.myLeftTrigger, 1.0f);
    EXPECT_EQ(reader.myRightTrigger, 0.0f);

    // Half way out of the dead zone reads as half.
    pad.thumbLX = static_cast<int16_t>(-(0.05f + 0.95f * 0.5f) * 32767.0f);
    pad.thumbLY = 0;
    ASSERT_TRUE(reader.Update());
    EXPECT_NEAR(reader.myLeftStickX, -0.5f, 1e-4f);
    EXPECT_EQ(reader.myLeftStickY, 0.0f);

    // No dead zone: the raw value scaled.
    reader.SetDeadZones(0.0f, 0.0f);
    pad.thumbLX = 16384;
    ASSERT_TRUE(reader.Update());
    EXPECT_FLOAT_EQ(reader.myLeftStickX, 16384.0f / 32767.0f);
}

#include "Platform/gamepad/Gamepad.h"
#include "Support/FakePads.h"

#include <gtest/gtest.h>

using namespace Plat::Gamepad;

TEST(Gamepad, SlotsReportTheirPadOrNotConnected)
{
    TestSupport::FakePads fake;
    fake.connected[1] = true;
    fake.pads[1].buttons = BUTTON_A | BUTTON_DPAD_LEFT;
    fake.pads[1].thumbLY = 1234;

    PadState state;
    EXPECT_EQ(GetState(0, &state), ERROR_DEVICE_NOT_CONNECTED);
    ASSERT_EQ(GetState(1, &state), ERROR_SUCCESS);
    EXPECT_EQ(state.pad, fake.pads[1]);
    EXPECT_EQ(GetState(4, &state), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(GetState(1, nullptr), ERROR_DEVICE_NOT_CONNECTED);

    // The packet number moves only when the reading changes.
    const DWORD packet = state.packetNumber;
    GetState(1, &state);
    EXPECT_EQ(state.packetNumber, packet);
    fake.pads[1].rightTrigger = 200;
    GetState(1, &state);
    EXPECT_NE(state.packetNumber, packet);
    EXPECT_EQ(state.pad.rightTrigger, 200);
}

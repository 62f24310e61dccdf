#include "Platform/gamepad/Gamepad.h"
#include "Platform/gamepad/impl/SdlPadSource.h"
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

TEST(Gamepad, AVirtualSdlPadIsReadButtonsTriggersSticksAndReplugging)
{
    PadState state;
    for (DWORD slot = 0; slot < SLOT_COUNT; ++slot)
        EXPECT_EQ(GetState(slot, &state), ERROR_DEVICE_NOT_CONNECTED) << "no pad in slot " << slot << " before one is plugged in";
    Plat::Gamepad::impl::SdlPadSource source;
    PadReading reading;
    TestSupport::VirtualPad pad;
    ASSERT_TRUE(pad.Plug()) << SDL_GetError();
    ASSERT_TRUE(source.Read(0, reading));
    EXPECT_EQ(reading, PadReading{}) << "a pad at rest";
    EXPECT_FALSE(source.Read(1, reading)) << "one pad fills one slot";

    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -20000);   // pushed up
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 5000);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, -32768);
    ASSERT_TRUE(source.Read(0, reading));
    EXPECT_EQ(reading.buttons, BUTTON_A | BUTTON_DPAD_DOWN | BUTTON_START);
    EXPECT_EQ(reading.leftTrigger, 0);
    EXPECT_EQ(reading.rightTrigger, 255);
    EXPECT_EQ(reading.thumbLX, -32768);
    EXPECT_EQ(reading.thumbLY, 20000) << "up is positive in the record";
    EXPECT_EQ(reading.thumbRX, 5000) << "raw values: the dead zones are the reader's";
    EXPECT_EQ(reading.thumbRY, 32767) << "the extremes stay in range";

    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);   // half way
    ASSERT_TRUE(source.Read(0, reading));
    EXPECT_EQ(reading.buttons, BUTTON_DPAD_DOWN | BUTTON_START);
    EXPECT_NEAR(reading.rightTrigger, 128, 1);

    // Unplugged, then plugged in again: the slot is free, then taken by the new pad at rest.
    pad.Unplug();
    EXPECT_FALSE(source.Read(0, reading));
    ASSERT_TRUE(pad.Plug()) << SDL_GetError();
    ASSERT_TRUE(source.Read(0, reading));
    EXPECT_EQ(reading, PadReading{});
    pad.Button(SDL_CONTROLLER_BUTTON_Y, true);
    ASSERT_TRUE(source.Read(0, reading));
    EXPECT_EQ(reading.buttons, BUTTON_Y);
    pad.Unplug();
    EXPECT_FALSE(source.Read(0, reading));
}

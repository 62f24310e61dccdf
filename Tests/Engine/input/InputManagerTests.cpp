#include "forge/input/InputManager.h"

#include "Platform/window/Cursor.h"
#include "Platform/window/RawInput.h"
#include "Platform/window/impl/RawInputStore.h"

#include <gtest/gtest.h>

using namespace Plat::Window;

namespace
{
    LPARAM RawMousePacket(int aX, int aY, DWORD aType = RIM_TYPEMOUSE)
    {
        RawInput packet;
        packet.header.type = aType;
        packet.header.size = sizeof(RawInput);
        packet.mouse.lastX = aX;
        packet.mouse.lastY = aY;
        return impl::StoreRawPacket(packet);
    }

    HWND SomeWindow() { return reinterpret_cast<HWND>(0x1234); }
}

TEST(InputManager, RegistersTheMouseForRawInputOnItsWindow)
{
    Kiln::InputManager input(SomeWindow());
    RawInputDevice device;
    ASSERT_TRUE(GetRawMouseRegistration(device));
    EXPECT_EQ(device.usagePage, 1);
    EXPECT_EQ(device.usage, 2);
    EXPECT_EQ(device.flags, RIDEV_INPUTSINK);
    EXPECT_EQ(device.target, SomeWindow());
}

TEST(InputManager, KeyEdgesAreSeenBetweenUpdatesOnly)
{
    Kiln::InputManager input(nullptr);
    // Down and up within one frame: never pressed.
    EXPECT_TRUE(input.UpdateEvents(WM_KEYDOWN, 'A', 0));
    EXPECT_TRUE(input.UpdateEvents(WM_KEYUP, 'A', 0));
    input.Update();
    EXPECT_FALSE(input.IsKeyPressed('A'));
    EXPECT_FALSE(input.IsKeyReleased('A'));

    // Held over several frames: pressed in the first one only.
    input.UpdateEvents(WM_SYSKEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(input.IsKeyPressed(VK_SPACE)) << "nothing changes before the update";
    input.Update();
    EXPECT_TRUE(input.IsKeyPressed(VK_SPACE));
    input.Update();
    EXPECT_FALSE(input.IsKeyPressed(VK_SPACE));
    input.UpdateEvents(WM_SYSKEYUP, VK_SPACE, 0);
    EXPECT_FALSE(input.IsKeyReleased(VK_SPACE));
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased(VK_SPACE));
    input.Update();
    EXPECT_FALSE(input.IsKeyReleased(VK_SPACE));

    // Codes outside the 256 keys are taken but change nothing.
    EXPECT_TRUE(input.UpdateEvents(WM_KEYDOWN, 300, 0));
    input.Update();
    EXPECT_FALSE(input.IsKeyPressed(300));
    EXPECT_FALSE(input.IsKeyPressed(300 - 256));
}

TEST(InputManager, MouseButtonsAreKeysAndDoubleClicksAreNotUsed)
{
    Kiln::InputManager input(nullptr);
    EXPECT_TRUE(input.UpdateEvents(WM_LBUTTONDOWN, MK_LBUTTON, 0));
    EXPECT_TRUE(input.UpdateEvents(WM_RBUTTONDOWN, MK_RBUTTON, 0));
    EXPECT_TRUE(input.UpdateEvents(WM_MBUTTONDOWN, MK_MBUTTON, 0));
    EXPECT_TRUE(input.UpdateEvents(WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), 0));
    EXPECT_TRUE(input.UpdateEvents(WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON2), 0));
    EXPECT_FALSE(input.UpdateEvents(WM_LBUTTONDBLCLK, MK_LBUTTON, 0));
    EXPECT_FALSE(input.UpdateEvents(WM_CHAR, 'a', 0));
    input.Update();
    for (uint32_t key : {1u, 2u, 4u, 5u, 6u})
        EXPECT_TRUE(input.IsKeyPressed(key)) << key;
    EXPECT_FALSE(input.IsKeyPressed(3));

    input.UpdateEvents(WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), 0);
    input.UpdateEvents(WM_LBUTTONUP, 0, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased(6));
    EXPECT_TRUE(input.IsKeyReleased(1));
    EXPECT_FALSE(input.IsKeyReleased(5));
}

TEST(InputManager, TheWheelKeepsTheLastNotchOfAFrame)
{
    Kiln::InputManager input(nullptr);
    input.UpdateEvents(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    input.UpdateEvents(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    input.Update();
    EXPECT_EQ(input.myWheelDirection, -1.0f) << "replaced, not added (a sum would be 0)";
    input.Update();
    EXPECT_EQ(input.myWheelDirection, 0.0f);
    input.UpdateEvents(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    input.Update();
    EXPECT_EQ(input.myWheelDirection, 1.0f);
}

TEST(InputManager, RawMotionIsSummedPerFrameAndPositionFollowsMoves)
{
    Kiln::InputManager input(nullptr);
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMousePacket(3, -2)));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMousePacket(4, 7)));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMousePacket(100, 100, RIM_TYPEKEYBOARD)));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, 987654321)) << "an unknown packet is taken and ignored";
    EXPECT_TRUE(input.UpdateEvents(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20)));
    EXPECT_TRUE(input.UpdateEvents(WM_MOUSEMOVE, 0, MAKELPARAM(-5, 640)));
    input.Update();
    EXPECT_EQ(input.GetMouseDelta(), (Kiln::Vector2<float>{7.0f, 5.0f}));
    EXPECT_EQ(input.GetMousePosition(), (Kiln::Vector2<float>{-5.0f, 640.0f}));

    input.Update();
    EXPECT_EQ(input.GetMouseDelta(), (Kiln::Vector2<float>{0.0f, 0.0f}));
    EXPECT_EQ(input.GetMousePosition(), (Kiln::Vector2<float>{-5.0f, 640.0f}));
}

TEST(InputManager, HideCursorLowersTheDisplayCounterOnce)
{
    Kiln::InputManager input(nullptr);
    const int before = ShowCursor(false);
    ShowCursor(true);
    input.HideCursor();
    EXPECT_EQ(ShowCursor(true), before + 1);
}

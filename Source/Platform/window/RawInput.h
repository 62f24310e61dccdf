#pragma once
// Raw mouse input. Once the mouse (usage page 1, usage 2) is registered, every SDL mouse
// motion, button and wheel event also arrives as WM_INPUT carrying a mouse packet, for the
// registered target window (or the focused window when the target is null). Without
// RIDEV_INPUTSINK packets only arrive while the window has the keyboard focus. The motion
// is the pointer motion SDL reports. Keyboard and other HID devices are not delivered.
#include "Platform/window/Messages.h"

namespace Plat::Window
{
    constexpr DWORD RIDEV_REMOVE = 0x00000001;
    constexpr DWORD RIDEV_INPUTSINK = 0x00000100;
    constexpr uint16_t HID_USAGE_PAGE_GENERIC = 0x01;
    constexpr uint16_t HID_USAGE_GENERIC_MOUSE = 0x02;

    // RawMouse::buttonFlags bits.
    constexpr uint16_t RI_MOUSE_LEFT_BUTTON_DOWN = 0x0001;
    constexpr uint16_t RI_MOUSE_LEFT_BUTTON_UP = 0x0002;
    constexpr uint16_t RI_MOUSE_RIGHT_BUTTON_DOWN = 0x0004;
    constexpr uint16_t RI_MOUSE_RIGHT_BUTTON_UP = 0x0008;
    constexpr uint16_t RI_MOUSE_MIDDLE_BUTTON_DOWN = 0x0010;
    constexpr uint16_t RI_MOUSE_MIDDLE_BUTTON_UP = 0x0020;
    constexpr uint16_t RI_MOUSE_BUTTON_4_DOWN = 0x0040;
    constexpr uint16_t RI_MOUSE_BUTTON_4_UP = 0x0080;
    constexpr uint16_t RI_MOUSE_BUTTON_5_DOWN = 0x0100;
    constexpr uint16_t RI_MOUSE_BUTTON_5_UP = 0x0200;
    constexpr uint16_t RI_MOUSE_WHEEL = 0x0400;    // buttonData: signed wheel delta
    constexpr uint16_t RI_MOUSE_HWHEEL = 0x0800;

    struct RawInputDevice
    {
        uint16_t usagePage = 0;
        uint16_t usage = 0;
        DWORD flags = 0;
        HWND target = nullptr;
    };

    // True when every entry was taken: only the mouse is supported. RIDEV_REMOVE ends
    // the registration.
    bool RegisterRawInputDevices(const RawInputDevice* someDevices, UINT aCount, UINT aSize);

    // The packet of a WM_INPUT message, valid from when it is queued until the next
    // WM_INPUT is removed from the queue. aCommand RID_INPUT copies the whole packet,
    // RID_HEADER the header. aData null: writes the size needed to *aSize, returns 0.
    // Returns the bytes copied, or UINT(-1) for an unknown handle, a wrong header size or
    // a buffer that is too small.
    UINT GetRawInputData(LPARAM aHandle, UINT aCommand, void* aData, UINT* aSize, UINT aHeaderSize);

    // The current mouse registration; false when the mouse is not registered.
    bool GetRawMouseRegistration(RawInputDevice& aDevice);
}

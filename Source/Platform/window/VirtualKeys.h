#pragma once
// Virtual-key codes for SDL keys. Letters and digits follow the key's character when it
// is a Latin letter or a digit, as Windows follows the keyboard layout; every other key
// (and letters of non-Latin layouts) maps by its position on a US keyboard. Left and
// right Shift, Ctrl and Alt give the generic VK_SHIFT, VK_CONTROL and VK_MENU, as
// WM_KEYDOWN does; the right-hand keys carry the extended-key bit instead.
#include <cstdint>

namespace Plat::Window
{
    // 0 when the key has no virtual-key code (no message is sent for it).
    uint8_t VirtualKeyFromSdl(int32_t anSdlKeycode, int32_t anSdlScancode);

    // Keys Windows flags as extended (bit 24 of a key message's lParam): right Ctrl and
    // Alt, the navigation block, the arrows, keypad Enter and Divide, Num Lock, Print
    // Screen and the Windows and menu keys.
    bool IsExtendedKey(int32_t anSdlScancode);
}

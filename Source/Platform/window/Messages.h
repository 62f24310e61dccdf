#pragma once
// Window message ids, virtual-key codes and message-parameter helpers with their
// Win32 values, so tables written against those values hold here unchanged.
#include <cstdint>

namespace Plat::Window
{
    using UINT = uint32_t;
    using DWORD = uint32_t;
    using WPARAM = uint64_t;
    using LPARAM = int64_t;
    using LRESULT = int64_t;
    using LONG_PTR = int64_t;

    // A window handle is the address of the layer's window record; null is "no window".
    struct NativeWindow;
    using HWND = NativeWindow*;
    // The module handle is an opaque, non-null token (there is one module: the executable).
    using HINSTANCE = const void*;

    using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

    struct Point
    {
        int32_t x = 0;
        int32_t y = 0;
    };

    struct Rect
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    // One queued message, as PeekMessage hands it out.
    struct Message
    {
        HWND hwnd = nullptr;
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        DWORD time = 0;   // milliseconds since the video layer started
        Point pt;         // cursor position in screen coordinates when the message was made
    };

    // Message ids.
    constexpr UINT WM_NULL = 0x0000;
    constexpr UINT WM_CREATE = 0x0001;
    constexpr UINT WM_DESTROY = 0x0002;
    constexpr UINT WM_MOVE = 0x0003;
    constexpr UINT WM_SIZE = 0x0005;
    constexpr UINT WM_ACTIVATE = 0x0006;
    constexpr UINT WM_SETFOCUS = 0x0007;
    constexpr UINT WM_KILLFOCUS = 0x0008;
    constexpr UINT WM_PAINT = 0x000F;
    constexpr UINT WM_CLOSE = 0x0010;
    constexpr UINT WM_QUIT = 0x0012;
    constexpr UINT WM_ACTIVATEAPP = 0x001C;
    constexpr UINT WM_SYSCHAR = 0x0106;
    constexpr UINT WM_INPUT = 0x00FF;
    constexpr UINT WM_KEYDOWN = 0x0100;
    constexpr UINT WM_KEYUP = 0x0101;
    constexpr UINT WM_CHAR = 0x0102;
    constexpr UINT WM_SYSKEYDOWN = 0x0104;
    constexpr UINT WM_SYSKEYUP = 0x0105;
    constexpr UINT WM_MOUSEMOVE = 0x0200;
    constexpr UINT WM_LBUTTONDOWN = 0x0201;
    constexpr UINT WM_LBUTTONUP = 0x0202;
    constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
    constexpr UINT WM_RBUTTONDOWN = 0x0204;
    constexpr UINT WM_RBUTTONUP = 0x0205;
    constexpr UINT WM_MBUTTONDOWN = 0x0207;
    constexpr UINT WM_MBUTTONUP = 0x0208;
    constexpr UINT WM_MOUSEWHEEL = 0x020A;
    constexpr UINT WM_XBUTTONDOWN = 0x020B;
    constexpr UINT WM_XBUTTONUP = 0x020C;
    constexpr UINT WM_MOUSEHWHEEL = 0x020E;
    constexpr UINT WM_USER = 0x0400;

    // PeekMessage removal flags.
    constexpr UINT PM_NOREMOVE = 0x0000;
    constexpr UINT PM_REMOVE = 0x0001;

    // WM_ACTIVATE wParam values.
    constexpr WPARAM WA_INACTIVE = 0;
    constexpr WPARAM WA_ACTIVE = 1;

    // WM_SIZE wParam values.
    constexpr WPARAM SIZE_RESTORED = 0;
    constexpr WPARAM SIZE_MINIMIZED = 1;
    constexpr WPARAM SIZE_MAXIMIZED = 2;

    // Mouse-message wParam key-state bits and X-button ids.
    constexpr WPARAM MK_LBUTTON = 0x0001;
    constexpr WPARAM MK_RBUTTON = 0x0002;
    constexpr WPARAM MK_SHIFT = 0x0004;
    constexpr WPARAM MK_CONTROL = 0x0008;
    constexpr WPARAM MK_MBUTTON = 0x0010;
    constexpr WPARAM MK_XBUTTON1 = 0x0020;
    constexpr WPARAM MK_XBUTTON2 = 0x0040;
    constexpr uint16_t XBUTTON1 = 0x0001;
    constexpr uint16_t XBUTTON2 = 0x0002;
    constexpr int WHEEL_DELTA = 120;

    // Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').
    constexpr uint8_t VK_LBUTTON = 0x01;
    constexpr uint8_t VK_RBUTTON = 0x02;
    constexpr uint8_t VK_CANCEL = 0x03;
    constexpr uint8_t VK_MBUTTON = 0x04;
    constexpr uint8_t VK_XBUTTON1 = 0x05;
    constexpr uint8_t VK_XBUTTON2 = 0x06;
    constexpr uint8_t VK_BACK = 0x08;
    constexpr uint8_t VK_TAB = 0x09;
    constexpr uint8_t VK_CLEAR = 0x0C;
    constexpr uint8_t VK_RETURN = 0x0D;
    constexpr uint8_t VK_SHIFT = 0x10;
    constexpr uint8_t VK_CONTROL = 0x11;
    constexpr uint8_t VK_MENU = 0x12;
    constexpr uint8_t VK_PAUSE = 0x13;
    constexpr uint8_t VK_CAPITAL = 0x14;
    constexpr uint8_t VK_ESCAPE = 0x1B;
    constexpr uint8_t VK_SPACE = 0x20;
    constexpr uint8_t VK_PRIOR = 0x21;
    constexpr uint8_t VK_NEXT = 0x22;
    constexpr uint8_t VK_END = 0x23;
    constexpr uint8_t VK_HOME = 0x24;
    constexpr uint8_t VK_LEFT = 0x25;
    constexpr uint8_t VK_UP = 0x26;
    constexpr uint8_t VK_RIGHT = 0x27;
    constexpr uint8_t VK_DOWN = 0x28;
    constexpr uint8_t VK_SELECT = 0x29;
    constexpr uint8_t VK_PRINT = 0x2A;
    constexpr uint8_t VK_SNAPSHOT = 0x2C;
    constexpr uint8_t VK_INSERT = 0x2D;
    constexpr uint8_t VK_DELETE = 0x2E;
    constexpr uint8_t VK_LWIN = 0x5B;
    constexpr uint8_t VK_RWIN = 0x5C;
    constexpr uint8_t VK_APPS = 0x5D;
    constexpr uint8_t VK_NUMPAD0 = 0x60;
    constexpr uint8_t VK_NUMPAD1 = 0x61;
    constexpr uint8_t VK_NUMPAD9 = 0x69;
    constexpr uint8_t VK_MULTIPLY = 0x6A;
    constexpr uint8_t VK_ADD = 0x6B;
    constexpr uint8_t VK_SEPARATOR = 0x6C;
    constexpr uint8_t VK_SUBTRACT = 0x6D;
    constexpr uint8_t VK_DECIMAL = 0x6E;
    constexpr uint8_t VK_DIVIDE = 0x6F;
    constexpr uint8_t VK_F1 = 0x70;
    constexpr uint8_t VK_F4 = 0x73;
    constexpr uint8_t VK_F10 = 0x79;
    constexpr uint8_t VK_F12 = 0x7B;
    constexpr uint8_t VK_F13 = 0x7C;
    constexpr uint8_t VK_F24 = 0x87;
    constexpr uint8_t VK_NUMLOCK = 0x90;
    constexpr uint8_t VK_SCROLL = 0x91;
    constexpr uint8_t VK_LSHIFT = 0xA0;
    constexpr uint8_t VK_RSHIFT = 0xA1;
    constexpr uint8_t VK_LCONTROL = 0xA2;
    constexpr uint8_t VK_RCONTROL = 0xA3;
    constexpr uint8_t VK_LMENU = 0xA4;
    constexpr uint8_t VK_RMENU = 0xA5;
    constexpr uint8_t VK_OEM_1 = 0xBA;      // ';:'
    constexpr uint8_t VK_OEM_PLUS = 0xBB;
    constexpr uint8_t VK_OEM_COMMA = 0xBC;
    constexpr uint8_t VK_OEM_MINUS = 0xBD;
    constexpr uint8_t VK_OEM_PERIOD = 0xBE;
    constexpr uint8_t VK_OEM_2 = 0xBF;      // '/?'
    constexpr uint8_t VK_OEM_3 = 0xC0;      // '`~'
    constexpr uint8_t VK_OEM_4 = 0xDB;      // '[{'
    constexpr uint8_t VK_OEM_5 = 0xDC;      // '\|'
    constexpr uint8_t VK_OEM_6 = 0xDD;      // ']}'
    constexpr uint8_t VK_OEM_7 = 0xDE;      // quote
    constexpr uint8_t VK_OEM_102 = 0xE2;    // the extra key beside left shift on ISO keyboards

    // Parameter packing as Win32 does it.
    constexpr uint16_t LOWORD(uint64_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
    constexpr uint16_t HIWORD(uint64_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
    constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<int16_t>(LOWORD(static_cast<uint64_t>(lp))); }
    constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<int16_t>(HIWORD(static_cast<uint64_t>(lp))); }
    constexpr int16_t GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<int16_t>(HIWORD(wp)); }
    constexpr uint16_t GET_XBUTTON_WPARAM(WPARAM wp) { return HIWORD(wp); }
    constexpr LPARAM MAKELPARAM(int lo, int hi)
    {
        return static_cast<LPARAM>(static_cast<uint32_t>((static_cast<uint32_t>(lo) & 0xFFFF) | ((static_cast<uint32_t>(hi) & 0xFFFF) << 16)));
    }
    constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(MAKELPARAM(lo, hi)); }

    // Raw input (WM_INPUT). wParam is RIM_INPUT when the window has the focus, else
    // RIM_INPUTSINK; lParam is a handle for GetRawInputData (RawInput.h). The records keep
    // the 64-bit Windows layout (a 24-byte header and a 24-byte mouse record, 48 bytes).
    constexpr WPARAM RIM_INPUT = 0;
    constexpr WPARAM RIM_INPUTSINK = 1;
    constexpr DWORD RIM_TYPEMOUSE = 0;
    constexpr DWORD RIM_TYPEKEYBOARD = 1;
    constexpr DWORD RIM_TYPEHID = 2;
    constexpr UINT RID_HEADER = 0x10000005;
    constexpr UINT RID_INPUT = 0x10000003;
    constexpr uint16_t MOUSE_MOVE_RELATIVE = 0;

    struct RawInputHeader
    {
        DWORD type = 0;           // RIM_TYPEMOUSE, ...
        DWORD size = 0;           // bytes of the whole packet
        void* device = nullptr;
        WPARAM wParam = 0;        // the message's wParam
    };

    struct RawMouse
    {
        uint16_t flags = 0;       // MOUSE_MOVE_RELATIVE
        uint16_t padding = 0;
        uint16_t buttonFlags = 0; // where Windows overlays its 32-bit button word
        uint16_t buttonData = 0;
        uint32_t rawButtons = 0;
        int32_t lastX = 0;        // relative motion in device units
        int32_t lastY = 0;
        uint32_t extraInformation = 0;
    };

    struct RawInput
    {
        RawInputHeader header;
        RawMouse mouse;
    };
    static_assert(sizeof(RawInputHeader) == 24 && sizeof(RawMouse) == 24 && sizeof(RawInput) == 48,
                  "raw input keeps the 64-bit Windows layout");
}

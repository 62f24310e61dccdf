#pragma once
// SDL events become window messages here; PeekMessage calls this on the thread that
// started video. The message's window is the event's window; keyboard and text events
// without one go to the focused window, else to the first live window; events for no
// live window are dropped.
//
//   SDL event                          message(s)
//   KEYDOWN                            WM_KEYDOWN, or WM_SYSKEYDOWN for Alt itself, for F10
//                                      and while Alt is held without Ctrl. wParam: the
//                                      virtual key (VirtualKeys.h); keys without one send
//                                      nothing. lParam: repeat count 1 (bits 0-15), SDL's
//                                      scancode (16-23, not the PC/AT scan code), extended
//                                      key (24), Alt held (29), auto-repeat (30).
//   KEYUP                              WM_KEYUP / WM_SYSKEYUP, lParam bits 30 and 31 set.
//   TEXTINPUT                          WM_CHAR per Unicode code point (wParam), lParam 1.
//   MOUSEMOTION                        WM_MOUSEMOVE: wParam MK_* bits of the buttons and of
//                                      Shift and Ctrl; lParam client x (low word) and y
//                                      (high word), signed. Raw input: a packet with the
//                                      motion.
//   MOUSEBUTTONDOWN / UP               WM_LBUTTON*, WM_RBUTTON*, WM_MBUTTON*, and
//                                      WM_XBUTTON* for SDL's X1 / X2 with XBUTTON1 /
//                                      XBUTTON2 in wParam's high word; lParam as for a
//                                      move. No double-click messages. Raw input: a packet
//                                      with the button flag.
//   MOUSEWHEEL                         WM_MOUSEWHEEL (120 per notch, positive away from the
//                                      user) and WM_MOUSEHWHEEL (positive to the right):
//                                      delta in wParam's high word, MK_* bits in its low
//                                      word, lParam in screen coordinates. Raw input: a
//                                      packet with RI_MOUSE_WHEEL / RI_MOUSE_HWHEEL.
//   WINDOWEVENT SIZE_CHANGED,          WM_SIZE: SIZE_RESTORED or SIZE_MAXIMIZED, lParam the
//     MAXIMIZED, RESTORED              client width (low word) and height (high word).
//   WINDOWEVENT MINIMIZED              WM_SIZE: SIZE_MINIMIZED, 0 x 0.
//   WINDOWEVENT MOVED                  WM_MOVE: the client area's screen position.
//   WINDOWEVENT FOCUS_GAINED / LOST    WM_ACTIVATE (WA_ACTIVE / WA_INACTIVE), then
//                                      WM_SETFOCUS / WM_KILLFOCUS.
//   WINDOWEVENT CLOSE                  WM_CLOSE.
//   QUIT (last window closed,          WM_CLOSE to every live window; with no window,
//     SIGINT, SIGTERM)                 PostQuitMessage(0).
//
// Raw input packets (WM_INPUT, RawInput.h) are only made while the mouse is registered.
// The other events numbered between QUIT and MOUSEWHEEL (display, keymap, locale and
// application-lifecycle events) are taken and dropped; everything after MOUSEWHEEL
// (controllers, audio devices, drops, user events) is left in SDL's queue for the layers
// that own them.

namespace Plat::Window
{
    void TranslateSdlEvents();
}

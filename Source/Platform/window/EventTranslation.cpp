#include "Platform/window/EventTranslation.h"

#include "Platform/runtime/Paths.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/RawInput.h"
#include "Platform/window/VirtualKeys.h"
#include "Platform/window/Window.h"
#include "Platform/window/impl/NativeWindow.h"

#include <SDL.h>

#include <cmath>
#include <utility>

namespace Plat::Window
{
    namespace
    {
        HWND WindowOf(uint32_t anSdlId)
        {
            return FindWindowBySdlId(anSdlId);
        }

        HWND FocusedWindow(uint32_t anSdlId)
        {
            if (HWND window = WindowOf(anSdlId))
                return window;
            if (SDL_Window* focus = SDL_GetKeyboardFocus())
            {
                if (HWND window = WindowOf(SDL_GetWindowID(focus)))
                    return window;
            }
            const auto live = impl::LiveWindows();
            return live.empty() ? nullptr : live.front();
        }

        bool HasKeyboardFocus(HWND aWindow)
        {
            SDL_Window* focus = SDL_GetKeyboardFocus();
            return focus != nullptr && focus == GetSdlWindow(aWindow);
        }

        WPARAM MouseKeyState(uint32_t aButtonMask)
        {
            WPARAM bits = 0;
            if (aButtonMask & SDL_BUTTON_LMASK) bits |= MK_LBUTTON;
            if (aButtonMask & SDL_BUTTON_RMASK) bits |= MK_RBUTTON;
            if (aButtonMask & SDL_BUTTON_MMASK) bits |= MK_MBUTTON;
            if (aButtonMask & SDL_BUTTON_X1MASK) bits |= MK_XBUTTON1;
            if (aButtonMask & SDL_BUTTON_X2MASK) bits |= MK_XBUTTON2;
            const SDL_Keymod mods = SDL_GetModState();
            if (mods & KMOD_SHIFT) bits |= MK_SHIFT;
            if (mods & KMOD_CTRL) bits |= MK_CONTROL;
            return bits;
        }

        void UpdateCursor(HWND aWindow, int aClientX, int aClientY)
        {
            int x = 0, y = 0;
            if (SDL_Window* sdl = GetSdlWindow(aWindow))
                SDL_GetWindowPosition(sdl, &x, &y);
            impl::CursorScreenPosition() = {x + aClientX, y + aClientY};
        }

        // Raw input goes to the registered target, or to the focused window.
        void PostRawMouse(HWND anEventWindow, const RawMouse& aMouse)
        {
            RawInputDevice device;
            if (!GetRawMouseRegistration(device))
                return;
            HWND target = device.target != nullptr ? device.target : anEventWindow;
            if (target == nullptr || !IsWindow(target))
                return;
            const bool focused = HasKeyboardFocus(target);
            if (!focused && (device.flags & RIDEV_INPUTSINK) == 0)
                return;
            impl::PostRawInput(target, focused ? RIM_INPUT : RIM_INPUTSINK, aMouse);
        }

        void TranslateKey(const SDL_KeyboardEvent& aKey)
        {
            HWND window = FocusedWindow(aKey.windowID);
            if (window == nullptr)
                return;
            const uint8_t vk = VirtualKeyFromSdl(aKey.keysym.sym, aKey.keysym.scancode);
            if (vk == 0)
                return;
            const bool down = aKey.type == SDL_KEYDOWN;
            const bool altHeld = (aKey.keysym.mod & KMOD_ALT) != 0 && (aKey.keysym.mod & KMOD_CTRL) == 0;
            const bool system = vk == VK_MENU || vk == VK_F10 || altHeld;

            uint64_t lParam = 1;
            lParam |= (static_cast<uint64_t>(aKey.keysym.scancode) & 0xFF) << 16;
            if (IsExtendedKey(aKey.keysym.scancode))
                lParam |= 1ull << 24;
            if (altHeld)
                lParam |= 1ull << 29;
            if (!down || aKey.repeat != 0)
                lParam |= 1ull << 30;
            if (!down)
                lParam |= 1ull << 31;

            const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
            PostMessage(window, message, vk, static_cast<LPARAM>(lParam));
        }

        void TranslateText(const SDL_TextInputEvent& aText)
        {
            HWND window = FocusedWindow(aText.windowID);
            if (window == nullptr)
                return;
            for (wchar_t c : Runtime::ToWide(aText.text))
                PostMessage(window, WM_CHAR, static_cast<WPARAM>(c), 1);
        }

        void TranslateMotion(const SDL_MouseMotionEvent& aMotion)
        {
            HWND window = WindowOf(aMotion.windowID);
            if (window != nullptr)
            {
                UpdateCursor(window, aMotion.x, aMotion.y);
                PostMessage(window, WM_MOUSEMOVE, MouseKeyState(aMotion.state), MAKELPARAM(aMotion.x, aMotion.y));
            }
            RawMouse raw;
            raw.flags = MOUSE_MOVE_RELATIVE;
            raw.lastX = aMotion.xrel;
            raw.lastY = aMotion.yrel;
            PostRawMouse(window, raw);
        }

        void TranslateButton(const SDL_MouseButtonEvent& aButton)
        {
            const bool down = aButton.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            WPARAM high = 0;
            uint16_t rawFlag = 0;
            switch (aButton.button)
            {
            case SDL_BUTTON_LEFT:
                message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                rawFlag = down ? RI_MOUSE_LEFT_BUTTON_DOWN : RI_MOUSE_LEFT_BUTTON_UP;
                break;
            case SDL_BUTTON_RIGHT:
                message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                rawFlag = down ? RI_MOUSE_RIGHT_BUTTON_DOWN : RI_MOUSE_RIGHT_BUTTON_UP;
                break;
            case SDL_BUTTON_MIDDLE:
                message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                rawFlag = down ? RI_MOUSE_MIDDLE_BUTTON_DOWN : RI_MOUSE_MIDDLE_BUTTON_UP;
                break;
            case SDL_BUTTON_X1:
                message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
                high = XBUTTON1;
                rawFlag = down ? RI_MOUSE_BUTTON_4_DOWN : RI_MOUSE_BUTTON_4_UP;
                break;
            case SDL_BUTTON_X2:
                message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
                high = XBUTTON2;
                rawFlag = down ? RI_MOUSE_BUTTON_5_DOWN : RI_MOUSE_BUTTON_5_UP;
                break;
            default:
                return;
            }
            HWND window = WindowOf(aButton.windowID);
            if (window != nullptr)
            {
                UpdateCursor(window, aButton.x, aButton.y);
                const WPARAM wParam = (MouseKeyState(SDL_GetMouseState(nullptr, nullptr)) & 0xFFFF) | (high << 16);
                PostMessage(window, message, wParam, MAKELPARAM(aButton.x, aButton.y));
            }
            RawMouse raw;
            raw.buttonFlags = rawFlag;
            PostRawMouse(window, raw);
        }

        void TranslateWheel(const SDL_MouseWheelEvent& aWheel)
        {
            const float flip = aWheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
            const int dy = static_cast<int>(std::lround(aWheel.preciseY * flip * WHEEL_DELTA));
            const int dx = static_cast<int>(std::lround(aWheel.preciseX * flip * WHEEL_DELTA));
            HWND window = WindowOf(aWheel.windowID);
            if (window != nullptr)
                UpdateCursor(window, aWheel.mouseX, aWheel.mouseY);
            const Point screen = impl::CursorScreenPosition();
            const WPARAM keys = MouseKeyState(SDL_GetMouseState(nullptr, nullptr)) & 0xFFFF;
            const std::pair<UINT, int> axes[] = {{WM_MOUSEWHEEL, dy}, {WM_MOUSEHWHEEL, dx}};
            for (const auto& [message, delta] : axes)
            {
                if (delta == 0)
                    continue;
                if (window != nullptr)
                    PostMessage(window, message, keys | (static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16),
                                MAKELPARAM(screen.x, screen.y));
                RawMouse raw;
                raw.buttonFlags = message == WM_MOUSEWHEEL ? RI_MOUSE_WHEEL : RI_MOUSE_HWHEEL;
                raw.buttonData = static_cast<uint16_t>(delta);
                PostRawMouse(window, raw);
            }
        }

        void PostSize(HWND aWindow, WPARAM aKind, int aWidth, int aHeight)
        {
            PostMessage(aWindow, WM_SIZE, aKind, MAKELPARAM(aWidth, aHeight));
        }

        void TranslateWindowEvent(const SDL_WindowEvent& anEvent)
        {
            HWND window = WindowOf(anEvent.windowID);
            if (window == nullptr)
                return;
            SDL_Window* sdl = GetSdlWindow(window);
            int w = 0, h = 0;
            SDL_GetWindowSize(sdl, &w, &h);
            const WPARAM sizeKind = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED;
            switch (anEvent.event)
            {
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                PostSize(window, sizeKind, anEvent.data1, anEvent.data2);
                break;
            case SDL_WINDOWEVENT_MAXIMIZED:
                PostSize(window, SIZE_MAXIMIZED, w, h);
                break;
            case SDL_WINDOWEVENT_RESTORED:
                PostSize(window, sizeKind, w, h);
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                PostSize(window, SIZE_MINIMIZED, 0, 0);
                break;
            case SDL_WINDOWEVENT_MOVED:
                PostMessage(window, WM_MOVE, 0, MAKELPARAM(anEvent.data1, anEvent.data2));
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                PostMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
                PostMessage(window, WM_SETFOCUS, 0, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                PostMessage(window, WM_ACTIVATE, WA_INACTIVE, 0);
                PostMessage(window, WM_KILLFOCUS, 0, 0);
                break;
            case SDL_WINDOWEVENT_CLOSE:
                PostMessage(window, WM_CLOSE, 0, 0);
                break;
            default:
                break;
            }
        }

        void TranslateQuit()
        {
            const auto live = impl::LiveWindows();
            if (live.empty())
            {
                PostQuitMessage(0);
                return;
            }
            for (HWND window : live)
                PostMessage(window, WM_CLOSE, 0, 0);
        }

        void Translate(const SDL_Event& anEvent)
        {
            switch (anEvent.type)
            {
            case SDL_QUIT: TranslateQuit(); break;
            case SDL_WINDOWEVENT: TranslateWindowEvent(anEvent.window); break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: TranslateKey(anEvent.key); break;
            case SDL_TEXTINPUT: TranslateText(anEvent.text); break;
            case SDL_MOUSEMOTION: TranslateMotion(anEvent.motion); break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: TranslateButton(anEvent.button); break;
            case SDL_MOUSEWHEEL: TranslateWheel(anEvent.wheel); break;
            default: break;
            }
        }

    }

    void TranslateSdlEvents()
    {
        // One range keeps window, keyboard and mouse events in the order they happened.
        SDL_PumpEvents();
        SDL_Event events[64];
        for (;;)
        {
            const int count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_QUIT, SDL_MOUSEWHEEL);
            for (int i = 0; i < count; ++i)
                Translate(events[i]);
            if (count < 64)
                break;
        }
    }
}

#include "forge/input/InputManager.h"

#include "Platform/window/Cursor.h"
#include "Platform/window/RawInput.h"

namespace Kiln
{
    using namespace Plat::Window;

    InputManager::InputManager(HWND aWindow)
        : myWindow(aWindow)
    {
        RawInputDevice mouse;
        mouse.usagePage = HID_USAGE_PAGE_GENERIC;
        mouse.usage = HID_USAGE_GENERIC_MOUSE;
        mouse.flags = RIDEV_INPUTSINK;
        mouse.target = aWindow;
        // Without raw input the mouse delta stays 0; nothing else depends on it.
        RegisterRawInputDevices(&mouse, 1, sizeof(mouse));
    }

    void InputManager::SetKey(uint64_t aKeyCode, bool aDown)
    {
        if (aKeyCode < myLiveKeys.size())
            myLiveKeys.set(static_cast<size_t>(aKeyCode), aDown);
    }

    bool InputManager::UpdateEvents(UINT aMessage, WPARAM aWParam, LPARAM aLParam)
    {
        switch (aMessage)
        {
        case WM_MOUSEMOVE:
            myLiveMousePosition = {GET_X_LPARAM(aLParam), GET_Y_LPARAM(aLParam)};
            return true;
        case WM_INPUT:
        {
            RawInput packet;
            UINT size = sizeof(packet);
            const UINT read = GetRawInputData(aLParam, RID_INPUT, &packet, &size, sizeof(RawInputHeader));
            if (read != static_cast<UINT>(-1) && read >= sizeof(RawInputHeader) && packet.header.type == RIM_TYPEMOUSE)
            {
                myLiveRawMovement.x += packet.mouse.lastX;
                myLiveRawMovement.y += packet.mouse.lastY;
            }
            return true;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            SetKey(aWParam, true);
            return true;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            SetKey(aWParam, false);
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            SetKey(VK_LBUTTON, aMessage == WM_LBUTTONDOWN);
            return true;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            SetKey(VK_RBUTTON, aMessage == WM_RBUTTONDOWN);
            return true;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            SetKey(VK_MBUTTON, aMessage == WM_MBUTTONDOWN);
            return true;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
            SetKey(GET_XBUTTON_WPARAM(aWParam) == XBUTTON1 ? VK_XBUTTON1 : VK_XBUTTON2, aMessage == WM_XBUTTONDOWN);
            return true;
        case WM_MOUSEWHEEL:
            // The last notch of the frame counts, not the sum.
            myLiveWheel = static_cast<float>(GET_WHEEL_DELTA_WPARAM(aWParam));
            return true;
        default:
            return false;
        }
    }

    void InputManager::Update()
    {
        myWheelDirection = myLiveWheel > 0.0f ? 1.0f : (myLiveWheel < 0.0f ? -1.0f : 0.0f);
        myPreviousMousePosition = myCurrentMousePosition;
        myCurrentMousePosition = myLiveMousePosition;
        myFrameRawMovement = myLiveRawMovement;
        myLiveRawMovement = {};
        myLiveWheel = 0.0f;
        myPreviousKeys = myCurrentKeys;
        myCurrentKeys = myLiveKeys;
    }

    bool InputManager::IsKeyPressed(uint32_t aKeyCode) const
    {
        return aKeyCode < myCurrentKeys.size() && myCurrentKeys[aKeyCode] && !myPreviousKeys[aKeyCode];
    }

    bool InputManager::IsKeyReleased(uint32_t aKeyCode) const
    {
        return aKeyCode < myCurrentKeys.size() && !myCurrentKeys[aKeyCode] && myPreviousKeys[aKeyCode];
    }

    Vector2<float> InputManager::GetMousePosition() const
    {
        return {static_cast<float>(myCurrentMousePosition.x), static_cast<float>(myCurrentMousePosition.y)};
    }

    Vector2<float> InputManager::GetMouseDelta() const
    {
        return {static_cast<float>(myFrameRawMovement.x), static_cast<float>(myFrameRawMovement.y)};
    }

    void InputManager::HideCursor()
    {
        ShowCursor(false);
    }
}

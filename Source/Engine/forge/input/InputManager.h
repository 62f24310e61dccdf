#pragma once
// Keyboard and mouse state built from window messages. Messages accumulate in the live
// fields as they arrive; Update, once a frame, moves them into the current snapshot, so
// edges (pressed, released) are seen between two updates.
#include "forge/math/Vector.h"

#include "Platform/window/Messages.h"

#include <bitset>
#include <cstdint>

namespace Kiln
{
    class InputManager
    {
    public:
        // Clears everything and registers the mouse for raw input on aWindow.
        explicit InputManager(Plat::Window::HWND aWindow);

        // True when the message was used.
        bool UpdateEvents(Plat::Window::UINT aMessage, Plat::Window::WPARAM aWParam, Plat::Window::LPARAM aLParam);
        void Update();

        // Virtual-key codes; mouse buttons are keys 1 (left), 2 (right), 4 (middle), 5 and 6 (extra).
        bool IsKeyPressed(uint32_t aKeyCode) const;
        bool IsKeyReleased(uint32_t aKeyCode) const;

        // Client coordinates at the last Update.
        Vector2<float> GetMousePosition() const;
        // Raw motion summed over the frame before the last Update.
        Vector2<float> GetMouseDelta() const;

        // Lowers the cursor display counter once (the cursor hides at -1).
        void HideCursor();

        // +1, -1 or 0: the wheel's direction during the frame before the last Update.
        float myWheelDirection = 0.0f;

    private:
        using KeySet = std::bitset<256>;

        void SetKey(uint64_t aKeyCode, bool aDown);

        KeySet myLiveKeys;
        KeySet myCurrentKeys;
        KeySet myPreviousKeys;
        Plat::Window::HWND myWindow = nullptr;
        Plat::Window::Point myLiveMousePosition;
        Plat::Window::Point myCurrentMousePosition;
        Plat::Window::Point myPreviousMousePosition;
        Plat::Window::Point myLiveRawMovement;
        Plat::Window::Point myFrameRawMovement;
        float myLiveWheel = 0.0f;
    };
}

#pragma once
// What the input mapper hands its listeners: a game action and the value of the input
// that raised it.
#include "forge/math/Vector.h"

#include <cstdint>
#include <variant>

// Game actions. Plain values so that they compare with InputEvent::action directly.
namespace Action
{
    enum Value : uint32_t
    {
        Move = 0,
        Up = 1,
        Down = 2,
        Left = 3,
        Right = 4,
        Jump = 5,
        Dash = 6,
        Interact = 7,
        Select = 8,
        Back = 9,
        Pause = 10,
        InputDeviceChanged = 11,
    };
}

// Input codes: 0 mouse movement; 1, 2, 4 the mouse buttons and the other values below 88
// virtual-key codes; then the pad's buttons, triggers, sticks and the device change.
namespace InputCode
{
    enum Value : uint32_t
    {
        MouseMove = 0,
        PadDpadUp = 88,
        PadDpadDown = 89,
        PadDpadLeft = 90,
        PadDpadRight = 91,
        PadStart = 92,
        PadBack = 93,
        PadLeftThumb = 94,
        PadRightThumb = 95,
        PadLeftShoulder = 96,
        PadRightShoulder = 97,
        PadA = 98,
        PadB = 99,
        PadX = 100,
        PadY = 101,
        LeftTrigger = 102,
        RightTrigger = 103,
        LeftStick = 104,
        RightStick = 105,
        DeviceChanged = 106,
    };
}

// The active input device, carried as the integer of a device change.
namespace InputDevice
{
    enum Value : int32_t
    {
        KeyboardMouse = 0,
        Gamepad = 1,
    };
}

struct MouseInput
{
    Kiln::Vector2<float> position;   // client pixels
    Kiln::Vector2<float> movement;   // raw motion of the last frame
};

// Alternatives by index: 0 device change, 1 button (true pressed), 2 mouse, 3 trigger
// 0..1, 4 stick (each axis -1..1, positive right and up).
using InputValue = std::variant<int32_t, bool, MouseInput, float, Kiln::Vector2<float>>;

struct InputEvent
{
    uint32_t action = 0;
    InputValue value;
};

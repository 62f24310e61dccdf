#include "InputMapper.h"

#include "forge/input/InputManager.h"
#include "forge/input/XInput.h"

#include "Platform/runtime/Assert.h"

#include <cstdlib>

namespace
{
    // Keys and mouse buttons the game watches, in the order their edges are dispatched.
    constexpr uint32_t kWatchedKeys[] = {1, 2, 4, 13, 16, 17, 27, 32, 37, 38, 39, 40, 65, 68, 69, 83, 87};

    struct PadButton
    {
        uint16_t bit;
        uint32_t code;
    };

    constexpr PadButton kPadButtons[] = {
        {0x0001, InputCode::PadDpadUp},       {0x0002, InputCode::PadDpadDown},
        {0x0004, InputCode::PadDpadLeft},     {0x0008, InputCode::PadDpadRight},
        {0x0010, InputCode::PadStart},        {0x0020, InputCode::PadBack},
        {0x0040, InputCode::PadLeftThumb},    {0x0080, InputCode::PadRightThumb},
        {0x0100, InputCode::PadLeftShoulder}, {0x0200, InputCode::PadRightShoulder},
        {0x1000, InputCode::PadA},            {0x2000, InputCode::PadB},
        {0x4000, InputCode::PadX},            {0x8000, InputCode::PadY},
    };

    // 30 is the pad's trigger threshold; 225 = 255 - 30.
    float TriggerValue(uint8_t aTrigger)
    {
        return aTrigger > 30 ? static_cast<float>(aTrigger - 30) / 225.0f : 0.0f;
    }

    float StickAxis(int16_t aRaw, int32_t aDeadZone)
    {
        const int32_t magnitude = std::abs(static_cast<int32_t>(aRaw));
        if (magnitude <= aDeadZone)
            return 0.0f;
        const float value = static_cast<float>(magnitude - aDeadZone) / static_cast<float>(32767 - aDeadZone);
        return aRaw < 0 ? -value : value;
    }
}

InputMapper& InputMapper::GetInstance()
{
    static InputMapper instance;
    return instance;
}

uint32_t InputMapper::AddInputEventListener(Listener aListener)
{
    ++myLastListenerId;
    myListeners.emplace(myLastListenerId, std::make_shared<Listener>(std::move(aListener)));
    return myLastListenerId;
}

void InputMapper::RemoveInputEventListener(uint32_t anId)
{
    if (myListeners.erase(anId) == 0)
        KILN_ASSERT(false && "An invalid input event listener ID was used to attempt removal.");
}

void InputMapper::AddInputToEventMapping(uint32_t anInputCode, uint32_t anAction)
{
    myBindings[anInputCode].push_back(anAction);
}

void InputMapper::SetInputManagers(Kiln::InputManager* anInputManager, Kiln::XInput* aGamepad)
{
    myInputManager = anInputManager;
    myGamepad = aGamepad;
}

void InputMapper::Update()
{
    UpdateKeyboardMouse();
    UpdateGamepad();
}

void InputMapper::Dispatch(uint32_t anInputCode, const InputValue& aValue)
{
    const auto bound = myBindings.find(anInputCode);
    if (bound == myBindings.end())
        return;
    // Listeners may add or remove listeners and bindings while they run: work on copies,
    // and skip a listener that is gone by the time its turn comes.
    const std::vector<uint32_t> actions = bound->second;
    std::vector<uint32_t> ids;
    ids.reserve(myListeners.size());
    for (const auto& [id, listener] : myListeners)
        ids.push_back(id);

    for (uint32_t action : actions)
    {
        const InputEvent event{action, aValue};
        for (uint32_t id : ids)
        {
            const auto found = myListeners.find(id);
            if (found == myListeners.end())
                continue;
            const std::shared_ptr<Listener> listener = found->second;
            (*listener)(event);
        }
    }
}

void InputMapper::UpdateKeyboardMouse()
{
    if (!myInputManager)
        return;
    myInputManager->Update();
    bool dispatched = false;

    const Kiln::Vector2<float> movement = myInputManager->GetMouseDelta();
    if (movement.x * movement.x + movement.y * movement.y > 0.0f)
    {
        Dispatch(InputCode::MouseMove, MouseInput{myInputManager->GetMousePosition(), movement});
        dispatched = true;
    }
    for (uint32_t key : kWatchedKeys)
    {
        if (myInputManager->IsKeyPressed(key))
        {
            Dispatch(key, true);
            dispatched = true;
        }
        if (myInputManager->IsKeyReleased(key))
        {
            Dispatch(key, false);
            dispatched = true;
        }
    }
    if (dispatched && myActiveDevice == InputDevice::Gamepad)
    {
        Dispatch(InputCode::DeviceChanged, int32_t{InputDevice::KeyboardMouse});
        myActiveDevice = InputDevice::KeyboardMouse;
    }
}

void InputMapper::UpdateGamepad()
{
    if (!myGamepad)
        return;
    myGamepad->Update();
    const Plat::Gamepad::PadReading& pad = myGamepad->GetState();
    bool dispatched = false;

    const uint16_t pressed = pad.buttons & ~myPreviousButtons;
    const uint16_t released = myPreviousButtons & ~pad.buttons;
    for (const PadButton& button : kPadButtons)
    {
        if (pressed & button.bit)
        {
            Dispatch(button.code, true);
            dispatched = true;
        }
        if (released & button.bit)
        {
            Dispatch(button.code, false);
            dispatched = true;
        }
    }

    // A trigger reports every frame while held and once more (0) when let go.
    auto trigger = [&](uint32_t aCode, uint8_t aRaw, bool& anActive) {
        const float value = TriggerValue(aRaw);
        if (value != 0.0f || anActive)
        {
            Dispatch(aCode, value);
            dispatched = true;
        }
        anActive = value != 0.0f;
    };
    trigger(InputCode::LeftTrigger, pad.leftTrigger, myLeftTriggerActive);
    trigger(InputCode::RightTrigger, pad.rightTrigger, myRightTriggerActive);

    auto stick = [&](uint32_t aCode, int16_t aX, int16_t aY, int32_t aDeadZone, bool& anActive) {
        const Kiln::Vector2<float> value{StickAxis(aX, aDeadZone), StickAxis(aY, aDeadZone)};
        const bool active = value.x != 0.0f || value.y != 0.0f;
        if (active || anActive)
        {
            Dispatch(aCode, value);
            dispatched = true;
        }
        anActive = active;
    };
    stick(InputCode::LeftStick, pad.thumbLX, pad.thumbLY, Plat::Gamepad::LEFT_THUMB_DEADZONE, myLeftStickActive);
    stick(InputCode::RightStick, pad.thumbRX, pad.thumbRY, Plat::Gamepad::RIGHT_THUMB_DEADZONE, myRightStickActive);

    if (dispatched && myActiveDevice == InputDevice::KeyboardMouse)
    {
        Dispatch(InputCode::DeviceChanged, int32_t{InputDevice::Gamepad});
        myActiveDevice = InputDevice::Gamepad;
    }
    myPreviousButtons = pad.buttons;
}

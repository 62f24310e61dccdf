#pragma once
// Turns the engine's keyboard, mouse and pad state into game actions once a frame and
// hands them to every registered listener; remembers which device was used last.
#include "InputEvent.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Kiln
{
    class InputManager;
    class XInput;
}

class InputMapper
{
public:
    using Listener = std::function<void(const InputEvent&)>;

    // The game's mapper. (Separate instances serve tests.)
    static InputMapper& GetInstance();
    InputMapper() = default;

    // Returns the new listener's id: 1 for the first, never reused.
    uint32_t AddInputEventListener(Listener aListener);
    void RemoveInputEventListener(uint32_t anId);
    size_t GetListenerCount() const { return myListeners.size(); }
    // Codes bound to several actions raise them in the order they were added.
    void AddInputToEventMapping(uint32_t anInputCode, uint32_t anAction);
    // Drops every binding, so that a test's game manager starts from its own.
    void ClearInputToEventMappings() { myBindings.clear(); }

    // 0 keyboard and mouse, 1 gamepad.
    uint32_t GetActiveDevice() const { return myActiveDevice; }
    void SetInputManagers(Kiln::InputManager* anInputManager, Kiln::XInput* aGamepad);

    // Polls both devices and dispatches; once a frame.
    void Update();

private:
    void UpdateKeyboardMouse();
    void UpdateGamepad();
    void Dispatch(uint32_t anInputCode, const InputValue& aValue);

    // Held by pointer so that a listener may remove itself while it runs.
    std::unordered_map<uint32_t, std::shared_ptr<Listener>> myListeners;
    std::unordered_map<uint32_t, std::vector<uint32_t>> myBindings;
    Kiln::InputManager* myInputManager = nullptr;
    Kiln::XInput* myGamepad = nullptr;
    uint32_t myLastListenerId = 0;
    uint16_t myPreviousButtons = 0;
    uint32_t myActiveDevice = InputDevice::KeyboardMouse;
    bool myLeftTriggerActive = false;
    bool myRightTriggerActive = false;
    bool myLeftStickActive = false;
    bool myRightStickActive = false;
};

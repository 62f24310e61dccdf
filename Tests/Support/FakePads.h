#pragma once
// Pads for tests: a pad source of four slots whose plug state and readings the test sets,
// and a pad plugged in through SDL itself.
#include "Platform/gamepad/Gamepad.h"

#include <SDL.h>

#include <array>

namespace TestSupport
{
    class FakePads final : public Plat::Gamepad::PadSource
    {
    public:
        // Installs itself as the pad source for its lifetime.
        FakePads() { Plat::Gamepad::SetPadSource(this); }
        ~FakePads() override { Plat::Gamepad::SetPadSource(nullptr); }
        FakePads(const FakePads&) = delete;
        FakePads& operator=(const FakePads&) = delete;

        bool Read(Plat::Gamepad::DWORD aSlot, Plat::Gamepad::PadReading& aReading) override
        {
            ++reads[aSlot];
            if (!connected[aSlot])
                return false;
            aReading = pads[aSlot];
            return true;
        }

        std::array<bool, 4> connected{};
        std::array<Plat::Gamepad::PadReading, 4> pads{};
        std::array<int, 4> reads{};
    };

    // A pad plugged in through SDL's virtual joystick driver: SDL's game-controller layer
    // reads it like a real one. Its buttons and axes are numbered as the controller's.
    class VirtualPad
    {
    public:
        // SDL drops pad input while a window of the process is out of focus, as a test's
        // hidden window is: the pad is heard in the background for the pad's lifetime.
        VirtualPad()
        {
            SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
            SDL_InitSubSystem(SDL_INIT_JOYSTICK);
        }
        ~VirtualPad()
        {
            Unplug();
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
            SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
        }
        bool Plug()
        {
            SDL_VirtualJoystickDesc desc{};
            desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
            desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
            desc.naxes = SDL_CONTROLLER_AXIS_MAX;
            desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
            desc.name = "Kiln test pad";
            const int index = SDL_JoystickAttachVirtualEx(&desc);
            myJoystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
            // Triggers rest at the bottom of the axis.
            Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
            Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
            return myJoystick != nullptr;
        }
        void Unplug()
        {
            if (!myJoystick)
                return;
            const SDL_JoystickID id = SDL_JoystickInstanceID(myJoystick);
            SDL_JoystickClose(myJoystick);
            myJoystick = nullptr;
            for (int device = 0; device < SDL_NumJoysticks(); ++device)
                if (SDL_JoystickGetDeviceInstanceID(device) == id)
                    SDL_JoystickDetachVirtual(device);
        }
        void Button(SDL_GameControllerButton aButton, bool aDown) { SDL_JoystickSetVirtualButton(myJoystick, aButton, aDown ? 1 : 0); }
        void Axis(SDL_GameControllerAxis anAxis, int16_t aValue) { SDL_JoystickSetVirtualAxis(myJoystick, anAxis, aValue); }

    private:
        SDL_Joystick* myJoystick = nullptr;
    };
}

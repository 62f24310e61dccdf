#include "Platform/gamepad/impl/SdlPadSource.h"

#include <algorithm>

namespace Plat::Gamepad::impl
{
    namespace
    {
        struct ButtonBit
        {
            SDL_GameControllerButton button;
            uint16_t bit;
        };

        constexpr ButtonBit kButtons[] = {
            {SDL_CONTROLLER_BUTTON_DPAD_UP, BUTTON_DPAD_UP},
            {SDL_CONTROLLER_BUTTON_DPAD_DOWN, BUTTON_DPAD_DOWN},
            {SDL_CONTROLLER_BUTTON_DPAD_LEFT, BUTTON_DPAD_LEFT},
            {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, BUTTON_DPAD_RIGHT},
            {SDL_CONTROLLER_BUTTON_START, BUTTON_START},
            {SDL_CONTROLLER_BUTTON_BACK, BUTTON_BACK},
            {SDL_CONTROLLER_BUTTON_LEFTSTICK, BUTTON_LEFT_THUMB},
            {SDL_CONTROLLER_BUTTON_RIGHTSTICK, BUTTON_RIGHT_THUMB},
            {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, BUTTON_LEFT_SHOULDER},
            {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, BUTTON_RIGHT_SHOULDER},
            {SDL_CONTROLLER_BUTTON_A, BUTTON_A},
            {SDL_CONTROLLER_BUTTON_B, BUTTON_B},
            {SDL_CONTROLLER_BUTTON_X, BUTTON_X},
            {SDL_CONTROLLER_BUTTON_Y, BUTTON_Y},
        };
    }

    uint8_t SdlPadSource::ToTrigger(int16_t anAxis)
    {
        const int v = std::max<int>(anAxis, 0);
        return static_cast<uint8_t>((v * 255 + 16383) / 32767);
    }

    int16_t SdlPadSource::ToThumbX(int16_t anAxis)
    {
        return anAxis;
    }

    int16_t SdlPadSource::ToThumbY(int16_t anAxis)
    {
        return static_cast<int16_t>(std::clamp(-static_cast<int>(anAxis), -32768, 32767));
    }

    bool SdlPadSource::EnsureSubsystem()
    {
        if (!myTriedInit)
        {
            myTriedInit = true;
            myInitialised = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
        }
        return myInitialised;
    }

    void SdlPadSource::RefreshSlots()
    {
        // Polls the devices even when nobody pumps SDL's event queue.
        SDL_GameControllerUpdate();
        for (SDL_GameController*& pad : mySlots)
        {
            if (pad && !SDL_GameControllerGetAttached(pad))
            {
                SDL_GameControllerClose(pad);
                pad = nullptr;
            }
        }
        const int count = SDL_NumJoysticks();
        for (int device = 0; device < count; ++device)
        {
            if (!SDL_IsGameController(device))
                continue;
            const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
            const bool known = std::any_of(mySlots.begin(), mySlots.end(), [&](SDL_GameController* pad) {
                return pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id;
            });
            if (known)
                continue;
            auto freeSlot = std::find(mySlots.begin(), mySlots.end(), nullptr);
            if (freeSlot == mySlots.end())
                return;
            *freeSlot = SDL_GameControllerOpen(device);
        }
    }

    bool SdlPadSource::Read(DWORD aSlot, PadReading& aReading)
    {
        if (aSlot >= SLOT_COUNT || !EnsureSubsystem())
            return false;
        RefreshSlots();
        SDL_GameController* pad = mySlots[aSlot];
        if (!pad)
            return false;

        PadReading reading;
        for (const ButtonBit& b : kButtons)
        {
            if (SDL_GameControllerGetButton(pad, b.button))
                reading.buttons |= b.bit;
        }
        reading.leftTrigger = ToTrigger(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
        reading.rightTrigger = ToTrigger(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
        reading.thumbLX = ToThumbX(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
        reading.thumbLY = ToThumbY(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
        reading.thumbRX = ToThumbX(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX));
        reading.thumbRY = ToThumbY(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY));
        aReading = reading;
        return true;
    }
}

#pragma once
// Pads from SDL's game-controller API. Controllers take the lowest free slot when they
// are first seen and keep it until they are unplugged. Nothing is closed at exit: SDL's
// own shutdown closes the controllers, possibly before static destructors would run.
#include "Platform/gamepad/Gamepad.h"

#include <SDL.h>

#include <array>

namespace Plat::Gamepad::impl
{
    class SdlPadSource final : public PadSource
    {
    public:
        bool Read(DWORD aSlot, PadReading& aReading) override;

        // SDL's axis and button values in the record's terms.
        static uint8_t ToTrigger(int16_t anAxis);
        static int16_t ToThumbX(int16_t anAxis);
        static int16_t ToThumbY(int16_t anAxis);   // SDL's y points down

    private:
        bool EnsureSubsystem();
        void RefreshSlots();

        std::array<SDL_GameController*, SLOT_COUNT> mySlots{};
        bool myTriedInit = false;
        bool myInitialised = false;
    };
}

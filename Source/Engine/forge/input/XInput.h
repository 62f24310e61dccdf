#pragma once
// The first connected game pad: its raw record of the last poll, plus stick and
// trigger values normalised with this reader's dead zones.
#include "Platform/gamepad/Gamepad.h"

#include <cstdint>

namespace Kiln
{
    class XInput
    {
    public:
        static constexpr uint32_t NO_CONTROLLER = 0xFFFFFFFF;

        // True when a pad was read. Without a pad selected, probes slots 0 to 3 first;
        // a pad that stops answering is dropped and the next call probes again.
        bool Update();

        // The raw record of the last poll (zeroed when the pad stopped answering).
        const Plat::Gamepad::PadReading& GetState() const { return myState.pad; }

        void SetDeadZones(float aDeadZoneX, float aDeadZoneY);

        // Sticks -1..1 with 0 inside the dead zone and 1 at full deflection; triggers 0..1.
        float myLeftStickX = 0.0f;
        float myLeftStickY = 0.0f;
        float myRightStickX = 0.0f;
        float myRightStickY = 0.0f;
        float myLeftTrigger = 0.0f;
        float myRightTrigger = 0.0f;

    private:
        float ApplyDeadZone(int16_t aRaw, float aDeadZone) const;

        uint32_t myControllerIndex = NO_CONTROLLER;
        Plat::Gamepad::PadState myState;
        float myDeadZoneX = 0.0f;
        float myDeadZoneY = 0.0f;
    };
}

#include "forge/input/XInput.h"

#include <algorithm>
#include <cmath>

namespace Kiln
{
    using namespace Plat::Gamepad;

    void XInput::SetDeadZones(float aDeadZoneX, float aDeadZoneY)
    {
        myDeadZoneX = aDeadZoneX;
        myDeadZoneY = aDeadZoneY;
    }

    float XInput::ApplyDeadZone(int16_t aRaw, float aDeadZone) const
    {
        const float v = std::max(-1.0f, static_cast<float>(aRaw) / 32767.0f);
        const float magnitude = std::fabs(v);
        if (magnitude < aDeadZone)
            return 0.0f;
        float out = std::copysign(magnitude - aDeadZone, v);
        if (aDeadZone > 0.0f)
            out *= 1.0f / (1.0f - aDeadZone);
        return v == 0.0f ? 0.0f : out;
    }

    bool XInput::Update()
    {
        if (myControllerIndex == NO_CONTROLLER)
        {
            PadState probe;
            for (uint32_t slot = 0; slot < SLOT_COUNT; ++slot)
            {
                if (Plat::Gamepad::GetState(slot, &probe) == ERROR_SUCCESS)
                {
                    myControllerIndex = slot;
                    break;
                }
            }
            if (myControllerIndex == NO_CONTROLLER)
                return false;
        }

        myState = PadState{};
        if (Plat::Gamepad::GetState(myControllerIndex, &myState) != ERROR_SUCCESS)
        {
            myState = PadState{};
            myControllerIndex = NO_CONTROLLER;
            return false;
        }

        const PadReading& pad = myState.pad;
        myLeftStickX = ApplyDeadZone(pad.thumbLX, myDeadZoneX);
        myLeftStickY = ApplyDeadZone(pad.thumbLY, myDeadZoneY);
        myRightStickX = ApplyDeadZone(pad.thumbRX, myDeadZoneX);
        myRightStickY = ApplyDeadZone(pad.thumbRY, myDeadZoneY);
        myLeftTrigger = static_cast<float>(pad.leftTrigger) / 255.0f;
        myRightTrigger = static_cast<float>(pad.rightTrigger) / 255.0f;
        return true;
    }
}

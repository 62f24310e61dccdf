#include "Platform/gamepad/Gamepad.h"

#include "Platform/gamepad/impl/SdlPadSource.h"

#include <array>

namespace Plat::Gamepad
{
    namespace
    {
        struct Pads
        {
            impl::SdlPadSource sdl;
            PadSource* source = nullptr;   // null: sdl
            std::array<PadReading, SLOT_COUNT> last{};
            std::array<DWORD, SLOT_COUNT> packet{};
        };

        Pads& ThePads()
        {
            static Pads pads;
            return pads;
        }
    }

    DWORD GetState(DWORD aSlot, PadState* aState)
    {
        if (aSlot >= SLOT_COUNT || !aState)
            return ERROR_DEVICE_NOT_CONNECTED;
        Pads& pads = ThePads();
        PadSource& source = pads.source ? *pads.source : pads.sdl;
        PadReading reading;
        if (!source.Read(aSlot, reading))
            return ERROR_DEVICE_NOT_CONNECTED;
        if (reading != pads.last[aSlot])
        {
            pads.last[aSlot] = reading;
            ++pads.packet[aSlot];
        }
        aState->packetNumber = pads.packet[aSlot];
        aState->pad = reading;
        return ERROR_SUCCESS;
    }

    void SetPadSource(PadSource* aSource)
    {
        ThePads().source = aSource;
    }
}

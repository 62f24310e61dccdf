#pragma once
// Game-controller state in the shape the engine's pad reader expects: four slots, each
// either "not connected" or a record of button bits (with their customary values),
// two triggers 0..255 and four thumb axes as signed 16-bit values with y pointing up.
// Backed by SDL's game-controller API; a test can put its own pad source in its place.
#include <cstdint>

namespace Plat::Gamepad
{
    using DWORD = uint32_t;

    constexpr DWORD ERROR_SUCCESS = 0;
    constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
    constexpr DWORD SLOT_COUNT = 4;

    // Button bits.
    constexpr uint16_t BUTTON_DPAD_UP = 0x0001;
    constexpr uint16_t BUTTON_DPAD_DOWN = 0x0002;
    constexpr uint16_t BUTTON_DPAD_LEFT = 0x0004;
    constexpr uint16_t BUTTON_DPAD_RIGHT = 0x0008;
    constexpr uint16_t BUTTON_START = 0x0010;
    constexpr uint16_t BUTTON_BACK = 0x0020;
    constexpr uint16_t BUTTON_LEFT_THUMB = 0x0040;
    constexpr uint16_t BUTTON_RIGHT_THUMB = 0x0080;
    constexpr uint16_t BUTTON_LEFT_SHOULDER = 0x0100;
    constexpr uint16_t BUTTON_RIGHT_SHOULDER = 0x0200;
    constexpr uint16_t BUTTON_A = 0x1000;
    constexpr uint16_t BUTTON_B = 0x2000;
    constexpr uint16_t BUTTON_X = 0x4000;
    constexpr uint16_t BUTTON_Y = 0x8000;

    // Customary thumb dead zones and trigger threshold of this kind of pad.
    constexpr int16_t LEFT_THUMB_DEADZONE = 7849;
    constexpr int16_t RIGHT_THUMB_DEADZONE = 8689;
    constexpr uint8_t TRIGGER_THRESHOLD = 30;

    struct PadReading
    {
        uint16_t buttons = 0;
        uint8_t leftTrigger = 0;
        uint8_t rightTrigger = 0;
        int16_t thumbLX = 0;
        int16_t thumbLY = 0;
        int16_t thumbRX = 0;
        int16_t thumbRY = 0;

        bool operator==(const PadReading&) const = default;
    };

    struct PadState
    {
        DWORD packetNumber = 0;   // changes whenever the reading changes
        PadReading pad;
    };

    // Reads slot aSlot (0..3) into *aState: ERROR_SUCCESS, or ERROR_DEVICE_NOT_CONNECTED
    // (also for a slot out of range or a null state; the state is then left as it was).
    DWORD GetState(DWORD aSlot, PadState* aState);

    // Where readings come from. Read returns false when nothing is plugged into the slot.
    class PadSource
    {
    public:
        virtual ~PadSource() = default;
        virtual bool Read(DWORD aSlot, PadReading& aReading) = 0;
    };

    // Replaces the SDL source (not owned; it must outlive its use); null restores SDL.
    void SetPadSource(PadSource* aSource);
}

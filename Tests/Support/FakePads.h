#pragma once
// A pad source for tests: four slots whose plug state and readings the test sets.
#include "Platform/gamepad/Gamepad.h"

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
}

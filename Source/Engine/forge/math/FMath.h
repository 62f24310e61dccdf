#pragma once
// Small numeric constants shared by the engine's math.
namespace Kiln::FMath
{
    // The smallest near plane a perspective projection accepts.
    inline constexpr float KindaSmallNumber = 1.e-4f;
}

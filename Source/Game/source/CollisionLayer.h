#pragma once
// Bits of a collider owner's layer (what it is) and mask (which layers it reacts to).
#include <cstdint>

namespace CollisionLayer
{
    enum Value : uint32_t
    {
        None = 0,
        Trigger = 1,        // triggers and probes: checkpoints, pots, buttons, exits, edge probes
        Solid = 2,          // floor tiles and doors
        BreakableWall = 4,
        Enemy = 8,
        Player = 16,
    };
}

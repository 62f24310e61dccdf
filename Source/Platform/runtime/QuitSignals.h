#pragma once
// The signals that end the game (SIGINT, SIGTERM) reach it whatever its parent left
// blocked. An inherited *ignored* SIGINT stays ignored, as Unix programs keep it for a
// background job; a blocked one never means anything a user asked for.

namespace Plat::Runtime
{
    // Call first in main, before any thread starts, so every thread inherits the mask.
    void UnblockQuitSignals();
}

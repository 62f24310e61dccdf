#pragma once
// The signals that end the game are SIGINT and SIGTERM (SDL turns them into a quit). Both
// reach it whatever its parent left blocked: a blocked one never means anything a user
// asked for. An inherited *ignored* SIGINT stays ignored, as Unix programs keep it for a
// background job of a shell. An inherited ignored SIGTERM does not: no shell ignores it
// for a job, and it is how a test, CI or `kill` asks the game to end.

namespace Plat::Runtime
{
    // Unblocks SIGINT and SIGTERM and sets an ignored SIGTERM back to its default. Call
    // first in main, before SDL starts (it only takes signals left at their default) and
    // before any thread starts, so every thread inherits the mask.
    void UnblockQuitSignals();
}

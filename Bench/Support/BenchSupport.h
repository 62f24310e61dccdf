#pragma once
// What the drawing benchmarks share: a count of heap allocations (the program that links
// this gets counting replacements of the global operator new and delete) and one engine
// started offscreen at a fixed size.
#include <cstdint>

namespace KilnBench
{
    // Global operator new calls so far, on every thread.
    uint64_t AllocationCount();

    // Loads Game.json, then starts the engine at aWidth x aHeight without vsync or debug
    // features. False when it did not start.
    bool StartOffscreenEngine(unsigned aWidth, unsigned aHeight);
}

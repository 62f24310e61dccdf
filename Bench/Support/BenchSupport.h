#pragma once
// What the benchmarks share: a count of heap allocations (the program that links this gets
// counting replacements of the global operator new and delete) and one engine started
// offscreen at a fixed size.
#include <cstddef>
#include <cstdint>

namespace KilnBench
{
    // Global operator new calls so far, on every thread.
    uint64_t AllocationCount();

    // Operator new calls so far on the calling thread, and those of them whose size is one of
    // the sizes given to CountSizesApart (one kind of object a benchmark reads apart, such as
    // particles born in a frame).
    struct ThreadAllocations
    {
        uint64_t myAll = 0;
        uint64_t mySizesApart = 0;
    };
    ThreadAllocations ThreadAllocationCounts();
    // From now on, allocations of aSize or anotherSize bytes (0: none) also count apart.
    void CountSizesApart(std::size_t aSize, std::size_t anotherSize = 0);

    // Loads Game.json, then starts the engine at aWidth x aHeight without vsync or debug
    // features. False when it did not start.
    bool StartOffscreenEngine(unsigned aWidth, unsigned aHeight);
}

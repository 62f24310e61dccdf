#include "BenchSupport.h"

#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
    std::atomic<uint64_t> theAllocationCount{0};
    // Constant-initialised, so a thread's first allocation runs no initialiser.
    thread_local KilnBench::ThreadAllocations theThreadAllocations;
    std::atomic<std::size_t> theSizesApart[2] = {0, 0};

    void Count(std::size_t aSize)
    {
        theAllocationCount.fetch_add(1, std::memory_order_relaxed);
        ++theThreadAllocations.myAll;
        if (aSize != 0 && (aSize == theSizesApart[0].load(std::memory_order_relaxed) ||
                           aSize == theSizesApart[1].load(std::memory_order_relaxed)))
            ++theThreadAllocations.mySizesApart;
    }
}

// Counting replacements of the global allocation functions (malloc-backed on both sides).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t aSize)
{
    Count(aSize);
    if (void* p = std::malloc(aSize == 0 ? 1 : aSize))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* aPointer) noexcept { std::free(aPointer); }
void operator delete(void* aPointer, std::size_t) noexcept { std::free(aPointer); }
#pragma GCC diagnostic pop

namespace KilnBench
{
    uint64_t AllocationCount()
    {
        return theAllocationCount.load(std::memory_order_relaxed);
    }

    ThreadAllocations ThreadAllocationCounts()
    {
        return theThreadAllocations;
    }

    void CountSizesApart(std::size_t aSize, std::size_t anotherSize)
    {
        theSizesApart[0].store(aSize, std::memory_order_relaxed);
        theSizesApart[1].store(anotherSize, std::memory_order_relaxed);
    }

    bool StartOffscreenEngine(unsigned aWidth, unsigned aHeight)
    {
        Kiln::LoadSettings("Game.json");
        Kiln::EngineConfiguration& config = Kiln::Settings::EngineConfiguration();
        config.myWindowSize = {aWidth, aHeight};
        config.myRenderSize = {aWidth, aHeight};
        config.myEnableVSync = false;
        config.myBorderless = true;
        config.myDebugFeatures = 0;
        return Kiln::Engine::Start();
    }
}

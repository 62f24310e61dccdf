#include "BenchSupport.h"

#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
    std::atomic<uint64_t> theAllocationCount{0};
}

// Counting replacements of the global allocation functions (malloc-backed on both sides).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t aSize)
{
    theAllocationCount.fetch_add(1, std::memory_order_relaxed);
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

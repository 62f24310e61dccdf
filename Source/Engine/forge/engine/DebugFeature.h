#pragma once
// Debug feature bits of the engine configuration; the settings file names them the same.
#include <cstdint>

namespace Kiln::DebugFeature
{
    enum : uint32_t
    {
        Fps = 0x1,
        Mem = 0x2,
        Drawcalls = 0x4,
        Cpu = 0x8,
        FpsGraph = 0x10,
        Filewatcher = 0x20,
        OptimizeWarnings = 0x40,
        MemoryTrackingStackTraces = 0x80,
        MemoryTrackingAllAllocations = 0x100,
        All = 0x1FF,
    };

    // A feature is on when its bit is set, or when every one of the nine bits is; bits
    // outside the nine do not hide the others.
    constexpr bool IsOn(uint32_t someFeatures, uint32_t aFeature)
    {
        return (someFeatures & All) == All || (someFeatures & aFeature) != 0;
    }
}

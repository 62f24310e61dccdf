#pragma once
// Adapter enumeration. On this platform there is one adapter: the GL renderer
// (GL_RENDERER), with its dedicated memory when the driver reports it, else 0.
// Tests replace the enumerator to present any list of adapters.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Plat::Gpu
{
    struct AdapterDesc
    {
        std::string description;          // e.g. "llvmpipe (LLVM 15.0.6, 256 bits)"
        uint32_t vendorId = 0;
        uint32_t deviceId = 0;
        uint64_t dedicatedVideoMemory = 0; // bytes
        uint64_t dedicatedSystemMemory = 0;
        uint64_t sharedSystemMemory = 0;
    };

    using AdapterEnumerator = std::function<std::vector<AdapterDesc>()>;

    // The adapters in enumeration order; empty when no OpenGL 4.5 core context can be made.
    // The real enumerator initialises SDL's video subsystem for the query when needed.
    std::vector<AdapterDesc> EnumerateAdapters();

    // Replaces the enumerator (tests); an empty function restores the real one.
    void SetAdapterEnumerator(AdapterEnumerator anEnumerator);
}

#pragma once
// The record of one call the context received, kept while tracing is on
// (DeviceContext::SetTraceEnabled). Tests read what the engine issued from it. Every
// binding, draw, clear, map and copy of the context is recorded, and SwapChain::Present
// as "Present" (the swap chain as object, the sync interval as value).
#include <cstdint>
#include <string>
#include <vector>

namespace Plat::Gpu
{
    struct TraceCall
    {
        std::string name;                  // the method name, e.g. "OMSetBlendState", "DrawInstanced"
        std::vector<const void*> objects;  // object arguments in order (null entries kept)
        std::vector<int64_t> values;       // numeric arguments in order (slots, counts, enums)

        // "name(objects...; values...)" for failure messages.
        std::string ToString() const;
    };
}

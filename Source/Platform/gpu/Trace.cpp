#include "Platform/gpu/Trace.h"

#include <cstdio>

namespace Plat::Gpu
{
    std::string TraceCall::ToString() const
    {
        std::string text = name + "(";
        char buffer[32];
        for (size_t i = 0; i < objects.size(); ++i)
        {
            std::snprintf(buffer, sizeof(buffer), "%s%p", i ? ", " : "", objects[i]);
            text += buffer;
        }
        text += ";";
        for (size_t i = 0; i < values.size(); ++i)
        {
            std::snprintf(buffer, sizeof(buffer), " %lld", static_cast<long long>(values[i]));
            text += buffer;
        }
        return text + ")";
    }
}

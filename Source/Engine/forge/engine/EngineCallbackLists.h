#pragma once
// The two lists the configuration's callbacks are appended to. Nothing invokes them.
#include "forge/engine/EngineConfiguration.h"

#include <vector>

namespace Kiln
{
    struct EngineCallbackLists
    {
        std::vector<EngineCallback> myCallbacks1;
        std::vector<EngineCallback> myCallbacks2;
    };
}

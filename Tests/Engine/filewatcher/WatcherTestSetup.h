#pragma once
// Switches the "Filewatcher" debug feature of the global configuration for one scope
// (the watcher reads it when no engine is running).
#include "forge/engine/DebugFeature.h"
#include "forge/settings/Settings.h"

class ScopedWatcherFeature
{
public:
    explicit ScopedWatcherFeature(bool anOn) : mySaved(Kiln::Settings::EngineConfiguration().myDebugFeatures)
    {
        Kiln::Settings::EngineConfiguration().myDebugFeatures = anOn ? Kiln::DebugFeature::Filewatcher : Kiln::DebugFeature::Fps;
    }
    ~ScopedWatcherFeature() { Kiln::Settings::EngineConfiguration().myDebugFeatures = mySaved; }
    ScopedWatcherFeature(const ScopedWatcherFeature&) = delete;
    ScopedWatcherFeature& operator=(const ScopedWatcherFeature&) = delete;

private:
    uint32_t mySaved;
};

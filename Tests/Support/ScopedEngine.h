#pragma once
// Starts the whole engine for a test (hidden-window rendering through SDL's offscreen
// driver) and tears it down again, the native window included.
#include "forge/engine/Engine.h"
#include "forge/engine/EngineConfiguration.h"

#include <functional>

namespace KilnTest
{
    class ScopedEngine
    {
    public:
        // Loads the shipped Game.json (for the asset roots), then applies aConfigure to the
        // global configuration: by default a 320 x 200 borderless window.
        explicit ScopedEngine(const std::function<void(Kiln::EngineConfiguration&)>& aConfigure = {});
        ~ScopedEngine();
        ScopedEngine(const ScopedEngine&) = delete;
        ScopedEngine& operator=(const ScopedEngine&) = delete;

        bool Started() const { return myStarted; }
        Kiln::Engine& operator*() const { return *Kiln::Engine::GetInstance(); }
        Kiln::Engine* operator->() const { return Kiln::Engine::GetInstance(); }
        Kiln::HWND Window() const;

    private:
        bool myStarted = false;
    };
}

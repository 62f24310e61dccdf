#pragma once
// Starts the whole engine for a test (hidden-window rendering through SDL's offscreen
// driver) and tears it down again, the native window included.
#include "forge/engine/Engine.h"
#include "forge/engine/EngineConfiguration.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Plat::Gpu
{
    class Texture2D;
}

namespace KilnTest
{
    // A texture's level-0 bytes, read through the engine's context once the GPU is idle.
    std::vector<uint8_t> ReadTexture(Plat::Gpu::Texture2D* aTexture);

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

        // The back buffer's bytes (B, G, R, A; top row first).
        std::vector<uint8_t> ReadBackBuffer() const;

    private:
        bool myStarted = false;
    };
}

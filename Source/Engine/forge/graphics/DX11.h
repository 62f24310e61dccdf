#pragma once
// The Direct3D 11 framework: device, immediate context and swap chain for the engine's
// window, the back buffer as an sRGB and a plain render target, one depth buffer, the
// per-frame clear and present, resizing, and the per-stage caches of compiled shaders.
//
// The process-wide handles below are null until Init and again after Shutdown; every
// part that creates GPU objects or issues commands goes through them.
#include "forge/graphics/DepthBuffer.h"
#include "forge/graphics/RenderTarget.h"
#include "forge/graphics/ShaderCache.h"
#include "forge/math/Color.h"
#include "forge/math/Vector.h"

#include "Platform/gpu/Adapter.h"
#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/gpu/Shaders.h"
#include "Platform/gpu/SwapChain.h"

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Kiln
{
    class WindowsWindow;

    class DX11
    {
    public:
        using PixelShaderEntry = ShaderCacheEntry<Plat::Gpu::PixelShader>;
        using VertexShaderEntry = ShaderCacheEntry<Plat::Gpu::VertexShader>;

        static Plat::Gpu::Device* Device;
        static Plat::Gpu::DeviceContext* Context;
        static Plat::Gpu::SwapChain* SwapChain;
        static RenderTarget* BackBuffer;        // the back buffer viewed as B8G8R8A8_UNORM_SRGB
        static RenderTarget* LinearBackBuffer;  // the back buffer in its own format, B8G8R8A8_UNORM
        static DepthBuffer* MainDepthBuffer;
        static bool IsCreated;
        static std::thread::id RenderThreadId;
        // Every draw adds one before it is issued; the engine rolls it over each frame.
        static uint32_t DrawCallCount;
        static uint32_t LastFrameDrawCallCount;

        DX11();
        ~DX11();
        DX11(const DX11&) = delete;
        DX11& operator=(const DX11&) = delete;

        bool Init(const WindowsWindow& aWindow);
        void Shutdown();

        // Clears the back buffer to aClearColor (sRGB) and the depth buffer to 1, then makes
        // the sRGB back buffer the target without depth.
        void BeginFrame(const Color& aClearColor);
        void Present(bool anEnableVSync);
        // Rebuilds the back-buffer targets and the depth buffer at the window's new size.
        // false when the size was refused: the targets are rebuilt at the previous size.
        bool Resize();
        Vector2<uint32_t> GetResolution() const;

        static bool IsOnMainThread();

        // The adapter to create the device on: the first one, unless an adapter whose
        // description holds "NVIDIA" or "ATI" has more dedicated memory.
        static std::optional<Plat::Gpu::AdapterDesc> FindBestAdapter();

        // Cached compiled shaders by name ("<cooked path>/<name>.glsl"). Null when the shader
        // cannot be made; nothing is cached then, so a later call tries again. Entries stay
        // valid while the device that made them exists.
        static const PixelShaderEntry* GetPixelShader(const std::string& aName);
        static const VertexShaderEntry* GetVertexShader(const std::string& aName);
        // The last shader that could not be made, as 'shader "<file>" could not be read' (or
        // compiled), and forgets it: empty when none failed since the last take.
        static std::string TakeLastShaderFailure();

    private:
        static const PixelShaderEntry* LoadPixelShader(const std::string& aName);
        static const VertexShaderEntry* LoadVertexShader(const std::string& aName);
        bool CreateBackBufferTargets();
        void PublishHandles();

        std::shared_ptr<Plat::Gpu::Device> myDevice;
        std::shared_ptr<Plat::Gpu::DeviceContext> myContext;
        std::shared_ptr<Plat::Gpu::SwapChain> mySwapChain;
        RenderTarget myBackBuffer;
        RenderTarget myLinearBackBuffer;
        DepthBuffer myDepthBuffer;
        bool myIsRunning = false;   // between construction and Shutdown
    };
}

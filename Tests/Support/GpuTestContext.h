#pragma once
// A hidden SDL window with a gpu device, immediate context and swap chain, for tests that
// render on the real GL driver (Mesa's llvmpipe under SDL_VIDEODRIVER=offscreen) and
// read the pixels back. Use it directly, or derive a test from KilnTest::GpuTest.
#include "Platform/gpu/Gpu.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace KilnTest
{
    struct Rgba8
    {
        uint8_t r = 0;
        uint8_t g = 0;
        uint8_t b = 0;
        uint8_t a = 0;
    };

    class GpuTestContext
    {
    public:
        // Window, back buffer and views of the given size; the back buffer is B8G8R8A8_UNORM
        // as the engine creates it. Check IsValid() (or use GpuTest, which asserts it).
        explicit GpuTestContext(uint32_t aWidth = 64, uint32_t aHeight = 64,
                                Plat::Gpu::Format aFormat = Plat::Gpu::Format::B8G8R8A8_UNORM);
        ~GpuTestContext();
        GpuTestContext(const GpuTestContext&) = delete;
        GpuTestContext& operator=(const GpuTestContext&) = delete;

        bool IsValid() const { return myDevice != nullptr; }
        Plat::Gpu::Device& Device() { return *myDevice; }
        Plat::Gpu::DeviceContext& Context() { return *myContext; }
        Plat::Gpu::SwapChain& SwapChain() { return *mySwapChain; }
        SDL_Window* Window() { return myWindow; }

        std::shared_ptr<Plat::Gpu::Texture2D> BackBuffer() { return mySwapChain->GetBuffer(0); }
        // Views of the back buffer in B8G8R8A8_UNORM_SRGB (91) and in its own format (87).
        // Made on first use; remade after ResizeBuffers when RefreshBackBufferViews is called.
        Plat::Gpu::RenderTargetView& SrgbView();
        Plat::Gpu::RenderTargetView& PlainView();
        void RefreshBackBufferViews();

        // Binds a render-target view (the sRGB back-buffer view by default) with an optional
        // depth view and a viewport covering aWidth x aHeight (0: the view's texture size).
        void BindTarget(Plat::Gpu::RenderTargetView* aView = nullptr, Plat::Gpu::DepthStencilView* aDepth = nullptr);

        // Back-buffer pixels, top row first.
        std::vector<Rgba8> ReadBackBuffer();
        Rgba8 BackBufferPixel(uint32_t anX, uint32_t aY);

        std::shared_ptr<Plat::Gpu::VertexShader> VertexShader(const std::string& aGlsl);
        std::shared_ptr<Plat::Gpu::PixelShader> PixelShader(const std::string& aGlsl);

        uint32_t Width() const { return myWidth; }
        uint32_t Height() const { return myHeight; }

    private:
        SDL_Window* myWindow = nullptr;
        bool myVideoInitialised = false;
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
        std::shared_ptr<Plat::Gpu::Device> myDevice;
        std::shared_ptr<Plat::Gpu::DeviceContext> myContext;
        std::shared_ptr<Plat::Gpu::SwapChain> mySwapChain;
        std::shared_ptr<Plat::Gpu::RenderTargetView> mySrgbView;
        std::shared_ptr<Plat::Gpu::RenderTargetView> myPlainView;
    };

    // A one-level 2D texture description; the rest as the description's defaults.
    inline Plat::Gpu::Texture2DDesc TextureDesc(uint32_t aWidth, uint32_t aHeight, Plat::Gpu::Format aFormat,
                                                uint32_t someBindFlags = Plat::Gpu::Bind::ShaderResource)
    {
        Plat::Gpu::Texture2DDesc desc;
        desc.width = aWidth;
        desc.height = aHeight;
        desc.format = aFormat;
        desc.bindFlags = someBindFlags;
        return desc;
    }

    // Converts 8-bit B, G, R, A bytes (B8G8R8A8 readback) to pixels.
    std::vector<Rgba8> FromBgra(const std::vector<uint8_t>& someBytes);
    // sRGB-encoded value (0..1) to linear light, and back.
    float SrgbToLinear(float aValue);
    float LinearToSrgb(float aValue);

    // Fixture: a 64 x 64 GpuTestContext per test.
    class GpuTest : public ::testing::Test
    {
    protected:
        void SetUp() override;
        void TearDown() override;

        std::unique_ptr<GpuTestContext> myGpu;
    };
}

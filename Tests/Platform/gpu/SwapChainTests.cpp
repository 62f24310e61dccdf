// Back buffer, its two views, clears, Present, resize and full screen.
#include "PixelExpectations.h"
#include "Support/GpuTestContext.h"

#include <SDL.h>


using namespace Plat::Gpu;
using KilnTest::GpuTest;

TEST_F(GpuTest, BackBufferIsTheSwapChainSizeInB8G8R8A8)
{
    auto backBuffer = myGpu->BackBuffer();
    ASSERT_NE(backBuffer, nullptr);
    EXPECT_EQ(backBuffer->GetDesc().width, 64u);
    EXPECT_EQ(backBuffer->GetDesc().height, 64u);
    EXPECT_EQ(backBuffer->GetDesc().format, Format::B8G8R8A8_UNORM);
    EXPECT_EQ(myGpu->SwapChain().GetBuffer(1), nullptr);
}

TEST_F(GpuTest, SrgbViewClearStoresTheLinearColourSrgbEncoded)
{
    // The engine's clear colour (3, 153, 176) in sRGB, converted to linear as the engine does.
    const float srgb[3] = {3 / 255.0f, 153 / 255.0f, 176 / 255.0f};
    const float linear[4] = {KilnTest::SrgbToLinear(srgb[0]), KilnTest::SrgbToLinear(srgb[1]), KilnTest::SrgbToLinear(srgb[2]), 1.0f};
    myGpu->Context().ClearRenderTargetView(&myGpu->SrgbView(), linear);
    const auto pixels = myGpu->ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 64u * 64u);
    EXPECT_PIXEL(pixels.front(), 3, 153, 176, 255);
    EXPECT_PIXEL(pixels.back(), 3, 153, 176, 255);
}

TEST_F(GpuTest, PlainViewClearStoresTheColourAsGivenInTheBufferBothViewsShare)
{
    const float colour[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    const float half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    myGpu->Context().ClearRenderTargetView(&myGpu->PlainView(), colour);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 20), 51, 102, 153, 204);
    myGpu->Context().ClearRenderTargetView(&myGpu->SrgbView(), half);
    // Linear 0.5 is sRGB 188.
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 20), 188, 188, 188, 255);
}

TEST_F(GpuTest, PresentKeepsTheBackBufferAndShowsInTheTrace)
{
    const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    myGpu->Context().ClearRenderTargetView(&myGpu->PlainView(), green);
    myGpu->Context().SetTraceEnabled(true);
    EXPECT_TRUE(myGpu->SwapChain().Present(0));
    EXPECT_TRUE(myGpu->SwapChain().Present(1));
    ASSERT_EQ(myGpu->Context().GetTrace().size(), 2u);
    EXPECT_EQ(myGpu->Context().GetTrace()[0].name, "Present");
    EXPECT_EQ(myGpu->Context().GetTrace()[1].values, std::vector<int64_t>{1});
    EXPECT_PIXEL(myGpu->BackBufferPixel(5, 5), 0, 255, 0, 255);
}

TEST_F(GpuTest, PresentShowsTheBackBufferTopRowFirstInTheWindow)
{
    // Top half red, bottom half blue, written straight into the back buffer (B, G, R, A).
    std::vector<uint8_t> bytes(64 * 64 * 4);
    for (size_t y = 0; y < 64; ++y)
    {
        for (size_t x = 0; x < 64; ++x)
        {
            uint8_t* p = &bytes[(y * 64 + x) * 4];
            p[0] = y < 32 ? 0 : 255;
            p[1] = 0;
            p[2] = y < 32 ? 255 : 0;
            p[3] = 255;
        }
    }
    myGpu->Context().UpdateSubresource(myGpu->BackBuffer().get(), 0, nullptr, bytes.data(), 64 * 4, 0);
    ASSERT_TRUE(myGpu->SwapChain().Present(0));
    std::vector<uint8_t> shown;
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_TRUE(myGpu->SwapChain().ReadPresentedImage(shown, width, height));
    ASSERT_EQ(width, 64u);
    ASSERT_EQ(height, 64u);
    const uint8_t* top = &shown[(2 * 64 + 5) * 4];
    const uint8_t* bottom = &shown[(60 * 64 + 5) * 4];
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[2], 0);
    EXPECT_EQ(bottom[0], 0);
    EXPECT_EQ(bottom[2], 255);
}

TEST_F(GpuTest, ResizeBuffersMakesANewBackBufferOfTheNewSize)
{
    auto before = myGpu->BackBuffer();
    ASSERT_TRUE(myGpu->SwapChain().ResizeBuffers(0, 96, 40, Format::UNKNOWN, 0));
    auto after = myGpu->BackBuffer();
    ASSERT_NE(after, nullptr);
    EXPECT_NE(before, after);
    EXPECT_EQ(after->GetDesc().width, 96u);
    EXPECT_EQ(after->GetDesc().height, 40u);
    EXPECT_EQ(after->GetDesc().format, Format::B8G8R8A8_UNORM);
    EXPECT_EQ(myGpu->SwapChain().GetDesc().width, 96u);

    myGpu->RefreshBackBufferViews();
    const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    myGpu->Context().ClearRenderTargetView(&myGpu->PlainView(), blue);
    const auto pixels = myGpu->ReadBackBuffer();
    EXPECT_EQ(pixels.size(), 96u * 40u);
    EXPECT_PIXEL(pixels.back(), 0, 0, 255, 255);
    EXPECT_TRUE(myGpu->SwapChain().Present(0));
}

TEST_F(GpuTest, ResizeBuffersWithZeroSizeFollowsTheWindowAndRefusesAFormatItCannotPresent)
{
    SDL_SetWindowSize(myGpu->Window(), 80, 50);
    ASSERT_TRUE(myGpu->SwapChain().ResizeBuffers(0, 0, 0, Format::UNKNOWN, 0));
    EXPECT_EQ(myGpu->BackBuffer()->GetDesc().width, 80u);
    EXPECT_EQ(myGpu->BackBuffer()->GetDesc().height, 50u);
    // A format it cannot present is refused and the buffer stays.
    EXPECT_FALSE(myGpu->SwapChain().ResizeBuffers(0, 32, 32, Format::BC1_UNORM, 0));
    EXPECT_EQ(myGpu->BackBuffer()->GetDesc().width, 80u);
}

TEST_F(GpuTest, FullscreenStateFollowsTheRequests)
{
    EXPECT_FALSE(myGpu->SwapChain().GetFullscreenState());
    EXPECT_TRUE(myGpu->SwapChain().SetFullscreenState(true));
    EXPECT_TRUE(myGpu->SwapChain().GetFullscreenState());
    EXPECT_TRUE((SDL_GetWindowFlags(myGpu->Window()) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0);
    EXPECT_TRUE(myGpu->SwapChain().SetFullscreenState(false));
    EXPECT_FALSE(myGpu->SwapChain().GetFullscreenState());
}

TEST(GpuSwapChain, CreationNeedsAnOpenGlWindow)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    SDL_Window* window = SDL_CreateWindow("no gl", 0, 0, 32, 32, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr);
    SwapChainDesc desc;
    desc.outputWindow = window;
    std::shared_ptr<SwapChain> swapChain;
    std::shared_ptr<Device> device;
    std::shared_ptr<DeviceContext> context;
    EXPECT_FALSE(CreateDeviceAndSwapChain(nullptr, desc, &swapChain, &device, &context));
    EXPECT_EQ(device, nullptr);
    desc.outputWindow = nullptr;
    EXPECT_FALSE(CreateDeviceAndSwapChain(nullptr, desc, &swapChain, &device, &context));
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(GpuSwapChain, SizeZeroTakesTheWindowSize)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    PrepareWindowCreation();
    SDL_Window* window = SDL_CreateWindow("size", 0, 0, 48, 24, WindowCreationFlags() | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr);
    {
        SwapChainDesc desc;
        desc.outputWindow = window;
        std::shared_ptr<SwapChain> swapChain;
        std::shared_ptr<Device> device;
        std::shared_ptr<DeviceContext> context;
        ASSERT_TRUE(CreateDeviceAndSwapChain(nullptr, desc, &swapChain, &device, &context));
        EXPECT_EQ(swapChain->GetBuffer(0)->GetDesc().width, 48u);
        EXPECT_EQ(swapChain->GetBuffer(0)->GetDesc().height, 24u);
        EXPECT_FALSE(device->GetAdapterDesc().description.empty());
    }
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(GpuSwapChain, SrgbBackBufferPresentsItsStoredBytes)
{
    KilnTest::GpuTestContext gpu(32, 32, Format::B8G8R8A8_UNORM_SRGB);
    ASSERT_TRUE(gpu.IsValid());
    auto view = gpu.Device().CreateRenderTargetView(gpu.BackBuffer().get());
    ASSERT_NE(view, nullptr);
    const float half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    gpu.Context().ClearRenderTargetView(view.get(), half);
    EXPECT_PIXEL(gpu.BackBufferPixel(3, 3), 188, 188, 188, 255);
    ASSERT_TRUE(gpu.SwapChain().Present(0));
    std::vector<uint8_t> shown;
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_TRUE(gpu.SwapChain().ReadPresentedImage(shown, width, height));
    ASSERT_EQ(shown.size(), 32u * 32u * 4u);
    EXPECT_NEAR(shown[0], 188, 1);
    EXPECT_NEAR(shown[1], 188, 1);
}

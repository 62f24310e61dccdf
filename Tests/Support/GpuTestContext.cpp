#include "Support/GpuTestContext.h"

#include <SDL.h>

#include <cmath>

namespace KilnTest
{
    using namespace Plat::Gpu;

    GpuTestContext::GpuTestContext(uint32_t aWidth, uint32_t aHeight, Format aFormat)
        : myWidth(aWidth)
        , myHeight(aHeight)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            ADD_FAILURE() << "SDL video: " << SDL_GetError();
            return;
        }
        myVideoInitialised = true;
        PrepareWindowCreation();
        myWindow = SDL_CreateWindow("gpu test", 0, 0, static_cast<int>(aWidth), static_cast<int>(aHeight),
                                    WindowCreationFlags() | SDL_WINDOW_HIDDEN);
        if (myWindow == nullptr)
        {
            ADD_FAILURE() << "SDL window: " << SDL_GetError();
            return;
        }
        SwapChainDesc desc;
        desc.width = aWidth;
        desc.height = aHeight;
        desc.format = aFormat;
        desc.outputWindow = myWindow;
        if (!CreateDeviceAndSwapChain(nullptr, desc, &mySwapChain, &myDevice, &myContext))
        {
            ADD_FAILURE() << "CreateDeviceAndSwapChain failed";
        }
    }

    GpuTestContext::~GpuTestContext()
    {
        mySrgbView.reset();
        myPlainView.reset();
        if (myContext)
            myContext->ClearState();
        mySwapChain.reset();
        myContext.reset();
        myDevice.reset();
        if (myWindow != nullptr)
            SDL_DestroyWindow(myWindow);
        if (myVideoInitialised)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    RenderTargetView& GpuTestContext::SrgbView()
    {
        if (!mySrgbView)
        {
            RenderTargetViewDesc desc;
            desc.format = Format::B8G8R8A8_UNORM_SRGB;
            mySrgbView = myDevice->CreateRenderTargetView(BackBuffer().get(), &desc);
        }
        return *mySrgbView;
    }

    RenderTargetView& GpuTestContext::PlainView()
    {
        if (!myPlainView)
            myPlainView = myDevice->CreateRenderTargetView(BackBuffer().get(), nullptr);
        return *myPlainView;
    }

    void GpuTestContext::RefreshBackBufferViews()
    {
        mySrgbView.reset();
        myPlainView.reset();
        myWidth = BackBuffer()->GetDesc().width;
        myHeight = BackBuffer()->GetDesc().height;
    }

    void GpuTestContext::BindTarget(RenderTargetView* aView, DepthStencilView* aDepth)
    {
        RenderTargetView* view = aView ? aView : &SrgbView();
        myContext->OMSetRenderTargets(1, &view, aDepth);
        const auto* texture = dynamic_cast<const Texture2D*>(view->GetResource().get());
        const uint32_t mip = view->GetDesc().mipSlice;
        Viewport viewport;
        viewport.width = static_cast<float>(std::max(1u, texture->GetDesc().width >> mip));
        viewport.height = static_cast<float>(std::max(1u, texture->GetDesc().height >> mip));
        myContext->RSSetViewports(1, &viewport);
    }

    std::vector<Rgba8> GpuTestContext::ReadBackBuffer()
    {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(myContext->ReadSubresource(BackBuffer().get(), 0, bytes));
        return FromBgra(bytes);
    }

    Rgba8 GpuTestContext::BackBufferPixel(uint32_t anX, uint32_t aY)
    {
        const std::vector<Rgba8> pixels = ReadBackBuffer();
        const size_t index = static_cast<size_t>(aY) * myWidth + anX;
        return index < pixels.size() ? pixels[index] : Rgba8{};
    }

    std::shared_ptr<Plat::Gpu::VertexShader> GpuTestContext::VertexShader(const std::string& aGlsl)
    {
        return myDevice->CreateVertexShader(aGlsl.data(), aGlsl.size());
    }

    std::shared_ptr<Plat::Gpu::PixelShader> GpuTestContext::PixelShader(const std::string& aGlsl)
    {
        return myDevice->CreatePixelShader(aGlsl.data(), aGlsl.size());
    }

    std::vector<Rgba8> FromBgra(const std::vector<uint8_t>& someBytes)
    {
        std::vector<Rgba8> pixels(someBytes.size() / 4);
        for (size_t i = 0; i < pixels.size(); ++i)
        {
            pixels[i] = {someBytes[i * 4 + 2], someBytes[i * 4 + 1], someBytes[i * 4 + 0], someBytes[i * 4 + 3]};
        }
        return pixels;
    }

    float SrgbToLinear(float aValue)
    {
        return aValue < 0.04045f ? aValue / 12.92f : std::pow((aValue + 0.055f) / 1.055f, 2.4f);
    }

    float LinearToSrgb(float aValue)
    {
        return aValue < 0.0031308f ? aValue * 12.92f : 1.055f * std::pow(aValue, 1.0f / 2.4f) - 0.055f;
    }

    void GpuTest::SetUp()
    {
        myGpu = std::make_unique<GpuTestContext>();
        ASSERT_TRUE(myGpu->IsValid());
    }

    void GpuTest::TearDown()
    {
        myGpu.reset();
    }
}

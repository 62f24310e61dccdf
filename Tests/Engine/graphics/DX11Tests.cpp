#include "forge/graphics/DX11.h"
#include "forge/graphics/DepthBuffer.h"
#include "forge/graphics/RenderTarget.h"
#include "forge/settings/Settings.h"

#include "Support/ScopedEngine.h"

#include "Platform/gpu/Adapter.h"
#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace fs = std::filesystem;
namespace G = Plat::Gpu;
using KilnTest::ScopedEngine;

namespace
{
    G::AdapterDesc Adapter(const std::string& aDescription, uint64_t aMegabytes)
    {
        G::AdapterDesc desc;
        desc.description = aDescription;
        desc.dedicatedVideoMemory = aMegabytes << 20;
        return desc;
    }

    std::string ChosenFrom(std::vector<G::AdapterDesc> someAdapters)
    {
        G::SetAdapterEnumerator([someAdapters] { return someAdapters; });
        const auto chosen = Kiln::DX11::FindBestAdapter();
        G::SetAdapterEnumerator({});
        return chosen ? chosen->description : "<none>";
    }

    std::string UniqueName()
    {
        std::random_device device;
        return "kiln_test_" + std::to_string(::getpid()) + "_" + std::to_string(device());
    }

    const char* const PixelShaderSource = R"(#version 450
layout(location = 0) out vec4 outColor;
void main() { outColor = vec4(1.0, 0.0, 1.0, 1.0); }
)";

    const char* const VertexShaderSource = R"(#version 450
in vec4 POSITION0;
out gl_PerVertex { vec4 gl_Position; };
void main() { gl_Position = POSITION0; }
)";
}

TEST(DX11Adapters, ANamedVendorWithMoreMemoryWinsElseTheFirst)
{
    EXPECT_EQ(ChosenFrom({Adapter("Basic", 0), Adapter("NVIDIA GeForce", 4096), Adapter("Other", 8192)}), "NVIDIA GeForce");
    EXPECT_EQ(ChosenFrom({Adapter("Basic", 0), Adapter("NVIDIA GeForce", 4096), Adapter("ATI Radeon", 8192)}), "ATI Radeon");
    EXPECT_EQ(ChosenFrom({Adapter("llvmpipe", 0), Adapter("Other", 8192)}), "llvmpipe");
    EXPECT_EQ(ChosenFrom({Adapter("NVIDIA A", 2048), Adapter("NVIDIA B", 2048)}), "NVIDIA A");
    // Names are matched case-sensitively; a named adapter with no memory does not win.
    EXPECT_EQ(ChosenFrom({Adapter("first", 0), Adapter("nvidia lower", 4096), Adapter("ATI zero", 0)}), "first");
    EXPECT_EQ(ChosenFrom({}), "<none>");
}

TEST(DX11, HandlesArePublishedWhileRunningAndTheFrameworkIsSingle)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    EXPECT_TRUE(Kiln::DX11::IsCreated);
    ASSERT_NE(Kiln::DX11::Device, nullptr);
    ASSERT_NE(Kiln::DX11::Context, nullptr);
    ASSERT_NE(Kiln::DX11::SwapChain, nullptr);
    ASSERT_NE(Kiln::DX11::BackBuffer, nullptr);
    ASSERT_NE(Kiln::DX11::LinearBackBuffer, nullptr);
    ASSERT_NE(Kiln::DX11::MainDepthBuffer, nullptr);
    EXPECT_EQ(Kiln::DX11::BackBuffer->GetRenderTargetView()->GetDesc().format, G::Format::B8G8R8A8_UNORM_SRGB);
    EXPECT_EQ(Kiln::DX11::SwapChain->GetBuffer(0)->GetDesc().format, G::Format::B8G8R8A8_UNORM);
    EXPECT_EQ(Kiln::DX11::BackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(320, 200));
    EXPECT_EQ(Kiln::GetTextureSize(*Kiln::DX11::MainDepthBuffer), Kiln::Vector2<uint32_t>(320, 200));
    // Back-buffer targets carry no shader-resource view.
    EXPECT_EQ(Kiln::GetTextureSize(*Kiln::DX11::BackBuffer), Kiln::Vector2<uint32_t>(0, 0));
    const auto& viewport = *Kiln::DX11::MainDepthBuffer->GetViewport();
    EXPECT_FLOAT_EQ(viewport.width, 320.0f);
    EXPECT_FLOAT_EQ(viewport.maxDepth, 1.0f);

    EXPECT_TRUE(Kiln::DX11::IsOnMainThread());
    bool otherThread = true;
    std::thread([&otherThread] { otherThread = Kiln::DX11::IsOnMainThread(); }).join();
    EXPECT_FALSE(otherThread);

    std::vector<std::string> assertions;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& aReport) {
        assertions.push_back(aReport.expression);
    });
    {
        Kiln::DX11 second;
        second.Shutdown();
    }
    Plat::Runtime::SetAssertionHandler({});
    ASSERT_GE(assertions.size(), 1u);
    EXPECT_EQ(assertions[0], "IsCreated == false");
}

TEST(DX11, RenderTargetsAndDepthBuffersOverOwnTextures)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());

    G::Texture2DDesc desc;
    desc.width = 64;
    desc.height = 32;
    desc.format = G::Format::R8G8B8A8_UNORM;
    desc.bindFlags = G::Bind::RenderTarget | G::Bind::ShaderResource;
    const auto texture = Kiln::DX11::Device->CreateTexture2D(desc);
    ASSERT_NE(texture, nullptr);

    Kiln::RenderTarget plain = Kiln::RenderTarget::CreateFromTexture(texture.get());
    Kiln::RenderTarget srgb = Kiln::RenderTarget::CreateFromTexture(texture.get(), G::Format::R8G8B8A8_UNORM_SRGB);
    ASSERT_NE(plain.GetRenderTargetView(), nullptr);
    ASSERT_NE(srgb.GetRenderTargetView(), nullptr);
    EXPECT_EQ(plain.GetResolution(), Kiln::Vector2<uint32_t>(64, 32));

    // A plain view stores the value as given; the sRGB view encodes linear light.
    std::vector<uint8_t> bytes;
    plain.Clear({0.5f, 0.25f, 1.0f, 1.0f});
    bytes = KilnTest::ReadTexture(texture.get());
    ASSERT_EQ(bytes.size(), 64u * 32u * 4u);
    EXPECT_NEAR(bytes[0], 128, 1);
    EXPECT_NEAR(bytes[1], 64, 1);
    srgb.Clear({Kiln::SrgbToLinear(0.5f), Kiln::SrgbToLinear(0.25f), 1.0f, 1.0f});
    bytes = KilnTest::ReadTexture(texture.get());
    ASSERT_EQ(bytes.size(), 64u * 32u * 4u);
    EXPECT_NEAR(bytes[0], 128, 1);
    EXPECT_NEAR(bytes[1], 64, 1);

    Kiln::DepthBuffer depth = Kiln::DepthBuffer::Create({64, 32});
    ASSERT_NE(depth.GetDepthStencilView(), nullptr);
    ASSERT_NE(depth.GetShaderResourceView(), nullptr);
    EXPECT_EQ(depth.GetShaderResourceView()->GetDesc().format, G::Format::R32_FLOAT);
    EXPECT_EQ(depth.GetDepthStencilView()->GetDesc().format, G::Format::D32_FLOAT);
    EXPECT_EQ(Kiln::GetTextureSize(depth), Kiln::Vector2<uint32_t>(64, 32));
    depth.Clear(0.25f, 0);
    plain.SetAsActiveTarget(&depth);

    Kiln::Texture empty;
    EXPECT_EQ(Kiln::GetTextureSize(empty), Kiln::Vector2<uint32_t>(0, 0));
}

TEST(DX11, ViewsThatCannotBeMadeReportTheResultCheck)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    std::vector<std::string> assertions;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& aReport) { assertions.push_back(aReport.expression); });

    // A texture bound only for sampling cannot be a render target.
    G::Texture2DDesc desc;
    desc.width = 8;
    desc.height = 8;
    desc.format = G::Format::R8G8B8A8_UNORM;
    desc.bindFlags = G::Bind::ShaderResource;
    const auto texture = Kiln::DX11::Device->CreateTexture2D(desc);
    ASSERT_NE(texture, nullptr);
    const Kiln::RenderTarget target = Kiln::RenderTarget::CreateFromTexture(texture.get());
    EXPECT_EQ(target.GetRenderTargetView(), nullptr);
    // Too large for any texture.
    const Kiln::DepthBuffer depth = Kiln::DepthBuffer::Create({40000, 8});
    EXPECT_EQ(depth.GetDepthStencilView(), nullptr);
    Plat::Runtime::SetAssertionHandler({});

    EXPECT_EQ(assertions, (std::vector<std::string>{"SUCCEEDED(result)", "SUCCEEDED(result)"}));
}

TEST(DX11, ShaderCachesLoadByNameAndRetryUntilTheFileExists)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    const std::string folder = UniqueName();
    const fs::path directory = Kiln::Settings::CookedPath() / folder;

    // Names use the Windows separator and another letter case than the files.
    const std::string pixelName = folder + "\\Solid_PS";
    EXPECT_EQ(Kiln::DX11::GetPixelShader(pixelName), nullptr);
    EXPECT_EQ(Kiln::DX11::GetPixelShader(pixelName), nullptr);

    fs::create_directories(directory);
    std::ofstream(directory / "solid_ps.glsl") << "";
    EXPECT_EQ(Kiln::DX11::GetPixelShader(pixelName), nullptr);  // empty file
    std::ofstream(directory / "solid_ps.glsl") << "#version 450\nthis is not glsl\n";
    EXPECT_EQ(Kiln::DX11::GetPixelShader(pixelName), nullptr);  // does not compile

    std::ofstream(directory / "solid_ps.glsl") << PixelShaderSource;
    const auto* pixel = Kiln::DX11::GetPixelShader(pixelName);
    ASSERT_NE(pixel, nullptr);
    EXPECT_NE(pixel->myShader, nullptr);
    EXPECT_EQ(std::string(pixel->myByteCode.begin(), pixel->myByteCode.end()), PixelShaderSource);
    // Cached: the same entry, even after the file is gone.
    fs::remove(directory / "solid_ps.glsl");
    EXPECT_EQ(Kiln::DX11::GetPixelShader(pixelName), pixel);

    std::ofstream(directory / "solid_vs.glsl") << VertexShaderSource;
    const auto* vertex = Kiln::DX11::GetVertexShader(folder + "/solid_vs");
    ASSERT_NE(vertex, nullptr);
    EXPECT_EQ(vertex->myByteCode.size(), std::string(VertexShaderSource).size());
    // The stages have separate caches: the vertex shader's file is no pixel shader.
    EXPECT_EQ(Kiln::DX11::GetPixelShader(folder + "/solid_vs"), nullptr);
    fs::remove_all(directory);
}

// Creation rules (every refused description names its rule), adapters, format facts,
// the call trace and object lifetimes.
#include "Support/GpuTestContext.h"

#include <SDL.h>

#include <cstring>
#include <functional>

using namespace Plat::Gpu;
using KilnTest::GpuTest;
using KilnTest::TextureDesc;

namespace
{
    // Runs aCreate with stderr captured; expects a null result and aRule in the message.
    template <typename Function>
    void ExpectRefused(Function aCreate, const std::string& aRule)
    {
        testing::internal::CaptureStderr();
        const bool created = static_cast<bool>(aCreate());
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(created) << "expected refusal: " << aRule;
        EXPECT_NE(message.find(aRule), std::string::npos) << "message was: " << message;
        EXPECT_EQ(message.rfind("gpu: ", 0), 0u) << message;
    }

    const char* const theVs = R"(#version 450
in vec4 POSITION0;
in vec2 TEXCOORD3;
out vec2 vUv;
void main() { gl_Position = POSITION0; vUv = TEXCOORD3; }
)";
}

TEST_F(GpuTest, InvalidBufferDescriptionsAreRefused)
{
    Device& device = myGpu->Device();
    BufferDesc desc;
    ExpectRefused([&] { return device.CreateBuffer(desc); }, "byteWidth must be greater than 0");

    desc.byteWidth = 20;
    desc.bindFlags = Bind::ConstantBuffer;
    desc.usage = Usage::Dynamic;
    desc.cpuAccessFlags = CpuAccess::Write;
    ExpectRefused([&] { return device.CreateBuffer(desc); }, "multiple of 16");

    desc.byteWidth = 16;
    desc.bindFlags = Bind::ConstantBuffer | Bind::VertexBuffer;
    ExpectRefused([&] { return device.CreateBuffer(desc); }, "a constant buffer cannot have other bind flags");

    desc.bindFlags = Bind::VertexBuffer;
    desc.cpuAccessFlags = 0;
    ExpectRefused([&] { return device.CreateBuffer(desc); }, "a dynamic buffer needs cpuAccessFlags CpuAccess::Write");

    desc.usage = Usage::Immutable;
    ExpectRefused([&] { return device.CreateBuffer(desc); }, "an immutable buffer needs initial data");

    desc.usage = Usage::Default;
    desc.cpuAccessFlags = CpuAccess::Write;
    ExpectRefused([&] { return device.CreateBuffer(desc); }, "a default-usage buffer has no CPU access");

    // The engine's buffers are accepted: 1024-instance sprite buffer, 8192-byte bone buffer.
    desc = BufferDesc{114688, Usage::Dynamic, Bind::VertexBuffer, CpuAccess::Write, 0, 0};
    EXPECT_NE(device.CreateBuffer(desc), nullptr);
    desc = BufferDesc{8192, Usage::Dynamic, Bind::ConstantBuffer, CpuAccess::Write, 0, 0};
    EXPECT_NE(device.CreateBuffer(desc), nullptr);
    EXPECT_EQ(device.CreateBuffer(desc)->GetDesc().byteWidth, 8192u);
}

TEST_F(GpuTest, InvalidTextureDescriptionsAreRefused)
{
    Device& device = myGpu->Device();
    Texture2DDesc desc = TextureDesc(4, 4, Format::R8G8B8A8_UNORM);

    // Each change of a valid description and the rule it breaks.
    const std::pair<std::function<void(Texture2DDesc&)>, const char*> cases[] = {
        {[](Texture2DDesc& aDesc) { aDesc.width = 0; }, "width and height must be 1..16384"},
        {[](Texture2DDesc& aDesc) { aDesc.format = static_cast<Format>(66); }, "is not a known texture format"},
        {[](Texture2DDesc& aDesc) { aDesc.mipLevels = 4; }, "mipLevels must not exceed the full chain"},
        {[](Texture2DDesc& aDesc) { aDesc.arraySize = 5; aDesc.miscFlags = ResourceMisc::TextureCube; }, "a cube texture needs arraySize 6"},
        {[](Texture2DDesc& aDesc) { aDesc.width = 6; aDesc.format = Format::BC1_UNORM; }, "multiples of 4"},
        {[](Texture2DDesc& aDesc) { aDesc.usage = Usage::Dynamic; aDesc.cpuAccessFlags = CpuAccess::Write; aDesc.mipLevels = 2; }, "a dynamic texture has one mip level"},
        {[](Texture2DDesc& aDesc) { aDesc.format = Format::D24_UNORM_S8_UINT; }, "needs Bind::DepthStencil"},
        {[](Texture2DDesc& aDesc) { aDesc.bindFlags = Bind::DepthStencil; }, "a depth-stencil texture needs a depth format"},
        {[](Texture2DDesc& aDesc) { aDesc.miscFlags = ResourceMisc::GenerateMips; }, "GenerateMips needs Bind::RenderTarget and Bind::ShaderResource"},
        {[](Texture2DDesc& aDesc) { aDesc.sampleDesc.count = 4; }, "single-sampled"},
        {[](Texture2DDesc& aDesc) { aDesc.usage = Usage::Immutable; }, "an immutable texture needs initial data"},
    };
    for (const auto& [change, rule] : cases)
    {
        Texture2DDesc bad = desc;
        change(bad);
        ExpectRefused([&] { return device.CreateTexture2D(bad); }, rule);
    }

    // The pixelate effect's texture: bound as shader resource, render target and unordered access.
    Texture2DDesc pixelate = desc;
    pixelate.format = Format::B8G8R8A8_UNORM;
    pixelate.bindFlags = 0xA8;
    EXPECT_NE(device.CreateTexture2D(pixelate), nullptr);
}

TEST_F(GpuTest, InvalidViewDescriptionsAreRefused)
{
    Device& device = myGpu->Device();
    Texture2DDesc desc = TextureDesc(4, 4, Format::R8G8B8A8_UNORM);
    auto texture = device.CreateTexture2D(desc);
    ASSERT_NE(texture, nullptr);

    ExpectRefused([&] { return device.CreateRenderTargetView(texture.get()); }, "the texture needs Bind::RenderTarget");
    ExpectRefused([&] { return device.CreateDepthStencilView(texture.get()); }, "the texture needs Bind::DepthStencil");
    ShaderResourceViewDesc wrongFamily;
    wrongFamily.format = Format::B8G8R8A8_UNORM;
    ExpectRefused([&] { return device.CreateShaderResourceView(texture.get(), &wrongFamily); }, "is not in the family");
    ShaderResourceViewDesc cube;
    cube.format = Format::R8G8B8A8_UNORM;
    cube.viewDimension = SrvDimension::TextureCube;
    ExpectRefused([&] { return device.CreateShaderResourceView(texture.get(), &cube); }, "a cube view needs");
    ShaderResourceViewDesc mips;
    mips.format = Format::R8G8B8A8_UNORM;
    mips.mostDetailedMip = 1;
    ExpectRefused([&] { return device.CreateShaderResourceView(texture.get(), &mips); }, "mostDetailedMip must be below");
    ExpectRefused([&] { return device.CreateShaderResourceView(nullptr); }, "the resource must be a 2D texture");

    desc.format = Format::R24G8_TYPELESS;
    desc.bindFlags = Bind::DepthStencil | Bind::ShaderResource;
    auto depth = device.CreateTexture2D(desc);
    ASSERT_NE(depth, nullptr);
    ExpectRefused([&] { return device.CreateDepthStencilView(depth.get()); }, "the view format must be D16_UNORM");
    DepthStencilViewDesc colour;
    colour.format = Format::D32_FLOAT;
    ExpectRefused([&] { return device.CreateDepthStencilView(depth.get(), &colour); }, "is not in the family");
    ShaderResourceViewDesc depthRead;
    depthRead.format = Format::D24_UNORM_S8_UINT;
    ExpectRefused([&] { return device.CreateShaderResourceView(depth.get(), &depthRead); }, "a depth format cannot be read");
}

TEST_F(GpuTest, InvalidStateDescriptionsAreRefused)
{
    Device& device = myGpu->Device();
    BlendDesc blend;
    blend.renderTarget[0].srcBlend = static_cast<Blend>(12);
    ExpectRefused([&] { return device.CreateBlendState(blend); }, "every blend factor must be a Blend value");
    blend = BlendDesc{};
    blend.renderTarget[0].srcBlendAlpha = Blend::SrcColor;
    ExpectRefused([&] { return device.CreateBlendState(blend); }, "alpha blend factors cannot be colour factors");

    DepthStencilDesc depth;
    depth.depthFunc = static_cast<ComparisonFunc>(0);
    ExpectRefused([&] { return device.CreateDepthStencilState(depth); }, "depthFunc must be a ComparisonFunc value");

    RasterizerDesc rasterizer;
    rasterizer.cullMode = static_cast<CullMode>(0);
    ExpectRefused([&] { return device.CreateRasterizerState(rasterizer); }, "cullMode must be None, Front or Back");

    SamplerDesc sampler;
    sampler.filter = Filter::Anisotropic;
    sampler.maxAnisotropy = 17;
    ExpectRefused([&] { return device.CreateSamplerState(sampler); }, "maxAnisotropy must be 1..16");
    sampler = SamplerDesc{};
    sampler.addressU = static_cast<TextureAddressMode>(9);
    ExpectRefused([&] { return device.CreateSamplerState(sampler); }, "TextureAddressMode values");
    sampler = SamplerDesc{};
    sampler.filter = static_cast<Filter>(0x02);
    ExpectRefused([&] { return device.CreateSamplerState(sampler); }, "filter must be a Filter value");

    // The state stack's nine samplers (three filters by three address modes) are accepted.
    for (Filter filter : {Filter::MinMagMipPoint, Filter::MinMagLinearMipPoint, Filter::MinMagMipLinear})
        for (TextureAddressMode mode : {TextureAddressMode::Clamp, TextureAddressMode::Wrap, TextureAddressMode::Mirror})
        {
            SamplerDesc desc;
            desc.filter = filter;
            desc.addressU = desc.addressV = desc.addressW = mode;
            desc.maxAnisotropy = 16;
            desc.comparisonFunc = ComparisonFunc::Always;
            desc.minLOD = 0.0f;
            EXPECT_NE(device.CreateSamplerState(desc), nullptr);
        }
}

TEST_F(GpuTest, ShaderCompileErrorsFailAndPrintTheLog)
{
    const std::string broken = "#version 450\n// broken shader\nvoid main() { gl_Position = undefinedThing; }\n";
    testing::internal::CaptureStderr();
    auto shader = myGpu->VertexShader(broken);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shader, nullptr);
    EXPECT_NE(message.find("GLSL does not compile: // broken shader"), std::string::npos) << message;
    EXPECT_NE(message.find("undefinedThing"), std::string::npos) << message;
    EXPECT_EQ(myGpu->Device().CreatePixelShader(nullptr, 0), nullptr);

    const std::string badRegister = "#version 450\nlayout(std140, binding = 14) uniform Block { vec4 v; };\n"
                                    "out vec4 c;\nvoid main() { c = v; }\n";
    ExpectRefused([&] { return myGpu->PixelShader(badRegister); }, "constant-buffer register (binding) must be 0..13");
}

TEST_F(GpuTest, InputLayoutsMatchTheVertexShaderInputsByName)
{
    Device& device = myGpu->Device();
    const size_t length = std::strlen(theVs);
    const InputElementDesc complete[] = {
        {"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
        {"COLOR", 0, Format::R32G32B32A32_FLOAT, 0, AppendAlignedElement, InputClassification::PerVertexData, 0},   // unused
        {"texcoord", 3, Format::R32G32_FLOAT, 0, AppendAlignedElement, InputClassification::PerVertexData, 0},
    };
    auto layout = device.CreateInputLayout(complete, 3, theVs, length);
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->GetElements().size(), 3u);
    EXPECT_STREQ(layout->GetElements()[2].semanticName, "texcoord");

    ExpectRefused([&] { return device.CreateInputLayout(complete, 2, theVs, length); }, "vertex shader input TEXCOORD3 has no element");

    const InputElementDesc twice[] = {complete[0], complete[0], complete[2]};
    ExpectRefused([&] { return device.CreateInputLayout(twice, 3, theVs, length); }, "semantic POSITION0 is given twice");

    InputElementDesc mixed[] = {complete[0], complete[2]};
    mixed[1].inputSlotClass = InputClassification::PerInstanceData;
    mixed[1].instanceDataStepRate = 1;
    ExpectRefused([&] { return device.CreateInputLayout(mixed, 2, theVs, length); }, "must share inputSlotClass");

    InputElementDesc badFormat[] = {complete[0], complete[2]};
    badFormat[1].format = Format::BC1_UNORM;
    ExpectRefused([&] { return device.CreateInputLayout(badFormat, 2, theVs, length); }, "cannot be a vertex element");

    InputElementDesc badStep[] = {complete[0], complete[2]};
    badStep[1].instanceDataStepRate = 1;
    ExpectRefused([&] { return device.CreateInputLayout(badStep, 2, theVs, length); }, "per-vertex elements need instanceDataStepRate 0");

    // Bytecode no vertex shader was created from is compiled for its inputs.
    const std::string other = "#version 450\nin vec4 POSITION0;\nvoid main() { gl_Position = POSITION0; }\n";
    EXPECT_NE(device.CreateInputLayout(complete, 1, other.data(), other.size()), nullptr);
}

TEST_F(GpuTest, MapAndUpdateFollowTheUsageRules)
{
    Device& device = myGpu->Device();
    DeviceContext& context = myGpu->Context();
    BufferDesc desc{64, Usage::Default, Bind::VertexBuffer, 0, 0, 0};
    auto defaultBuffer = device.CreateBuffer(desc);
    MappedSubresource mapped;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(context.Map(defaultBuffer.get(), 0, MapType::WriteDiscard, 0, &mapped));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("only dynamic and staging resources can be mapped"), std::string::npos);

    desc.usage = Usage::Dynamic;
    desc.cpuAccessFlags = CpuAccess::Write;
    auto dynamicBuffer = device.CreateBuffer(desc);
    ASSERT_TRUE(context.Map(dynamicBuffer.get(), 0, MapType::WriteDiscard, 0, &mapped));
    EXPECT_EQ(mapped.rowPitch, 64u);
    testing::internal::CaptureStderr();
    MappedSubresource second;
    EXPECT_FALSE(context.Map(dynamicBuffer.get(), 0, MapType::WriteDiscard, 0, &second));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("already mapped"), std::string::npos);
    context.Unmap(dynamicBuffer.get(), 0);
    EXPECT_TRUE(context.Map(dynamicBuffer.get(), 0, MapType::WriteNoOverwrite, 0, &mapped));
    context.Unmap(dynamicBuffer.get(), 0);

    // A partial update of a default buffer, read back through a staging copy.
    const uint8_t bytes[4] = {9, 8, 7, 6};
    const Box box{4, 0, 0, 8, 1, 1};
    context.UpdateSubresource(defaultBuffer.get(), 0, &box, bytes, 0, 0);
    BufferDesc stagingDesc{64, Usage::Staging, 0, CpuAccess::Read, 0, 0};
    auto staging = device.CreateBuffer(stagingDesc);
    context.CopyResource(staging.get(), defaultBuffer.get());
    ASSERT_TRUE(context.Map(staging.get(), 0, MapType::Read, 0, &mapped));
    EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(mapped.data) + 4, bytes, 4), 0);
    context.Unmap(staging.get(), 0);

    // A no-overwrite map of a dynamic buffer keeps what it does not write.
    std::vector<uint8_t> initial(64);
    for (size_t i = 0; i < initial.size(); ++i)
        initial[i] = static_cast<uint8_t>(i);
    SubresourceData initialData{initial.data(), 0, 0};
    auto filled = device.CreateBuffer(desc, &initialData);
    ASSERT_TRUE(context.Map(filled.get(), 0, MapType::WriteNoOverwrite, 0, &mapped));
    std::memset(mapped.data, 0xEE, 4);
    context.Unmap(filled.get(), 0);
    context.CopyResource(staging.get(), filled.get());
    ASSERT_TRUE(context.Map(staging.get(), 0, MapType::Read, 0, &mapped));
    const uint8_t* read = static_cast<const uint8_t*>(mapped.data);
    EXPECT_EQ(read[0], 0xEE);
    EXPECT_EQ(read[3], 0xEE);
    EXPECT_EQ(read[4], 4);
    EXPECT_EQ(read[63], 63);
    context.Unmap(staging.get(), 0);
}

TEST(GpuAdapters, TheEnumeratorCanBeReplacedAndRestored)
{
    const std::vector<AdapterDesc> fakes = {
        {"Basic Render Driver", 0, 0, 0, 0, 0},
        {"NVIDIA GeForce", 0x10DE, 1, 4096ull << 20, 0, 0},
        {"Other", 0, 0, 8192ull << 20, 0, 0},
    };
    SetAdapterEnumerator([&] { return fakes; });
    const std::vector<AdapterDesc> listed = EnumerateAdapters();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[1].description, "NVIDIA GeForce");
    EXPECT_EQ(listed[2].dedicatedVideoMemory >> 20, 8192u);

    SetAdapterEnumerator({});
    const std::vector<AdapterDesc> real = EnumerateAdapters();
    ASSERT_EQ(real.size(), 1u);
    EXPECT_FALSE(real[0].description.empty());
}

TEST(GpuAdapters, TheChosenAdapterIsRecordedByTheDevice)
{
    KilnTest::GpuTestContext reference;
    ASSERT_TRUE(reference.IsValid());
    EXPECT_EQ(reference.Device().GetAdapterDesc().description, EnumerateAdapters().at(0).description);

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    PrepareWindowCreation();
    SDL_Window* window = SDL_CreateWindow("adapter", 0, 0, 16, 16, WindowCreationFlags() | SDL_WINDOW_HIDDEN);
    {
        AdapterDesc chosen{"NVIDIA test adapter", 0, 0, 1ull << 30, 0, 0};
        SwapChainDesc desc;
        desc.outputWindow = window;
        std::shared_ptr<SwapChain> swapChain;
        std::shared_ptr<Device> device;
        std::shared_ptr<DeviceContext> context;
        ASSERT_TRUE(CreateDeviceAndSwapChain(&chosen, desc, &swapChain, &device, &context));
        EXPECT_EQ(device->GetAdapterDesc().description, "NVIDIA test adapter");
        EXPECT_EQ(device->GetImmediateContext(), context);
    }
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(GpuFormats, LayoutFactsOfFormats)
{
    EXPECT_EQ(static_cast<uint32_t>(Format::B8G8R8A8_UNORM_SRGB), 91u);
    EXPECT_EQ(BitsPerPixel(Format::R8G8B8A8_UNORM), 32u);
    EXPECT_EQ(BitsPerPixel(Format::R32G32B32A32_FLOAT), 128u);
    EXPECT_EQ(RowPitch(Format::B8G8R8A8_UNORM, 1024), 4096u);
    EXPECT_EQ(RowPitch(Format::BC1_UNORM, 8), 16u);
    EXPECT_EQ(RowPitch(Format::BC7_UNORM, 6), 32u);
    EXPECT_EQ(RowCount(Format::BC3_UNORM, 6), 2u);
    EXPECT_EQ(RowCount(Format::R8_UNORM, 6), 6u);
    EXPECT_TRUE(IsBlockCompressed(Format::BC6H_UF16));
    EXPECT_EQ(BlockBytes(Format::BC4_UNORM), 8u);
    EXPECT_TRUE(IsSrgb(Format::BC7_UNORM_SRGB));
    EXPECT_FALSE(IsSrgb(Format::B8G8R8A8_UNORM));
    EXPECT_TRUE(IsTypeless(Format::R24G8_TYPELESS));
    EXPECT_TRUE(IsDepthFormat(Format::D32_FLOAT));
    EXPECT_FALSE(IsDepthFormat(Format::R32_FLOAT));
    EXPECT_STREQ(FormatName(Format::R24_UNORM_X8_TYPELESS), "R24_UNORM_X8_TYPELESS");
    EXPECT_STREQ(FormatName(static_cast<Format>(200)), "UNKNOWN");
    EXPECT_EQ(RowPitch(static_cast<Format>(200), 4), 0u);
}

TEST_F(GpuTest, TraceRecordsCallsWithTheirArgumentsWhileOn)
{
    Device& device = myGpu->Device();
    DeviceContext& context = myGpu->Context();
    auto blend = device.CreateBlendState(BlendDesc{});
    auto depth = device.CreateDepthStencilState(DepthStencilDesc{});
    auto sampler = device.CreateSamplerState(SamplerDesc{});

    context.OMSetBlendState(blend.get(), nullptr, 0xFFFFFFFF);
    EXPECT_TRUE(context.GetTrace().empty());

    context.SetTraceEnabled(true);
    EXPECT_TRUE(context.IsTraceEnabled());
    context.OMSetBlendState(blend.get(), nullptr, 0xFFFFFFFF);
    context.OMSetDepthStencilState(depth.get(), 0);
    SamplerState* samplers[] = {sampler.get()};
    context.PSSetSamplers(0, 1, samplers);
    context.Draw(3, 0);
    context.DrawInstanced(6, 452, 0, 0);

    const std::vector<TraceCall>& trace = context.GetTrace();
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[0].name, "OMSetBlendState");
    EXPECT_EQ(trace[0].objects, std::vector<const void*>{blend.get()});
    EXPECT_EQ(trace[0].values, std::vector<int64_t>{0xFFFFFFFF});
    EXPECT_EQ(trace[1].name, "OMSetDepthStencilState");
    EXPECT_EQ(trace[2].name, "PSSetSamplers");
    EXPECT_EQ(trace[2].objects, std::vector<const void*>{sampler.get()});
    EXPECT_EQ(trace[2].values, (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(trace[3].name, "Draw");
    EXPECT_EQ(trace[4].name, "DrawInstanced");
    EXPECT_EQ(trace[4].values, (std::vector<int64_t>{6, 452, 0, 0}));
    EXPECT_NE(trace[4].ToString().find("DrawInstanced("), std::string::npos);

    context.ClearTrace();
    EXPECT_TRUE(context.GetTrace().empty());
    context.SetTraceEnabled(false);
    context.Flush();
    EXPECT_TRUE(context.GetTrace().empty());
}

TEST_F(GpuTest, BoundObjectsStayAliveUntilUnbound)
{
    DeviceContext& context = myGpu->Context();
    const uint8_t texel[4] = {1, 2, 3, 4};
    SubresourceData data{texel, 4, 0};
    auto texture = myGpu->Device().CreateTexture2D(TextureDesc(1, 1, Format::R8G8B8A8_UNORM), &data);
    auto view = myGpu->Device().CreateShaderResourceView(texture.get());
    std::weak_ptr<Texture2D> watchTexture = texture;
    std::weak_ptr<ShaderResourceView> watchView = view;
    ShaderResourceView* views[] = {view.get()};
    context.PSSetShaderResources(3, 1, views);
    view.reset();
    texture.reset();
    EXPECT_FALSE(watchView.expired());     // the context holds the view
    EXPECT_FALSE(watchTexture.expired());  // the view holds its texture
    context.ClearState();
    EXPECT_TRUE(watchView.expired());
    EXPECT_TRUE(watchTexture.expired());
}

TEST(GpuLifetime, ObjectsMayOutliveTheDeviceHandles)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    PrepareWindowCreation();
    SDL_Window* window = SDL_CreateWindow("lifetime", 0, 0, 16, 16, WindowCreationFlags() | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr);
    std::shared_ptr<Buffer> survivor;
    {
        SwapChainDesc desc;
        desc.outputWindow = window;
        std::shared_ptr<SwapChain> swapChain;
        std::shared_ptr<Device> device;
        std::shared_ptr<DeviceContext> context;
        ASSERT_TRUE(CreateDeviceAndSwapChain(nullptr, desc, &swapChain, &device, &context));
        BufferDesc bufferDesc{16, Usage::Dynamic, Bind::ConstantBuffer, CpuAccess::Write, 0, 0};
        survivor = device->CreateBuffer(bufferDesc);
        ASSERT_NE(survivor, nullptr);
    }
    EXPECT_EQ(survivor->GetDesc().byteWidth, 16u);
    survivor.reset();   // deletes its GL buffer, then the GL context goes
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

#include "forge/graphics/GraphicsStateStack.h"
#include "forge/texture/TextureManager.h"

#include "Support/RunningEngine.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/runtime/Assert.h"
#include "Platform/window/Window.h"

#include <cstring>

using namespace Plat::Gpu;
using Kiln::GraphicsStateStack;
using Kiln::Matrix4x4f;

namespace
{
    class GraphicsStateStackTest : public RunningEngineTest
    {
    protected:
        void SetUp() override
        {
            RunningEngineTest::SetUp();
            myTextures = std::make_unique<Kiln::TextureManager>();
            Context().SetTraceEnabled(true);
            Context().ClearTrace();
            ASSERT_TRUE(myStack.Init(myTextures.get()));
            // The forced reset at the end of Init bound the four buffers: frame, camera, lights, custom.
            for (const TraceCall& call : Context().GetTrace())
                if (call.name == "VSSetConstantBuffers" && call.objects.size() == 4)
                    for (size_t i = 0; i < 4; ++i)
                        myBuffers[i] = static_cast<Buffer*>(const_cast<void*>(call.objects[i]));
            ASSERT_NE(myBuffers[0], nullptr);
            Context().ClearTrace();
        }
        void TearDown() override
        {
            Context().SetTraceEnabled(false);
            myTextures.reset();
            RunningEngineTest::TearDown();
        }

        static DeviceContext& Context() { return *Kiln::DX11::Context; }

        std::vector<TraceCall> TakeTrace()
        {
            std::vector<TraceCall> trace = Context().GetTrace();
            Context().ClearTrace();
            return trace;
        }

        // Copies, so a temporary trace may be passed.
        static std::vector<TraceCall> Calls(const std::vector<TraceCall>& aTrace, const std::string& aName)
        {
            std::vector<TraceCall> found;
            for (const TraceCall& call : aTrace)
                if (call.name == aName)
                    found.push_back(call);
            return found;
        }

        static size_t MapsOf(const std::vector<TraceCall>& aTrace, const Buffer* aBuffer)
        {
            size_t count = 0;
            for (const TraceCall& call : Calls(aTrace, "Map"))
                count += !call.objects.empty() && call.objects[0] == aBuffer;
            return count;
        }

        // The buffer's bytes as the GPU holds them, through a staging copy.
        std::vector<uint8_t> ReadBuffer(Buffer* aBuffer)
        {
            BufferDesc desc;
            desc.byteWidth = aBuffer->GetDesc().byteWidth;
            desc.usage = Usage::Staging;
            desc.cpuAccessFlags = CpuAccess::Read;
            const auto staging = Kiln::DX11::Device->CreateBuffer(desc);
            EXPECT_NE(staging, nullptr);
            if (!staging)
                return {};
            Context().CopyResource(staging.get(), aBuffer);
            MappedSubresource mapped;
            EXPECT_TRUE(Context().Map(staging.get(), 0, MapType::Read, 0, &mapped));
            std::vector<uint8_t> bytes(static_cast<const uint8_t*>(mapped.data), static_cast<const uint8_t*>(mapped.data) + desc.byteWidth);
            Context().Unmap(staging.get(), 0);
            return bytes;
        }

        template <typename T>
        static std::vector<uint8_t> BytesOf(const T& aValue)
        {
            std::vector<uint8_t> bytes(sizeof(T));
            std::memcpy(bytes.data(), &aValue, sizeof(T));
            return bytes;
        }

        std::unique_ptr<Kiln::TextureManager> myTextures;
        GraphicsStateStack myStack;
        Buffer* myBuffers[4] = {};   // frame, camera, lights, custom
    };
}

TEST_F(GraphicsStateStackTest, StatesAreCreatedAsTheTablesGiveThem)
{
    struct BlendRow { bool on; Blend src, dst; BlendOp op; Blend srcA, dstA; BlendOp opA; };
    const BlendRow blends[3] = {
        {false, Blend::Zero, Blend::Zero, BlendOp::Add, Blend::Zero, Blend::Zero, BlendOp::Add},
        {true, Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, Blend::One, Blend::One, BlendOp::Max},
        {true, Blend::SrcAlpha, Blend::One, BlendOp::Add, Blend::One, Blend::One, BlendOp::Max},
    };
    for (uint32_t i : {0u, 2u, 1u})
    {
        myStack.SetBlendState(i);
        myStack.UpdateGpuStates(false);
        const auto calls = Calls(TakeTrace(), "OMSetBlendState");
        ASSERT_EQ(calls.size(), 1u) << i;
        const auto* state = static_cast<const BlendState*>(calls[0].objects[0]);
        ASSERT_NE(state, nullptr);
        const RenderTargetBlendDesc& rt = state->GetDesc().renderTarget[0];
        EXPECT_FALSE(state->GetDesc().alphaToCoverageEnable);
        EXPECT_EQ(rt.blendEnable, blends[i].on);
        EXPECT_EQ(rt.blendOp, blends[i].op);
        EXPECT_EQ(rt.renderTargetWriteMask, ColorWrite::All);
        EXPECT_EQ(rt.srcBlend, blends[i].src);
        EXPECT_EQ(rt.destBlend, blends[i].dst);
        EXPECT_EQ(rt.srcBlendAlpha, blends[i].srcA);
        EXPECT_EQ(rt.destBlendAlpha, blends[i].dstA);
        EXPECT_EQ(rt.blendOpAlpha, blends[i].opA);
        EXPECT_EQ(rt.renderTargetWriteMask, ColorWrite::All);
    }

    const std::pair<DepthWriteMask, ComparisonFunc> depths[4] = {
        {DepthWriteMask::All, ComparisonFunc::Less}, {DepthWriteMask::All, ComparisonFunc::LessEqual},
        {DepthWriteMask::Zero, ComparisonFunc::Less}, {DepthWriteMask::Zero, ComparisonFunc::LessEqual}};
    for (uint32_t i : {1u, 2u, 3u, 0u})
    {
        myStack.SetDepthStencilState(i);
        myStack.UpdateGpuStates(false);
        const auto calls = Calls(TakeTrace(), "OMSetDepthStencilState");
        ASSERT_EQ(calls.size(), 1u);
        const auto& desc = static_cast<const DepthStencilState*>(calls[0].objects[0])->GetDesc();
        EXPECT_TRUE(desc.depthEnable);
        EXPECT_FALSE(desc.stencilEnable);
        EXPECT_EQ(desc.depthWriteMask, depths[i].first);
        EXPECT_EQ(desc.depthFunc, depths[i].second);
    }

    const Filter filters[3] = {Filter::MinMagMipPoint, Filter::MinMagLinearMipPoint, Filter::MinMagMipLinear};
    const TextureAddressMode addresses[3] = {TextureAddressMode::Clamp, TextureAddressMode::Wrap, TextureAddressMode::Mirror};
    for (uint32_t filter = 0; filter < 3; ++filter)
    {
        for (uint32_t address = 0; address < 3; ++address)
        {
            myStack.SetSamplerState(filter, address);
            myStack.UpdateGpuStates(false);
            const auto calls = Calls(TakeTrace(), "PSSetSamplers");
            ASSERT_EQ(calls.size(), 1u);
            ASSERT_EQ(calls[0].objects.size(), 1u);
            const auto& desc = static_cast<const SamplerState*>(calls[0].objects[0])->GetDesc();
            EXPECT_EQ(desc.filter, filters[filter]);
            EXPECT_EQ(desc.addressU, addresses[address]);
            EXPECT_EQ(desc.addressV, addresses[address]);
            EXPECT_EQ(desc.addressW, addresses[address]);
            EXPECT_EQ(desc.maxAnisotropy, 16u);
            EXPECT_EQ(desc.comparisonFunc, ComparisonFunc::Always);
            EXPECT_EQ(desc.minLOD, 0.0f);
            EXPECT_EQ(desc.borderColor[0], 0.0f);
        }
    }
}

TEST_F(GraphicsStateStackTest, SettersTouchNothingAndAnUnchangedStateIssuesNoCalls)
{
    myStack.Push();
    myStack.SetBlendState(2);
    myStack.SetDepthStencilState(3);
    myStack.SetSamplerState(0, 0);
    myStack.SetDefaultCamera();
    myStack.GetTransform() = Matrix4x4f::CreateTranslation({1, 2, 3});
    EXPECT_TRUE(TakeTrace().empty());
    myStack.UpdateGpuStates(false);
    EXPECT_FALSE(TakeTrace().empty());
    myStack.UpdateGpuStates(false);
    EXPECT_TRUE(TakeTrace().empty());
    myStack.Pop();
}

TEST_F(GraphicsStateStackTest, PoppingRebindsWhatTheAppliedStateStillHolds)
{
    myStack.UpdateGpuStates(false);
    TakeTrace();
    myStack.Push();
    myStack.SetBlendState(2);
    myStack.UpdateGpuStates(false);
    const auto pushed = Calls(TakeTrace(), "OMSetBlendState");
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(static_cast<const BlendState*>(pushed[0].objects[0])->GetDesc().renderTarget[0].destBlend, Blend::One);

    myStack.Pop();
    myStack.UpdateGpuStates(false);
    const auto trace = TakeTrace();
    const auto popped = Calls(trace, "OMSetBlendState");
    ASSERT_EQ(popped.size(), 1u);
    EXPECT_EQ(static_cast<const BlendState*>(popped[0].objects[0])->GetDesc().renderTarget[0].destBlend, Blend::InvSrcAlpha);
    EXPECT_EQ(trace.size(), 1u);

    // The world transform is per entry too.
    myStack.Push();
    myStack.GetTransform() = Matrix4x4f::CreateScale({2, 2, 2});
    myStack.Pop();
    EXPECT_EQ(myStack.GetTransform(), Matrix4x4f());
}

TEST_F(GraphicsStateStackTest, EveryCameraSetUploadsEvenTheSameCamera)
{
    Kiln::Camera camera;
    camera.SetPerspectiveProjection(90.0f, {16, 9}, 1.0f, 100.0f);
    myStack.SetCamera(camera);
    myStack.UpdateGpuStates(false);
    EXPECT_EQ(MapsOf(TakeTrace(), myBuffers[1]), 1u);
    myStack.SetCamera(camera);
    myStack.UpdateGpuStates(false);
    EXPECT_EQ(MapsOf(TakeTrace(), myBuffers[1]), 1u);
    myStack.UpdateGpuStates(false);
    EXPECT_EQ(MapsOf(TakeTrace(), myBuffers[1]), 0u);
    EXPECT_EQ(myStack.GetCamera().GetProjection(), camera.GetProjection());
    EXPECT_TRUE(myStack.GetCamera().GetUpdatedFlag());
}

TEST_F(GraphicsStateStackTest, EachFrameStartsFromTheDefaultsWithEveryBindingReissued)
{
    myStack.SetBlendState(0);
    myStack.SetDepthStencilState(3);
    myStack.SetSamplerState(0, 2);
    Kiln::Camera camera;
    camera.SetPerspectiveProjection(60.0f, {16, 9}, 1.0f, 100.0f);
    myStack.SetCamera(camera);
    myStack.UpdateGpuStates(false);
    TakeTrace();

    myStack.ResetForFrame();
    const auto trace = TakeTrace();
    const auto blend = Calls(trace, "OMSetBlendState");
    ASSERT_EQ(blend.size(), 1u);
    EXPECT_EQ(static_cast<const BlendState*>(blend[0].objects[0])->GetDesc().renderTarget[0].destBlend, Blend::InvSrcAlpha);
    const auto depth = Calls(trace, "OMSetDepthStencilState");
    ASSERT_EQ(depth.size(), 1u);
    EXPECT_EQ(static_cast<const DepthStencilState*>(depth[0].objects[0])->GetDesc().depthFunc, ComparisonFunc::Less);
    EXPECT_EQ(static_cast<const DepthStencilState*>(depth[0].objects[0])->GetDesc().depthWriteMask, DepthWriteMask::All);
    const auto rasterizer = Calls(trace, "RSSetState");
    ASSERT_EQ(rasterizer.size(), 1u);
    const auto& rs = static_cast<const RasterizerState*>(rasterizer[0].objects[0])->GetDesc();
    EXPECT_EQ(rs.cullMode, CullMode::None);
    EXPECT_EQ(rs.fillMode, FillMode::Solid);
    const auto samplers = Calls(trace, "PSSetSamplers");
    ASSERT_EQ(samplers.size(), 1u);
    EXPECT_EQ(static_cast<const SamplerState*>(samplers[0].objects[0])->GetDesc().filter, Filter::MinMagMipLinear);
    EXPECT_EQ(static_cast<const SamplerState*>(samplers[0].objects[0])->GetDesc().addressU, TextureAddressMode::Wrap);
    for (const Buffer* buffer : myBuffers)
        EXPECT_EQ(MapsOf(trace, buffer), 1u);
    EXPECT_EQ(Calls(trace, "VSSetConstantBuffers").size(), 1u);
    EXPECT_EQ(Calls(trace, "PSSetConstantBuffers").size(), 1u);
    const auto environment = Calls(trace, "PSSetShaderResources");
    ASSERT_EQ(environment.size(), 1u);
    const auto* whiteCube = myTextures->GetTexture("Textures/whiteCubeMap.dds");
    EXPECT_EQ(environment[0].objects[0], whiteCube->GetShaderResourceView().get());
    EXPECT_FALSE(whiteCube->myIsPlaceholder);

    // The default camera: orthographic over the 320 x 200 back buffer.
    const Matrix4x4f& projection = myStack.GetCamera().GetProjection();
    EXPECT_FLOAT_EQ(projection[0], 2.0f / 320.0f);
    EXPECT_FLOAT_EQ(projection[5], 2.0f / 200.0f);
    EXPECT_EQ(myStack.GetTop().myBlendState, 1u);
    EXPECT_EQ(myStack.GetTop().mySamplerFilter, 2u);
}

TEST_F(GraphicsStateStackTest, ConstantBuffersHoldTheirLayoutsByteForByte)
{
    myStack.ResetForFrame();

    GraphicsStateStack::FrameBufferData frame;
    frame.myBackBufferWidth = 320.0f;
    frame.myBackBufferHeight = 200.0f;
    frame.myTotalTime = Kiln::Engine::GetInstance()->GetTotalTime();
    frame.myDeltaTime = Kiln::Engine::GetInstance()->GetDeltaTime();
    EXPECT_EQ(ReadBuffer(myBuffers[0]), BytesOf(frame));

    Kiln::Camera camera;
    camera.SetPerspectiveProjection(75.0f, {1280, 720}, 0.5f, 5000.0f);
    camera.SetTransform(Matrix4x4f::CreateRotationAroundY(0.3f) * Matrix4x4f::CreateTranslation({10, 20, -30}));
    camera.SetNearValue(2.0f);
    myStack.SetCamera(camera);
    myStack.UpdateGpuStates(false);
    std::vector<float> expectedCamera;
    const auto append = [&](const Matrix4x4f& m) { expectedCamera.insert(expectedCamera.end(), m.GetData(), m.GetData() + 16); };
    append(Matrix4x4f::GetFastInverse(camera.GetTransform()));
    append(camera.GetTransform());
    append(camera.GetProjection());
    append(Matrix4x4f::GetInverse(camera.GetProjection()));
    expectedCamera.push_back(2.0f);
    expectedCamera.push_back(10000.0f);
    const auto cameraBytes = ReadBuffer(myBuffers[1]);
    ASSERT_EQ(cameraBytes.size(), 272u);
    EXPECT_EQ(std::memcmp(cameraBytes.data(), expectedCamera.data(), expectedCamera.size() * 4), 0);

    // Lights at their defaults: no lights, colour B white (linear 1), colour A clear, identity matrix.
    const auto lights = ReadBuffer(myBuffers[2]);
    ASSERT_EQ(lights.size(), 496u);
    EXPECT_EQ(std::vector<uint8_t>(lights.begin(), lights.begin() + 384), std::vector<uint8_t>(384, 0));
    int32_t count = -1;
    std::memcpy(&count, lights.data() + 384, 4);
    EXPECT_EQ(count, 0);
    float tail[4 + 4 + 16];
    std::memcpy(tail, lights.data() + 400, sizeof(tail));
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(tail[i], 1.0f);
    for (int i = 4; i < 8; ++i)
        EXPECT_FLOAT_EQ(tail[i], 0.0f);
    const Matrix4x4f identity;
    EXPECT_EQ(std::memcmp(tail + 8, identity.GetData(), 64), 0);

    EXPECT_EQ(ReadBuffer(myBuffers[3]), std::vector<uint8_t>(32, 0));
    EXPECT_EQ(myBuffers[0]->GetDesc().usage, Usage::Dynamic);
    EXPECT_EQ(myBuffers[1]->GetDesc().bindFlags, Bind::ConstantBuffer);
}

TEST_F(GraphicsStateStackTest, UnbalancedStacksAreReportedAndTheLastEntryStays)
{
    std::vector<std::string> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r.expression); });
    myStack.Pop();
    EXPECT_EQ(myStack.GetDepth(), 1u);
    myStack.Push();
    myStack.ResetForFrame();
    Plat::Runtime::SetAssertionHandler({});
    EXPECT_EQ(reports, (std::vector<std::string>{"myRenderStateStack.size() > 1", "myRenderStateStack.size() == 1"}));
}

TEST_F(GraphicsStateStackTest, OutOfTableIndicesBindNothingRatherThanReadingPastTheTables)
{
    myStack.SetBlendState(7);
    myStack.SetSamplerState(3, 0);
    myStack.UpdateGpuStates(false);
    const auto trace = TakeTrace();
    const auto blend = Calls(trace, "OMSetBlendState");
    ASSERT_EQ(blend.size(), 1u);
    EXPECT_EQ(blend[0].objects[0], nullptr);
    const auto samplers = Calls(trace, "PSSetSamplers");
    ASSERT_EQ(samplers.size(), 1u);
    EXPECT_EQ(samplers[0].objects[0], nullptr);
}

TEST_F(GraphicsStateStackTest, AfterAResizeTheDefaultCameraAndFrameConstantsFollowTheBackBuffer)
{
    namespace W = Plat::Window;
    ASSERT_TRUE((*myEngine)->BeginFrame());
    myStack.ResetForFrame();
    (*myEngine)->EndFrame();
    W::SetWindowPos(myEngine->Window(), 0, 0, 640, 480, W::SWP_NOMOVE | W::SWP_NOZORDER);
    ASSERT_TRUE((*myEngine)->BeginFrame());
    myStack.ResetForFrame();
    EXPECT_FLOAT_EQ(myStack.GetCamera().GetProjection()[0], 2.0f / 320.0f);   // resized only at the frame's end
    (*myEngine)->EndFrame();
    ASSERT_EQ(Kiln::DX11::BackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(640, 480));

    ASSERT_TRUE((*myEngine)->BeginFrame());
    myStack.ResetForFrame();
    EXPECT_FLOAT_EQ(myStack.GetCamera().GetProjection()[0], 2.0f / 640.0f);
    EXPECT_FLOAT_EQ(myStack.GetCamera().GetProjection()[5], 2.0f / 480.0f);
    const auto frame = ReadBuffer(myBuffers[0]);
    float values[2];
    std::memcpy(values, frame.data(), sizeof(values));
    EXPECT_FLOAT_EQ(values[0], 640.0f);
    EXPECT_FLOAT_EQ(values[1], 480.0f);
}

TEST_F(GraphicsStateStackTest, ARefusedResizeKeepsDrawingAtThePreviousSize)
{
    namespace W = Plat::Window;
    ASSERT_TRUE((*myEngine)->BeginFrame());
    myStack.ResetForFrame();
    (*myEngine)->EndFrame();
    // Wider than any back buffer the GPU layer makes.
    W::SetWindowPos(myEngine->Window(), 0, 0, 20000, 200, W::SWP_NOMOVE | W::SWP_NOZORDER);
    ASSERT_TRUE((*myEngine)->BeginFrame());
    myStack.ResetForFrame();
    ASSERT_TRUE((*myEngine)->IsResizePending());
    (*myEngine)->EndFrame();

    ASSERT_NE(Kiln::DX11::BackBuffer, nullptr);
    EXPECT_EQ(Kiln::DX11::BackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(320, 200));
    EXPECT_EQ(Kiln::DX11::LinearBackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(320, 200));
    EXPECT_EQ(Kiln::GetTextureSize(*Kiln::DX11::MainDepthBuffer), Kiln::Vector2<uint32_t>(320, 200));
    EXPECT_EQ((*myEngine)->GetRenderSize(), Kiln::Vector2<uint32_t>(1280, 720));

    (*myEngine)->SetClearColor({1.0f, 0.0f, 0.0f, 1.0f});
    ASSERT_TRUE((*myEngine)->BeginFrame());
    myStack.ResetForFrame();
    EXPECT_FLOAT_EQ(myStack.GetCamera().GetProjection()[0], 2.0f / 320.0f);
    EXPECT_FLOAT_EQ(myStack.GetCamera().GetProjection()[5], 2.0f / 200.0f);
    const auto frame = ReadBuffer(myBuffers[0]);
    float values[2];
    std::memcpy(values, frame.data(), sizeof(values));
    EXPECT_FLOAT_EQ(values[0], 320.0f);
    EXPECT_FLOAT_EQ(values[1], 200.0f);
    // The frame is still cleared and drawn into.
    const std::vector<uint8_t> pixels = myEngine->ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 320u * 200u * 4u);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[1], 0);
    (*myEngine)->EndFrame();
}

namespace
{
    constexpr const char* theFullScreenVS = R"(#version 450
out gl_PerVertex { vec4 gl_Position; };
void main()
{
    vec2 p = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID >> 1) * 4 - 1));
    gl_Position = vec4(p, 0.5, 1.0);
}
)";

    // Reads the frame constants (b0) and the environment cube map (t0, sampler s0).
    constexpr const char* theProbePS = R"(#version 450
layout(std140, binding = 0) uniform Frame { float width; float height; float totalTime; float deltaTime; };
layout(binding = 0) uniform samplerCube environment;
out vec4 color;
void main()
{
    color = vec4(width / 1280.0, height / 800.0, texture(environment, vec3(0.3, 0.2, 1.0)).r, 0.5);
}
)";
}

TEST_F(GraphicsStateStackTest, DrawsSeeTheFrameConstantsTheCubeMapAndTheBlendStates)
{
    Device& device = *Kiln::DX11::Device;
    const auto vs = device.CreateVertexShader(theFullScreenVS, std::strlen(theFullScreenVS));
    const auto ps = device.CreatePixelShader(theProbePS, std::strlen(theProbePS));
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);

    myStack.ResetForFrame();
    Kiln::DX11::LinearBackBuffer->SetAsActiveTarget(nullptr);
    Kiln::DX11::LinearBackBuffer->Clear({0, 0, 0, 0});
    const auto draw = [&] {
        myStack.UpdateGpuStates(false);
        Context().VSSetShader(vs.get());
        Context().PSSetShader(ps.get());
        Context().IASetInputLayout(nullptr);
        Context().IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
        Context().Draw(3, 0);
    };
    const auto centre = [&] {
        std::vector<uint8_t> pixels;
        EXPECT_TRUE(Context().ReadSubresource(Kiln::DX11::SwapChain->GetBuffer(0).get(), 0, pixels));
        const size_t at = (100 * 320 + 160) * 4;   // B, G, R, A
        return std::vector<int>{pixels[at + 2], pixels[at + 1], pixels[at + 0], pixels[at + 3]};
    };
    const auto near = [](const std::vector<int>& aActual, const std::vector<int>& anExpected) {
        for (size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(aActual[i], anExpected[i], 2) << "channel " << i;
    };

    // Alpha blending over a cleared target: colour x 0.5; alpha ONE, ONE, MAX.
    draw();
    near(centre(), {32, 32, 128, 128});

    // Additive on top: colour x 0.5 added; alpha stays the maximum.
    myStack.Push();
    myStack.SetBlendState(2);
    draw();
    near(centre(), {64, 64, 255, 128});

    // Blending off: the shader's output replaces whatever the target held.
    Kiln::DX11::LinearBackBuffer->Clear({1, 1, 0, 1});
    myStack.SetBlendState(0);
    draw();
    near(centre(), {64, 64, 255, 128});
    myStack.Pop();
}

// Drawing: shaders, input layouts, vertex/index buffers, constant buffers, rasterizer,
// depth and blend states, instancing, viewports. Pixels are read back from the back buffer.
#include "PixelExpectations.h"
#include "Support/GpuTestContext.h"

#include <cstring>
#include <tuple>

using namespace Plat::Gpu;
using KilnTest::GpuTest;
using KilnTest::TextureDesc;

namespace
{
    // Position and colour per vertex.
    const char* const theColourVs = R"(#version 450
// colour vertex shader
in vec4 POSITION0;
in vec4 COLOR0;
out vec4 vColour;
void main()
{
    gl_Position = POSITION0;
    vColour = COLOR0;
}
)";

    const char* const theColourPs = R"(#version 450
in vec4 vColour;
out vec4 outColour;
void main()
{
    outColour = vColour;
}
)";

    struct ColourVertex
    {
        float position[4];
        float colour[4];
    };

    const InputElementDesc theColourLayout[] = {
        {"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
        {"COLOR", 0, Format::R32G32B32A32_FLOAT, 0, AppendAlignedElement, InputClassification::PerVertexData, 0},
    };

    class DrawTest : public GpuTest
    {
    protected:
        void SetUp() override
        {
            GpuTest::SetUp();
            myVs = myGpu->VertexShader(theColourVs);
            myPs = myGpu->PixelShader(theColourPs);
            ASSERT_NE(myVs, nullptr);
            ASSERT_NE(myPs, nullptr);
            myLayout = myGpu->Device().CreateInputLayout(theColourLayout, 2, theColourVs, std::strlen(theColourVs));
            ASSERT_NE(myLayout, nullptr);
            ClearBlack();
            myGpu->BindTarget(&myGpu->PlainView());
        }

        void ClearBlack()
        {
            const float black[4] = {0, 0, 0, 1};
            myGpu->Context().ClearRenderTargetView(&myGpu->PlainView(), black);
        }

        // Binds aLayout, the vertex buffers (offset 0) with their strides, triangle lists and the shaders.
        void BindInput(InputLayout* aLayout, std::vector<Buffer*> someBuffers, std::vector<uint32_t> someStrides, VertexShader* aVs,
                       PixelShader* aPs = nullptr)
        {
            DeviceContext& context = myGpu->Context();
            const std::vector<uint32_t> offsets(someBuffers.size(), 0);
            context.IASetInputLayout(aLayout);
            context.IASetVertexBuffers(0, static_cast<uint32_t>(someBuffers.size()), someBuffers.data(), someStrides.data(), offsets.data());
            context.IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
            context.VSSetShader(aVs);
            context.PSSetShader(aPs ? aPs : myPs.get());
        }

        void WriteDynamic(Buffer* aBuffer, const void* someData, size_t aSize)
        {
            MappedSubresource mapped;
            ASSERT_TRUE(myGpu->Context().Map(aBuffer, 0, MapType::WriteDiscard, 0, &mapped));
            std::memcpy(mapped.data, someData, aSize);
            myGpu->Context().Unmap(aBuffer, 0);
        }

        std::shared_ptr<Buffer> VertexBuffer(const void* someData, uint32_t aSize, Usage aUsage = Usage::Immutable)
        {
            BufferDesc desc;
            desc.byteWidth = aSize;
            desc.usage = aUsage;
            desc.bindFlags = Bind::VertexBuffer;
            desc.cpuAccessFlags = aUsage == Usage::Dynamic ? uint32_t{CpuAccess::Write} : 0u;
            SubresourceData data{someData, 0, 0};
            return myGpu->Device().CreateBuffer(desc, aUsage == Usage::Dynamic ? nullptr : &data);
        }

        void DrawColourTriangles(const std::vector<ColourVertex>& someVertices)
        {
            myBuffer = VertexBuffer(someVertices.data(), static_cast<uint32_t>(someVertices.size() * sizeof(ColourVertex)));
            ASSERT_NE(myBuffer, nullptr);
            BindInput(myLayout.get(), {myBuffer.get()}, {sizeof(ColourVertex)}, myVs.get());
            myGpu->Context().Draw(static_cast<uint32_t>(someVertices.size()), 0);
        }

        std::shared_ptr<VertexShader> myVs;
        std::shared_ptr<PixelShader> myPs;
        std::shared_ptr<InputLayout> myLayout;
        std::shared_ptr<Buffer> myBuffer;
    };

    ColourVertex V(float anX, float aY, float aZ, float aR, float aG, float aB, float anA = 1.0f)
    {
        return {{anX, aY, aZ, 1.0f}, {aR, aG, aB, anA}};
    }

    // One triangle over the whole screen at depth aZ.
    std::vector<ColourVertex> FullScreen(float aZ, float aR, float aG, float aB, float anA = 1.0f)
    {
        return {V(-1, 3, aZ, aR, aG, aB, anA), V(3, -1, aZ, aR, aG, aB, anA), V(-1, -1, aZ, aR, aG, aB, anA)};
    }
}

TEST_F(DrawTest, ClockwiseTriangleIsDrawnRowZeroAtTheTopAndCounterClockwiseIsCulled)
{
    // Top-left, top-right, middle-left: clockwise on screen, the upper half only.
    DrawColourTriangles({V(-1, 1, 0, 1, 0, 0), V(1, 1, 0, 1, 0, 0), V(-1, 0, 0, 1, 0, 0)});
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 60), 0, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(60, 28), 0, 0, 0, 255);

    // The same triangle counter-clockwise is culled by default.
    ClearBlack();
    DrawColourTriangles({V(-1, 1, 0, 1, 0, 0), V(-1, 0, 0, 1, 0, 0), V(1, 1, 0, 1, 0, 0)});
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 0, 0, 0, 255);
}

TEST_F(DrawTest, RasterizerStatesCullAsInD3D)
{
    const std::vector<ColourVertex> counterClockwise = {V(-1, 1, 0, 0, 1, 0), V(-1, 0, 0, 0, 1, 0), V(1, 1, 0, 0, 1, 0)};

    RasterizerDesc none;
    none.cullMode = CullMode::None;
    auto noCulling = myGpu->Device().CreateRasterizerState(none);
    ASSERT_NE(noCulling, nullptr);
    myGpu->Context().RSSetState(noCulling.get());
    DrawColourTriangles(counterClockwise);
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 0, 255, 0, 255);

    ClearBlack();
    RasterizerDesc ccwFront;
    ccwFront.frontCounterClockwise = true;
    auto frontCcw = myGpu->Device().CreateRasterizerState(ccwFront);
    myGpu->Context().RSSetState(frontCcw.get());
    DrawColourTriangles(counterClockwise);
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 0, 255, 0, 255);

    ClearBlack();
    RasterizerDesc cullFront;
    cullFront.cullMode = CullMode::Front;
    auto front = myGpu->Device().CreateRasterizerState(cullFront);
    myGpu->Context().RSSetState(front.get());
    DrawColourTriangles({V(-1, 1, 0, 0, 1, 0), V(1, 1, 0, 0, 1, 0), V(-1, 0, 0, 0, 1, 0)});
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 0, 0, 0, 255);
}

TEST_F(DrawTest, SrgbViewEncodesShaderOutput)
{
    myGpu->BindTarget(&myGpu->SrgbView());
    DrawColourTriangles(FullScreen(0, 0.5f, 0.5f, 0.5f));
    // Linear 0.5 is stored as sRGB 188; alpha is not encoded.
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 188, 188, 188, 255);
}

TEST_F(DrawTest, ViewportPlacesTheImageFromTheTopLeft)
{
    Viewport viewport;
    viewport.topLeftX = 0;
    viewport.topLeftY = 0;
    viewport.width = 32;
    viewport.height = 16;
    myGpu->Context().RSSetViewports(1, &viewport);
    DrawColourTriangles(FullScreen(0, 0, 0, 1));
    EXPECT_PIXEL(myGpu->BackBufferPixel(1, 1), 0, 0, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 14), 0, 0, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(1, 20), 0, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(40, 1), 0, 0, 0, 255);
}

TEST_F(DrawTest, ScissorRectLimitsDrawingWhenEnabled)
{
    RasterizerDesc desc;
    desc.scissorEnable = true;
    auto state = myGpu->Device().CreateRasterizerState(desc);
    const Rect rect{8, 40, 16, 48};
    myGpu->Context().RSSetScissorRects(1, &rect);
    myGpu->Context().RSSetState(state.get());
    DrawColourTriangles(FullScreen(0, 1, 1, 1));
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 42), 255, 255, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(4, 42), 0, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 30), 0, 0, 0, 255);
}

TEST_F(DrawTest, DrawWithoutViewportDrawsNothing)
{
    myGpu->Context().ClearState();
    RenderTargetView* view = &myGpu->PlainView();
    myGpu->Context().OMSetRenderTargets(1, &view, nullptr);
    DrawColourTriangles(FullScreen(0, 1, 1, 1));
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 10), 0, 0, 0, 255);
}

TEST_F(DrawTest, IndexedDrawsUse16And32BitIndicesAndBaseVertex)
{
    // Two unused vertices first, then a quad over the left half.
    const std::vector<ColourVertex> vertices = {V(0, 0, 0, 0, 0, 0), V(0, 0, 0, 0, 0, 0),   V(-1, 1, 0, 1, 1, 0),
                                                V(0, 1, 0, 1, 1, 0), V(-1, -1, 0, 1, 1, 0), V(0, -1, 0, 1, 1, 0)};
    auto vertexBuffer = VertexBuffer(vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(ColourVertex)));
    const uint16_t shortIndices[] = {0, 1, 2, 1, 3, 2};
    BufferDesc indexDesc;
    indexDesc.byteWidth = sizeof(shortIndices);
    indexDesc.usage = Usage::Immutable;
    indexDesc.bindFlags = Bind::IndexBuffer;
    SubresourceData data{shortIndices, 0, 0};
    auto shortBuffer = myGpu->Device().CreateBuffer(indexDesc, &data);
    ASSERT_NE(shortBuffer, nullptr);

    DeviceContext& context = myGpu->Context();
    BindInput(myLayout.get(), {vertexBuffer.get()}, {sizeof(ColourVertex)}, myVs.get());
    context.IASetIndexBuffer(shortBuffer.get(), Format::R16_UINT, 0);
    context.DrawIndexed(6, 0, 2);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 50), 255, 255, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 50), 0, 0, 0, 255);

    // 32-bit indices with a start index: the last three make the lower-left triangle.
    const uint32_t longIndices[] = {9, 9, 9, 3, 5, 4};
    indexDesc.byteWidth = sizeof(longIndices);
    data.sysMem = longIndices;
    auto longBuffer = myGpu->Device().CreateBuffer(indexDesc, &data);
    ClearBlack();
    context.IASetIndexBuffer(longBuffer.get(), Format::R32_UINT, 0);
    context.DrawIndexed(3, 3, 0);
    EXPECT_PIXEL(myGpu->BackBufferPixel(20, 60), 255, 255, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 0, 0, 0, 255);
}

TEST_F(DrawTest, ConstantBuffersReachEachStageAtItsOwnRegister)
{
    // Vertex-shader b0 moves the triangle, pixel-shader b0 colours it: one register number,
    // two stages, two buffers.
    const std::string vs = R"(#version 450
layout(std140, binding = 0) uniform Offset { vec4 offset; };
in vec4 POSITION0;
in vec4 COLOR0;
void main() { gl_Position = POSITION0 + vec4(offset.xy, 0.0, 0.0); }
)";
    const std::string ps = R"(#version 450
layout(std140, binding = 0) uniform Frame { vec4 colour; };
out vec4 outColour;
void main() { outColour = colour; }
)";
    auto vertexShader = myGpu->VertexShader(vs);
    auto pixelShader = myGpu->PixelShader(ps);
    ASSERT_NE(vertexShader, nullptr);
    ASSERT_NE(pixelShader, nullptr);
    auto layout = myGpu->Device().CreateInputLayout(theColourLayout, 2, vs.data(), vs.size());
    ASSERT_NE(layout, nullptr);

    BufferDesc desc;
    desc.byteWidth = 16;
    desc.usage = Usage::Dynamic;
    desc.bindFlags = Bind::ConstantBuffer;
    desc.cpuAccessFlags = CpuAccess::Write;
    auto offsetBuffer = myGpu->Device().CreateBuffer(desc);
    auto colourBuffer = myGpu->Device().CreateBuffer(desc);
    ASSERT_NE(offsetBuffer, nullptr);
    ASSERT_NE(colourBuffer, nullptr);

    DeviceContext& context = myGpu->Context();
    const float offset[4] = {1.0f, 0.0f, 0.0f, 0.0f};   // half the screen to the right
    WriteDynamic(offsetBuffer.get(), offset, sizeof(offset));

    const std::vector<ColourVertex> vertices = {V(-1, 1, 0, 0, 0, 0), V(0, 1, 0, 0, 0, 0), V(-1, -1, 0, 0, 0, 0)};
    auto vertexBuffer = VertexBuffer(vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(ColourVertex)));
    BindInput(layout.get(), {vertexBuffer.get()}, {sizeof(ColourVertex)}, vertexShader.get(), pixelShader.get());
    Buffer* vsBuffers[] = {offsetBuffer.get()};
    Buffer* psBuffers[] = {colourBuffer.get()};
    context.VSSetConstantBuffers(0, 1, vsBuffers);
    context.PSSetConstantBuffers(0, 1, psBuffers);

    for (const float green : {0.25f, 1.0f})
    {
        const float colour[4] = {0.0f, green, 0.0f, 1.0f};
        WriteDynamic(colourBuffer.get(), colour, sizeof(colour));
        context.Draw(3, 0);
        const int expected = static_cast<int>(green * 255.0f + 0.5f);
        EXPECT_PIXEL(myGpu->BackBufferPixel(34, 2), 0, expected, 0, 255);
        EXPECT_PIXEL(myGpu->BackBufferPixel(2, 2), 0, 0, 0, 255);
    }
}

TEST_F(DrawTest, BlendStatesOfTheStateStackBlendKnownPixels)
{
    DeviceContext& context = myGpu->Context();
    const std::vector<ColourVertex> fullScreen = FullScreen(0, 1, 0, 0, 0.5f);

    BlendDesc alphaDesc;
    alphaDesc.renderTarget[0] = {true, Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, Blend::One, Blend::One, BlendOp::Max,
                                 ColorWrite::All};
    auto alpha = myGpu->Device().CreateBlendState(alphaDesc);
    ASSERT_NE(alpha, nullptr);
    const float background[4] = {0.0f, 0.0f, 1.0f, 0.25f};
    context.ClearRenderTargetView(&myGpu->PlainView(), background);
    context.OMSetBlendState(alpha.get(), nullptr, 0xFFFFFFFF);
    DrawColourTriangles(fullScreen);
    // rgb: 0.5 * red + 0.5 * blue; alpha: max(0.5, 0.25).
    EXPECT_PIXEL(myGpu->BackBufferPixel(20, 20), 128, 0, 128, 128);

    BlendDesc additiveDesc = alphaDesc;
    additiveDesc.renderTarget[0].destBlend = Blend::One;
    auto additive = myGpu->Device().CreateBlendState(additiveDesc);
    context.ClearRenderTargetView(&myGpu->PlainView(), background);
    context.OMSetBlendState(additive.get(), nullptr, 0xFFFFFFFF);
    DrawColourTriangles(fullScreen);
    EXPECT_PIXEL(myGpu->BackBufferPixel(20, 20), 128, 0, 255, 128);

    BlendDesc offDesc;
    offDesc.renderTarget[0] = {false, Blend::Zero, Blend::Zero, BlendOp::Add, Blend::Zero, Blend::Zero, BlendOp::Add, ColorWrite::All};
    auto off = myGpu->Device().CreateBlendState(offDesc);
    context.ClearRenderTargetView(&myGpu->PlainView(), background);
    context.OMSetBlendState(off.get(), nullptr, 0xFFFFFFFF);
    DrawColourTriangles(fullScreen);
    EXPECT_PIXEL(myGpu->BackBufferPixel(20, 20), 255, 0, 0, 128);

    BlendDesc maskDesc;
    maskDesc.renderTarget[0].renderTargetWriteMask = ColorWrite::Green | ColorWrite::Alpha;
    auto mask = myGpu->Device().CreateBlendState(maskDesc);
    context.ClearRenderTargetView(&myGpu->PlainView(), background);
    context.OMSetBlendState(mask.get(), nullptr, 0xFFFFFFFF);
    DrawColourTriangles(fullScreen);
    EXPECT_PIXEL(myGpu->BackBufferPixel(20, 20), 0, 0, 255, 128);
}

TEST_F(DrawTest, DepthTestKeepsTheNearerSurface)
{
    auto depthTexture = myGpu->Device().CreateTexture2D(TextureDesc(64, 64, Format::R24G8_TYPELESS, Bind::DepthStencil | Bind::ShaderResource));
    ASSERT_NE(depthTexture, nullptr);
    DepthStencilViewDesc dsvDesc;
    dsvDesc.format = Format::D24_UNORM_S8_UINT;
    auto dsv = myGpu->Device().CreateDepthStencilView(depthTexture.get(), &dsvDesc);
    ASSERT_NE(dsv, nullptr);
    ShaderResourceViewDesc srvDesc;
    srvDesc.format = Format::R24_UNORM_X8_TYPELESS;
    auto srv = myGpu->Device().CreateShaderResourceView(depthTexture.get(), &srvDesc);
    ASSERT_NE(srv, nullptr);

    DeviceContext& context = myGpu->Context();
    context.ClearDepthStencilView(dsv.get(), ClearFlag::Depth | ClearFlag::Stencil, 1.0f, 0);
    myGpu->BindTarget(&myGpu->PlainView(), dsv.get());
    // Near green over the whole screen, then far red: LESS keeps green.
    DrawColourTriangles(FullScreen(0.25f, 0, 1, 0));
    DrawColourTriangles(FullScreen(0.75f, 1, 0, 0));
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 255, 0, 255);

    // A read-only depth state with LESS_EQUAL lets an equal surface through without writing.
    DepthStencilDesc equalDesc;
    equalDesc.depthWriteMask = DepthWriteMask::Zero;
    equalDesc.depthFunc = ComparisonFunc::LessEqual;
    auto equal = myGpu->Device().CreateDepthStencilState(equalDesc);
    context.OMSetDepthStencilState(equal.get(), 0);
    DrawColourTriangles(FullScreen(0.25f, 0, 0, 1));
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 0, 255, 255);

    // Depth 0..1 reaches the buffer unchanged (D3D clip space), low 24 bits in D3D layout.
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(context.ReadSubresource(depthTexture.get(), 0, bytes));
    ASSERT_EQ(bytes.size(), 64u * 64u * 4u);
    uint32_t value = 0;
    std::memcpy(&value, &bytes[(30 * 64 + 30) * 4], 4);
    EXPECT_NEAR(static_cast<double>(value & 0xFFFFFF) / 0xFFFFFF, 0.25, 1e-4);

    // A depth state with the test off lets the far red through.
    DepthStencilDesc offDesc;
    offDesc.depthEnable = false;
    auto off = myGpu->Device().CreateDepthStencilState(offDesc);
    context.OMSetDepthStencilState(off.get(), 0);
    DrawColourTriangles(FullScreen(0.75f, 1, 0, 0));
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 255, 0, 0, 255);
}

TEST_F(DrawTest, StencilStateMasksDrawing)
{
    auto depthTexture = myGpu->Device().CreateTexture2D(TextureDesc(64, 64, Format::D24_UNORM_S8_UINT, Bind::DepthStencil));
    auto dsv = myGpu->Device().CreateDepthStencilView(depthTexture.get(), nullptr);
    ASSERT_NE(dsv, nullptr);
    DeviceContext& context = myGpu->Context();
    context.ClearDepthStencilView(dsv.get(), ClearFlag::Depth | ClearFlag::Stencil, 1.0f, 0);
    myGpu->BindTarget(&myGpu->PlainView(), dsv.get());

    // Write stencil 1 in the left half, then draw only where stencil equals 1.
    DepthStencilDesc write;
    write.depthEnable = false;
    write.stencilEnable = true;
    write.frontFace = {StencilOp::Keep, StencilOp::Keep, StencilOp::Replace, ComparisonFunc::Always};
    write.backFace = write.frontFace;
    auto writeState = myGpu->Device().CreateDepthStencilState(write);
    context.OMSetDepthStencilState(writeState.get(), 1);
    DrawColourTriangles({V(-1, 1, 0, 0, 0, 0), V(0, 1, 0, 0, 0, 0), V(-1, -1, 0, 0, 0, 0), V(0, 1, 0, 0, 0, 0), V(0, -1, 0, 0, 0, 0),
                         V(-1, -1, 0, 0, 0, 0)});
    DepthStencilDesc test = write;
    test.frontFace = {StencilOp::Keep, StencilOp::Keep, StencilOp::Keep, ComparisonFunc::Equal};
    test.backFace = test.frontFace;
    auto testState = myGpu->Device().CreateDepthStencilState(test);
    context.OMSetDepthStencilState(testState.get(), 1);
    DrawColourTriangles(FullScreen(0, 1, 1, 1));
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 30), 255, 255, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 30), 0, 0, 0, 255);
}

TEST_F(DrawTest, InstancedDrawReadsPerInstanceDataAtItsStepRate)
{
    const std::string vs = R"(#version 450
in vec4 POSITION0;
in vec2 TEXCOORD1;   // per instance: offset
in vec4 TEXCOORD2;   // per two instances: colour
out vec4 vColour;
void main()
{
    gl_Position = vec4(POSITION0.xy + TEXCOORD1, 0.0, 1.0);
    vColour = TEXCOORD2;
}
)";
    auto vertexShader = myGpu->VertexShader(vs);
    ASSERT_NE(vertexShader, nullptr);
    const InputElementDesc layoutDesc[] = {
        {"POSITION", 0, Format::R32G32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
        {"TEXCOORD", 1, Format::R32G32_FLOAT, 1, 0, InputClassification::PerInstanceData, 1},
        {"TEXCOORD", 2, Format::R8G8B8A8_UNORM, 2, 0, InputClassification::PerInstanceData, 2},
    };
    auto layout = myGpu->Device().CreateInputLayout(layoutDesc, 3, vs.data(), vs.size());
    ASSERT_NE(layout, nullptr);

    // A quad of half the screen in the top-left quadrant, moved per instance to each quadrant.
    const float quad[] = {-1, 1, 0, 1, -1, 0, 0, 1, 0, 0, -1, 0};
    const float offsetsData[] = {0, 0, 1, 0, 0, -1, 1, -1};
    const uint8_t colours[] = {255, 0, 0, 255, 0, 0, 255, 255};
    auto quadBuffer = VertexBuffer(quad, sizeof(quad));
    auto offsetBuffer = VertexBuffer(nullptr, sizeof(offsetsData), Usage::Dynamic);
    auto colourBuffer = VertexBuffer(colours, sizeof(colours));
    ASSERT_NE(offsetBuffer, nullptr);
    DeviceContext& context = myGpu->Context();
    WriteDynamic(offsetBuffer.get(), offsetsData, sizeof(offsetsData));
    BindInput(layout.get(), {quadBuffer.get(), offsetBuffer.get(), colourBuffer.get()}, {8, 8, 4}, vertexShader.get());
    context.DrawInstanced(6, 3, 0, 0);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 10), 255, 0, 0, 255);   // instance 0
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 10), 255, 0, 0, 255);   // instance 1: same colour (step rate 2)
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 50), 0, 0, 255, 255);   // instance 2
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 50), 0, 0, 0, 255);     // no instance 3

    // A start instance is added to every per-instance index, whatever the step rate:
    // instance 0 of this draw reads offset 1 and colour 1.
    ClearBlack();
    context.DrawInstanced(6, 1, 0, 1);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 10), 0, 0, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 10), 0, 0, 0, 255);
}

TEST_F(DrawTest, SpriteShapedInstancesOf112BytesDraw)
{
    // The sprite drawer's shape: a 32-byte vertex (float4 position, uint4 index) and a
    // 112-byte instance (four matrix rows, colour, rectangle, custom data).
    const std::string vs = R"(#version 450
in vec4 POSITION0;
in uvec4 TEXCOORD0;
in vec4 TEXCOORD1;
in vec4 TEXCOORD2;
in vec4 TEXCOORD3;
in vec4 TEXCOORD4;
in vec4 TEXCOORD5;
in vec4 TEXCOORD6;
in vec4 TEXCOORD7;
out vec4 vColour;
void main()
{
    mat4 world = mat4(TEXCOORD1, TEXCOORD2, TEXCOORD3, TEXCOORD4);
    // Row vectors: position * matrix.
    vec4 p = POSITION0 * transpose(world);
    gl_Position = vec4(p.x / 32.0 - 1.0, 1.0 - p.y / 32.0, 0.0, 1.0);
    vColour = TEXCOORD5 * TEXCOORD6.x * TEXCOORD7.y + vec4(0.0, 0.0, 0.0, float(TEXCOORD0.x) * 0.0);
}
)";
    auto vertexShader = myGpu->VertexShader(vs);
    ASSERT_NE(vertexShader, nullptr);
    InputElementDesc layoutDesc[9] = {
        {"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
        {"TEXCOORD", 0, Format::R32G32B32A32_UINT, 0, AppendAlignedElement, InputClassification::PerVertexData, 0},
    };
    for (uint32_t i = 1; i <= 7; ++i)
        layoutDesc[i + 1] = {"TEXCOORD", i, Format::R32G32B32A32_FLOAT, 1, AppendAlignedElement, InputClassification::PerInstanceData, 1};
    auto layout = myGpu->Device().CreateInputLayout(layoutDesc, 9, vs.data(), vs.size());
    ASSERT_NE(layout, nullptr);

    struct QuadVertex
    {
        float position[4];
        uint32_t index;
        uint8_t zero[12];
    };
    static_assert(sizeof(QuadVertex) == 32);
    // Unit quad covering x 0..1, y -1..0 as the sprite drawer builds it (y down in pixels here).
    const float corners[6][2] = {{0, -1}, {0, 0}, {1, -1}, {1, 0}, {1, -1}, {0, 0}};
    QuadVertex quad[6] = {};
    for (uint32_t i = 0; i < 6; ++i)
        quad[i] = {{corners[i][0], -corners[i][1], 0, 1}, i, {}};
    struct Instance
    {
        float rows[4][4];
        float colour[4];
        float rect[4];
        float custom[4];
    };
    static_assert(sizeof(Instance) == 112);
    Instance instances[2] = {
        {{{16, 0, 0, 0}, {0, 16, 0, 0}, {0, 0, 1, 0}, {4, 4, 0, 1}}, {1, 0, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}},
        {{{8, 0, 0, 0}, {0, 8, 0, 0}, {0, 0, 1, 0}, {40, 40, 0, 1}}, {0, 1, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}},
    };
    auto quadBuffer = VertexBuffer(quad, sizeof(quad));
    auto instanceBuffer = VertexBuffer(nullptr, 1024 * sizeof(Instance), Usage::Dynamic);
    ASSERT_NE(instanceBuffer, nullptr);
    WriteDynamic(instanceBuffer.get(), instances, sizeof(instances));
    BindInput(layout.get(), {quadBuffer.get(), instanceBuffer.get()}, {32, 112}, vertexShader.get());
    myGpu->Context().DrawInstanced(6, 2, 0, 0);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 10), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(22, 22), 0, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(44, 44), 0, 255, 0, 255);
}

TEST_F(DrawTest, ModelVertexOf180BytesReadsEveryElementAtItsOffset)
{
    const std::string vs = R"(#version 450
in vec4 POSITION0;
in vec4 COLOR0;
in vec4 COLOR1;
in vec4 COLOR2;
in vec4 COLOR3;
in vec2 TEXCOORD0;
in vec2 TEXCOORD1;
in vec2 TEXCOORD2;
in vec2 TEXCOORD3;
in vec3 NORMAL0;
in vec3 TANGENT0;
in vec3 BINORMAL0;
in vec4 BONES0;
in vec4 WEIGHTS0;
out vec4 vColour;
void main()
{
    gl_Position = POSITION0;
    // Each channel checks one element: every element holds its own offset / 1000.
    float ok = 1.0;
    ok *= step(abs(COLOR0.x - 0.016), 1e-4) * step(abs(COLOR1.y - 0.036), 1e-4);
    ok *= step(abs(COLOR2.z - 0.056), 1e-4) * step(abs(COLOR3.w - 0.076), 1e-4);
    ok *= step(abs(TEXCOORD0.x - 0.080), 1e-4) * step(abs(TEXCOORD1.y - 0.092), 1e-4);
    ok *= step(abs(TEXCOORD2.x - 0.096), 1e-4) * step(abs(TEXCOORD3.y - 0.108), 1e-4);
    ok *= step(abs(NORMAL0.z - 0.120), 1e-4) * step(abs(TANGENT0.x - 0.124), 1e-4);
    ok *= step(abs(BINORMAL0.y - 0.140), 1e-4) * step(abs(BONES0.w - 0.160), 1e-4);
    ok *= step(abs(WEIGHTS0.x - 0.164), 1e-4);
    vColour = vec4(1.0 - ok, ok, 0.0, 1.0);
}
)";
    auto vertexShader = myGpu->VertexShader(vs);
    ASSERT_NE(vertexShader, nullptr);
    // Each element straight after the one before, in the model vertex's order.
    const Format f4 = Format::R32G32B32A32_FLOAT, f3 = Format::R32G32B32_FLOAT, f2 = Format::R32G32_FLOAT;
    const std::tuple<const char*, uint32_t, Format> elements[] = {
        {"POSITION", 0, f4}, {"COLOR", 0, f4},    {"COLOR", 1, f4},   {"COLOR", 2, f4},    {"COLOR", 3, f4},
        {"TEXCOORD", 0, f2}, {"TEXCOORD", 1, f2}, {"TEXCOORD", 2, f2}, {"TEXCOORD", 3, f2}, {"NORMAL", 0, f3},
        {"TANGENT", 0, f3},  {"BINORMAL", 0, f3}, {"BONES", 0, f4},   {"WEIGHTS", 0, f4}};
    InputElementDesc layoutDesc[14];
    for (size_t i = 0; i < 14; ++i)
        layoutDesc[i] = {std::get<0>(elements[i]), std::get<1>(elements[i]), std::get<2>(elements[i]), 0, AppendAlignedElement,
                         InputClassification::PerVertexData, 0};
    auto layout = myGpu->Device().CreateInputLayout(layoutDesc, 14, vs.data(), vs.size());
    ASSERT_NE(layout, nullptr);

    // Three 180-byte vertices; every float holds (its byte offset within the element's
    // start... simply its own byte offset) / 1000, so each element's first float is its offset.
    constexpr size_t Stride = 180;
    std::vector<float> data(3 * Stride / 4);
    const float positions[3][2] = {{-1, 3}, {3, -1}, {-1, -1}};
    for (size_t v = 0; v < 3; ++v)
    {
        for (size_t f = 0; f < Stride / 4; ++f)
            data[v * Stride / 4 + f] = static_cast<float>(f * 4) / 1000.0f;
        data[v * Stride / 4 + 0] = positions[v][0];
        data[v * Stride / 4 + 1] = positions[v][1];
        data[v * Stride / 4 + 2] = 0.0f;
        data[v * Stride / 4 + 3] = 1.0f;
    }
    auto vertexBuffer = VertexBuffer(data.data(), static_cast<uint32_t>(data.size() * 4));
    BindInput(layout.get(), {vertexBuffer.get()}, {Stride}, vertexShader.get());
    myGpu->Context().Draw(3, 0);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 255, 0, 255);
}

TEST_F(DrawTest, FullScreenTriangleNeedsNoInputLayout)
{
    const std::string vs = R"(#version 450
void main()
{
    vec2 uv = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);
    gl_Position = vec4(uv * vec2(2.0, -2.0) + vec2(-1.0, 1.0), 0.0, 1.0);
}
)";
    const std::string ps = R"(#version 450
out vec4 outColour;
void main() { outColour = vec4(gl_FragCoord.y < 32.0 ? 1.0 : 0.0, 0.0, 1.0, 1.0); }
)";
    auto vertexShader = myGpu->VertexShader(vs);
    auto pixelShader = myGpu->PixelShader(ps);
    ASSERT_NE(vertexShader, nullptr);
    ASSERT_NE(pixelShader, nullptr);
    DeviceContext& context = myGpu->Context();
    context.IASetInputLayout(nullptr);
    context.IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
    context.VSSetShader(vertexShader.get());
    context.PSSetShader(pixelShader.get());
    context.Draw(3, 0);
    // gl_FragCoord.y counts from the top row, as SV_Position does.
    EXPECT_PIXEL(myGpu->BackBufferPixel(5, 5), 255, 0, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(5, 60), 0, 0, 255, 255);
}

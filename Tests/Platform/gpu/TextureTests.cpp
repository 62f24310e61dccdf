// Textures: uploads top row first, formats (RGBA8, BGRA8, sRGB, BC, single-channel, float),
// mips, arrays, cubes, dynamic maps, updates, copies, render-to-texture, depth reads and
// the sampler register mapping.
#include "PixelExpectations.h"
#include "Support/GpuTestContext.h"

#include <algorithm>
#include <cstring>
#include <thread>

using namespace Plat::Gpu;
using KilnTest::GpuTest;
using KilnTest::Rgba8;
using KilnTest::TextureDesc;

namespace
{
    // A full-screen triangle from the vertex index; uv (0, 0) at the top-left pixel.
    const char* const theFullScreenVs = R"(#version 450
out vec2 vUv;
void main()
{
    vec2 uv = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);
    vUv = uv;
    gl_Position = vec4(uv * vec2(2.0, -2.0) + vec2(-1.0, 1.0), 0.0, 1.0);
}
)";

    // A pixel shader writing anExpression of aSampler, declared at t1.
    std::string SamplePs(const std::string& aSampler, const std::string& anExpression)
    {
        return "#version 450\nlayout(binding = 1) uniform " + aSampler + ";\nin vec2 vUv;\nout vec4 outColour;\nvoid main() { outColour = " +
               anExpression + "; }\n";
    }

    const std::string theSample2dPs = SamplePs("sampler2D colourTexture", "texture(colourTexture, vUv)");


    class TextureTest : public GpuTest
    {
    protected:
        void SetUp() override
        {
            GpuTest::SetUp();
            myVs = myGpu->VertexShader(theFullScreenVs);
            ASSERT_NE(myVs, nullptr);
            SamplerDesc point;
            point.filter = Filter::MinMagMipPoint;
            myPointClamp = myGpu->Device().CreateSamplerState(point);
            ASSERT_NE(myPointClamp, nullptr);
            const float black[4] = {0, 0, 0, 1};
            myGpu->Context().ClearRenderTargetView(&myGpu->PlainView(), black);
        }

        std::shared_ptr<Texture2D> MakeTexture(Format aFormat, uint32_t aWidth, uint32_t aHeight, const void* someData, uint32_t aPitch,
                                               Usage aUsage = Usage::Immutable)
        {
            Texture2DDesc desc = TextureDesc(aWidth, aHeight, aFormat);
            desc.usage = aUsage;
            desc.cpuAccessFlags = aUsage == Usage::Dynamic ? uint32_t{CpuAccess::Write} : 0u;
            SubresourceData data{someData, aPitch, 0};
            return myGpu->Device().CreateTexture2D(desc, someData ? &data : nullptr);
        }

        // Makes an immutable texture and draws it over the whole back buffer.
        std::shared_ptr<Texture2D> DrawTexture(Format aFormat, uint32_t aWidth, uint32_t aHeight, const void* someData, uint32_t aPitch)
        {
            auto texture = MakeTexture(aFormat, aWidth, aHeight, someData, aPitch);
            EXPECT_NE(texture, nullptr);
            auto view = texture ? myGpu->Device().CreateShaderResourceView(texture.get()) : nullptr;
            EXPECT_NE(view, nullptr);
            DrawSampled(theSample2dPs, view.get());
            return texture;
        }

        void ExpectBytes(Texture2D* aResource, uint32_t aSubresource, const std::vector<uint8_t>& someExpected)
        {
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(myGpu->Context().ReadSubresource(aResource, aSubresource, bytes));
            EXPECT_EQ(bytes, someExpected);
        }

        // Draws the whole back buffer with aPixelShader sampling aView at t1 (and t2) with s0.
        void DrawSampled(const std::string& aPixelShader, ShaderResourceView* aView, SamplerState* aSampler = nullptr,
                         RenderTargetView* aTarget = nullptr)
        {
            DrawSampled(aPixelShader, std::vector<ShaderResourceView*>{aView}, std::vector<SamplerState*>{aSampler ? aSampler : myPointClamp.get()},
                        aTarget);
        }
        // The same with views from t1 on and samplers from s0 on.
        void DrawSampled(const std::string& aPixelShader, std::vector<ShaderResourceView*> someViews, std::vector<SamplerState*> someSamplers,
                         RenderTargetView* aTarget = nullptr)
        {
            auto ps = myGpu->PixelShader(aPixelShader);
            ASSERT_NE(ps, nullptr);
            DeviceContext& context = myGpu->Context();
            myGpu->BindTarget(aTarget ? aTarget : &myGpu->PlainView());
            context.IASetInputLayout(nullptr);
            context.IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
            context.VSSetShader(myVs.get());
            context.PSSetShader(ps.get());
            context.PSSetShaderResources(1, static_cast<uint32_t>(someViews.size()), someViews.data());
            context.PSSetSamplers(0, static_cast<uint32_t>(someSamplers.size()), someSamplers.data());
            context.Draw(3, 0);
        }

        std::shared_ptr<VertexShader> myVs;
        std::shared_ptr<SamplerState> myPointClamp;
    };
}

TEST_F(TextureTest, Rgba8UploadsTopRowFirst)
{
    // 2 x 2: red, green / blue, white.
    const uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    auto texture = DrawTexture(Format::R8G8B8A8_UNORM, 2, 2, texels, 8);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 10), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 10), 0, 255, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 50), 0, 0, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 50), 255, 255, 255, 255);
    ExpectBytes(texture.get(), 0, std::vector<uint8_t>(std::begin(texels), std::end(texels)));
}

TEST_F(TextureTest, Bgra8TexelsAreReadAsBlueGreenRedAlpha)
{
    const uint8_t texels[] = {0, 0, 255, 255, 255, 0, 0, 128};   // red, then blue with alpha 128
    auto texture = DrawTexture(Format::B8G8R8A8_UNORM, 2, 1, texels, 8);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 30), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 30), 0, 0, 255, 128);
    ExpectBytes(texture.get(), 0, std::vector<uint8_t>(std::begin(texels), std::end(texels)));
}

TEST_F(TextureTest, SrgbTexturesDecodeToLinearWhenSampled)
{
    const uint8_t texels[] = {188, 188, 188, 188};
    DrawTexture(Format::R8G8B8A8_UNORM_SRGB, 1, 1, texels, 4);
    // sRGB 188 is linear 0.5; alpha is not encoded.
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 128, 128, 128, 188);

    // Both views of one typeless texture: the sRGB one decodes, the plain one does not.
    SubresourceData data{texels, 4, 0};
    auto typeless = myGpu->Device().CreateTexture2D(TextureDesc(1, 1, Format::R8G8B8A8_TYPELESS), &data);
    ASSERT_NE(typeless, nullptr);
    EXPECT_EQ(myGpu->Device().CreateShaderResourceView(typeless.get()), nullptr);   // a typeless view is refused
    ShaderResourceViewDesc plainDesc;
    plainDesc.format = Format::R8G8B8A8_UNORM;
    auto plain = myGpu->Device().CreateShaderResourceView(typeless.get(), &plainDesc);
    ASSERT_NE(plain, nullptr);
    DrawSampled(theSample2dPs, plain.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 188, 188, 188, 188);
    ShaderResourceViewDesc srgbDesc;
    srgbDesc.format = Format::R8G8B8A8_UNORM_SRGB;
    auto srgbView = myGpu->Device().CreateShaderResourceView(typeless.get(), &srgbDesc);
    ASSERT_NE(srgbView, nullptr);
    DrawSampled(theSample2dPs, srgbView.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 128, 128, 128, 188);
}

TEST_F(TextureTest, Bc1BlockDecodesTopRowFirst)
{
    ASSERT_TRUE(myGpu->Device().IsFormatSupported(Format::BC1_UNORM));
    // colour0 red (565 0xF800), colour1 blue (0x001F); rows 0-1 use index 0, rows 2-3 index 1.
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x00, 0x55, 0x55};
    auto texture = DrawTexture(Format::BC1_UNORM, 4, 4, block, 8);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 4), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 60), 0, 0, 255, 255);
    ExpectBytes(texture.get(), 0, std::vector<uint8_t>(std::begin(block), std::end(block)));
}

TEST_F(TextureTest, EveryBlockFormatCanBeCreated)
{
    const uint8_t blocks[16 * 4] = {};
    for (Format format : {Format::BC1_UNORM, Format::BC1_UNORM_SRGB, Format::BC2_UNORM, Format::BC2_UNORM_SRGB, Format::BC3_UNORM,
                          Format::BC3_UNORM_SRGB, Format::BC4_UNORM, Format::BC4_SNORM, Format::BC5_UNORM, Format::BC5_SNORM,
                          Format::BC6H_UF16, Format::BC6H_SF16, Format::BC7_UNORM, Format::BC7_UNORM_SRGB})
    {
        SCOPED_TRACE(FormatName(format));
        EXPECT_TRUE(myGpu->Device().IsFormatSupported(format));
        auto texture = MakeTexture(format, 8, 4, blocks, RowPitch(format, 8));
        ASSERT_NE(texture, nullptr);
        EXPECT_NE(myGpu->Device().CreateShaderResourceView(texture.get()), nullptr);
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(myGpu->Context().ReadSubresource(texture.get(), 0, bytes));
        EXPECT_EQ(bytes.size(), 2u * BlockBytes(format));
    }
}

TEST_F(TextureTest, SingleChannelAndFloatFormatsSample)
{
    const uint8_t r8[] = {51};
    DrawTexture(Format::R8_UNORM, 1, 1, r8, 1);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 51, 0, 0, 255);
    const float r32[] = {0.75f};
    DrawTexture(Format::R32_FLOAT, 1, 1, r32, 4);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 191, 0, 0, 255);
    const uint16_t r16f[] = {0x3800};   // 0.5 as a half float
    DrawTexture(Format::R16_FLOAT, 1, 1, r16f, 2);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 128, 0, 0, 255);
    const float rgba32f[] = {0.0f, 0.25f, 1.0f, 0.5f};
    DrawTexture(Format::R32G32B32A32_FLOAT, 1, 1, rgba32f, 16);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 64, 255, 128);
    const uint8_t bgrx[] = {255, 0, 0, 7};   // blue; the X byte is not alpha
    DrawTexture(Format::B8G8R8X8_UNORM, 1, 1, bgrx, 4);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 0, 255, 255);
}

TEST_F(TextureTest, MipLevelsHoldTheirOwnDataAndViewsPickThem)
{
    // 4 x 4, three levels: red, green, blue.
    std::vector<uint8_t> level0(4 * 4 * 4), level1(2 * 2 * 4), level2(4);
    for (size_t i = 0; i < level0.size(); i += 4) { level0[i] = 255; level0[i + 3] = 255; }
    for (size_t i = 0; i < level1.size(); i += 4) { level1[i + 1] = 255; level1[i + 3] = 255; }
    level2 = {0, 0, 255, 255};
    Texture2DDesc desc = TextureDesc(4, 4, Format::R8G8B8A8_UNORM);
    desc.mipLevels = 0;   // full chain
    const SubresourceData data[3] = {{level0.data(), 16, 0}, {level1.data(), 8, 0}, {level2.data(), 4, 0}};
    auto texture = myGpu->Device().CreateTexture2D(desc, data);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetDesc().mipLevels, 3u);
    ExpectBytes(texture.get(), 1, level1);

    ShaderResourceViewDesc viewDesc;
    viewDesc.format = Format::R8G8B8A8_UNORM;
    viewDesc.mostDetailedMip = 2;
    auto view = myGpu->Device().CreateShaderResourceView(texture.get(), &viewDesc);
    ASSERT_NE(view, nullptr);
    DrawSampled(theSample2dPs, view.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 0, 255, 255);

    auto whole = myGpu->Device().CreateShaderResourceView(texture.get());
    DrawSampled(SamplePs("sampler2D colourTexture", "textureLod(colourTexture, vUv, 1.0)"), whole.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 255, 0, 255);
}

TEST_F(TextureTest, CubeFacesAreSampledByDirection)
{
    // Six 2 x 2 faces; on each face the top row is the face's colour, the bottom row black.
    const uint8_t colours[6][4] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                   {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
    std::vector<std::vector<uint8_t>> faces(6, std::vector<uint8_t>(16, 0));
    SubresourceData data[6];
    for (int face = 0; face < 6; ++face)
    {
        std::memcpy(&faces[face][0], colours[face], 4);
        std::memcpy(&faces[face][4], colours[face], 4);
        faces[face][11] = 255;
        faces[face][15] = 255;
        data[face] = {faces[face].data(), 8, 0};
    }
    Texture2DDesc desc = TextureDesc(2, 2, Format::R8G8B8A8_UNORM);
    desc.arraySize = 6;
    desc.miscFlags = ResourceMisc::TextureCube;
    auto cube = myGpu->Device().CreateTexture2D(desc, data);
    ASSERT_NE(cube, nullptr);
    auto view = myGpu->Device().CreateShaderResourceView(cube.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDesc().viewDimension, SrvDimension::TextureCube);

    // Left half of the screen looks along +X slightly up, right half along -Y.
    DrawSampled(SamplePs("samplerCube environment", "texture(environment, vUv.x < 0.5 ? vec3(1.0, 0.5, 0.1) : vec3(0.1, -1.0, -0.5))"),
                view.get());
    // +X (face 0): upward direction reads the top row, red.
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 30), 255, 0, 0, 255);
    // -Y (face 3): z -0.5 reads the face's bottom row (-Y faces have +z at the top), black.
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 30), 0, 0, 0, 255);
    ExpectBytes(cube.get(), CalcSubresource(0, 4, 1), faces[4]);
}

TEST_F(TextureTest, ArraySlicesAreSampledByLayer)
{
    const uint8_t red[4] = {255, 0, 0, 255};
    const uint8_t green[4] = {0, 255, 0, 255};
    Texture2DDesc desc = TextureDesc(1, 1, Format::R8G8B8A8_UNORM);
    desc.arraySize = 2;
    const SubresourceData data[2] = {{red, 4, 0}, {green, 4, 0}};
    auto array = myGpu->Device().CreateTexture2D(desc, data);
    ASSERT_NE(array, nullptr);
    auto view = myGpu->Device().CreateShaderResourceView(array.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDesc().viewDimension, SrvDimension::Texture2DArray);
    DrawSampled(SamplePs("sampler2DArray layers", "texture(layers, vec3(vUv, 1.0))"), view.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 255, 0, 255);

    // A single-slice 2D view of slice 0.
    ShaderResourceViewDesc sliceDesc;
    sliceDesc.format = Format::R8G8B8A8_UNORM;
    sliceDesc.viewDimension = SrvDimension::Texture2DArray;
    sliceDesc.firstArraySlice = 1;
    sliceDesc.arraySize = 1;
    auto slice = myGpu->Device().CreateShaderResourceView(array.get(), &sliceDesc);
    ASSERT_NE(slice, nullptr);
    DrawSampled(SamplePs("sampler2DArray layers", "texture(layers, vec3(vUv, 0.0))"), slice.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 255, 0, 255);
}

TEST_F(TextureTest, DynamicTextureMapDiscardReplacesTheTexels)
{
    // As a video frame texture: sRGB, dynamic, written every frame.
    auto texture = MakeTexture(Format::R8G8B8A8_UNORM_SRGB, 4, 2, nullptr, 0, Usage::Dynamic);
    ASSERT_NE(texture, nullptr);
    auto view = myGpu->Device().CreateShaderResourceView(texture.get());
    DeviceContext& context = myGpu->Context();
    for (const uint8_t value : {188, 255})
    {
        MappedSubresource mapped;
        ASSERT_TRUE(context.Map(texture.get(), 0, MapType::WriteDiscard, 0, &mapped));
        EXPECT_EQ(mapped.rowPitch, 16u);
        for (uint32_t row = 0; row < 2; ++row)
            std::memset(static_cast<uint8_t*>(mapped.data) + row * mapped.rowPitch, row == 0 ? value : 0, 16);
        context.Unmap(texture.get(), 0);
        DrawSampled(theSample2dPs, view.get());
        const int linear = value == 188 ? 128 : 255;
        EXPECT_PIXEL(myGpu->BackBufferPixel(30, 10), linear, linear, linear, value);
        EXPECT_PIXEL(myGpu->BackBufferPixel(30, 50), 0, 0, 0, 0);
    }
    MappedSubresource mapped;
    EXPECT_FALSE(context.Map(texture.get(), 0, MapType::Read, 0, &mapped));
    EXPECT_FALSE(context.Map(texture.get(), 1, MapType::WriteDiscard, 0, &mapped));
}

TEST_F(TextureTest, UpdateSubresourceWritesABoxWithItsRowPitch)
{
    auto texture = myGpu->Device().CreateTexture2D(TextureDesc(4, 4, Format::R8_UNORM));
    ASSERT_NE(texture, nullptr);
    const std::vector<uint8_t> zeros(16, 0);
    myGpu->Context().UpdateSubresource(texture.get(), 0, nullptr, zeros.data(), 4, 0);
    // A 2 x 2 box at (1, 2) from rows 8 bytes apart.
    const uint8_t source[] = {10, 11, 0, 0, 0, 0, 0, 0, 20, 21};
    const Box box{1, 2, 0, 3, 4, 1};
    myGpu->Context().UpdateSubresource(texture.get(), 0, &box, source, 8, 0);
    ExpectBytes(texture.get(), 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 11, 0, 0, 20, 21, 0});
}

TEST_F(TextureTest, AtlasUpdatedThenMipmapped)
{
    // A 1024 x 1024 glyph atlas: full mip chain, render target + shader resource, generate-mips.
    Texture2DDesc desc = TextureDesc(1024, 1024, Format::R8G8B8A8_UNORM, Bind::ShaderResource | Bind::RenderTarget);
    desc.mipLevels = 0;
    desc.miscFlags = ResourceMisc::GenerateMips;
    auto atlas = myGpu->Device().CreateTexture2D(desc);
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(atlas->GetDesc().mipLevels, 11u);
    // Left half white, right half black.
    std::vector<uint32_t> texels(1024 * 1024);
    for (size_t y = 0; y < 1024; ++y)
        std::fill_n(&texels[y * 1024], 512, 0xFFFFFFFFu);
    myGpu->Context().UpdateSubresource(atlas.get(), 0, nullptr, texels.data(), 4096, 0);
    auto view = myGpu->Device().CreateShaderResourceView(atlas.get());
    ASSERT_NE(view, nullptr);
    myGpu->Context().GenerateMips(view.get());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(myGpu->Context().ReadSubresource(atlas.get(), 10, bytes));
    ASSERT_EQ(bytes.size(), 4u);
    EXPECT_NEAR(bytes[0], 128, 2);
    ASSERT_TRUE(myGpu->Context().ReadSubresource(atlas.get(), 9, bytes));
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(bytes[0], 255);
    EXPECT_EQ(bytes[4], 0);

    // Without the generate-mips flag nothing is generated.
    desc.miscFlags = 0;
    desc.bindFlags = Bind::ShaderResource;
    auto plain = myGpu->Device().CreateTexture2D(desc);
    auto plainView = myGpu->Device().CreateShaderResourceView(plain.get());
    myGpu->Context().UpdateSubresource(plain.get(), 0, nullptr, texels.data(), 4096, 0);
    myGpu->Context().GenerateMips(plainView.get());
    ASSERT_TRUE(myGpu->Context().ReadSubresource(plain.get(), 10, bytes));
    EXPECT_EQ(bytes[0], 0);
}

TEST_F(TextureTest, CopyResourceToStagingThenMapRead)
{
    const uint8_t texels[] = {1, 2, 3, 4, 5, 6, 7, 8};
    Texture2DDesc desc = TextureDesc(2, 1, Format::R8G8B8A8_UNORM);
    SubresourceData data{texels, 8, 0};
    auto source = myGpu->Device().CreateTexture2D(desc, &data);
    desc.usage = Usage::Staging;
    desc.bindFlags = 0;
    desc.cpuAccessFlags = CpuAccess::Read;
    auto staging = myGpu->Device().CreateTexture2D(desc);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(staging, nullptr);
    DeviceContext& context = myGpu->Context();
    context.CopyResource(staging.get(), source.get());
    MappedSubresource mapped;
    ASSERT_TRUE(context.Map(staging.get(), 0, MapType::Read, 0, &mapped));
    EXPECT_EQ(mapped.rowPitch, 8u);
    EXPECT_EQ(std::memcmp(mapped.data, texels, 8), 0);
    context.Unmap(staging.get(), 0);
    EXPECT_FALSE(context.Map(staging.get(), 0, MapType::Write, 0, &mapped));

    // Buffers copy too.
    BufferDesc bufferDesc;
    bufferDesc.byteWidth = 8;
    bufferDesc.bindFlags = Bind::VertexBuffer;
    SubresourceData bufferData{texels, 0, 0};
    auto buffer = myGpu->Device().CreateBuffer(bufferDesc, &bufferData);
    bufferDesc.usage = Usage::Staging;
    bufferDesc.bindFlags = 0;
    bufferDesc.cpuAccessFlags = CpuAccess::Read;
    auto stagingBuffer = myGpu->Device().CreateBuffer(bufferDesc);
    context.CopyResource(stagingBuffer.get(), buffer.get());
    ASSERT_TRUE(context.Map(stagingBuffer.get(), 0, MapType::Read, 0, &mapped));
    EXPECT_EQ(std::memcmp(mapped.data, texels, 8), 0);
    context.Unmap(stagingBuffer.get(), 0);
}

TEST_F(TextureTest, RenderToTextureThenSampleIt)
{
    auto target = myGpu->Device().CreateTexture2D(TextureDesc(8, 8, Format::R8G8B8A8_UNORM, Bind::ShaderResource | Bind::RenderTarget));
    auto rtv = myGpu->Device().CreateRenderTargetView(target.get());
    auto srv = myGpu->Device().CreateShaderResourceView(target.get());
    ASSERT_NE(rtv, nullptr);
    ASSERT_NE(srv, nullptr);
    // Top half of the texture red via a uv test, bottom half cleared green.
    const float green[4] = {0, 1, 0, 1};
    myGpu->Context().ClearRenderTargetView(rtv.get(), green);
    const std::string topRedPs = R"(#version 450
in vec2 vUv;
out vec4 outColour;
void main() { if (vUv.y > 0.5) discard; outColour = vec4(1.0, 0.0, 0.0, 1.0); }
)";
    DrawSampled(topRedPs, nullptr, nullptr, rtv.get());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(myGpu->Context().ReadSubresource(target.get(), 0, bytes));
    EXPECT_EQ(bytes[0], 255);                  // row 0 red
    EXPECT_EQ(bytes[7 * 32 + 1], 255);         // row 7 green

    // Unbind it as a target, then sample it onto the back buffer.
    myGpu->Context().OMSetRenderTargets(0, nullptr, nullptr);
    DrawSampled(theSample2dPs, srv.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 5), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 60), 0, 255, 0, 255);
}

TEST_F(TextureTest, DepthBufferIsReadThroughAnR32FloatView)
{
    // The engine's depth buffer: R32_TYPELESS, D32_FLOAT view, R32_FLOAT shader view.
    auto depth = myGpu->Device().CreateTexture2D(TextureDesc(64, 64, Format::R32_TYPELESS, Bind::DepthStencil | Bind::ShaderResource));
    ASSERT_NE(depth, nullptr);
    DepthStencilViewDesc dsvDesc;
    dsvDesc.format = Format::D32_FLOAT;
    auto dsv = myGpu->Device().CreateDepthStencilView(depth.get(), &dsvDesc);
    ShaderResourceViewDesc srvDesc;
    srvDesc.format = Format::R32_FLOAT;
    auto srv = myGpu->Device().CreateShaderResourceView(depth.get(), &srvDesc);
    ASSERT_NE(dsv, nullptr);
    ASSERT_NE(srv, nullptr);
    myGpu->Context().ClearDepthStencilView(dsv.get(), ClearFlag::Depth, 0.5f, 0);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(myGpu->Context().ReadSubresource(depth.get(), 0, bytes));
    float value = 0.0f;
    std::memcpy(&value, bytes.data(), 4);
    EXPECT_FLOAT_EQ(value, 0.5f);

    DrawSampled(theSample2dPs, srv.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 128, 0, 0, 255);
}

TEST_F(TextureTest, SamplerRegistersFollowTheSamplerNames)
{
    // A 2 x 1 texture, red then green, read at u = 1.25: wrapping gives red, clamping green.
    const uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255};
    auto texture = MakeTexture(Format::R8G8B8A8_UNORM, 2, 1, texels, 8);
    auto view = myGpu->Device().CreateShaderResourceView(texture.get());
    SamplerDesc wrapDesc;
    wrapDesc.filter = Filter::MinMagMipPoint;
    wrapDesc.addressU = wrapDesc.addressV = wrapDesc.addressW = TextureAddressMode::Wrap;
    auto wrap = myGpu->Device().CreateSamplerState(wrapDesc);
    ASSERT_NE(wrap, nullptr);
    const std::string ps = R"(#version 450
layout(binding = 1) uniform sampler2D first;        // t1 with s0
layout(binding = 2) uniform sampler2D second_s1;    // t2 with s1
in vec2 vUv;
out vec4 outColour;
void main()
{
    outColour = vUv.y < 0.5 ? texture(first, vec2(1.25, 0.5)) : texture(second_s1, vec2(1.25, 0.5));
}
)";
    DrawSampled(ps, {view.get(), view.get()}, {wrap.get(), myPointClamp.get()});
    DeviceContext& context = myGpu->Context();
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 10), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 50), 0, 255, 0, 255);

    // Swapping the two sampler registers swaps the results.
    SamplerState* swapped[] = {myPointClamp.get(), wrap.get()};
    context.PSSetSamplers(0, 2, swapped);
    context.Draw(3, 0);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 10), 0, 255, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 50), 255, 0, 0, 255);
}

TEST_F(TextureTest, LinearFilterOfTheStateStackBlendsNeighbours)
{
    const uint8_t texels[] = {0, 0, 0, 255, 255, 255, 255, 255};
    auto texture = MakeTexture(Format::R8G8B8A8_UNORM, 2, 1, texels, 8);
    auto view = myGpu->Device().CreateShaderResourceView(texture.get());
    SamplerDesc trilinear;
    trilinear.filter = Filter::MinMagMipLinear;
    trilinear.addressU = trilinear.addressV = trilinear.addressW = TextureAddressMode::Clamp;
    trilinear.maxAnisotropy = 16;
    trilinear.comparisonFunc = ComparisonFunc::Always;
    trilinear.borderColor[0] = trilinear.borderColor[1] = trilinear.borderColor[2] = trilinear.borderColor[3] = 0.0f;
    trilinear.minLOD = 0.0f;
    auto sampler = myGpu->Device().CreateSamplerState(trilinear);
    ASSERT_NE(sampler, nullptr);
    DrawSampled(theSample2dPs, view.get(), sampler.get());
    // The middle column lies between the two texels.
    const Rgba8 middle = myGpu->BackBufferPixel(32, 30);
    EXPECT_NEAR(middle.r, 128, 8);
}

TEST_F(TextureTest, ATextureBoundAfterTheOldOneIsReleasedIsSampled)
{
    // Texture A is left in unit 1 while another shader draws; A is then released and B,
    // which may reuse A's GL name, takes register 1. The next draw must sample B.
    const uint8_t red[4] = {255, 0, 0, 255};
    const uint8_t blue[4] = {0, 0, 255, 255};
    auto a = MakeTexture(Format::R8G8B8A8_UNORM, 1, 1, red, 4);
    auto aView = myGpu->Device().CreateShaderResourceView(a.get());
    DrawSampled(theSample2dPs, aView.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 255, 0, 0, 255);

    const std::string plainPs = "#version 450\nout vec4 c;\nvoid main() { c = vec4(0.0, 1.0, 0.0, 1.0); }\n";
    DrawSampled(plainPs, nullptr);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 255, 0, 255);
    aView.reset();
    a.reset();

    DrawTexture(Format::R8G8B8A8_UNORM, 1, 1, blue, 4);
    EXPECT_PIXEL(myGpu->BackBufferPixel(30, 30), 0, 0, 255, 255);
}

TEST_F(TextureTest, ATextureMadeOnALoadingThreadIsWholeWhenTheDeviceThreadDrawsIt)
{
    // 2 x 2: red, green / blue, white, with its 1 x 1 mip.
    const uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const uint8_t mip[] = {64, 128, 192, 255};
    Device& device = myGpu->Device();

    // No loading context yet: a scope elsewhere says so and makes nothing current.
    std::thread([&] {
        LoadingScope scope(device);
        EXPECT_FALSE(scope);
    }).join();

    ASSERT_TRUE(device.PrepareLoading());
    ASSERT_TRUE(device.PrepareLoading());   // once
    // The device's thread keeps its own context: no scope here.
    {
        LoadingScope scope(device);
        EXPECT_FALSE(scope);
    }

    std::shared_ptr<ShaderResourceView> view;
    std::thread([&] {
        LoadingScope scope(device);
        ASSERT_TRUE(scope);
        Texture2DDesc desc = TextureDesc(2, 2, Format::R8G8B8A8_UNORM);
        desc.mipLevels = 2;
        const SubresourceData levels[] = {{texels, 8, 0}, {mip, 4, 0}};
        const auto texture = device.CreateTexture2D(desc, levels);
        ASSERT_NE(texture, nullptr);
        view = device.CreateShaderResourceView(texture.get());
        // One made and dropped here is released on this thread's context.
        const auto dropped = device.CreateTexture2D(desc, levels);
        EXPECT_NE(dropped, nullptr);
    }).join();
    ASSERT_NE(view, nullptr);

    DrawSampled(theSample2dPs, view.get());
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 10), 255, 0, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 10), 0, 255, 0, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(10, 50), 0, 0, 255, 255);
    EXPECT_PIXEL(myGpu->BackBufferPixel(50, 50), 255, 255, 255, 255);
    Texture2D* texture = static_cast<Texture2D*>(view->GetResource().get());
    ExpectBytes(texture, 0, std::vector<uint8_t>(std::begin(texels), std::end(texels)));
    ExpectBytes(texture, 1, std::vector<uint8_t>(std::begin(mip), std::end(mip)));
}

#include "forge/filewatcher/FileWatcher.h"
#include "forge/texture/TextureManager.h"

#include "Support/Polling.h"
#include "Support/RunningEngine.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/image/DdsReader.h"
#include "Platform/image/DdsWriter.h"

#include <stb/stb_dxt.h>
#include <stb/stb_image_write.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;
using Kiln::TextureSrgbMode;
using Plat::Image::DdsHeaderKind;
using Plat::Image::DxgiFormat;
using Plat::Image::ImageData;

namespace
{
    class TextureManagerTest : public RunningEngineTest
    {
    protected:
        void SetUp() override
        {
            RunningEngineTest::SetUp();
            myWatcher = std::make_unique<Kiln::FileWatcher>();
            myManager = std::make_unique<Kiln::TextureManager>(myWatcher.get());
            myManager->Init();
        }
        void TearDown() override
        {
            myManager.reset();
            myWatcher.reset();
            RunningEngineTest::TearDown();
        }

        static ImageData Filled(DxgiFormat aFormat, uint32_t w, uint32_t h, uint32_t mips = 1, uint32_t slices = 1, bool cube = false, uint8_t aSeed = 1)
        {
            ImageData image = Plat::Image::MakeImage(aFormat, w, h, mips, slices, cube);
            for (size_t i = 0; i < image.bytes.size(); ++i)
                image.bytes[i] = uint8_t(i * 13 + aSeed);
            return image;
        }

        std::string WriteDds(const std::string& aName, const ImageData& anImage, DdsHeaderKind aKind = DdsHeaderKind::Dx10)
        {
            EXPECT_TRUE(Plat::Image::WriteDdsFile(TempPath(aName), anImage, aKind));
            return TempPath(aName);
        }

        static Plat::Gpu::Texture2D* TextureOf(const Kiln::Texture* aTexture)
        {
            const auto& view = aTexture->GetShaderResourceView();
            return view ? static_cast<Plat::Gpu::Texture2D*>(view->GetResource().get()) : nullptr;
        }

        static std::vector<uint8_t> ReadBack(Plat::Gpu::Texture2D* aTexture, uint32_t aSubresource = 0)
        {
            std::vector<uint8_t> bytes;
            EXPECT_TRUE(Kiln::DX11::Context->ReadSubresource(aTexture, aSubresource, bytes));
            return bytes;
        }

        // Runs frames (watcher flushes) until aDone holds.
        bool FlushUntil(const std::function<bool()>& aDone)
        {
            return KilnTest::PollUntil([this] { myWatcher->FlushChanges(); }, aDone);
        }

        std::unique_ptr<Kiln::FileWatcher> myWatcher;
        std::unique_ptr<Kiln::TextureManager> myManager;
    };
}

TEST_F(TextureManagerTest, EachSrgbModeHasItsOwnCacheEntryAndFormat)
{
    const std::string path = WriteDds("a.dds", Filled(DxgiFormat::R8G8B8A8_Unorm, 4, 4), DdsHeaderKind::Legacy);
    Kiln::TextureResource* srgb = myManager->GetTexture(path.c_str(), TextureSrgbMode::ForceSrgb);
    Kiln::TextureResource* plain = myManager->GetTexture(path.c_str(), TextureSrgbMode::IgnoreSrgb);
    Kiln::TextureResource* stored = myManager->GetTexture(path.c_str(), TextureSrgbMode::AsStored);
    EXPECT_EQ(myManager->GetCacheSize(), 3u);
    EXPECT_NE(srgb, plain);
    EXPECT_NE(plain, stored);
    EXPECT_EQ(Kiln::TextureManager::MakeKey(path.c_str(), TextureSrgbMode::ForceSrgb), path + "#SRGB");
    EXPECT_EQ(Kiln::TextureManager::MakeKey(path.c_str(), TextureSrgbMode::IgnoreSrgb), path + "#NO_SRGB");
    EXPECT_EQ(Kiln::TextureManager::MakeKey(nullptr, TextureSrgbMode::AsStored), "");

    EXPECT_EQ(TextureOf(srgb)->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(TextureOf(plain)->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM);
    EXPECT_EQ(TextureOf(stored)->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM);
    EXPECT_EQ(srgb->myMode, TextureSrgbMode::ForceSrgb);
    EXPECT_EQ(srgb->myPath, path);
    EXPECT_EQ(srgb->myName, fs::path(path).string());
    EXPECT_EQ(srgb->myWidth, 4u);
    EXPECT_FALSE(srgb->myIsPlaceholder);

    // Cached: the same object again, no new entry.
    EXPECT_EQ(myManager->GetTexture(path.c_str(), TextureSrgbMode::ForceSrgb), srgb);
    EXPECT_EQ(myManager->GetCacheSize(), 3u);
}

TEST_F(TextureManagerTest, MissingAndUnreadableFilesShareOneCachedCheckerPlaceholderAndAreNamedOnceAndNoPathSaysNothing)
{
    // No path asks for no texture: the checker stands in, and nothing is missing to be named.
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Kiln::TextureResource* none = myManager->GetTexture("");
    const bool nullIsEmpty = myManager->GetTexture(nullptr) == none;
    EXPECT_EQ(::testing::internal::GetCapturedStderr() + ::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(none->myIsPlaceholder && nullIsEmpty);

    ::testing::internal::CaptureStderr();
    Kiln::TextureResource* missing = myManager->GetTexture("Textures/does_not_exist.dds");
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->myIsPlaceholder);
    EXPECT_EQ(missing->myName, "Textures/does_not_exist.dds");
    EXPECT_TRUE(missing->myPath.empty());
    EXPECT_EQ(missing->myMode, TextureSrgbMode::AsStored);
    EXPECT_FLOAT_EQ(missing->mySize.x, 0.3f);
    EXPECT_FLOAT_EQ(missing->mySize.y, 0.3f);
    EXPECT_EQ(missing->myWidth, 512u);
    EXPECT_EQ(missing->myHeight, 512u);
    EXPECT_EQ(missing->GetShaderResourceView().get(), myManager->GetErrorView());
    EXPECT_EQ(myManager->GetTexture("Textures/does_not_exist.dds"), missing);
    EXPECT_EQ(myManager->TryLoadTexture("Textures/does_not_exist.dds", TextureSrgbMode::AsStored, true), nullptr);

    // Files no loader accepts: a lying DDS, a cut PNG, garbage with a Targa name.
    std::vector<uint8_t> dds;
    Plat::Image::EncodeDds(Filled(DxgiFormat::R8G8B8A8_Unorm, 64, 64), DdsHeaderKind::Dx10, dds);
    dds.resize(dds.size() / 2);
    std::ofstream(TempPath("cut.dds"), std::ios::binary).write(reinterpret_cast<const char*>(dds.data()), std::streamsize(dds.size()));
    std::ofstream(TempPath("cut.png"), std::ios::binary) << "\x89PNG\r\n\x1a\n\0\0\0\rIHDR";
    std::ofstream(TempPath("junk.tga"), std::ios::binary) << "not a targa file at all";
    for (const char* name : {"cut.dds", "cut.png", "junk.tga"})
    {
        Kiln::TextureResource* bad = myManager->GetTexture(TempPath(name).c_str());
        EXPECT_TRUE(bad->myIsPlaceholder) << name;
        EXPECT_EQ(bad->GetShaderResourceView().get(), myManager->GetErrorView());
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    for (const std::string& name : {std::string("Textures/does_not_exist.dds"), TempPath("cut.dds"), TempPath("cut.png"), TempPath("junk.tga")})
    {
        const std::string line = "Texture \"" + name + "\" is not found or cannot be read; a checker stands in for it\n";
        const std::size_t first = said.find(line);
        EXPECT_NE(first, std::string::npos) << said;
        EXPECT_EQ(said.find(line, first + 1), std::string::npos) << "said once: " << said;
    }
}

TEST_F(TextureManagerTest, PlaceholdersMadeBeforeInitShowTheCheckerToo)
{
    // The engine asks for its default textures before the built-in ones exist.
    Kiln::TextureManager early;
    Kiln::TextureResource* missing = early.GetTexture("Textures/not_there_yet.dds", TextureSrgbMode::ForceSrgb);
    ASSERT_TRUE(missing->myIsPlaceholder);
    EXPECT_EQ(missing->GetShaderResourceView(), nullptr);

    early.Init();
    ASSERT_NE(early.GetErrorView(), nullptr);
    EXPECT_EQ(missing->GetShaderResourceView().get(), early.GetErrorView());
    EXPECT_EQ(early.GetTexture("Textures/not_there_yet.dds", TextureSrgbMode::ForceSrgb), missing);
    EXPECT_EQ(early.GetTexture("Textures/also_missing.dds")->GetShaderResourceView().get(), early.GetErrorView());
}

TEST_F(TextureManagerTest, BuiltInCheckerWhiteSquareAndFlatTexture)
{
    const auto* checkerView = myManager->GetErrorView();
    ASSERT_NE(checkerView, nullptr);
    auto* checker = static_cast<Plat::Gpu::Texture2D*>(checkerView->GetResource().get());
    EXPECT_EQ(checker->GetDesc().width, 16u);
    EXPECT_EQ(checker->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM);
    const auto pixels = ReadBack(checker);
    ASSERT_EQ(pixels.size(), 16u * 16u * 4u);
    for (uint32_t y = 0; y < 16; ++y)
    {
        for (uint32_t x = 0; x < 16; ++x)
        {
            const uint8_t* p = &pixels[(y * 16 + x) * 4];
            const bool magenta = (x + y) % 2 == 1;
            EXPECT_EQ(p[0], magenta ? 255 : 0) << x << "," << y;
            EXPECT_EQ(p[1], 0);
            EXPECT_EQ(p[2], magenta ? 255 : 0);
            EXPECT_EQ(p[3], 255);
        }
    }

    Kiln::TextureResource* white = myManager->GetWhiteSquare();
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->myName, "WhiteSquare");
    EXPECT_FLOAT_EQ(white->mySize.x, 0.3f);
    EXPECT_EQ(white->myWidth, 512u);
    EXPECT_EQ(ReadBack(TextureOf(white)), std::vector<uint8_t>(64, 0xFF));
    EXPECT_EQ(myManager->GetCacheSize(), 0u);

    auto* flat = static_cast<Plat::Gpu::Texture2D*>(myManager->GetFlatView()->GetResource().get());
    const auto flatPixels = ReadBack(flat);
    ASSERT_EQ(flatPixels.size(), 64u);
    for (size_t i = 0; i < 64; i += 4)
        EXPECT_EQ(std::vector<uint8_t>(flatPixels.begin() + std::ptrdiff_t(i), flatPixels.begin() + std::ptrdiff_t(i) + 4),
                  (std::vector<uint8_t>{128, 128, 255, 255}));
}

TEST_F(TextureManagerTest, SizesAreNormalisedByTheRenderHeight)
{
    const std::string path = WriteDds("tall.dds", Filled(DxgiFormat::R8_Unorm, 2, 1024));
    Kiln::TextureResource* tall = myManager->GetTexture(path.c_str());
    EXPECT_EQ(tall->myWidth, 2u);
    EXPECT_EQ(tall->myHeight, 1024u);
    EXPECT_NEAR(tall->mySize.y, 1024.0f / 720.0f, 1e-5f);
    EXPECT_NEAR(tall->mySize.x, 2.0f / 720.0f, 1e-6f);
    const auto pixels = Kiln::TextureManager::GetTextureSize(tall->GetShaderResourceView().get(), false);
    EXPECT_FLOAT_EQ(pixels.y, 1024.0f);
    EXPECT_FLOAT_EQ(Kiln::TextureManager::GetTextureSize(nullptr, true).x, 0.0f);
}

TEST_F(TextureManagerTest, DdsFormatsMipsArraysAndCubesRoundTripThroughTheGpu)
{
    // BC1/BC3/BC4/BC5 blocks from a real encoder; BC7 and the rest as raw bytes (read back as stored).
    ImageData bc1 = Filled(DxgiFormat::BC1_Unorm, 8, 8);
    ImageData bc3 = Filled(DxgiFormat::BC3_Unorm_Srgb, 8, 8);
    uint8_t rgba[64];
    for (int i = 0; i < 64; ++i)
        rgba[i] = uint8_t(i * 4);
    for (size_t b = 0; b < 4; ++b)
    {
        stb_compress_dxt_block(bc1.bytes.data() + b * 8, rgba, 0, STB_DXT_NORMAL);
        stb_compress_dxt_block(bc3.bytes.data() + b * 16, rgba, 1, STB_DXT_NORMAL);
    }
    struct Case
    {
        const char* name;
        ImageData image;
        DdsHeaderKind kind;
    };
    std::vector<Case> cases;
    cases.push_back({"rgba_mips.dds", Filled(DxgiFormat::R8G8B8A8_Unorm, 8, 4, 4), DdsHeaderKind::Legacy});
    cases.push_back({"bgra.dds", Filled(DxgiFormat::B8G8R8A8_Unorm, 4, 4), DdsHeaderKind::Legacy});
    cases.push_back({"bgra_srgb.dds", Filled(DxgiFormat::B8G8R8A8_Unorm_Srgb, 4, 4), DdsHeaderKind::Dx10});
    cases.push_back({"bc1.dds", bc1, DdsHeaderKind::Legacy});
    cases.push_back({"bc3.dds", bc3, DdsHeaderKind::Dx10});
    cases.push_back({"bc4.dds", Filled(DxgiFormat::BC4_Unorm, 8, 8, 2), DdsHeaderKind::Legacy});
    cases.push_back({"bc5.dds", Filled(DxgiFormat::BC5_Unorm, 4, 4), DdsHeaderKind::Legacy});
    cases.push_back({"bc7.dds", Filled(DxgiFormat::BC7_Unorm, 8, 8, 1, 2), DdsHeaderKind::Dx10});
    cases.push_back({"r8.dds", Filled(DxgiFormat::R8_Unorm, 5, 3), DdsHeaderKind::Legacy});
    cases.push_back({"r16f.dds", Filled(DxgiFormat::R16_Float, 4, 4), DdsHeaderKind::Legacy});
    cases.push_back({"r32f.dds", Filled(DxgiFormat::R32_Float, 4, 2), DdsHeaderKind::Legacy});
    cases.push_back({"rgba16f.dds", Filled(DxgiFormat::R16G16B16A16_Float, 2, 2), DdsHeaderKind::Dx10});
    cases.push_back({"rgba32f.dds", Filled(DxgiFormat::R32G32B32A32_Float, 2, 2), DdsHeaderKind::Legacy});
    cases.push_back({"array.dds", Filled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 3, 3), DdsHeaderKind::Dx10});
    cases.push_back({"cube.dds", Filled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 2, 6, true), DdsHeaderKind::Legacy});

    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // Float bytes that happen to be NaN may not survive the trip; keep values finite.
        ImageData image = c.image;
        if (image.format == DxgiFormat::R16_Float || image.format == DxgiFormat::R16G16B16A16_Float)
            for (size_t i = 1; i < image.bytes.size(); i += 2)
                image.bytes[i] &= 0x3B;
        if (image.format == DxgiFormat::R32_Float || image.format == DxgiFormat::R32G32B32A32_Float)
            for (size_t i = 3; i < image.bytes.size(); i += 4)
                image.bytes[i] &= 0x3F;
        const std::string path = WriteDds(c.name, image, c.kind);
        Kiln::TextureResource* texture = myManager->GetTexture(path.c_str());
        ASSERT_FALSE(texture->myIsPlaceholder);
        Plat::Gpu::Texture2D* gpu = TextureOf(texture);
        const auto& desc = gpu->GetDesc();
        EXPECT_EQ(static_cast<uint32_t>(desc.format), static_cast<uint32_t>(image.format));
        EXPECT_EQ(desc.mipLevels, image.mipCount);
        EXPECT_EQ(desc.arraySize, image.arraySize);
        EXPECT_EQ((desc.miscFlags & Plat::Gpu::ResourceMisc::TextureCube) != 0, image.isCube);
        for (size_t s = 0; s < image.subresources.size(); ++s)
        {
            const auto& sub = image.subresources[s];
            const std::vector<uint8_t> expected(image.bytes.begin() + std::ptrdiff_t(sub.offset),
                                                image.bytes.begin() + std::ptrdiff_t(sub.offset + sub.slicePitch));
            EXPECT_EQ(ReadBack(gpu, uint32_t(s)), expected) << "subresource " << s;
        }
    }

    // The cube map is viewed as a cube, the array as an array.
    const auto* cube = myManager->GetTexture(TempPath("cube.dds").c_str());
    EXPECT_EQ(cube->GetShaderResourceView()->GetDesc().viewDimension, Plat::Gpu::SrvDimension::TextureCube);
    const auto* array = myManager->GetTexture(TempPath("array.dds").c_str());
    EXPECT_EQ(array->GetShaderResourceView()->GetDesc().viewDimension, Plat::Gpu::SrvDimension::Texture2DArray);
}

TEST_F(TextureManagerTest, PngGoesThroughTheImageDecoderWithAGeneratedMipChain)
{
    std::vector<uint8_t> pixels(8 * 8 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 3);
    ASSERT_NE(stbi_write_png(TempPath("p.png").c_str(), 8, 8, 4, pixels.data(), 32), 0);
    Kiln::TextureResource* png = myManager->GetTexture(TempPath("p.png").c_str(), TextureSrgbMode::ForceSrgb);
    ASSERT_FALSE(png->myIsPlaceholder);
    Plat::Gpu::Texture2D* gpu = TextureOf(png);
    EXPECT_EQ(gpu->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(gpu->GetDesc().mipLevels, 4u);
    EXPECT_EQ(ReadBack(gpu, 0), pixels);
    EXPECT_EQ(png->myWidth, 8u);

    // The imaging decoder works only on the render thread; elsewhere the load fails.
    Kiln::TextureResource* offThread = reinterpret_cast<Kiln::TextureResource*>(1);
    std::thread([&] { offThread = myManager->TryLoadTexture(TempPath("p.png").c_str(), TextureSrgbMode::AsStored, false); }).join();
    EXPECT_EQ(offThread, nullptr);
}

TEST_F(TextureManagerTest, TargaFilesLoadTopRowFirstOnlyWithALowerCaseExtension)
{
    std::vector<uint8_t> file(18, 0);
    file[2] = 2;
    file[12] = 2;
    file[14] = 2;
    file[16] = 32;
    // Bottom row: blue, green; top row: red, white (B, G, R, A on disk).
    const uint8_t stored[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    file.insert(file.end(), std::begin(stored), std::end(stored));
    for (const char* name : {"t.tga", "T.TGA"})
        std::ofstream(TempPath(name), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));

    Kiln::TextureResource* tga = myManager->GetTexture(TempPath("t.tga").c_str(), TextureSrgbMode::IgnoreSrgb);
    ASSERT_FALSE(tga->myIsPlaceholder);
    Plat::Gpu::Texture2D* gpu = TextureOf(tga);
    EXPECT_EQ(gpu->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(gpu->GetDesc().usage, Plat::Gpu::Usage::Dynamic);
    EXPECT_EQ(ReadBack(gpu), (std::vector<uint8_t>{255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255}));

    EXPECT_TRUE(myManager->GetTexture(TempPath("T.TGA").c_str())->myIsPlaceholder);
}

TEST_F(TextureManagerTest, AChangedFileIsReloadedInPlaceAndAFailedReloadKeepsTheOldTexture)
{
    const std::string path = WriteDds("live.dds", Filled(DxgiFormat::R8G8B8A8_Unorm, 2, 2, 1, 1, false, 10), DdsHeaderKind::Legacy);
    Kiln::TextureResource* texture = myManager->GetTexture(path.c_str(), TextureSrgbMode::ForceSrgb);
    ASSERT_EQ(texture->myWidth, 2u);

    // A bigger, different image: the same object now holds it, in the same mode.
    const ImageData next = Filled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 1, 1, false, 77);
    WriteDds("live.dds", next, DdsHeaderKind::Legacy);
    KilnTest::TouchAhead(path, 10);
    ASSERT_TRUE(FlushUntil([&] { return texture->myWidth == 4; }));
    EXPECT_EQ(myManager->GetTexture(path.c_str(), TextureSrgbMode::ForceSrgb), texture);
    EXPECT_EQ(TextureOf(texture)->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(ReadBack(TextureOf(texture)), std::vector<uint8_t>(next.bytes.begin(), next.bytes.end()));
    EXPECT_EQ(myManager->GetCacheSize(), 1u);

    // A broken file: the reload fails and the previous texture stays.
    const auto* viewBefore = texture->GetShaderResourceView().get();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "DDS broken";
    KilnTest::TouchAhead(path, 20);
    ASSERT_TRUE(KilnTest::WaitForAWholeScan(*myWatcher));
    myWatcher->FlushChanges();
    EXPECT_EQ(texture->GetShaderResourceView().get(), viewBefore);
    EXPECT_EQ(texture->myWidth, 4u);
    EXPECT_FALSE(texture->myIsPlaceholder);
}

TEST_F(TextureManagerTest, AnUnreadableFileRecoversFromItsPlaceholderOnceFixedInEveryMode)
{
    // The fixed file is stored as sRGB: each mode gives its own format.
    const struct
    {
        const char* name;
        TextureSrgbMode mode;
        Plat::Gpu::Format format;
    } cases[] = {
        {"stored.dds", TextureSrgbMode::AsStored, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB},
        {"forced.dds", TextureSrgbMode::ForceSrgb, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB},
        {"ignored.dds", TextureSrgbMode::IgnoreSrgb, Plat::Gpu::Format::R8G8B8A8_UNORM},
    };
    std::vector<Kiln::TextureResource*> textures;
    for (const auto& c : cases)
    {
        const std::string path = TempPath(c.name);
        std::ofstream(path, std::ios::binary) << "not yet a texture";
        textures.push_back(myManager->GetTexture(path.c_str(), c.mode));
        ASSERT_TRUE(textures.back()->myIsPlaceholder) << c.name;
    }
    for (const auto& c : cases)
    {
        WriteDds(c.name, Filled(DxgiFormat::R8G8B8A8_Unorm_Srgb, 4, 2));
        KilnTest::TouchAhead(TempPath(c.name), 10);
    }
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& c = cases[i];
        Kiln::TextureResource* texture = textures[i];
        ASSERT_TRUE(FlushUntil([&] { return !texture->myIsPlaceholder; })) << c.name;
        EXPECT_EQ(texture->myWidth, 4u) << c.name;
        EXPECT_EQ(texture->myMode, c.mode) << c.name;
        EXPECT_EQ(texture->myPath, TempPath(c.name)) << c.name;
        EXPECT_EQ(TextureOf(texture)->GetDesc().format, c.format) << c.name;
        EXPECT_EQ(myManager->GetTexture(TempPath(c.name).c_str(), c.mode), texture) << c.name;
    }
    EXPECT_EQ(myManager->GetCacheSize(), std::size(cases));
}

TEST_F(TextureManagerTest, ATextureAskedForOffTheRenderThreadRecoversOnceItsFileChanges)
{
    std::vector<uint8_t> pixels(4 * 4 * 4, 200);
    ASSERT_NE(stbi_write_png(TempPath("late.png").c_str(), 4, 4, 4, pixels.data(), 16), 0);
    Kiln::TextureResource* texture = nullptr;
    std::thread([&] { texture = myManager->GetTexture(TempPath("late.png").c_str(), TextureSrgbMode::IgnoreSrgb); }).join();
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->myIsPlaceholder);

    // The file was watched although the load could not run there.
    KilnTest::TouchAhead(TempPath("late.png"), 10);
    ASSERT_TRUE(FlushUntil([&] { return !texture->myIsPlaceholder; }));
    EXPECT_EQ(texture->myWidth, 4u);
    EXPECT_EQ(TextureOf(texture)->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM);
    EXPECT_EQ(ReadBack(TextureOf(texture)), pixels);
}

TEST_F(TextureManagerTest, TheEngineTexturesAreInTheEngineAssets)
{
    Kiln::TextureResource* white = myManager->GetTexture("Textures/whiteCubeMap.dds");
    Kiln::TextureResource* horizon = myManager->GetTexture("Textures/horizonCubeMap.dds");
    ASSERT_FALSE(white->myIsPlaceholder);
    ASSERT_FALSE(horizon->myIsPlaceholder);
    EXPECT_EQ(white->GetShaderResourceView()->GetDesc().viewDimension, Plat::Gpu::SrvDimension::TextureCube);
    EXPECT_EQ(TextureOf(horizon)->GetDesc().format, Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(TextureOf(horizon)->GetDesc().arraySize, 6u);
    // Face +Y (2) looks at the sky, face -Y (3) at the ground.
    const auto up = ReadBack(TextureOf(horizon), 2);
    const auto down = ReadBack(TextureOf(horizon), 3);
    const size_t centre = (16 * 32 + 16) * 4;
    EXPECT_GT(up[centre + 2], up[centre + 0]);
    EXPECT_LT(down[centre + 2], up[centre + 2]);
    EXPECT_EQ(ReadBack(TextureOf(white), 5)[0], 255);

    const std::pair<const char*, std::vector<uint8_t>> defaults[] = {
        {"Textures/T_Default_c.dds", {255, 255, 255, 255}},
        {"Textures/T_Default_n.dds", {128, 128, 255, 255}},
        {"Textures/T_Default_m.dds", {255, 255, 0, 255}},
        {"Textures/T_Default_fx.dds", {0, 0, 0, 255}},
    };
    for (const auto& [name, texel] : defaults)
    {
        Kiln::TextureResource* texture = myManager->GetTexture(name, TextureSrgbMode::IgnoreSrgb);
        ASSERT_FALSE(texture->myIsPlaceholder) << name;
        const auto bytes = ReadBack(TextureOf(texture));
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), texel) << name;
    }
}

TEST_F(TextureManagerTest, FilesReadAheadAreMadeOnTheWorkersAndAreTheFilesAskedFor)
{
    ASSERT_TRUE(myManager->MakePrefetchedOnWorkers());
    // A large one (its pixels in a buffer of huge pages), a small one, a missing one, and
    // one asked for in two modes.
    const ImageData large = Filled(DxgiFormat::R8G8B8A8_Unorm, 1024, 1024, 11, 1, false, 7);
    const ImageData small = Filled(DxgiFormat::B8G8R8A8_Unorm, 8, 4, 2, 1, false, 3);
    const std::string largePath = WriteDds("ahead_large.dds", large, DdsHeaderKind::Dx10);
    const std::string smallPath = WriteDds("ahead_small.dds", small, DdsHeaderKind::Legacy);
    const std::string missingPath = TempPath("ahead_missing.dds");
    myManager->PrefetchTextures({largePath, smallPath, missingPath}, TextureSrgbMode::AsStored);
    myManager->PrefetchTextures({smallPath}, TextureSrgbMode::ForceSrgb);
    ASSERT_TRUE(KilnTest::PollUntil([] {}, [this] { return myManager->UploadPrefetched(0) == 0; }));

    for (const auto& [path, image, mode] : {std::tuple{largePath, &large, TextureSrgbMode::AsStored},
                                            std::tuple{smallPath, &small, TextureSrgbMode::AsStored},
                                            std::tuple{smallPath, &small, TextureSrgbMode::ForceSrgb}})
    {
        SCOPED_TRACE(path);
        Kiln::TextureResource* texture = myManager->GetTexture(path.c_str(), mode);
        ASSERT_FALSE(texture->myIsPlaceholder);
        EXPECT_EQ(texture->myWidth, image->width);
        Plat::Gpu::Texture2D* gpu = TextureOf(texture);
        ASSERT_NE(gpu, nullptr);
        EXPECT_EQ(gpu->GetDesc().mipLevels, image->mipCount);
        const DxgiFormat format = mode == TextureSrgbMode::ForceSrgb ? DxgiFormat::B8G8R8A8_Unorm_Srgb : image->format;
        EXPECT_EQ(static_cast<uint32_t>(gpu->GetDesc().format), static_cast<uint32_t>(format));
        for (size_t s = 0; s < image->subresources.size(); ++s)
        {
            const auto& sub = image->subresources[s];
            const std::vector<uint8_t> expected(image->bytes.begin() + std::ptrdiff_t(sub.offset),
                                                image->bytes.begin() + std::ptrdiff_t(sub.offset + sub.slicePitch));
            EXPECT_TRUE(ReadBack(gpu, uint32_t(s)) == expected) << "subresource " << s;
        }
    }
    // The missing file is the checker, named by its request as ever.
    testing::internal::CaptureStderr();
    EXPECT_TRUE(myManager->GetTexture(missingPath.c_str())->myIsPlaceholder);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ahead_missing.dds"), std::string::npos);
}

TEST_F(TextureManagerTest, TheFirstFrameTexturesAreReadAndMadeWhileTheEngineStarts)
{
    const ImageData logo = Filled(DxgiFormat::R8G8B8A8_Unorm, 64, 32, 7, 1, false, 5);
    const std::string path = WriteDds("first_frame.dds", logo, DdsHeaderKind::Dx10);
    myManager.reset();
    myWatcher.reset();
    myEngine.reset();
    myEngine = std::make_unique<KilnTest::ScopedEngine>([&](Kiln::EngineConfiguration& aConfig) {
        aConfig.myFirstFrameTextures = {path, TempPath("first_frame_missing.dds")};
    });
    ASSERT_TRUE(myEngine->Started());
    Kiln::TextureManager& textures = *(*myEngine)->GetTextureManager();
    ASSERT_TRUE(KilnTest::PollUntil([] {}, [&] { return textures.UploadPrefetched(0) == 0; }));

    // Made from what was read at the start: the file is no longer needed.
    fs::remove(path);
    Kiln::TextureResource* texture = textures.GetTexture(path.c_str(), TextureSrgbMode::ForceSrgb);
    ASSERT_FALSE(texture->myIsPlaceholder);
    Plat::Gpu::Texture2D* gpu = TextureOf(texture);
    ASSERT_NE(gpu, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(gpu->GetDesc().format), static_cast<uint32_t>(DxgiFormat::R8G8B8A8_Unorm_Srgb));
    const auto& top = logo.subresources[0];
    EXPECT_TRUE(ReadBack(gpu, 0) == std::vector<uint8_t>(logo.bytes.begin(), logo.bytes.begin() + std::ptrdiff_t(top.slicePitch)));
    // A missing one is named when asked for, as ever.
    testing::internal::CaptureStderr();
    EXPECT_TRUE(textures.GetTexture(TempPath("first_frame_missing.dds").c_str(), TextureSrgbMode::ForceSrgb)->myIsPlaceholder);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("first_frame_missing.dds"), std::string::npos);
}

#include "Platform/image/DdsReader.h"
#include "Platform/image/DdsWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using namespace Plat::Image;

namespace
{
    ImageData MakeFilled(DxgiFormat aFormat, uint32_t w, uint32_t h, uint32_t mips, uint32_t slices, bool cube)
    {
        ImageData image = MakeImage(aFormat, w, h, mips, slices, cube);
        for (size_t i = 0; i < image.bytes.size(); ++i)
            image.bytes[i] = uint8_t(i * 7 + 3);
        return image;
    }

    std::vector<uint8_t> Encode(const ImageData& anImage, DdsHeaderKind aKind)
    {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(EncodeDds(anImage, aKind, bytes));
        return bytes;
    }

    void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

    // A legacy header with a pixel format of our choosing and enough zero payload.
    std::vector<uint8_t> LegacyFile(uint32_t pfFlags, uint32_t fourCC, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
    {
        // Payload large enough for the widest format (16 bytes a texel).
        std::vector<uint8_t> bytes = Encode(MakeImage(DxgiFormat::R32G32B32A32_Float, 4, 4, 1, 1, false), DdsHeaderKind::Legacy);
        PutU32(bytes, 80, pfFlags);
        PutU32(bytes, 84, fourCC);
        PutU32(bytes, 88, bits);
        PutU32(bytes, 92, r);
        PutU32(bytes, 96, g);
        PutU32(bytes, 100, b);
        PutU32(bytes, 104, a);
        return bytes;
    }

    constexpr uint32_t FourCC(const char (&s)[5]) { return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 | uint32_t(uint8_t(s[3])) << 24; }
}

TEST(DdsReader, LegacyAndDx10HeadersRoundTripMipChainsArraysAndCubes)
{
    struct Case
    {
        DxgiFormat format;
        uint32_t w, h, mips, slices;
        bool cube;
        DdsHeaderKind kind;
    };
    const Case cases[] = {
        {DxgiFormat::R8G8B8A8_Unorm, 8, 4, 4, 1, false, DdsHeaderKind::Legacy},
        {DxgiFormat::B8G8R8A8_Unorm, 5, 3, 3, 1, false, DdsHeaderKind::Legacy},
        {DxgiFormat::BC1_Unorm, 16, 16, 5, 6, true, DdsHeaderKind::Legacy},
        {DxgiFormat::BC3_Unorm, 6, 6, 1, 1, false, DdsHeaderKind::Legacy},
        {DxgiFormat::R32_Float, 3, 2, 2, 1, false, DdsHeaderKind::Legacy},
        {DxgiFormat::BC7_Unorm_Srgb, 8, 8, 4, 3, false, DdsHeaderKind::Dx10},
        {DxgiFormat::BC6H_UF16, 4, 4, 3, 12, true, DdsHeaderKind::Dx10},
        {DxgiFormat::R16_Float, 7, 9, 4, 2, false, DdsHeaderKind::Dx10},
        {DxgiFormat::R8_Unorm, 1, 1, 1, 1, false, DdsHeaderKind::Dx10},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<uint32_t>(c.format));
        const ImageData source = MakeFilled(c.format, c.w, c.h, c.mips, c.slices, c.cube);
        ImageData read;
        std::string error;
        ASSERT_TRUE(ParseDds(Encode(source, c.kind), LoadDefault, read, &error)) << error;
        EXPECT_EQ(read.format, c.format);
        EXPECT_EQ(read.width, c.w);
        EXPECT_EQ(read.height, c.h);
        EXPECT_EQ(read.mipCount, c.mips);
        EXPECT_EQ(read.arraySize, c.slices);
        EXPECT_EQ(read.isCube, c.cube);
        EXPECT_EQ(read.bytes, source.bytes);
        ASSERT_EQ(read.subresources.size(), size_t(c.mips) * c.slices);
        for (size_t i = 0; i < read.subresources.size(); ++i)
        {
            EXPECT_EQ(read.subresources[i].offset, source.subresources[i].offset);
            EXPECT_EQ(read.subresources[i].rowPitch, source.subresources[i].rowPitch);
            EXPECT_EQ(read.subresources[i].width, source.subresources[i].width);
        }
    }
}

TEST(DdsReader, SubresourceLayoutFollowsBlockAndTexelSizes)
{
    ImageData read;
    ASSERT_TRUE(ParseDds(Encode(MakeFilled(DxgiFormat::BC1_Unorm, 10, 6, 4, 1, false), DdsHeaderKind::Dx10), 0, read));
    // 10x6 -> 3x2 blocks of 8 bytes; 5x3 -> 2x1; 2x1 -> 1x1; 1x1 -> 1x1.
    EXPECT_EQ(read.subresources[0].rowPitch, 24u);
    EXPECT_EQ(read.subresources[0].slicePitch, 48u);
    EXPECT_EQ(read.subresources[1].offset, 48u);
    EXPECT_EQ(read.subresources[1].slicePitch, 16u);
    EXPECT_EQ(read.subresources[2].slicePitch, 8u);
    EXPECT_EQ(read.subresources[3].slicePitch, 8u);
    EXPECT_EQ(read.subresources[3].width, 1u);
    EXPECT_EQ(read.bytes.size(), 80u);

    ASSERT_TRUE(ParseDds(Encode(MakeFilled(DxgiFormat::R16G16B16A16_Float, 3, 5, 3, 1, false), DdsHeaderKind::Dx10), 0, read));
    EXPECT_EQ(read.subresources[0].rowPitch, 24u);
    EXPECT_EQ(read.subresources[1].rowPitch, 8u);
    EXPECT_EQ(read.subresources[1].height, 2u);
    EXPECT_EQ(read.subresources[2].height, 1u);
}

TEST(DdsReader, LegacyPixelFormatsMapToTheirDxgiFormats)
{
    struct Case
    {
        std::vector<uint8_t> file;
        DxgiFormat expected;
    };
    const Case cases[] = {
        {LegacyFile(0x41, 0, 32, 0xff, 0xff00, 0xff0000, 0xff000000), DxgiFormat::R8G8B8A8_Unorm},
        {LegacyFile(0x41, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000), DxgiFormat::B8G8R8A8_Unorm},
        {LegacyFile(0x40, 0, 32, 0xff0000, 0xff00, 0xff, 0), DxgiFormat::B8G8R8X8_Unorm},
        {LegacyFile(0x20000, 0, 8, 0xff, 0, 0, 0), DxgiFormat::R8_Unorm},
        {LegacyFile(0x20000, 0, 16, 0xffff, 0, 0, 0), DxgiFormat::R16_Unorm},
        {LegacyFile(0x2, 0, 8, 0, 0, 0, 0xff), DxgiFormat::A8_Unorm},
        {LegacyFile(0x4, FourCC("DXT1"), 0, 0, 0, 0, 0), DxgiFormat::BC1_Unorm},
        {LegacyFile(0x4, FourCC("DXT3"), 0, 0, 0, 0, 0), DxgiFormat::BC2_Unorm},
        {LegacyFile(0x4, FourCC("DXT5"), 0, 0, 0, 0, 0), DxgiFormat::BC3_Unorm},
        {LegacyFile(0x4, FourCC("ATI1"), 0, 0, 0, 0, 0), DxgiFormat::BC4_Unorm},
        {LegacyFile(0x4, FourCC("BC5S"), 0, 0, 0, 0, 0), DxgiFormat::BC5_Snorm},
        {LegacyFile(0x4, 111, 0, 0, 0, 0, 0), DxgiFormat::R16_Float},
        {LegacyFile(0x4, 114, 0, 0, 0, 0, 0), DxgiFormat::R32_Float},
        {LegacyFile(0x4, 116, 0, 0, 0, 0, 0), DxgiFormat::R32G32B32A32_Float},
    };
    for (const Case& c : cases)
    {
        ImageData read;
        std::string error;
        EXPECT_TRUE(ParseDds(c.file, 0, read, &error)) << error;
        EXPECT_EQ(read.format, c.expected);
    }

    ImageData read;
    std::string error;
    EXPECT_FALSE(ParseDds(LegacyFile(0x4, FourCC("ETC2"), 0, 0, 0, 0, 0), 0, read, &error));
    EXPECT_EQ(error, "unsupported pixel format");
    EXPECT_FALSE(ParseDds(LegacyFile(0x40, 0, 24, 0xff0000, 0xff00, 0xff, 0), 0, read));
}

TEST(DdsReader, ForceAndIgnoreSrgbFlagsSwapTheFormatTwin)
{
    ImageData read;
    const auto rgba = Encode(MakeFilled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 1, 1, false), DdsHeaderKind::Legacy);
    ASSERT_TRUE(ParseDds(rgba, LoadForceSrgb, read));
    EXPECT_EQ(read.format, DxgiFormat::R8G8B8A8_Unorm_Srgb);
    ASSERT_TRUE(ParseDds(rgba, LoadDefault, read));
    EXPECT_EQ(read.format, DxgiFormat::R8G8B8A8_Unorm);

    const auto srgbBc1 = Encode(MakeFilled(DxgiFormat::BC1_Unorm_Srgb, 4, 4, 1, 1, false), DdsHeaderKind::Dx10);
    ASSERT_TRUE(ParseDds(srgbBc1, LoadDefault, read));
    EXPECT_EQ(read.format, DxgiFormat::BC1_Unorm_Srgb);
    ASSERT_TRUE(ParseDds(srgbBc1, LoadIgnoreSrgb, read));
    EXPECT_EQ(read.format, DxgiFormat::BC1_Unorm);

    const auto bgra = Encode(MakeFilled(DxgiFormat::B8G8R8A8_Unorm, 4, 4, 1, 1, false), DdsHeaderKind::Legacy);
    ASSERT_TRUE(ParseDds(bgra, LoadForceSrgb, read));
    EXPECT_EQ(read.format, DxgiFormat::B8G8R8A8_Unorm_Srgb);

    // Formats without an sRGB twin are left alone.
    const auto r32 = Encode(MakeFilled(DxgiFormat::R32_Float, 4, 4, 1, 1, false), DdsHeaderKind::Dx10);
    ASSERT_TRUE(ParseDds(r32, LoadForceSrgb, read));
    EXPECT_EQ(read.format, DxgiFormat::R32_Float);
}

TEST(DdsReader, EveryTruncationOfAValidFileIsRefused)
{
    const auto full = Encode(MakeFilled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 3, 1, false), DdsHeaderKind::Dx10);
    for (size_t length = 0; length < full.size(); ++length)
    {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + std::ptrdiff_t(length));
        ImageData read;
        EXPECT_FALSE(ParseDds(cut, 0, read)) << "length " << length;
    }
    ImageData read;
    EXPECT_TRUE(ParseDds(full, 0, read));
}

TEST(DdsReader, LyingOrOversizedHeadersAreRefused)
{
    const auto valid = Encode(MakeFilled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 1, 1, false), DdsHeaderKind::Legacy);
    const auto validDx10 = Encode(MakeFilled(DxgiFormat::R8G8B8A8_Unorm, 4, 4, 1, 1, false), DdsHeaderKind::Dx10);
    struct Patch
    {
        const std::vector<uint8_t>* base;
        size_t at;
        uint32_t value;
        const char* reason;
    };
    const Patch patches[] = {
        {&valid, 0, FourCC("DDX "), "no DDS signature"},
        {&valid, 4, 100, "bad DDS header size"},
        {&valid, 76, 24, "bad DDS header size"},
        {&valid, 12, 1u << 20, "texture larger than 16384 pixels"},
        {&valid, 16, 0, "zero width or height"},
        {&valid, 12, 4096, "file shorter than its header says"},
        {&valid, 28, 9, "more mip levels than the size allows"},
        {&valid, 28, 0xffffffffu, "more mip levels than the size allows"},
        {&valid, 112, 0x200 | 0x400, "cube map without all six faces"},
        {&valid, 112, 0x200000, "volume textures are not supported"},
        {&validDx10, 132, 2, "only 2D textures are supported"},
        {&validDx10, 132, 4, "only 2D textures are supported"},
        {&validDx10, 132, 7, "unknown resource dimension"},
        {&validDx10, 140, 0, "array size 0"},
        {&validDx10, 140, 0x7fffffff, "array larger than 2048 slices"},
        {&validDx10, 128, 200, "unsupported pixel format"},
        {&validDx10, 128, 0, "unsupported pixel format"},
    };
    for (const Patch& p : patches)
    {
        std::vector<uint8_t> bytes = *p.base;
        PutU32(bytes, p.at, p.value);
        ImageData read;
        std::string error;
        EXPECT_FALSE(ParseDds(bytes, 0, read, &error)) << p.reason;
        EXPECT_EQ(error, p.reason);
    }

    // A cube-map flag with a huge cube count must not overflow into a small array.
    std::vector<uint8_t> cubes = validDx10;
    PutU32(cubes, 136, 0x4);
    PutU32(cubes, 140, 0x2AAAAAAB); // x6 wraps around 32 bits
    ImageData read;
    std::string error;
    EXPECT_FALSE(ParseDds(cubes, 0, read, &error));
    EXPECT_EQ(error, "too many cube maps");

    // Non-square cube faces.
    ImageData rect = MakeFilled(DxgiFormat::R8G8B8A8_Unorm, 4, 2, 1, 6, true);
    EXPECT_FALSE(ParseDds(Encode(rect, DdsHeaderKind::Dx10), 0, read, &error));
}

TEST(DdsReader, ReadsFromDiskAndRefusesMissingFiles)
{
    const auto dir = std::filesystem::temp_directory_path() / ("kiln_dds_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const ImageData source = MakeFilled(DxgiFormat::BC3_Unorm, 8, 8, 2, 1, false);
    ASSERT_TRUE(WriteDdsFile(dir / "a.dds", source, DdsHeaderKind::Legacy));
    ImageData read;
    std::string error;
    ASSERT_TRUE(ReadDdsFile(dir / "a.dds", 0, read, &error)) << error;
    EXPECT_EQ(read.bytes, source.bytes);
    EXPECT_FALSE(ReadDdsFile(dir / "missing.dds", 0, read, &error));
    EXPECT_EQ(error, "cannot read file");
    std::filesystem::remove_all(dir);
}

TEST(DdsReader, MutatedFilesAreRefusedOrDescribeOnlyBytesThatExist)
{
    std::vector<std::vector<uint8_t>> seeds;
    seeds.push_back(Encode(MakeFilled(DxgiFormat::R8G8B8A8_Unorm, 8, 8, 4, 1, false), DdsHeaderKind::Legacy));
    seeds.push_back(Encode(MakeFilled(DxgiFormat::BC1_Unorm, 8, 8, 2, 6, true), DdsHeaderKind::Legacy));
    seeds.push_back(Encode(MakeFilled(DxgiFormat::BC7_Unorm, 8, 4, 2, 3, false), DdsHeaderKind::Dx10));
    uint32_t state = 12345;
    const auto next = [&] { state = state * 1664525u + 1013904223u; return state >> 8; };
    size_t accepted = 0;
    for (int round = 0; round < 3000; ++round)
    {
        std::vector<uint8_t> bytes = seeds[size_t(round) % seeds.size()];
        const int edits = 1 + int(next() % 4);
        for (int e = 0; e < edits; ++e)
        {
            // Mostly the header, where a lie does harm.
            const size_t at = next() % 2 ? next() % 148 : next() % bytes.size();
            bytes[at] = uint8_t(next());
        }
        if (next() % 5 == 0)
            bytes.resize(next() % bytes.size());
        ImageData read;
        if (!ParseDds(bytes, 0, read))
            continue;
        ++accepted;
        ASSERT_EQ(read.subresources.size(), size_t(read.mipCount) * read.arraySize);
        for (const Subresource& sub : read.subresources)
        {
            ASSERT_LE(sub.offset + sub.slicePitch, read.bytes.size());
            ASSERT_EQ(sub.slicePitch, GetSurfaceLayout(read.format, sub.width, sub.height).sliceBytes);
        }
        ASSERT_LE(read.width, MaxTextureDimension);
        ASSERT_LE(read.arraySize, MaxTextureArraySize);
    }
    EXPECT_GT(accepted, 0u);
}

#include "Platform/image/ImageDecoder.h"

#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace Plat::Image;

namespace
{
    void Append(void* aContext, void* someData, int aSize)
    {
        auto* out = static_cast<std::vector<uint8_t>*>(aContext);
        const auto* bytes = static_cast<const uint8_t*>(someData);
        out->insert(out->end(), bytes, bytes + aSize);
    }

    std::vector<uint8_t> Pattern(int w, int h, int comps)
    {
        std::vector<uint8_t> pixels(size_t(w) * h * comps);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t((i * 37) ^ (i >> 3));
        return pixels;
    }

    std::vector<uint8_t> Png(int w, int h, int comps, const std::vector<uint8_t>& pixels)
    {
        std::vector<uint8_t> out;
        stbi_write_png_to_func(Append, &out, w, h, comps, pixels.data(), w * comps);
        return out;
    }

    std::vector<uint8_t> Jpeg(int w, int h, const std::vector<uint8_t>& rgb)
    {
        std::vector<uint8_t> out;
        stbi_write_jpg_to_func(Append, &out, w, h, 3, rgb.data(), 95);
        return out;
    }

    // An sRGB chunk (rendering intent 0) right after the 8-byte signature and IHDR.
    std::vector<uint8_t> WithSrgbChunk(std::vector<uint8_t> png)
    {
        const uint8_t chunk[] = {0, 0, 0, 1, 's', 'R', 'G', 'B', 0, 0xAE, 0xCE, 0x1C, 0xE9};
        png.insert(png.begin() + 8 + 25, std::begin(chunk), std::end(chunk));
        return png;
    }
}

TEST(ImageDecoder, PngRgbaDecodesExactlyAndHonoursSrgbFlagsAndChunk)
{
    const auto pixels = Pattern(5, 3, 4);
    const auto png = Png(5, 3, 4, pixels);
    ImageData image;
    std::string error;
    ASSERT_TRUE(DecodeImage(png, LoadDefault, image, &error)) << error;
    EXPECT_EQ(image.format, DxgiFormat::R8G8B8A8_Unorm);
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 3u);
    EXPECT_EQ(image.mipCount, 1u);
    ASSERT_EQ(image.subresources.size(), 1u);
    EXPECT_EQ(image.subresources[0].rowPitch, 20u);
    EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin(), image.bytes.end()), pixels);

    ASSERT_TRUE(DecodeImage(png, LoadForceSrgb, image));
    EXPECT_EQ(image.format, DxgiFormat::R8G8B8A8_Unorm_Srgb);

    const auto srgbPng = WithSrgbChunk(png);
    ASSERT_TRUE(DecodeImage(srgbPng, LoadDefault, image, &error)) << error;
    EXPECT_EQ(image.format, DxgiFormat::R8G8B8A8_Unorm_Srgb);
    EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin(), image.bytes.end()), pixels);
    ASSERT_TRUE(DecodeImage(srgbPng, LoadIgnoreSrgb, image));
    EXPECT_EQ(image.format, DxgiFormat::R8G8B8A8_Unorm);
}

TEST(ImageDecoder, GreyPngGivesOneChannelAndRgbGetsOpaqueAlpha)
{
    const auto grey = Pattern(4, 4, 1);
    ImageData image;
    ASSERT_TRUE(DecodeImage(Png(4, 4, 1, grey), 0, image));
    EXPECT_EQ(image.format, DxgiFormat::R8_Unorm);
    EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin(), image.bytes.end()), grey);

    const auto rgb = Pattern(2, 2, 3);
    ASSERT_TRUE(DecodeImage(Png(2, 2, 3, rgb), 0, image));
    EXPECT_EQ(image.format, DxgiFormat::R8G8B8A8_Unorm);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(image.bytes[i * 4 + 0], rgb[i * 3 + 0]);
        EXPECT_EQ(image.bytes[i * 4 + 2], rgb[i * 3 + 2]);
        EXPECT_EQ(image.bytes[i * 4 + 3], 255);
    }
}

TEST(ImageDecoder, JpegBmpAndGifDecode)
{
    std::vector<uint8_t> orange(16 * 16 * 3);
    for (size_t i = 0; i < orange.size(); i += 3)
    {
        orange[i] = 250;
        orange[i + 1] = 120;
        orange[i + 2] = 10;
    }
    ImageData image;
    std::string error;
    ASSERT_TRUE(DecodeImage(Jpeg(16, 16, orange), 0, image, &error)) << error;
    EXPECT_EQ(image.format, DxgiFormat::R8G8B8A8_Unorm);
    EXPECT_NEAR(image.bytes[0], 250, 4);
    EXPECT_NEAR(image.bytes[1], 120, 4);
    EXPECT_NEAR(image.bytes[2], 10, 4);
    EXPECT_EQ(image.bytes[3], 255);

    std::vector<uint8_t> bmp;
    const auto rgb = Pattern(3, 2, 3);
    stbi_write_bmp_to_func(Append, &bmp, 3, 2, 3, rgb.data());
    ASSERT_TRUE(DecodeImage(bmp, 0, image, &error)) << error;
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.bytes[4 * 4 + 1], rgb[4 * 3 + 1]);

    // A 1x1 GIF whose single pixel is palette entry 0, red.
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,
                                      0xFF, 0, 0, 0, 0, 0,
                                      0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,
                                      2, 2, 0x44, 0x01, 0, 0x3B};
    ASSERT_TRUE(DecodeImage(gif, 0, image, &error)) << error;
    EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin(), image.bytes.end()), (std::vector<uint8_t>{255, 0, 0, 255}));
}

TEST(ImageDecoder, TargaAndUnknownContainersAreLeftToOtherReaders)
{
    std::vector<uint8_t> tga(18 + 4, 0);
    tga[2] = 2;
    tga[12] = 1;
    tga[14] = 1;
    tga[16] = 32;
    ImageData image;
    std::string error;
    EXPECT_EQ(DetectContainer(tga), ContainerKind::Unknown);
    EXPECT_FALSE(DecodeImage(tga, 0, image, &error));
    EXPECT_EQ(error, "not a PNG, JPEG, BMP or GIF file");
    EXPECT_FALSE(DecodeImage({}, 0, image));
}

TEST(ImageDecoder, TruncatedAndLyingFilesAreRefused)
{
    const auto png = Png(32, 32, 4, Pattern(32, 32, 4));
    std::vector<uint8_t> orange(32 * 32 * 3, 128);
    const auto jpeg = Jpeg(32, 32, orange);

    // Every cut of either file is refused: no pixels are made up for missing data.
    for (const auto* file : {&png, &jpeg})
    {
        for (size_t length = 0; length + 1 < file->size(); length += (length < 64 ? 1 : 7))
        {
            std::vector<uint8_t> cut(file->begin(), file->begin() + std::ptrdiff_t(length));
            ImageData image;
            EXPECT_FALSE(DecodeImage(cut, 0, image)) << "length " << length << " of " << file->size();
        }
    }

    // A PNG header claiming 100000 x 100000 pixels is refused before decoding.
    std::vector<uint8_t> huge = png;
    const uint8_t big[4] = {0x00, 0x01, 0x86, 0xA0};
    std::memcpy(huge.data() + 16, big, 4);
    std::memcpy(huge.data() + 20, big, 4);
    ImageData image;
    EXPECT_FALSE(DecodeImage(huge, 0, image));

    // A JPEG whose frame header claims 30000 x 30000.
    std::vector<uint8_t> bigJpeg = jpeg;
    for (size_t i = 2; i + 9 < bigJpeg.size(); ++i)
    {
        if (bigJpeg[i] == 0xFF && bigJpeg[i + 1] == 0xC0)
        {
            bigJpeg[i + 5] = 0x75; bigJpeg[i + 6] = 0x30;
            bigJpeg[i + 7] = 0x75; bigJpeg[i + 8] = 0x30;
            break;
        }
    }
    EXPECT_FALSE(DecodeImage(bigJpeg, 0, image));
}

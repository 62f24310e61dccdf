#include "forge/loaders/TargaImage.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
    class TargaTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            myDir = fs::temp_directory_path() / ("kiln_tga_" + std::to_string(::getpid()) + "_" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
            fs::create_directories(myDir);
        }
        void TearDown() override { fs::remove_all(myDir); }

        std::wstring Write(const std::string& aName, uint16_t w, uint16_t h, uint8_t bpp, const std::vector<uint8_t>& pixels)
        {
            std::vector<uint8_t> bytes(18, 0);
            bytes[2] = 2;
            bytes[12] = uint8_t(w);
            bytes[13] = uint8_t(w >> 8);
            bytes[14] = uint8_t(h);
            bytes[15] = uint8_t(h >> 8);
            bytes[16] = bpp;
            bytes.insert(bytes.end(), pixels.begin(), pixels.end());
            std::ofstream(myDir / aName, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            return (myDir / aName).wstring();
        }

        fs::path myDir;
    };
}

TEST_F(TargaTest, BottomUpBgraBecomesTopDownRgbaWithEveryPixel)
{
    // Stored bottom row first: bottom-left, bottom-right, top-left, top-right; B, G, R, A.
    const std::vector<uint8_t> stored = {
        1, 2, 3, 4, 5, 6, 7, 8,         // bottom row
        9, 10, 11, 12, 13, 14, 15, 16,  // top row
    };
    const auto image = Kiln::LoadTargaImage(Write("a.tga", 2, 2, 32, stored).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->myWidth, 2);
    EXPECT_EQ(image->myHeight, 2);
    EXPECT_EQ(image->myBitsPerPixel, 32);
    const std::vector<uint8_t> expected = {
        11, 10, 9, 12, 15, 14, 13, 16,  // top row, R G B A
        3, 2, 1, 4, 7, 6, 5, 8,         // bottom row
    };
    EXPECT_EQ(image->myPixels, expected);

    // An odd row count keeps its middle row in place.
    const std::vector<uint8_t> three = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    const auto odd = Kiln::LoadTargaImage(Write("b.tga", 1, 3, 32, three).c_str());
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->myPixels, (std::vector<uint8_t>{0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0}));
}

TEST_F(TargaTest, OtherDepthsShortFilesAndMissingFilesGiveNoImage)
{
    EXPECT_EQ(Kiln::LoadTargaImage(Write("rgb.tga", 2, 2, 24, std::vector<uint8_t>(12, 1)).c_str()), nullptr);

    // The header promises 4 x 4 pixels but the file holds only three rows.
    EXPECT_EQ(Kiln::LoadTargaImage(Write("short.tga", 4, 4, 32, std::vector<uint8_t>(48, 7)).c_str()), nullptr);
    // A huge lying header with a handful of bytes.
    EXPECT_EQ(Kiln::LoadTargaImage(Write("huge.tga", 65535, 65535, 32, std::vector<uint8_t>(16, 7)).c_str()), nullptr);
    // Shorter than the header itself.
    std::ofstream(myDir / "tiny.tga", std::ios::binary) << "abc";
    EXPECT_EQ(Kiln::LoadTargaImage((myDir / "tiny.tga").wstring().c_str()), nullptr);
    EXPECT_EQ(Kiln::LoadTargaImage(Write("empty.tga", 0, 4, 32, {}).c_str()), nullptr);

    std::vector<Plat::Runtime::AssertionReport> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r); });
    EXPECT_EQ(Kiln::LoadTargaImage((myDir / "missing.tga").wstring().c_str()), nullptr);
    Plat::Runtime::SetAssertionHandler({});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].expression, "fp != NULL");
}

TEST_F(TargaTest, WideImagesBeyondSixteenBitRowLengthsKeepAllRows)
{
    // 16384 pixels wide: the row length (65536 bytes) does not fit in 16 bits.
    const uint16_t w = 16384, h = 2;
    std::vector<uint8_t> stored(size_t(w) * h * 4);
    for (size_t x = 0; x < w; ++x)
    {
        stored[x * 4 + 0] = 1;                    // bottom row, blue 1
        stored[(size_t(w) + x) * 4 + 2] = 2;      // top row, red 2
    }
    const auto image = Kiln::LoadTargaImage(Write("wide.tga", w, h, 32, stored).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->myPixels[0], 2);                       // top row first, red
    EXPECT_EQ(image->myPixels[size_t(w) * 4 + 2], 1);       // bottom row, blue
    EXPECT_EQ(image->myPixels[size_t(w) * 4 - 4], 2);
}

#include "Platform/guid/Uuid.h"

#include <gtest/gtest.h>

#include <cstring>

using Plat::Guid::Uuid;
using Plat::Guid::UuidFromString;

TEST(Uuid, ParsesIntoTheSixteenByteGuidLayout)
{
    Uuid uuid;
    ASSERT_TRUE(UuidFromString("00112233-4455-6677-8899-aabbccddeeff", uuid));
    EXPECT_EQ(uuid.myData1, 0x00112233u);
    EXPECT_EQ(uuid.myData2, 0x4455u);
    EXPECT_EQ(uuid.myData3, 0x6677u);
    const std::uint8_t tail[8] = {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(std::memcmp(uuid.myData4, tail, 8), 0);

    // The first three fields are stored in the machine's (little-endian) byte order.
    unsigned char bytes[16];
    std::memcpy(bytes, &uuid, sizeof(bytes));
    const unsigned char expected[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                        0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(std::memcmp(bytes, expected, 16), 0);
}

TEST(Uuid, AcceptsAnyLetterCase)
{
    Uuid lower;
    Uuid upper;
    Uuid mixed;
    ASSERT_TRUE(UuidFromString("9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f60718", lower));
    ASSERT_TRUE(UuidFromString("9F3C1A2B-7D4E-4F60-A1B2-C3D4E5F60718", upper));
    ASSERT_TRUE(UuidFromString("9f3C1a2B-7D4e-4F60-a1B2-C3d4E5f60718", mixed));
    EXPECT_EQ(lower, upper);
    EXPECT_EQ(lower, mixed);
}

TEST(Uuid, RefusesEveryOtherFormAndLeavesTheOutputAlone)
{
    const char* refused[] = {
        "",
        "{9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f60718}",
        "9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f6071",
        "9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f607189",
        " 9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f60718",
        "9f3c1a2b7d4e-4f60-a1b2-c3d4e5f60718-",
        "9f3c1a2b-7d4e-4f60-a1b2c-3d4e5f60718",
        "9f3c1a2g-7d4e-4f60-a1b2-c3d4e5f60718",
        "9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f6071 ",
        "9f3c1a2b-+d4e-4f60-a1b2-c3d4e5f60718",
        "9f3c1a2b_7d4e_4f60_a1b2_c3d4e5f60718",
        "9f3c1a2b-7d4e-4f60-a1b2-c3d4e5f60718.json",
    };
    for (const char* text : refused)
    {
        Uuid uuid;
        uuid.myData1 = 0xDEADBEEF;
        EXPECT_FALSE(UuidFromString(text, uuid)) << text;
        EXPECT_EQ(uuid.myData1, 0xDEADBEEFu) << text;
    }
}

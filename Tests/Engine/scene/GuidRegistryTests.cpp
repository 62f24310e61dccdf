#include "forge/scene/GuidRegistry.h"
#include "forge/scene/Xxh64.h"

#include <gtest/gtest.h>

#include <cstring>

using Kiln::GuidRegistry;

TEST(GuidRegistry, IndexZeroIsTheNilGuidAndEveryInvalidName)
{
    const std::uint32_t count = GuidRegistry::GetCount();
    EXPECT_GE(count, 1u);
    const Plat::Guid::Uuid nil;
    EXPECT_EQ(GuidRegistry::GetGuid(0), nil);
    EXPECT_EQ(GuidRegistry::GetIndex(nullptr), 0u);
    EXPECT_EQ(GuidRegistry::GetIndex(""), 0u);
    EXPECT_EQ(GuidRegistry::GetIndex("not-a-guid"), 0u);
    EXPECT_EQ(GuidRegistry::GetIndex("{0a1b2c3d-0000-0000-0000-000000000001}"), 0u);
    EXPECT_EQ(GuidRegistry::GetIndex("00000000-0000-0000-0000-000000000000"), 0u);
    EXPECT_EQ(GuidRegistry::GetCount(), count);
}

TEST(GuidRegistry, NewGuidsTakeTheNextIndexAndKeepItInAnyLetterCase)
{
    const std::uint32_t count = GuidRegistry::GetCount();
    const std::uint32_t first = GuidRegistry::GetIndex("5b0e6e8c-1f6a-4a7e-9d3b-aa11bb22cc33");
    // In a fresh process the first GUID ever registered is 1.
    EXPECT_EQ(first, count);
    const std::uint32_t second = GuidRegistry::GetIndex("5b0e6e8c-1f6a-4a7e-9d3b-aa11bb22cc34");
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(GuidRegistry::GetIndex("5B0E6E8C-1F6A-4A7E-9D3B-AA11BB22CC33"), first);
    EXPECT_EQ(GuidRegistry::GetIndex("5b0e6e8c-1f6a-4a7e-9d3b-aa11bb22cc34"), second);
    EXPECT_EQ(GuidRegistry::GetCount(), count + 2);
    EXPECT_EQ(GuidRegistry::GetGuid(second).myData4[7], 0x34);
}

TEST(GuidRegistry, ManyGuidsStayDenseAndStable)
{
    const std::uint32_t start = GuidRegistry::GetCount();
    char text[37];
    for (std::uint32_t i = 0; i < 2000; ++i)
    {
        std::snprintf(text, sizeof(text), "%08x-0000-4000-8000-00000000abcd", i + 0x10000u);
        ASSERT_EQ(GuidRegistry::GetIndex(text), start + i);
    }
    std::snprintf(text, sizeof(text), "%08x-0000-4000-8000-00000000abcd", 0x10000u + 1234u);
    EXPECT_EQ(GuidRegistry::GetIndex(text), start + 1234u);
}

TEST(Xxh64, MatchesTheReferenceValues)
{
    const auto hash = [](const void* aData, std::size_t aSize) { return Kiln::impl::Xxh64(aData, aSize, 0); };
    EXPECT_EQ(hash("", 0), 0xEF46DB3751D8E999ull);
    EXPECT_EQ(hash("a", 1), 0xD24EC4F1A98C6E5Bull);
    EXPECT_EQ(hash("abc", 3), 0x44BC2CF5AD770999ull);
    unsigned char counting[100];
    for (int i = 0; i < 100; ++i)
        counting[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(hash(counting, 16), 0x44B6EF2FB84169F7ull);
    EXPECT_EQ(hash(counting, 100), 0x6AC1E58032166597ull);
    const unsigned char zeros[16] = {};
    EXPECT_EQ(hash(zeros, 16), 0xAF09F71516247C32ull);
    const char* sentence = "Nobody inspects the spammish repetition";
    EXPECT_EQ(hash(sentence, std::strlen(sentence)), 0xFBCEA83C8A378BF1ull);
}

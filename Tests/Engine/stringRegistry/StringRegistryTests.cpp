#include "forge/stringRegistry/StringRegistry.h"

#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

using Kiln::StringId;
using Kiln::StringRegistry;

namespace
{
    // Text no other test interns: a prefix, a counter, then padding to the wanted length.
    std::string UniqueText(const char* aPrefix, std::size_t aLength, char aPad = 'z')
    {
        static int counter = 0;
        std::string text = std::string(aPrefix) + std::to_string(counter++) + "-";
        text.resize(aLength, aPad);
        return text;
    }

    struct AssertionRecorder
    {
        AssertionRecorder()
        {
            Plat::Runtime::SetAssertionHandler([this](const Plat::Runtime::AssertionReport& aReport) {
                myExpressions.push_back(aReport.expression);
            });
        }
        ~AssertionRecorder() { Plat::Runtime::SetAssertionHandler({}); }

        std::vector<std::string> myExpressions;
    };
}

TEST(Fnv1a, MatchesTheReferenceVectors)
{
    EXPECT_EQ(Kiln::Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(Kiln::Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Kiln::Fnv1a64("foobar"), 0x85944171f73967e8ull);
}

TEST(StringId, NullIsTheEmptyNameAndHashesAsEmptyText)
{
    const StringId none;
    EXPECT_TRUE(none.IsNull());
    EXPECT_EQ(none.GetPointer(), nullptr);
    EXPECT_STREQ(none.GetString(), "");
    EXPECT_TRUE(none.GetView().empty());
    EXPECT_EQ(std::hash<StringId>{}(none), static_cast<std::size_t>(Kiln::Fnv1a64("")));

    const StringId name = StringRegistry::RegisterOrGetString("StringIdTests.hash");
    EXPECT_EQ(std::hash<StringId>{}(name), static_cast<std::size_t>(Kiln::Fnv1a64("StringIdTests.hash")));
    EXPECT_NE(name, none);
}

TEST(StringRegistry, SameTextCopiedTwiceGivesOnePointerOutsideBothSources)
{
    const std::string first = "StringRegistryTests.copied";
    const std::string second = first;
    const StringId a = StringRegistry::RegisterOrGetString(first);
    const StringId b = StringRegistry::RegisterOrGetString(second);

    ASSERT_FALSE(a.IsNull());
    EXPECT_EQ(a, b);
    EXPECT_NE(a.GetPointer(), first.c_str());
    EXPECT_NE(a.GetPointer(), second.c_str());
    EXPECT_STREQ(a.GetString(), "StringRegistryTests.copied");

    const StringId other = StringRegistry::RegisterOrGetString("StringRegistryTests.copiee");
    EXPECT_NE(a, other);
}

TEST(StringRegistry, ALiteralRegisteredFirstSuppliesThePointerToLaterCopies)
{
    static const char literal[] = "StringRegistryTests.literalFirst";
    const StringId fromLiteral = StringRegistry::RegisterOrGetStringLiteral(literal, sizeof(literal) - 1);
    EXPECT_EQ(fromLiteral.GetPointer(), literal);

    const std::string copy = literal;
    EXPECT_EQ(StringRegistry::RegisterOrGetString(copy).GetPointer(), literal);
    // A second literal with the same text gets the first one's pointer too.
    static const char again[] = "StringRegistryTests.literalFirst";
    EXPECT_EQ(StringRegistry::RegisterOrGetStringLiteral(again, sizeof(again) - 1).GetPointer(), literal);
}

TEST(StringRegistry, ACopyRegisteredFirstSuppliesThePointerToLaterLiterals)
{
    const StringId copied = StringRegistry::RegisterOrGetString(std::string("StringRegistryTests.copyFirst"));
    static const char literal[] = "StringRegistryTests.copyFirst";
    const StringId fromLiteral = StringRegistry::RegisterOrGetStringLiteral(literal, sizeof(literal) - 1);
    EXPECT_EQ(fromLiteral, copied);
    EXPECT_NE(fromLiteral.GetPointer(), literal);
}

TEST(StringRegistry, EmptyTextGivesTheNullIdInBothForms)
{
    EXPECT_TRUE(StringRegistry::RegisterOrGetString("").IsNull());
    EXPECT_TRUE(StringRegistry::RegisterOrGetString(std::string_view()).IsNull());
    static const char empty[] = "";
    EXPECT_TRUE(StringRegistry::RegisterOrGetStringLiteral(empty, 0).IsNull());
    // A wrong non-zero size must not make the empty text a non-null name.
    EXPECT_TRUE(StringRegistry::RegisterOrGetStringLiteral(empty, 1).IsNull());
    EXPECT_TRUE(StringRegistry::RegisterOrGetStringLiteral(nullptr, 4).IsNull());
}

TEST(StringRegistry, AcceptsUpTo1023CharactersAndRefuses1024WithTheAssertion)
{
    AssertionRecorder recorder;
    const std::string longest = UniqueText("StringRegistryTests.limit", 1023);
    const StringId accepted = StringRegistry::RegisterOrGetString(longest);
    ASSERT_FALSE(accepted.IsNull());
    EXPECT_EQ(accepted.GetView(), longest);
    EXPECT_TRUE(recorder.myExpressions.empty());

    const std::string tooLong = UniqueText("StringRegistryTests.limit", 1024);
    EXPECT_TRUE(StringRegistry::RegisterOrGetString(tooLong).IsNull());
    ASSERT_EQ(recorder.myExpressions.size(), 1u);
    EXPECT_EQ(recorder.myExpressions[0], "aString.size() + 1 <= STRING_REGISTRY_SIZE_LIMIT");

    // Literals are kept by pointer, so the copy limit does not apply to them.
    static const std::string longLiteral = UniqueText("StringRegistryTests.longLiteral", 2000);
    const StringId literal = StringRegistry::RegisterOrGetStringLiteral(longLiteral.c_str(), longLiteral.size());
    EXPECT_EQ(literal.GetPointer(), longLiteral.c_str());
    EXPECT_EQ(recorder.myExpressions.size(), 1u);
}

TEST(StringRegistry, AStringThatDoesNotFitOpensANewPageAndTheOldRestStaysEmpty)
{
    constexpr std::uint32_t target = 900;
    // Consume the newest page until exactly 900 bytes are left in it.
    StringId last = StringRegistry::RegisterOrGetString(UniqueText("StringRegistryTests.fill", 1023));
    for (;;)
    {
        const std::uint32_t left = StringRegistry::GetBytesLeftInPage();
        if (left == target)
            break;
        if (left < target + 16)
        {
            last = StringRegistry::RegisterOrGetString(UniqueText("StringRegistryTests.fill", 1023));
            continue;
        }
        const std::uint32_t diff = left - target;
        const std::uint32_t consume = diff <= 1024 ? diff : (diff >= 2048 ? 1024 : diff / 2);
        last = StringRegistry::RegisterOrGetString(UniqueText("StringRegistryTests.fill", consume - 1));
    }
    const char* restOfOldPage = last.GetPointer() + last.GetView().size() + 1;
    const std::size_t pages = StringRegistry::GetPageCount();

    const std::string big = UniqueText("StringRegistryTests.big", 1000);
    const StringId bigId = StringRegistry::RegisterOrGetString(big);
    ASSERT_FALSE(bigId.IsNull());
    EXPECT_EQ(StringRegistry::GetPageCount(), pages + 1);
    EXPECT_EQ(StringRegistry::GetBytesLeftInPage(), Kiln::STRING_REGISTRY_PAGE_SIZE - 1001);
    EXPECT_EQ(bigId.GetView(), big);

    // Later short strings go to the new page too: the old page's 900 bytes stay zero.
    const StringId small = StringRegistry::RegisterOrGetString(UniqueText("StringRegistryTests.small", 20));
    EXPECT_EQ(small.GetPointer(), bigId.GetPointer() + 1001);
    for (std::uint32_t i = 0; i < target; ++i)
        ASSERT_EQ(restOfOldPage[i], '\0') << "byte " << i;
}

TEST(StringRegistry, AViewWithAnEmbeddedNulIsInternedAsTheTextBeforeIt)
{
    const std::string withNul("StringRegistryTests.nul\0tail", 28);
    ASSERT_EQ(withNul.size(), 28u);
    const StringId id = StringRegistry::RegisterOrGetString(withNul);
    EXPECT_STREQ(id.GetString(), "StringRegistryTests.nul");
    EXPECT_EQ(id, StringRegistry::RegisterOrGetString("StringRegistryTests.nul"));
    // Whichever came first, both spellings meet on one id.
    const StringId plain = StringRegistry::RegisterOrGetString("StringRegistryTests.nul2");
    EXPECT_EQ(StringRegistry::RegisterOrGetString(std::string("StringRegistryTests.nul2\0x", 26)), plain);

    EXPECT_TRUE(StringRegistry::RegisterOrGetString(std::string("\0abc", 4)).IsNull());
}

TEST(StringRegistry, ManyDistinctNamesStayDistinctAndAreFoundAgain)
{
    std::vector<std::string> names;
    std::vector<StringId> ids;
    for (int i = 0; i < 50000; ++i)
    {
        names.push_back("StringRegistryTests.many." + std::to_string(i * 7919));
        ids.push_back(StringRegistry::RegisterOrGetString(names.back()));
    }
    std::unordered_set<const char*> pointers;
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        ASSERT_EQ(ids[i].GetView(), names[i]);
        ASSERT_EQ(StringRegistry::RegisterOrGetString(std::string(names[i])), ids[i]);
        pointers.insert(ids[i].GetPointer());
    }
    EXPECT_EQ(pointers.size(), names.size());
}

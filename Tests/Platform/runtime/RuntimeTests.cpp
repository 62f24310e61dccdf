#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;
using namespace Plat::Runtime;

TEST(Assert, ReportsExpressionFileAndLineToTheInstalledHandler)
{
    std::vector<AssertionReport> reports;
    SetAssertionHandler([&](const AssertionReport& r) { reports.push_back(r); });
    int x = 3;
    KILN_ASSERT(x == 3);
    KILN_ASSERT(x < 2 && "x is small");
    EXPECT_TRUE(SetAssertionHandler({})) << "the handler replaced comes back, to be put back";

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].expression, "x < 2 && \"x is small\"");
    EXPECT_NE(reports[0].file.find("RuntimeTests.cpp"), std::string::npos);
    EXPECT_GT(reports[0].line, 0);
}

TEST(Paths, BackslashesAndLetterCaseResolveToTheFileOnDisk)
{
    const fs::path root = fs::temp_directory_path() / "kiln_paths_test";
    fs::remove_all(root);
    fs::create_directories(root / "Levels" / "Level1.leveldata");
    std::ofstream(root / "Levels" / "Level1.leveldata" / "Object.json") << "{}";

    const std::string mixed = root.string() + "\\levels\\LEVEL1.leveldata\\object.JSON";
    const fs::path resolved = ResolveCase(std::string_view(mixed));
    EXPECT_EQ(resolved, root / "Levels" / "Level1.leveldata" / "Object.json");

    // Exact paths come back unchanged; a missing file keeps its (portable) text.
    EXPECT_EQ(ResolveCase(root / "Levels"), root / "Levels");
    const fs::path missing = ResolveCase(std::string_view(root.string() + "\\nope\\file.txt"));
    EXPECT_EQ(missing.string(), root.string() + "/nope/file.txt");
    fs::remove_all(root);
}

TEST(Paths, ExecutableDirectoryIsTheTestProgramsFolder)
{
    const fs::path exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(fs::exists(exe));
    EXPECT_EQ(ExecutableDirectory(), exe.parent_path());
}

TEST(Paths, WideConversionRoundTripsUtf8AndKeepsMalformedBytes)
{
    const std::string text = "Mot\xC3\xA5 \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::wstring wide = ToWide(text);
    EXPECT_EQ(wide, std::wstring(L"Mot\u00E5 \u20AC \U0001F600"));
    EXPECT_EQ(ToNarrow(wide), text);
    EXPECT_EQ(ToWide(""), L"");
    // A lone continuation byte and a truncated sequence survive as single code points.
    const std::wstring bad = ToWide(std::string("a\x80" "b\xE2\x82", 5));
    ASSERT_EQ(bad.size(), 5u);
    EXPECT_EQ(bad[1], static_cast<wchar_t>(0x80));
}

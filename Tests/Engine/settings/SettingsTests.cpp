#include "forge/settings/Settings.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"
#include "Support/JsonErrors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Kiln::DebugFeature::All;

namespace
{
    std::string UniqueName(const std::string& aStem)
    {
        std::random_device device;
        return aStem + "_" + std::to_string(::getpid()) + "_" + std::to_string(device());
    }

    void Write(const fs::path& aPath, const std::string& someText)
    {
        fs::create_directories(aPath.parent_path());
        std::ofstream(aPath, std::ios::binary) << someText;
    }

    // Each test writes its own file into the executable's settings folder (that is where
    // the loader looks) and removes it afterwards; the global configuration is reset.
    class Settings : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            Kiln::Settings::ResetSettings();
            Plat::Runtime::SetAssertionHandler([this](const Plat::Runtime::AssertionReport& aReport) {
                myAssertions.push_back(aReport.expression);
            });
        }

        void TearDown() override
        {
            Plat::Runtime::SetAssertionHandler({});
            for (const fs::path& p : myCreated)
                fs::remove_all(p);
            Kiln::Settings::ResetSettings();
        }

        // Writes settings/<name>.json and returns the name without extension.
        std::string WriteSettings(const std::string& someJson, const std::string& anExtension = ".json")
        {
            const std::string name = UniqueName("settings_test");
            const fs::path file = Plat::Runtime::ExecutableDirectory() / "settings" / (name + anExtension);
            Write(file, someJson);
            myCreated.push_back(file);
            return name;
        }

        fs::path MakeTempDir()
        {
            const fs::path dir = fs::temp_directory_path() / UniqueName("kiln_assets");
            fs::create_directories(dir);
            myCreated.push_back(dir);
            return dir;
        }

        // Loads, and returns the one-line message of the exception chain ("" when none).
        std::string LoadExpectingError(const std::string& aName)
        {
            try
            {
                Kiln::LoadSettings(aName);
            }
            catch (const std::exception& outer)
            {
                return KilnTest::OurWords(outer);
            }
            return "";
        }

        const Kiln::EngineConfiguration& Config() { return Kiln::Settings::EngineConfiguration(); }

        std::vector<fs::path> myCreated;
        std::vector<std::string> myAssertions;
    };
}

TEST_F(Settings, AFullFileFillsTheConfiguration)
{
    const std::string name = WriteSettings(R"({
        "window_settings": {
            "title": "Mot\u00e5 Game",
            "clear_color": { "r": 0.25, "g": 0.5, "b": 0.75, "a": 0.125 },
            "window_size": { "w": 1600, "h": 900 },
            "render_size": { "w": 800, "h": 450 },
            "start_in_fullscreen": true,
            "start_maximized": true,
            "borderless": true
        },
        "enable_vsync": true,
        "debug_features": [ "Fps", "Drawcalls", "Filewatcher", "Unknown" ],
        "multisampling": "Medium"
    })");
    ASSERT_TRUE(Kiln::LoadSettings(name));
    EXPECT_EQ(Config().myApplicationName, L"Mot\u00E5 Game");
    EXPECT_EQ(Config().myClearColor, Kiln::Color(0.25f, 0.5f, 0.75f, 0.125f));
    EXPECT_EQ(Config().myWindowSize, Kiln::Vector2<uint32_t>(1600, 900));
    EXPECT_EQ(Config().myRenderSize, Kiln::Vector2<uint32_t>(800, 450));
    EXPECT_TRUE(Config().myStartInFullScreen);
    EXPECT_TRUE(Config().myStartMaximized);
    EXPECT_TRUE(Config().myBorderless);
    EXPECT_TRUE(Config().myEnableVSync);
    EXPECT_EQ(Config().myDebugFeatures, 0x1u | 0x4u | 0x20u);
    EXPECT_EQ(Config().myMultisampling, 2u);
    EXPECT_TRUE(myAssertions.empty());
}

TEST_F(Settings, TheShippedGameJsonLoads)
{
    ASSERT_TRUE(Kiln::LoadSettings("Game"));
    EXPECT_EQ(Config().myApplicationName, L"Kiln");
    EXPECT_EQ(Config().myDebugFeatures, static_cast<uint32_t>(Kiln::DebugFeature::Filewatcher));
    EXPECT_TRUE(Config().myEnableVSync);
    const fs::path bin = Plat::Runtime::ExecutableDirectory();
    EXPECT_EQ(Kiln::Settings::EngineAssetsPath(), bin / "assets" / "engine");
    EXPECT_EQ(Kiln::Settings::GameAssetsPath(), bin / "assets" / "game");
    EXPECT_EQ(Kiln::Settings::CookedPath(), bin / "assets" / "cooked");
    EXPECT_TRUE(fs::is_directory(Kiln::Settings::CookedPath()));
}

TEST_F(Settings, ANameWithoutAPointGetsJsonAppendedAndOneWithPointsIsKept)
{
    const std::string plain = WriteSettings(R"({ "enable_vsync": true })");
    EXPECT_TRUE(Kiln::LoadSettings(plain));
    EXPECT_TRUE(Config().myEnableVSync);

    const std::string dotted = WriteSettings(R"({ "multisampling": "High" })", ".v2.cfg");
    EXPECT_TRUE(Kiln::LoadSettings(dotted + ".v2.cfg"));
    EXPECT_EQ(Config().myMultisampling, 3u);
    // "<name>.v2" is used as given: no ".json" is added, and no such file exists.
    EXPECT_FALSE(Kiln::LoadSettings(dotted + ".v2"));
}

TEST_F(Settings, RenderSizeAloneSetsBothSizesAndAbsentKeysKeepDefaultsExceptDebugFeatures)
{
    Kiln::Settings::EngineConfiguration().myApplicationName = L"Before";
    const std::string name = WriteSettings(R"({ "window_settings": { "title": "", "render_size": { "w": 640, "h": 360 } } })");
    ASSERT_TRUE(Kiln::LoadSettings(name));
    EXPECT_EQ(Config().myWindowSize, Kiln::Vector2<uint32_t>(640, 360));
    EXPECT_EQ(Config().myRenderSize, Kiln::Vector2<uint32_t>(640, 360));
    EXPECT_EQ(Config().myApplicationName, L"Before");
    EXPECT_EQ(Config().myDebugFeatures, 0u);
    EXPECT_FALSE(Config().myEnableVSync);
    EXPECT_EQ(Config().myClearColor, Kiln::EngineConfiguration{}.myClearColor);

    const std::string windowOnly = WriteSettings(R"({ "window_settings": { "title": "t", "window_size": { "w": 300, "h": 200 } } })");
    ASSERT_TRUE(Kiln::LoadSettings(windowOnly));
    EXPECT_EQ(Config().myWindowSize, Kiln::Vector2<uint32_t>(300, 200));
    EXPECT_EQ(Config().myRenderSize, Kiln::Vector2<uint32_t>(300, 200));
}

TEST_F(Settings, DebugFeatureListsFollowTheScanRules)
{
    const auto load = [this](const std::string& aList) {
        Kiln::Settings::EngineConfiguration().myDebugFeatures = 3;
        const std::string name = WriteSettings(R"({ "debug_features": )" + aList + " }");
        EXPECT_TRUE(Kiln::LoadSettings(name));
        return Config().myDebugFeatures;
    };
    EXPECT_EQ(load(R"(["Fps", "None", "Mem"])"), 0u);
    EXPECT_EQ(load(R"(["Mem", "All"])"), static_cast<uint32_t>(All));
    EXPECT_EQ(load(R"(["All", "None"])"), static_cast<uint32_t>(All));
    EXPECT_EQ(load(R"(["fps"])"), 0u);
    EXPECT_EQ(load(R"(["FpsGraph", "Fpsx", "MemoryTrackingAllAllocations"])"), 0x110u);
    EXPECT_EQ(load(R"([])"), 0u);
}

TEST_F(Settings, MultisamplingTakesTheLastRecognisedName)
{
    const auto load = [this](const std::string& aValue) {
        Kiln::Settings::EngineConfiguration().myMultisampling = 0;
        const std::string name = WriteSettings(R"({ "multisampling": )" + aValue + " }");
        EXPECT_TRUE(Kiln::LoadSettings(name));
        return Config().myMultisampling;
    };
    EXPECT_EQ(load(R"("Ultra")"), 0u);
    EXPECT_EQ(load(R"(["High", "Low"])"), 1u);
    EXPECT_EQ(load(R"(["Medium", "Bogus"])"), 2u);
    EXPECT_EQ(load(R"("high")"), 0u);
}

TEST_F(Settings, AMissingFileLeavesTheConfigurationAndReportsTheAssertion)
{
    Kiln::Settings::EngineConfiguration().myDebugFeatures = 3;
    EXPECT_FALSE(Kiln::LoadSettings(UniqueName("missing")));
    EXPECT_EQ(Config().myDebugFeatures, 3u);
    ASSERT_EQ(myAssertions.size(), 1u);
    EXPECT_NE(myAssertions[0].find("Could not open project settings file in Kiln::LoadSettings"), std::string::npos);
}

TEST_F(Settings, BadDocumentsThrowNamingTheFileAndTheKey)
{
    struct Case
    {
        std::string myContent;
        const char* myMessage;
    };
    const Case cases[] = {
        {"{ \"enable_vsync\": tru ", "[parse_error]"},
        {"// no comments\n{}", "[parse_error]"},
        {R"({ "window_settings": { "borderless": true } })", "key \"window_settings\".\"title\": [type_error]"},
        {R"({ "assets_path": { "engine": "e" } })", "key \"assets_path\".\"game\": [type_error]"},
        {R"({ "assets_path": { "engine": 5, "game": "g" } })", "key \"assets_path\".\"engine\": [type_error]"},
        {R"({ "enable_vsync": "yes" })", "key \"enable_vsync\": [type_error]"},
        {R"({ "window_settings": { "title": "x", "borderless": 1 } })", "key \"window_settings\".\"borderless\": [type_error]"},
        {R"({ "window_settings": { "title": "x", "clear_color": { "r": 1, "g": 1, "b": 1 } } })", "key \"clear_color\".\"a\": [type_error]"},
        {R"({ "window_settings": { "title": "x", "clear_color": { "r": 1e39, "g": 1, "b": 1, "a": 1 } } })", "key \"clear_color\".\"r\": the number 1e+39 is not a finite float"},
        {R"({ "debug_features": "Fps" })", "key \"debug_features\": [type_error]"},
        {R"({ "multisampling": 3 })", "key \"multisampling\": [type_error]"},
        {R"([1, 2])", "[type_error]"},
        {"{ \"debug_features\": " + std::string(100000, '['), "arrays and objects are nested deeper than 64 levels (at byte 84)"},
        // Walking the file system's root for definitions would scan every mounted disk.
        {R"({ "assets_path": { "engine": "e", "game": "/" } })", "key \"assets_path\".\"game\": \"/\" names the root of the file system; the game assets need a folder of their own"},
        {R"({ "assets_path": { "engine": "e\u0000x", "game": "g" } })", "key \"assets_path\".\"engine\": the path holds a NUL character, which no file name can"},
    };
    for (const Case& testCase : cases)
    {
        const std::string name = WriteSettings(testCase.myContent);
        const fs::path file = Plat::Runtime::ExecutableDirectory() / "settings" / (name + ".json");
        EXPECT_EQ(LoadExpectingError(name), "settings file \"" + file.string() + "\": " + testCase.myMessage);
    }
}

TEST_F(Settings, AGameNeedsItsGameAndCookedFoldersAndIsToldTheFileAndTheKeyOtherwise)
{
    const fs::path game = MakeTempDir();
    const fs::path cooked = MakeTempDir();
    const fs::path loop = game / "loop";
    fs::create_directory_symlink(loop, loop);
    const auto document = [](const fs::path& aGame, const std::string& aCooked) {
        return R"({ "assets_path": { "engine": "e", "game": ")" + aGame.string() + "\"" + aCooked + " } }";
    };
    const auto cookedKey = [](const fs::path& aFolder) { return R"(, "cooked": ")" + aFolder.string() + "\""; };
    // The problem each document leaves for the game ("" when none).
    const auto problemOf = [this](const std::string& aDocument) -> std::string {
        const std::string name = WriteSettings(aDocument);
        Kiln::Settings::ResetSettings();
        EXPECT_TRUE(Kiln::LoadSettings(name)) << aDocument;
        const std::string file = (Plat::Runtime::ExecutableDirectory() / "settings" / (name + ".json")).string();
        try
        {
            Kiln::Settings::CheckGameFolders();
        }
        catch (const std::runtime_error& anError)
        {
            const std::string text = anError.what();
            EXPECT_EQ(text.rfind("settings file \"" + file + "\": key \"assets_path\"", 0), 0u) << text;
            return text.substr(text.find(": ") + 2);
        }
        return "";
    };

    EXPECT_EQ(problemOf(document(game, cookedKey(cooked))), "");
    // Letter case is matched loosely, as for every file under them.
    fs::create_directory(game / "Sub");
    EXPECT_EQ(problemOf(document(game / "SUB", cookedKey(cooked))), "");
    // The game process tests cover null, {}, a missing game folder and one that is a file.
    EXPECT_EQ(problemOf(R"({ "enable_vsync": true })"), "key \"assets_path\" is missing; the game needs its \"game\" and \"cooked\" folders");
    EXPECT_EQ(problemOf(document(game, "")), "key \"assets_path\".\"cooked\" is missing; the game needs the folder of its shaders");
    // "" would be the executable's own folder.
    EXPECT_EQ(problemOf(document("", cookedKey(cooked))), "key \"assets_path\".\"game\" is empty; it must name a folder");
    EXPECT_EQ(problemOf(document(game, cookedKey(""))), "key \"assets_path\".\"cooked\" is empty; it must name a folder");
    EXPECT_EQ(problemOf(document(game, cookedKey(cooked / "nowhere"))),
              "key \"assets_path\".\"cooked\": \"" + (cooked / "nowhere").string() + "\" does not exist");
    // A link to itself cannot be read, even by root.
    EXPECT_EQ(problemOf(document(loop, cookedKey(cooked))).rfind("key \"assets_path\".\"game\": \"" + loop.string() + "\" cannot be read: ", 0),
              0u);
}

TEST_F(Settings, SizesMustBeWholePixelCounts)
{
    const std::string negative = WriteSettings(R"({ "window_settings": { "title": "x", "window_size": { "w": -1280, "h": 720 } } })");
    const std::string message = LoadExpectingError(negative);
    EXPECT_NE(message.find("\"window_size\".\"w\" must be a whole number of pixels"), std::string::npos) << message;

    const std::string fraction = WriteSettings(R"({ "window_settings": { "title": "x", "render_size": { "w": 640, "h": 360.5 } } })");
    EXPECT_NE(LoadExpectingError(fraction).find("\"render_size\".\"h\""), std::string::npos);

    const std::string whole = WriteSettings(R"({ "window_settings": { "title": "x", "render_size": { "w": 640.0, "h": 360 } } })");
    EXPECT_TRUE(Kiln::LoadSettings(whole));
    EXPECT_EQ(Config().myRenderSize, Kiln::Vector2<uint32_t>(640, 360));
}

TEST_F(Settings, AssetRootsJoinTheExecutableFolderAndNormalise)
{
    const fs::path absolute = MakeTempDir();
    const std::string name = WriteSettings(R"({ "assets_path": { "engine": "assets/./x/../engine", "game": ")" +
                                           absolute.string() + R"(", "cooked": "..\\cooked" } })");
    ASSERT_TRUE(Kiln::LoadSettings(name));
    const fs::path bin = Plat::Runtime::ExecutableDirectory();
    EXPECT_EQ(Kiln::Settings::EngineAssetsPath(), bin / "assets" / "engine");
    EXPECT_EQ(Kiln::Settings::GameAssetsPath(), absolute);
    EXPECT_EQ(Kiln::Settings::CookedPath(), (bin.parent_path() / "cooked").lexically_normal());
    EXPECT_EQ(Kiln::Settings::ExecutableDirectory(), bin);
}

TEST_F(Settings, AssetLookupTriesDataThenGameThenEngine)
{
    const fs::path game = MakeTempDir();
    const fs::path engine = MakeTempDir();
    const std::string unique = UniqueName("lookup");
    const fs::path data = Plat::Runtime::ExecutableDirectory() / "data" / unique;
    myCreated.push_back(data);

    Write(engine / unique / "Textures" / "Shared.dds", "engine");
    Write(game / unique / "Textures" / "Shared.dds", "game");
    Write(engine / unique / "Textures" / "EngineOnly.dds", "engine");
    const std::string name = WriteSettings(R"({ "assets_path": { "engine": ")" + engine.string() + R"(", "game": ")" +
                                           game.string() + R"(" } })");
    ASSERT_TRUE(Kiln::LoadSettings(name));

    // Windows-style separators and letter case still find the files.
    const std::string shared = unique + "\\textures\\shared.DDS";
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(shared), (game / unique / "Textures" / "Shared.dds").string());
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(unique + "/Textures/EngineOnly.dds"),
              (engine / unique / "Textures" / "EngineOnly.dds").string());
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(unique + "/Textures/Nowhere.dds"), "");
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(unique + "/Textures"), "");  // a folder is not a file

    // A file under data/ shadows both roots.
    Write(data / "Textures" / "Shared.dds", "data");
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(shared), (data / "Textures" / "Shared.dds").string());
}

TEST_F(Settings, UnsetAssetRootsAreSkippedNotTakenAsTheCurrentFolder)
{
    Kiln::Settings::ResetSettings();
    EXPECT_TRUE(Kiln::Settings::GameAssetsPath().empty());
    EXPECT_TRUE(Kiln::Settings::EngineAssetsPath().empty());

    const fs::path cwd = MakeTempDir();
    const std::string unique = UniqueName("empty_root");
    Write(cwd / unique / "a.txt", "cwd");
    const fs::path before = fs::current_path();
    fs::current_path(cwd);
    const std::string resolved = Kiln::Settings::ResolveAssetPath(unique + "/a.txt");
    fs::current_path(before);
    EXPECT_EQ(resolved, "");
}

TEST_F(Settings, BeforeTheSettingsAreLoadedDataIsRelativeToTheWorkingFolder)
{
    const fs::path cwd = MakeTempDir();
    const std::string unique = UniqueName("early_data");
    Write(cwd / "data" / unique / "a.txt", "cwd");
    const fs::path besideExecutable = Plat::Runtime::ExecutableDirectory() / "data" / unique;
    myCreated.push_back(besideExecutable);
    Write(besideExecutable / "b.txt", "exe");

    const fs::path before = fs::current_path();
    fs::current_path(cwd);
    const std::string early = Kiln::Settings::ResolveAssetPath(unique + "/a.txt");
    const std::string besideOnly = Kiln::Settings::ResolveAssetPath(unique + "/b.txt");
    fs::current_path(before);
    EXPECT_EQ(fs::path(early), fs::path("data") / unique / "a.txt");
    EXPECT_EQ(besideOnly, "");

    // Once loaded, the executable's folder holds "data/".
    ASSERT_TRUE(Kiln::LoadSettings(WriteSettings("{}")));
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(unique + "/b.txt"), (besideExecutable / "b.txt").string());
    EXPECT_EQ(Kiln::Settings::ResolveAssetPath(unique + "/a.txt"), "");
}

TEST(WideStrings, Utf8BecomesWideText)
{
    EXPECT_EQ(Kiln::ToWideString(""), L"");
    EXPECT_EQ(Kiln::ToWideString("K\xC3\xA4rl"), L"K\u00E4rl");
}

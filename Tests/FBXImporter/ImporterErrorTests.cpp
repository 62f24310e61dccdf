#include "ImporterTestSupport.h"

#include "ImportHelpers.h"

#include "Platform/runtime/Assert.h"

#include <cstring>
#include <filesystem>

using namespace KILNFBXImporter;
using namespace KilnTest;

namespace
{
    bool StartsWith(const std::string& aText, const std::string& aPrefix)
    {
        return aText.compare(0, aPrefix.size(), aPrefix) == 0;
    }

    // LoadModel and LoadAnimation both refuse the file with an initialise message naming it.
    void ExpectRefused(const std::filesystem::path& aPath)
    {
        FBXModel model;
        model.path = "untouched";
        EXPECT_FALSE(LoadModel(aPath.string(), model, false, true));
        EXPECT_TRUE(StartsWith(LastError, "Failed to initialize the FBX Importer! Error was: ")) << LastError;
        EXPECT_NE(LastError.find(aPath.string()), std::string::npos) << LastError;
        EXPECT_EQ(model.path, "untouched");

        LastError.clear();
        FBXAnimation clip;
        EXPECT_FALSE(LoadAnimation(aPath.string(), clip));
        EXPECT_TRUE(StartsWith(LastError, "Failed to initialize the FBX Importer! Error was: ")) << LastError;
        EXPECT_NE(LastError.find(aPath.string()), std::string::npos) << LastError;
    }
}

TEST_F(ImporterTest, MissingFileIsReportedByBothLoads)
{
    const std::string path = (myFolder / "nowhere.fbx").string();
    FBXModel model;
    EXPECT_FALSE(LoadModel(path, model, false, true));
    EXPECT_EQ(LastError, "FBX File not found! (" + path + ")");
    LastError.clear();
    FBXAnimation clip;
    EXPECT_FALSE(LoadAnimation(path, clip));
    EXPECT_EQ(LastError, "FBX File not found! (" + path + ")");
}

TEST_F(ImporterTest, FailingExistenceCheckIsTheFileSystemErrorForExists)
{
    // A name longer than the system allows cannot even be checked.
    const std::string path = (myFolder.Path() / std::string(300, 'n')).string() + ".fbx";
    for (int load = 0; load < 2; ++load)
    {
        LastError = "before";
        try
        {
            FBXModel model;
            FBXAnimation clip;
            if (load == 0)
                LoadModel(path, model, false, true);
            else
                LoadAnimation(path, clip);
            ADD_FAILURE() << "expected a throw";
        }
        catch (const std::filesystem::filesystem_error& error)
        {
            EXPECT_NE(std::string(error.what()).find("exists"), std::string::npos) << error.what();
            EXPECT_EQ(error.path1().string(), path);
            EXPECT_EQ(error.code(), std::errc::filename_too_long);
        }
        EXPECT_EQ(LastError, "before");
    }
}

TEST_F(ImporterTest, LoadsWithoutInitImporterFailWithTheCreationMessage)
{
    UninitImporter();
    FBXModel model;
    EXPECT_FALSE(LoadModel(FbxFixture("cube.fbx").string(), model, false, true));
    EXPECT_EQ(LastError, "Failed to create the FBX Importer! Did you call InitImporter()?");
    FBXAnimation clip;
    EXPECT_FALSE(LoadAnimation(FbxFixture("animated.fbx").string(), clip));
    EXPECT_TRUE(StartsWith(LastError, "Failed to create the FBX Importer! Error was: ")) << LastError;
    EXPECT_EQ(LastError.back(), '.');
    // Init again after an uninit works.
    InitImporter();
    EXPECT_TRUE(LoadModel(FbxFixture("cube.fbx").string(), model, false, true)) << LastError;
    InitImporter(); // a second init is harmless
    EXPECT_TRUE(LoadModel(FbxFixture("cube.fbx").string(), model, false, true)) << LastError;
}

TEST_F(ImporterTest, UnreadableFilesAreRefusedWithTheirNames)
{
    ExpectRefused(WriteTextFile(myFolder, "empty.fbx", ""));
    ExpectRefused(WriteTextFile(myFolder, "text.fbx", "just some words\n"));

    const std::string ascii = ReadWholeFile(FbxFixture("skinned.fbx"));
    ExpectRefused(WriteTextFile(myFolder, "cut.fbx", ascii.substr(0, ascii.size() / 2)));

    const auto binary = FixtureInForm("skinned.fbx", FbxForm::Binary7500Zlib, myFolder);
    std::string bytes = ReadWholeFile(binary);
    std::string wrongMagic = bytes;
    wrongMagic[3] = 'X';
    ExpectRefused(WriteTextFile(myFolder, "magic.fbx", wrongMagic));

    ExpectRefused(WriteTextFile(myFolder, "truncated.fbx", bytes.substr(0, bytes.size() * 2 / 3)));

    // A folder exists, opens, and is no file.
    const std::filesystem::path folder = myFolder / "folder.fbx";
    std::filesystem::create_directories(folder);
    ExpectRefused(folder);
    EXPECT_NE(LastError.find("cannot read"), std::string::npos) << LastError;

    // The first record's end offset pointing far past the file.
    std::string badLength = bytes;
    const uint64_t huge = 1ull << 40;
    std::memcpy(&badLength[27], &huge, 8);
    ExpectRefused(WriteTextFile(myFolder, "length.fbx", badLength));
    // ... or before its own start.
    std::string backwards = bytes;
    const uint64_t tiny = 5;
    std::memcpy(&backwards[27], &tiny, 8);
    ExpectRefused(WriteTextFile(myFolder, "backwards.fbx", backwards));
}

TEST_F(ImporterTest, InconsistentDataFailsTheModelAndThrowsFromTheAnimation)
{
    // A UV index past the UV array.
    std::string text = ReadWholeFile(FbxFixture("animated.fbx"));
    const std::string cube = ReadWholeFile(FbxFixture("cube.fbx"));
    const auto path = WriteTextFile(myFolder, "bad_uv.fbx", Replaced(cube, "a: 0,1,3,2,2,3,5,4", "a: 0,1,3,2,2,3,5,99"));
    FBXModel model;
    EXPECT_FALSE(LoadModel(path.string(), model, false, true));
    EXPECT_NE(LastError.find(path.string()), std::string::npos) << LastError;
    EXPECT_NE(LastError.find("index 99 is out of range"), std::string::npos) << LastError;

    const auto animPath =
        WriteTextFile(myFolder, "bad_keys.fbx", Replaced(text, "KeyValueFloat: *2 {\n\t\t\ta: 0.0,90.0", "KeyValueFloat: *1 {\n\t\t\ta: 0.0"));
    FBXAnimation clip;
    try
    {
        LoadAnimation(animPath.string(), clip);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_TRUE(StartsWith(error.what(), "Failed to import the animation. ")) << error.what();
        EXPECT_NE(std::string(error.what()).find(animPath.string()), std::string::npos);
    }
}

TEST_F(ImporterTest, ModelErrorsAfterImportAreThrownAndLeaveTheRecord)
{
    const std::string cube = ReadWholeFile(FbxFixture("cube.fbx"));
    // No UV layer (normals and colours remain).
    const size_t uvStart = cube.find("\t\tLayerElementUV: 0 {");
    const size_t uvEnd = cube.find("\t\tLayerElementMaterial:");
    std::string noUV = cube;
    noUV.erase(uvStart, uvEnd - uvStart);
    FBXModel model;
    model.path = "untouched";
    try
    {
        LoadModel(WriteTextFile(myFolder, "no_uv.fbx", noUV).string(), model, false, true);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "Cannot load FBX file! No UV layers are present in the file.");
        EXPECT_NE(dynamic_cast<const std::nested_exception*>(&error), nullptr);
    }
    EXPECT_EQ(model.path, "untouched");

    // Normals through a reference mode other than direct or index-to-direct.
    const std::string indexMode = Replaced(cube, "ReferenceInformationType: \"Direct\"\n\t\t\tNormals",
                                           "ReferenceInformationType: \"Index\"\n\t\t\tNormalsIndex: *24 {\n\t\t\t\ta: "
                                           "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23\n\t\t\t}\n\t\t\tNormals");
    try
    {
        LoadModel(WriteTextFile(myFolder, "index_mode.fbx", indexMode).string(), model, false, true);
        FAIL() << "expected a throw";
    }
    catch (const std::exception& error)
    {
        EXPECT_EQ(std::string(error.what()), "Invalid Reference Mode!");
    }

    // Tangents cannot be made without normals.
    const size_t normalStart = cube.find("\t\tLayerElementNormal: 0 {");
    const size_t normalEnd = cube.find("\t\tLayerElementColor:");
    std::string noNormals = cube;
    noNormals.erase(normalStart, normalEnd - normalStart);
    try
    {
        LoadModel(WriteTextFile(myFolder, "no_normals.fbx", noNormals).string(), model, false, true);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()),
                  "Failed to generate Tangent/BiNormal data for the mesh CubeShape! FBX Error was: the mesh has no normals");
    }
    EXPECT_EQ(model.path, "untouched");
}

TEST_F(ImporterTest, UnitCheckAfterConversionHoldsForEveryUnit)
{
    std::vector<Plat::Runtime::AssertionReport> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r); });
    const std::string cube = ReadWholeFile(FbxFixture("cube.fbx"));
    for (const char* unit : {"1.0", "2.54", "100.0", "0.1"})
    {
        const auto path = WriteTextFile(myFolder, std::string("unit_") + unit + ".fbx",
                                        Replaced(cube, "\"UnitScaleFactor\", \"double\", \"Number\", \"\", 1.0",
                                                 std::string("\"UnitScaleFactor\", \"double\", \"Number\", \"\", ") + unit));
        FBXModel model;
        EXPECT_TRUE(LoadModel(path.string(), model, false, true)) << LastError;
    }
    Plat::Runtime::SetAssertionHandler({});
    EXPECT_TRUE(reports.empty());
}

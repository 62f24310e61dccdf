#include "SceneTestSupport.h"

#include "forge/scene/GuidRegistry.h"
#include "forge/scene/SceneSerialize.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Platform/runtime/Assert.h"
#include "Support/JsonErrors.h"

#include <gtest/gtest.h>

#include <vector>

using Kiln::Scene;
using Kiln::SceneObject;

namespace
{
    using SceneLoad = KilnTest::GameAssetsFolder;

    constexpr const char* GUID_A = "1a2b3c4d-0000-4000-8000-0000000000a1";
    constexpr const char* GUID_B = "1a2b3c4d-0000-4000-8000-0000000000b2";
    constexpr const char* GUID_C = "1a2b3c4d-0000-4000-8000-0000000000c3";
    constexpr const char* GUID_D = "1a2b3c4d-0000-4000-8000-0000000000d4";

    Kiln::StringId Id(const char* aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText);
    }

    const SceneObject& ObjectOf(const Scene& aScene, const char* aGuid)
    {
        const auto found = aScene.myObjects.find(Kiln::GuidRegistry::GetIndex(aGuid));
        if (found == aScene.myObjects.end())
            throw std::runtime_error(std::string("no object ") + aGuid);
        return *found->second;
    }

    // The full description of what LoadScene throws, with the outermost exception kept.
    struct Thrown
    {
        std::string myChain;
        std::exception_ptr myOuter;
    };

    Thrown LoadFailure(const char* aScenePath)
    {
        Scene scene;
        try
        {
            Kiln::LoadScene(aScenePath, scene);
        }
        catch (const std::exception& anError)
        {
            return {KilnTest::OurWords(anError), std::current_exception()};
        }
        return {"no error", nullptr};
    }

    // Whether the innermost exception is of type E.
    template <typename E>
    bool InnermostIs(std::exception_ptr anError)
    {
        try
        {
            std::rethrow_exception(anError);
        }
        catch (const std::nested_exception& aNested)
        {
            return InnermostIs<E>(aNested.nested_ptr());
        }
        catch (const E&)
        {
            return true;
        }
        catch (...)
        {
            return false;
        }
    }
}

TEST_F(SceneLoad, AMissingFolderIsAnEmptySceneAndSuccess)
{
    Scene scene;
    EXPECT_EQ(scene.myFileName, "untitled");
    scene.myObjects[7] = std::make_shared<SceneObject>();
    scene.myPathCounts[Kiln::StringId()] = 3;

    EXPECT_TRUE(Kiln::LoadScene("levels\\Level1.ksc", scene));
    EXPECT_EQ(scene.myName, "levels\\Level1.ksc");
    EXPECT_EQ(scene.myFileName, "Level1");
    EXPECT_TRUE(scene.myObjects.empty());
    EXPECT_TRUE(scene.myPathCounts.empty());
}

TEST_F(SceneLoad, AnEmptyObjectIsNamedUnknownAtTheOriginWithUnitScale)
{
    Write(std::string("levels/Level1.ksc.leveldata/") + GUID_A, "{}");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels\\Level1.ksc", scene));
    ASSERT_EQ(scene.myObjects.size(), 1u);
    const SceneObject& object = ObjectOf(scene, GUID_A);
    EXPECT_EQ(object.myName, "unknown");
    EXPECT_EQ(object.myTransform.myTranslation, Kiln::Vector3<float>(0, 0, 0));
    EXPECT_EQ(object.myTransform.myRotation, Kiln::Vector3<float>(0, 0, 0));
    EXPECT_EQ(object.myTransform.myScale, Kiln::Vector3<float>(1, 1, 1));
    EXPECT_TRUE(object.myObjectDefinition.IsNull());
    EXPECT_TRUE(object.GetPath().IsNull());
    EXPECT_TRUE(object.myProperties.empty());
    // Counted once under its own (null) path and once more under null as one object read.
    EXPECT_EQ(scene.myPathCounts.at(Kiln::StringId()), 2u);
}

TEST_F(SceneLoad, FilesWithExtensionsAndSubFoldersAreNotObjects)
{
    const std::string folder = "scenes/menu.ksc.leveldata/";
    Write(folder + GUID_A, R"({"name": "kept"})");
    Write(folder + GUID_B + ".json", R"({"name": "extension"})");
    Write(folder + "notes.txt", "not json at all");
    Write(folder + "trailing.", "not json either");
    Write(folder + "sub/" + GUID_C, R"({"name": "nested"})");
    Write(folder + ".hidden", R"({"name": "dot file"})");

    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("scenes/menu.ksc", scene));
    EXPECT_EQ(scene.myFileName, "menu");
    // ".hidden" has no extension: it is an object, and not being a GUID it takes id 0.
    ASSERT_EQ(scene.myObjects.size(), 2u);
    EXPECT_EQ(ObjectOf(scene, GUID_A).myName, "kept");
    EXPECT_EQ(scene.myObjects.at(0)->myName, "dot file");
    EXPECT_EQ(scene.myPathCounts.at(Kiln::StringId()), 4u);
}

TEST_F(SceneLoad, ReadsNamePathDefinitionTransformAndPropertiesInFileOrder)
{
    Write(std::string("levels/L.ksc.leveldata/") + GUID_A, R"({
        "name": "Door 1",
        "path": "Doors/Left",
        "object-definition": "KOB_Door",
        "translation": [1, 2, 3, 99],
        "rotation": [0, 0, 45],
        "scale": [2, true, 0.5],
        "properties": [
            {"name": "Speed", "type": "Float", "value": 2.5},
            {"name": "Model", "type": "Model", "value": {"path": "models/door.fbx"}},
            {"name": "Speed", "type": "Int", "value": 7},
            {"name": "Flag", "type": "Bool", "value": true},
            {"name": "Nothing", "type": "StringId", "value": ""}
        ]
    })");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels/L.ksc", scene));
    const SceneObject& door = ObjectOf(scene, GUID_A);
    EXPECT_EQ(door.myName, "Door 1");
    EXPECT_EQ(door.GetPath(), Id("Doors/Left"));
    EXPECT_EQ(door.myObjectDefinition, Id("KOB_Door"));
    EXPECT_EQ(door.myTransform.myTranslation, Kiln::Vector3<float>(1, 2, 3));
    EXPECT_EQ(door.myTransform.myRotation, Kiln::Vector3<float>(0, 0, 45));
    EXPECT_EQ(door.myTransform.myScale, Kiln::Vector3<float>(2, 1, 0.5f));

    ASSERT_EQ(door.myProperties.size(), 5u);
    EXPECT_EQ(door.myProperties[0].myName, Id("Speed"));
    EXPECT_EQ(door.myProperties[0].myType, &Kiln::PropertyType<float>::GetInstance());
    EXPECT_EQ(door.myProperties[0].myValue.GetValue<float>(), 2.5f);
    EXPECT_EQ(door.myProperties[1].myValue.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneModel>>()->myPath, Id("models/door.fbx"));
    EXPECT_EQ(door.myProperties[2].myName, Id("Speed"));
    EXPECT_EQ(door.myProperties[2].myValue.GetValue<std::int32_t>(), 7);
    EXPECT_TRUE(door.myProperties[3].myValue.GetValue<bool>());
    EXPECT_TRUE(door.myProperties[4].myValue.GetValue<Kiln::StringId>().IsNull());
}

TEST_F(SceneLoad, ATransformMatrixGivesWayToAnExplicitScale)
{
    const Kiln::Matrix4x4<float> matrix = KilnTest::ComposeObjectMatrix(0, 0, 30, 4.0f, 10, 20, 30);
    Write(std::string("levels/T.ksc.leveldata/") + GUID_A,
          R"({"transform": )" + KilnTest::MatrixJson(matrix) + R"(, "scale": [2, 2, 2]})");
    Write(std::string("levels/T.ksc.leveldata/") + GUID_B, R"({"transform": )" + KilnTest::MatrixJson(matrix) + "}");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels/T.ksc", scene));

    const SceneObject& withScale = ObjectOf(scene, GUID_A);
    EXPECT_EQ(withScale.myTransform.myScale, Kiln::Vector3<float>(2, 2, 2));
    EXPECT_EQ(withScale.myTransform.myTranslation, Kiln::Vector3<float>(10, 20, 30));
    EXPECT_NEAR(withScale.myTransform.myRotation.z, 30.0f, 1e-3f);
    EXPECT_NEAR(withScale.myTransform.myRotation.x, 0.0f, 1e-3f);

    const SceneObject& fromMatrix = ObjectOf(scene, GUID_B);
    EXPECT_NEAR(fromMatrix.myTransform.myScale.x, 4.0f, 1e-4f);
    EXPECT_NEAR(fromMatrix.myTransform.myScale.z, 4.0f, 1e-4f);
}

TEST_F(SceneLoad, AFourthMatrixColumnEnlargesTheScale)
{
    Write(std::string("levels/M.ksc.leveldata/") + GUID_A,
          R"({"transform": [1, 0, 0, 1,  0, 1, 0, 0,  0, 0, 1, 0,  5, 6, 7, 1, 123]})");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels/M.ksc", scene));
    const SceneObject& object = ObjectOf(scene, GUID_A);
    EXPECT_FLOAT_EQ(object.myTransform.myScale.x, std::sqrt(2.0f));
    EXPECT_EQ(object.myTransform.myScale.y, 1.0f);
    EXPECT_EQ(object.myTransform.myTranslation, Kiln::Vector3<float>(5, 6, 7));
}

TEST_F(SceneLoad, APitchOfNinetyDegreesLoadsWithZeroZ)
{
    Write(std::string("levels/P.ksc.leveldata/") + GUID_A,
          R"({"transform": [0, 0, -1, 0,  0, 1, 0, 0,  1, 0, 0, 0,  0, 0, 0, 1]})");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels/P.ksc", scene));
    const SceneObject& object = ObjectOf(scene, GUID_A);
    EXPECT_NEAR(object.myTransform.myRotation.y, 90.0f, 1e-4f);
    EXPECT_EQ(object.myTransform.myRotation.z, 0.0f);
}

TEST_F(SceneLoad, GuidLetterCaseAndInvalidNamesShareIdsAndTheLastFileReadWins)
{
    const std::filesystem::path folder = Root() / "levels/G.ksc.leveldata";
    const std::string upper = "ABCDEF01-2345-4678-9ABC-DEF012345678";
    const std::string lower = "abcdef01-2345-4678-9abc-def012345678";
    Write("levels/G.ksc.leveldata/" + upper, R"({"name": "upper"})");
    Write("levels/G.ksc.leveldata/" + lower, R"({"name": "lower"})");
    Write("levels/G.ksc.leveldata/not-a-guid", R"({"name": "first invalid"})");
    Write("levels/G.ksc.leveldata/also_invalid", R"({"name": "second invalid"})");

    // The loader promises no order: learn the file system's.
    std::string lastGuidFile;
    std::string lastInvalidFile;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        (name == upper || name == lower ? lastGuidFile : lastInvalidFile) = name;
    }

    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels/G.ksc", scene));
    ASSERT_EQ(scene.myObjects.size(), 2u);
    EXPECT_EQ(ObjectOf(scene, upper.c_str()).myName, lastGuidFile == upper ? "upper" : "lower");
    EXPECT_EQ(&ObjectOf(scene, upper.c_str()), &ObjectOf(scene, lower.c_str()));
    EXPECT_EQ(scene.myObjects.at(0)->myName, lastInvalidFile == "not-a-guid" ? "first invalid" : "second invalid");
    // Replaced objects stay counted.
    EXPECT_EQ(scene.myPathCounts.at(Kiln::StringId()), 8u);
}

TEST_F(SceneLoad, PathCountsGroupObjectsByPathText)
{
    const std::string folder = "levels/C.ksc.leveldata/";
    Write(folder + GUID_A, R"({"path": "Zeta"})");
    Write(folder + GUID_B, R"({"path": "Alpha"})");
    Write(folder + GUID_C, R"({"path": "Zeta"})");
    Write(folder + GUID_D, R"({"path": ""})");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels/C.ksc", scene));

    std::vector<std::pair<std::string, std::uint32_t>> counts;
    for (const auto& [path, count] : scene.myPathCounts)
        counts.emplace_back(path.GetString(), count);
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {{"", 5}, {"Alpha", 1}, {"Zeta", 2}};
    EXPECT_EQ(counts, expected);

    // Moving an object to another path moves one count and drops empty entries.
    SceneObject& alpha = *scene.myObjects.at(Kiln::GuidRegistry::GetIndex(GUID_B));
    alpha.SetPath(&scene, Id("Zeta"));
    EXPECT_EQ(alpha.GetPath(), Id("Zeta"));
    EXPECT_EQ(scene.myPathCounts.count(Id("Alpha")), 0u);
    EXPECT_EQ(scene.myPathCounts.at(Id("Zeta")), 3u);
    // An old path the index does not hold takes nothing away.
    scene.UpdatePathIndex(Id("SceneLoad/never"), Id("Alpha"));
    EXPECT_EQ(scene.myPathCounts.at(Id("Alpha")), 1u);
    EXPECT_EQ(scene.myPathCounts.count(Id("SceneLoad/never")), 0u);
}

TEST_F(SceneLoad, ScenePathsResolveWithoutRegardToLetterCaseAndAbsolutePathsReplaceTheRoot)
{
    Write(std::string("Levels/Level2.ksc.leveldata/") + GUID_A, R"({"name": "found"})");
    Scene scene;
    ASSERT_TRUE(Kiln::LoadScene("levels\\LEVEL2.ksc", scene));
    ASSERT_EQ(scene.myObjects.size(), 1u);
    EXPECT_EQ(scene.myFileName, "LEVEL2");

    KilnTest::UniqueTempFolder elsewhere("elsewhere");
    elsewhere.WriteFile(std::string("abs.ksc.leveldata/") + GUID_B, R"({"name": "absolute"})");
    ASSERT_TRUE(Kiln::LoadScene((elsewhere.GetPath() / "abs.ksc").string().c_str(), scene));
    ASSERT_EQ(scene.myObjects.size(), 1u);
    EXPECT_EQ(ObjectOf(scene, GUID_B).myName, "absolute");
}

TEST_F(SceneLoad, AnUnknownPropertyTypeIsLeftOutAndReported)
{
    Write(std::string("levels/U.ksc.leveldata/") + GUID_A, R"({"name": "odd", "properties": [
        {"name": "a", "type": "Float", "value": 1},
        {"name": "b", "type": "float", "value": 2},
        {"name": "c", "type": "Pose"}
    ]})");
    Scene scene;
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(Kiln::LoadScene("levels/U.ksc", scene));
    const std::string diagnostics = ::testing::internal::GetCapturedStderr();
    const SceneObject& object = ObjectOf(scene, GUID_A);
    ASSERT_EQ(object.myProperties.size(), 2u);
    EXPECT_EQ(object.myProperties[0].myName, Id("a"));
    // A missing value reads as null, which a pose ignores.
    EXPECT_EQ(object.myProperties[1].myName, Id("c"));
    EXPECT_NE(diagnostics.find("\"b\" has the unknown type \"float\""), std::string::npos) << diagnostics;
}

TEST_F(SceneLoad, MalformedObjectFilesRaiseAnErrorNamingTheFileAndTheKey)
{
    struct Case
    {
        std::string myContent;
        const char* myInnerMessage;
    };
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    const Case cases[] = {
        {R"({"name": "x",)", "[parse_error]"},
        {R"([1, 2])", "[type_error]"},
        {R"({"name": 5})", "key \"name\": [type_error]"},
        {R"({"path": null})", "key \"path\": [type_error]"},
        {R"({"transform": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0]})", "key \"transform\": [out_of_range]"},
        {R"({"rotation": 90})", "key \"rotation\": [type_error]"},
        {R"({"object-definition": 1})", "key \"object-definition\": [type_error]"},
        {R"({"properties": [{"type": "Float", "value": 1}]})", "key \"properties\": property 0: key \"name\": [type_error]"},
        {R"({"properties": [{"name": "a", "type": 3}]})", "key \"properties\": property 0 (\"a\"): key \"type\": [type_error]"},
        {R"({"properties": [["name", "a"]]})", "key \"properties\": property 0: [type_error]"},
        {R"({"properties": [{"name": "a", "type": "Float3", "value": [1, 2]}]})", "key \"properties\": property 0 (\"a\"): key \"value\": [out_of_range]"},
        {R"({"properties": [{"name": "a", "type": "Float", "value": 1}, {"name": "b", "type": "Bool", "value": 1}]})", "key \"properties\": property 1 (\"b\"): key \"value\": [type_error]"},
        // Numbers past the float range would put objects at infinity.
        {R"({"translation": [0, 1e39, 0]})", "key \"translation\": the number 1e+39 is not a finite float"},
        {R"({"rotation": [-1e308, 0, 0]})", "key \"rotation\": the number -1e+308 is not a finite float"},
        {R"({"transform": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1e39, 1]})", "key \"transform\": the number 1e+39 is not a finite float"},
        {R"({"properties": [{"name": "Gravity Acceleration", "type": "Float", "value": 1e39}]})", "key \"properties\": property 0 (\"Gravity Acceleration\"): key \"value\": the number 1e+39 is not a finite float"},
        // Refused before the library builds (and later walks) thousands of levels.
        {R"({"properties": [{"name": "a", "type": "Float", "value": )" + deep + "}]}", "arrays and objects are nested deeper than 64 levels (at byte 118)"},
        {std::string(2000000, '{'), "arrays and objects are nested deeper than 64 levels (at byte 65)"},
        // Longer than the string registry keeps: refused rather than read as no text.
        {R"({"path": ")" + std::string(1024, 'p') + "\"}", "key \"path\": the text is 1024 characters long; at most 1023 are allowed"},
        {R"({"properties": [{"name": "picture", "type": "Sprite", "value": {"textures": [")" + std::string(10000, 't') + "\"]}}]}",
         "key \"properties\": property 0 (\"picture\"): key \"value\": the text is 10000 characters long; at most 1023 are allowed"},
    };
    int index = 0;
    for (const Case& testCase : cases)
    {
        const std::string scenePath = "bad/" + std::to_string(index++) + ".ksc";
        const std::filesystem::path file = Write(scenePath + ".leveldata/" + GUID_A, testCase.myContent);
        const Thrown thrown = LoadFailure(scenePath.c_str());
        EXPECT_EQ(thrown.myChain, "Could not read scene object file \"" + file.string() + "\": " + testCase.myInnerMessage);
    }
}

TEST_F(SceneLoad, AnObjectFileThatCannotBeOpenedAssertsAndEndsInAParseError)
{
    const std::filesystem::path folder = Root() / "levels/Broken.ksc.leveldata";
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(folder / "missing-target", folder / GUID_A);

    std::vector<std::string> assertions;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& aReport) {
        assertions.push_back(aReport.expression);
    });
    const Thrown thrown = LoadFailure("levels/Broken.ksc");
    Plat::Runtime::SetAssertionHandler({});

    EXPECT_EQ(assertions, std::vector<std::string>{"obj_in"});
    EXPECT_EQ(thrown.myChain, "Could not read scene object file \"" + (folder / GUID_A).string() + "\": [parse_error]");
}

TEST_F(SceneLoad, FolderFailuresRaiseFileSystemErrorsWithTheirOperation)
{
    // A plain file where the folder should be cannot be iterated.
    Write("levels/Plain.ksc.leveldata", "{}");
    const Thrown notAFolder = LoadFailure("levels/Plain.ksc");
    EXPECT_TRUE(InnermostIs<std::filesystem::filesystem_error>(notAFolder.myOuter));
    EXPECT_NE(notAFolder.myChain.find("directory_iterator::directory_iterator"), std::string::npos) << notAFolder.myChain;

    // A folder whose status cannot be read (a symbolic link to itself) is not "missing".
    std::filesystem::create_directories(Root() / "levels");
    std::filesystem::create_symlink("Loop.ksc.leveldata", Root() / "levels/Loop.ksc.leveldata");
    const Thrown loop = LoadFailure("levels/Loop.ksc");
    EXPECT_TRUE(InnermostIs<std::filesystem::filesystem_error>(loop.myOuter));
    EXPECT_NE(loop.myChain.find("exists"), std::string::npos) << loop.myChain;
}

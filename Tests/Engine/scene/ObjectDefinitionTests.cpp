#include "SceneTestSupport.h"

#include "forge/scene/ObjectDefinitionManager.h"
#include "forge/scene/SceneSerialize.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Support/JsonErrors.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Kiln::ObjectDefinition;
using Kiln::ObjectDefinitionManager;
using Kiln::PropertyDefinition;

namespace
{
    using ObjectDefinitions = KilnTest::GameAssetsFolder;

    Kiln::StringId Id(const char* aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText);
    }

    std::string Definition(const std::string& aProperties, const char* aParent = "")
    {
        return std::string(R"({"parent-object-definition": ")") + aParent + R"(", "properties": [)" + aProperties + "]}";
    }

    std::string FloatProperty(const char* aName, float aValue, bool aPerInstance)
    {
        return std::string(R"({"name": ")") + aName + R"(", "is-dynamic": false, "is-per-instance": )" +
               (aPerInstance ? "true" : "false") + R"(, "type": "Float", "value": )" + std::to_string(aValue) + "}";
    }

    std::string LoadFailure(ObjectDefinitionManager& aManager, const std::filesystem::path& aFolder)
    {
        try
        {
            aManager.LoadDefinitions(aFolder.string().c_str());
        }
        catch (const std::exception& anError)
        {
            return KilnTest::OurWords(anError);
        }
        return "no error";
    }

    // A scene object read the way the scene loader reads one.
    Kiln::SceneObject SceneObjectFrom(const char* aJson)
    {
        Kiln::SceneObject object;
        Kiln::ReadSceneObject(nlohmann::json::parse(aJson), object);
        return object;
    }
}

TEST_F(ObjectDefinitions, AreFoundRecursivelyByTheirExactExtension)
{
    Write("KOB_Top.kob", Definition(""));
    Write("objects/enemies/deep/KOB_Deep.kob", Definition(""));
    Write("objects/KOB_Capital.KOB", Definition(""));
    Write("objects/KOB_Text.kob.txt", Definition(""));
    Write("objects/KOB_Folder.kob/inside.json", "{}");

    ObjectDefinitionManager manager;
    manager.LoadDefinitions(Root().string().c_str());
    EXPECT_EQ(manager.GetDefinitionCount(), 2u);
    const ObjectDefinition* deep = manager.GetObjectDefinition(Id("KOB_Deep"));
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->myPath, "objects/enemies/deep/KOB_Deep.kob");
    EXPECT_EQ(deep->myName, Id("KOB_Deep"));
    ASSERT_NE(manager.GetObjectDefinition(Id("KOB_Top")), nullptr);
    EXPECT_EQ(manager.GetObjectDefinition(Id("KOB_Top"))->myPath, "KOB_Top.kob");
    EXPECT_EQ(manager.GetObjectDefinition(Id("KOB_Capital")), nullptr);
    EXPECT_EQ(manager.GetObjectDefinition(Id("KOB_Folder")), nullptr);
    EXPECT_EQ(manager.GetObjectDefinition(Kiln::StringId()), nullptr);
}

TEST_F(ObjectDefinitions, ASecondFileOfTheSameNameIsReportedAndTheFirstStays)
{
    Write("a/KOB_Same.kob", Definition(FloatProperty("from", 1, false)));
    Write("b/KOB_Same.kob", Definition(FloatProperty("from", 2, false)));
    std::string firstFolder;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Root()))
        if (entry.path().extension() == ".kob" && firstFolder.empty())
            firstFolder = entry.path().parent_path().filename().string();

    ObjectDefinitionManager manager;
    ::testing::internal::CaptureStdout();
    manager.LoadDefinitions(Root().string().c_str());
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "Multiple kob files exist with same name. That is not allowed: KOB_Same\n");
    ASSERT_EQ(manager.GetDefinitionCount(), 1u);
    const ObjectDefinition* kept = manager.GetObjectDefinition(Id("KOB_Same"));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->myPath, firstFolder + "/KOB_Same.kob");
    EXPECT_EQ(kept->myProperties[0].myValue.GetValue<float>(), firstFolder == "a" ? 1.0f : 2.0f);
}

TEST_F(ObjectDefinitions, ReadEveryKeyOfAProperty)
{
    Write("KOB_Child.kob", R"({
        "parent-object-definition": "KOB_Parent",
        "properties": [
            {"name": "Health", "group": "Stats", "description": "Hit points", "is-dynamic": true,
             "is-per-instance": true, "type": "Int", "value": 30},
            {"name": "Tint", "is-dynamic": false, "is-per-instance": false, "type": "Color", "value": [1, 0, 0, 1]},
            {"name": "Health", "is-dynamic": true, "is-per-instance": false, "type": "Pose"},
            {"name": "Odd", "is-dynamic": false, "is-per-instance": true, "type": "Vector9", "value": 1}
        ]
    })");
    Write("KOB_Bare.kob", R"({"parent-object-definition": ""})");

    ObjectDefinitionManager manager;
    ::testing::internal::CaptureStderr();
    manager.LoadDefinitions(Root().string().c_str());
    const std::string diagnostics = ::testing::internal::GetCapturedStderr();

    const ObjectDefinition* child = manager.GetObjectDefinition(Id("KOB_Child"));
    ASSERT_NE(child, nullptr);
    // The parent is stored, not followed: no such definition exists.
    EXPECT_EQ(child->myParentObjectDefinition, Id("KOB_Parent"));
    EXPECT_EQ(manager.GetObjectDefinition(Id("KOB_Parent")), nullptr);
    ASSERT_EQ(child->myProperties.size(), 4u);

    const PropertyDefinition& health = child->myProperties[0];
    EXPECT_EQ(health.myName, Id("Health"));
    EXPECT_EQ(health.myGroup, Id("Stats"));
    EXPECT_EQ(health.myDescription, Id("Hit points"));
    EXPECT_EQ(health.myFlags, 3u);
    EXPECT_EQ(health.myType, &Kiln::PropertyType<std::int32_t>::GetInstance());
    EXPECT_EQ(health.myValue.GetValue<std::int32_t>(), 30);

    const PropertyDefinition& tint = child->myProperties[1];
    EXPECT_TRUE(tint.myGroup.IsNull());
    EXPECT_TRUE(tint.myDescription.IsNull());
    EXPECT_EQ(tint.myFlags, 0u);
    EXPECT_EQ(tint.myValue.GetValue<Kiln::Color>(), Kiln::Color(1, 0, 0, 1));

    EXPECT_EQ(child->myProperties[2].myFlags, 1u);
    EXPECT_EQ(child->myProperties[2].myName, Id("Health"));

    // An unknown type keeps its place without a type or a value, and is reported.
    EXPECT_EQ(child->myProperties[3].myType, nullptr);
    EXPECT_EQ(child->myProperties[3].myValue.GetType(), nullptr);
    EXPECT_NE(diagnostics.find("\"Odd\" has the unknown type \"Vector9\""), std::string::npos) << diagnostics;

    const ObjectDefinition* bare = manager.GetObjectDefinition(Id("KOB_Bare"));
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(bare->myParentObjectDefinition.IsNull());
    EXPECT_TRUE(bare->myProperties.empty());
}

TEST_F(ObjectDefinitions, MalformedFilesRaiseAnErrorNamingTheFileAndTheKey)
{
    struct Case
    {
        std::string myContent;
        const char* myInnerMessage;
    };
    const std::string property = R"({"parent-object-definition": "", "properties": [{"name": "a", )";
    const std::string floatProperty = property + R"("is-dynamic": true, "is-per-instance": true, "type": "Float")";
    const Case cases[] = {
        {R"({"properties": []})", "key \"parent-object-definition\": [type_error]"},
        {R"({"parent-object-definition": 1})", "key \"parent-object-definition\": [type_error]"},
        {R"([])", "[type_error]"},
        {R"({"parent-object-definition": "", "properties": [3]})", "key \"properties\": property 0: [type_error]"},
        {property + R"("group": 2}]})", "key \"properties\": property 0 (\"a\"): key \"group\": [type_error]"},
        {property + R"("is-per-instance": true}]})", "key \"properties\": property 0 (\"a\"): key \"is-dynamic\": [type_error]"},
        {property + R"("is-dynamic": 0}]})", "key \"properties\": property 0 (\"a\"): key \"is-dynamic\": [type_error]"},
        {property + R"("is-dynamic": true, "is-per-instance": true}]})", "key \"properties\": property 0 (\"a\"): key \"type\": [type_error]"},
        {floatProperty + "}]}", "key \"properties\": property 0 (\"a\"): key \"value\": [type_error]"},
        {floatProperty + R"(, "value": "1"}]})", "key \"properties\": property 0 (\"a\"): key \"value\": [type_error]"},
        {floatProperty + R"(, "value": 1e39}]})", "key \"properties\": property 0 (\"a\"): key \"value\": the number 1e+39 is not a finite float"},
        {property + R"("group": ")" + std::string(2000, 'g') + "\"}]}",
         "key \"properties\": property 0 (\"a\"): key \"group\": the text is 2000 characters long; at most 1023 are allowed"},
        {floatProperty + R"(, "value": )" + std::string(5000, '[') + std::string(5000, ']') + "}]}", "arrays and objects are nested deeper than 64 levels (at byte 195)"},
        {R"({"parent-object-definition": "" /* comment */})", "[parse_error]"},
    };
    int index = 0;
    for (const Case& testCase : cases)
    {
        const std::filesystem::path file = Write("bad" + std::to_string(index) + "/KOB_Bad.kob", testCase.myContent);
        ObjectDefinitionManager manager;
        EXPECT_EQ(LoadFailure(manager, Root() / ("bad" + std::to_string(index))),
                  "Could not read object definition file \"" + file.string() + "\": " + testCase.myInnerMessage);
        ++index;
    }
}

TEST_F(ObjectDefinitions, AMissingFileIsAParseErrorNamingIt)
{
    ObjectDefinition definition;
    try
    {
        Kiln::LoadObjectDefinition(definition, "nowhere\\KOB_Missing.kob");
        FAIL() << "nothing thrown";
    }
    catch (const std::exception& anError)
    {
        const std::string chain = KilnTest::OurWords(anError);
        EXPECT_TRUE(chain.starts_with("Could not read object definition file \"")) << chain;
        EXPECT_TRUE(chain.ends_with("nowhere/KOB_Missing.kob\": [parse_error]")) << chain;
    }
    EXPECT_EQ(definition.myName, Id("KOB_Missing"));
    EXPECT_EQ(definition.myPath, "nowhere\\KOB_Missing.kob");
}

TEST_F(ObjectDefinitions, AFolderThatCannotBeScannedRaisesAFileSystemError)
{
    ObjectDefinitionManager manager;
    const std::string chain = LoadFailure(manager, Root() / "no such folder");
    EXPECT_NE(chain.find("recursive_directory_iterator::recursive_directory_iterator"), std::string::npos) << chain;
}

TEST_F(ObjectDefinitions, MergeFollowsTheDefinitionAndTakesOnlyMatchingPerInstanceValues)
{
    Write("KOB_Enemy.kob", Definition(FloatProperty("Speed", 1, true) + "," + FloatProperty("Mass", 10, false) + "," +
                                      FloatProperty("Jump", 3, true) + "," + FloatProperty("Range", 5, true) + "," +
                                      R"({"name": "Skin", "is-dynamic": false, "is-per-instance": true, "type": "StringId", "value": "green"})"));
    ObjectDefinitionManager manager;
    manager.LoadDefinitions(Root().string().c_str());

    const Kiln::SceneObject enemy = SceneObjectFrom(R"({
        "object-definition": "KOB_Enemy",
        "properties": [
            {"name": "Extra", "type": "Float", "value": 99},
            {"name": "Mass", "type": "Float", "value": 20},
            {"name": "Jump", "type": "Int", "value": 8},
            {"name": "Jump", "type": "Float", "value": 9},
            {"name": "Speed", "type": "Float", "value": 4},
            {"name": "Skin", "type": "StringId", "value": "red"}
        ]
    })");
    std::vector<PropertyDefinition> merged;
    Kiln::MergeObjectDefinitionProperties(enemy, manager, merged);

    ASSERT_EQ(merged.size(), 5u);
    const char* order[] = {"Speed", "Mass", "Jump", "Range", "Skin"};
    for (std::size_t i = 0; i < merged.size(); ++i)
    {
        EXPECT_EQ(merged[i].myName, Id(order[i]));
        EXPECT_EQ(merged[i].myFlags, manager.GetObjectDefinition(Id("KOB_Enemy"))->myProperties[i].myFlags);
    }
    // Per instance with a value of the same type: the object's value.
    EXPECT_EQ(merged[0].myValue.GetValue<float>(), 4.0f);
    // Not per instance: the definition's value, whatever the object says.
    EXPECT_EQ(merged[1].myValue.GetValue<float>(), 10.0f);
    // The first "Jump" of the object is an Int: the definition's value; the second is not looked at.
    EXPECT_EQ(merged[2].myValue.GetValue<float>(), 3.0f);
    // The object says nothing.
    EXPECT_EQ(merged[3].myValue.GetValue<float>(), 5.0f);
    EXPECT_EQ(merged[4].myValue.GetValue<Kiln::StringId>(), Id("red"));

    // The definition itself is untouched.
    EXPECT_EQ(manager.GetObjectDefinition(Id("KOB_Enemy"))->myProperties[0].myValue.GetValue<float>(), 1.0f);
}

TEST_F(ObjectDefinitions, MergeOfAnObjectWithoutAKnownDefinitionAppendsNothing)
{
    Write("KOB_Known.kob", Definition(FloatProperty("Speed", 1, true)));
    ObjectDefinitionManager manager;
    manager.LoadDefinitions(Root().string().c_str());

    std::vector<PropertyDefinition> merged;
    Kiln::MergeObjectDefinitionProperties(SceneObjectFrom(R"({"object-definition": "KOB_Unknown",
        "properties": [{"name": "Speed", "type": "Float", "value": 2}]})"), manager, merged);
    Kiln::MergeObjectDefinitionProperties(SceneObjectFrom("{}"), manager, merged);
    EXPECT_TRUE(merged.empty());
}

TEST_F(ObjectDefinitions, MergedPooledValuesShareTheObjectsValue)
{
    Write("KOB_Prop.kob", Definition(R"({"name": "Model", "is-dynamic": false, "is-per-instance": true, "type": "Model",
        "value": {"path": "models/default.fbx"}})"));
    ObjectDefinitionManager manager;
    manager.LoadDefinitions(Root().string().c_str());
    const Kiln::SceneObject object = SceneObjectFrom(R"({"object-definition": "KOB_Prop",
        "properties": [{"name": "Model", "type": "Model", "value": {"path": "models/own.fbx"}}]})");

    std::vector<PropertyDefinition> merged;
    Kiln::MergeObjectDefinitionProperties(object, manager, merged);
    using ModelValue = Kiln::CopyOnWriteWrapper<Kiln::SceneModel>;
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].myValue.GetValue<ModelValue>()->myPath, Id("models/own.fbx"));
    EXPECT_EQ(merged[0].myValue.GetValue<ModelValue>().GetObject(), object.myProperties[0].myValue.GetValue<ModelValue>().GetObject());
    EXPECT_EQ(merged[0].myValue.GetValue<ModelValue>().GetReferenceCount(), 2u);
}

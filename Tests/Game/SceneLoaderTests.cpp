// The incremental scene loader: budgets, the merge with object definitions, the conversion
// of every property type, model properties, the object matrix and the loading screen.
#include "GameContentFixture.h"

#include "SceneLoader.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/model/ModelFactory.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include "Engine/drawers/RenderTestHelpers.h"
#include "Engine/model/FbxModelBuilder.h"

#include <fstream>
#include <iterator>
#include <set>

using GameTest::DefinitionProperty;
using GameTest::Json;
using GameTest::ObjectProperty;

namespace
{
    constexpr const char* LEVEL = "levels\\Test.ksc";

    class SceneLoading : public GameTest::ContentTest
    {
    protected:
        // aCount objects of the definition "KOB_Thing" named "Thing 0", "Thing 1", ...
        void WriteThings(int aCount, const char* aScene = LEVEL) const
        {
            WriteDefinition("KOB_Thing", {DefinitionProperty("Index", "Int", 0)});
            for (int i = 0; i < aCount; ++i)
                WriteObject(aScene, i, "Thing " + std::to_string(i), "KOB_Thing", {ObjectProperty("Index", "Int", i)});
        }

        static std::set<std::string> NamesOf(const std::vector<CustomSceneObject>& someRecords)
        {
            std::set<std::string> names;
            for (const CustomSceneObject& record : someRecords)
                names.insert(record.myName);
            return names;
        }
    };

    using SceneLoadingWithEngine = GameTest::EngineContentTest;

    std::string Fbx(const char* aName)
    {
        return std::string(KILN_TEST_DATA_DIR) + "/fbx/" + aName;
    }

    Json ModelValue(const std::string& aPath, const std::vector<std::string>& someFirstTextures = {})
    {
        Json textures = Json::array();
        for (const std::string& path : someFirstTextures)
            textures.push_back(Json::array({path}));
        return Json{{"path", aPath}, {"textures", textures}};
    }
}

TEST_F(SceneLoading, LevelBudgetDeliversNothingTwiceThenFiveAtATimeUntilTheQueueIsEmpty)
{
    WriteThings(12);
    SceneLoader loader(LEVEL);
    EXPECT_EQ(loader.GetState(), SceneLoader::STATE_IDLE);

    // The first call only asks for the load; the second reads the scene (cost 100).
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_EQ(loader.GetState(), SceneLoader::STATE_REQUESTED);
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_EQ(loader.GetState(), SceneLoader::STATE_LOADING);

    std::vector<CustomSceneObject> all;
    std::vector<size_t> counts;
    for (int call = 0; call < 3; ++call)
    {
        EXPECT_FALSE(loader.IsDone()) << "call " << call;
        std::vector<CustomSceneObject> batch = loader.LoadSome(5);
        counts.push_back(batch.size());
        std::move(batch.begin(), batch.end(), std::back_inserter(all));
    }
    EXPECT_EQ(counts, (std::vector<size_t>{5, 5, 2}));
    EXPECT_TRUE(loader.IsDone());
    EXPECT_EQ(NamesOf(all).size(), 12u);
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_TRUE(loader.IsDone());
}

TEST_F(SceneLoading, TheCallThatFindsTheQueueEmptyFinishesEvenWithNothingLeftToDeliver)
{
    WriteThings(10);
    SceneLoader loader(LEVEL);
    loader.LoadSome(5);
    loader.LoadSome(5);
    EXPECT_EQ(loader.LoadSome(5).size(), 5u);
    EXPECT_EQ(loader.LoadSome(5).size(), 5u);
    EXPECT_FALSE(loader.IsDone()) << "a multiple of the budget is done only when a call finds the queue empty";
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_TRUE(loader.IsDone());
}

TEST_F(SceneLoading, ABigBudgetReadsTheSceneAndConvertsUpToAHundredObjectsInTheSameCall)
{
    WriteThings(105);
    SceneLoader loader(LEVEL);
    EXPECT_TRUE(loader.LoadSome(200).empty());
    EXPECT_EQ(loader.LoadSome(200).size(), 100u);
    EXPECT_FALSE(loader.IsDone());
    EXPECT_EQ(loader.LoadSome(5).size(), 5u);
    EXPECT_FALSE(loader.IsDone());
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_TRUE(loader.IsDone());
}

TEST_F(SceneLoading, AMissingSceneFolderIsAnEmptyLoadDoneOnTheThirdCall)
{
    SceneLoader loader("levels\\Nowhere.ksc");
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_FALSE(loader.IsDone());
    EXPECT_TRUE(loader.LoadSome(5).empty());
    EXPECT_TRUE(loader.IsDone());

    SceneLoader all("levels\\Nowhere.ksc");
    EXPECT_TRUE(all.LoadAll().empty());
    EXPECT_TRUE(all.IsDone());
}

TEST_F(SceneLoading, LoadAllDeliversEveryObjectAndLeavesTheLoaderDone)
{
    WriteThings(12);
    SceneLoader loader(LEVEL);
    const std::vector<CustomSceneObject> records = loader.LoadAll();
    EXPECT_EQ(records.size(), 12u);
    EXPECT_TRUE(loader.IsDone());
    for (const CustomSceneObject& record : records)
    {
        // Each object keeps its own per-instance value and knows where it came from.
        EXPECT_EQ("Thing " + std::to_string(record.Get<int32_t>("Index")), record.myName);
        EXPECT_EQ(record.myScenePath, LEVEL);
        EXPECT_STREQ(record.myObjectDefinition.GetString(), "KOB_Thing");
    }

    // At most 10000 objects in one call: the rest stay queued for the next.
    WriteThings(10001, "levels\\Big.ksc");
    SceneLoader big("levels\\Big.ksc");
    EXPECT_EQ(big.LoadAll().size(), 10000u);
    EXPECT_FALSE(big.IsDone());
    EXPECT_EQ(big.LoadSome(5).size(), 1u);
}

TEST_F(SceneLoading, EveryPropertyTypeArrivesAsItsAlternative)
{
    WriteDefinition("KOB_All", {
                                   DefinitionProperty("f", "Float", 1.5),
                                   DefinitionProperty("i", "Int", -7),
                                   DefinitionProperty("b", "Bool", true),
                                   DefinitionProperty("v2", "Float2", Json::array({1, 2})),
                                   DefinitionProperty("v3", "Float3", Json::array({1, 2, 3})),
                                   DefinitionProperty("v4", "Float4", Json::array({1, 2, 3, 4})),
                                   DefinitionProperty("c", "Color", Json::array({0.1, 0.2, 0.3, 0.4})),
                                   DefinitionProperty("s", "StringId", "animations\\controllers\\A_Player.ksc"),
                                   DefinitionProperty("sp", "Sprite",
                                                      Json{{"textures", {"a.dds", "b.dds", "c.dds", "d.dds"}},
                                                           {"size", {30, 40}},
                                                           {"pivot", {0.25, 0.75}}}),
                                   DefinitionProperty("scene", "Scene", Json::object()),
                               });
    WriteObject(LEVEL, 1, "Everything", "KOB_All");
    SceneLoader loader(LEVEL);
    const std::vector<CustomSceneObject> records = loader.LoadAll();
    ASSERT_EQ(records.size(), 1u);
    const CustomSceneObject& r = records[0];

    EXPECT_EQ(r.myProperties.at("f").index(), 7u);
    EXPECT_EQ(r.myProperties.at("i").index(), 8u);
    EXPECT_EQ(r.myProperties.at("b").index(), 6u);
    EXPECT_EQ(r.myProperties.at("v2").index(), 9u);
    EXPECT_EQ(r.myProperties.at("v3").index(), 4u);
    EXPECT_EQ(r.myProperties.at("v4").index(), 10u);
    EXPECT_EQ(r.myProperties.at("c").index(), 11u);
    EXPECT_EQ(r.myProperties.at("s").index(), 1u);
    EXPECT_EQ(r.myProperties.at("sp").index(), 3u);
    EXPECT_FALSE(r.Has("scene")) << "scene references are not for the game";
    EXPECT_EQ(r.myProperties.size(), 9u);

    EXPECT_FLOAT_EQ(r.Get<float>("f"), 1.5f);
    EXPECT_EQ(r.Get<int32_t>("i"), -7);
    EXPECT_TRUE(r.Get<bool>("b"));
    EXPECT_EQ(r.Get<Kiln::Vector2<float>>("v2"), Kiln::Vector2<float>(1, 2));
    EXPECT_EQ(r.Get<Kiln::Vector3<float>>("v3"), Kiln::Vector3<float>(1, 2, 3));
    EXPECT_EQ(r.Get<Kiln::Vector4<float>>("v4"), Kiln::Vector4<float>(1, 2, 3, 4));
    EXPECT_EQ(r.Get<Kiln::Color>("c"), Kiln::Color(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_STREQ(r.Get<Kiln::StringId>("s").GetString(), "animations\\controllers\\A_Player.ksc");
    const Kiln::SceneSprite& sprite = r.Get<Kiln::SceneSprite>("sp");
    EXPECT_STREQ(sprite.myTextures[0].GetString(), "a.dds");
    EXPECT_STREQ(sprite.myTextures[3].GetString(), "d.dds");
    EXPECT_EQ(sprite.mySize, Kiln::Vector2<float>(30, 40));
    EXPECT_EQ(sprite.myPivot, Kiln::Vector2<float>(0.25f, 0.75f));
}

TEST_F(SceneLoading, PerInstanceValuesOverrideTheDefinitionAndOthersKeepIt)
{
    WriteDefinition("KOB_Door", {
                                    DefinitionProperty("openSpeed", "Float", 50.0, true),
                                    DefinitionProperty("openTimer", "Float", 5.0, false),
                                    DefinitionProperty("doorIndex", "Int", 1, true),
                                    // A repeated key: the later entry is written over the earlier.
                                    DefinitionProperty("doorIndex", "Int", 2, true),
                                });
    WriteObject(LEVEL, 1, "Door", "KOB_Door",
                {ObjectProperty("openSpeed", "Float", 80.0), ObjectProperty("openTimer", "Float", 9.0),
                 ObjectProperty("doorIndex", "Float", 3.0), ObjectProperty("extra", "Float", 1.0)});
    SceneLoader loader(LEVEL);
    const std::vector<CustomSceneObject> records = loader.LoadAll();
    ASSERT_EQ(records.size(), 1u);
    const CustomSceneObject& door = records[0];
    EXPECT_FLOAT_EQ(door.Get<float>("openSpeed"), 80.0f);
    EXPECT_FLOAT_EQ(door.Get<float>("openTimer"), 5.0f) << "not per instance: the definition's value";
    EXPECT_EQ(door.Get<int32_t>("doorIndex"), 2) << "a value of another type does not override";
    EXPECT_FALSE(door.Has("extra")) << "only the definition's keys arrive";
}

TEST_F(SceneLoading, AnObjectWithoutADefinitionKeepsItsNameDefinitionAndPlacement)
{
    WriteObject(LEVEL, 1, "Lonely", "KOB_Unknown", {ObjectProperty("speed", "Float", 3.0)}, Json::array({10, 20, 30}),
                Json::array({0, 0, 90}), Json::array({2, 1, 1}));
    SceneLoader loader(LEVEL);
    const std::vector<CustomSceneObject> records = loader.LoadAll();
    ASSERT_EQ(records.size(), 1u);
    const CustomSceneObject& r = records[0];
    EXPECT_TRUE(r.myProperties.empty());
    EXPECT_EQ(r.myName, "Lonely");
    EXPECT_STREQ(r.myObjectDefinition.GetString(), "KOB_Unknown");
    EXPECT_EQ(r.myPosition, Kiln::Vector3<float>(10, 20, 30));
    EXPECT_EQ(r.myScale, Kiln::Vector3<float>(2, 1, 1));
    EXPECT_NEAR(r.myRotation.z, 90.0f, 1e-4f);
    // 90 degrees about z turns x into y; row 0 carries the scale 2.
    EXPECT_NEAR(r.myTransform(0, 0), 0.0f, 1e-5f);
    EXPECT_NEAR(r.myTransform(0, 1), 2.0f, 1e-5f);
    EXPECT_NEAR(r.myTransform(1, 0), -1.0f, 1e-5f);
    EXPECT_NEAR(r.myTransform(1, 1), 0.0f, 1e-5f);
    EXPECT_EQ(r.myTransform.GetPosition(), Kiln::Vector3<float>(10, 20, 30));
    // A reader that needs a key says which definition was not found.
    try
    {
        r.Get<float>("speed");
        FAIL() << "a key of a missing definition was read";
    }
    catch (const ContentError& error)
    {
        EXPECT_NE(std::string(error.what()).find("key \"speed\" is missing (expected Float): the object definition \"KOB_Unknown\" is not found "
                                                 "(no KOB_Unknown.kob under the game assets)"),
                  std::string::npos)
            << error.what();
    }
}

TEST(CustomSceneObject, TheObjectMatrixScalesRowsAndRotatesXThenYThenZ)
{
    const Kiln::Matrix4x4<float> scaled = CustomSceneObject::ComputeTransform({0, 0, 0}, {2, 1, 1}, {0, 0, 0});
    EXPECT_EQ(scaled.GetRow(0), Kiln::Vector3<float>(2, 0, 0));
    EXPECT_EQ(scaled(0, 3), 0.0f);
    EXPECT_EQ(scaled.GetRow(1), Kiln::Vector3<float>(0, 1, 0));

    // x 90 then z 90: the y axis goes to z, then stays; the x axis goes to y.
    const Kiln::Matrix4x4<float> m = CustomSceneObject::ComputeTransform({90, 0, 90}, {1, 1, 1}, {4, 5, 6});
    const Kiln::Vector3<float> xAxis = m.TransformDirection({1, 0, 0});
    const Kiln::Vector3<float> yAxis = m.TransformDirection({0, 1, 0});
    EXPECT_NEAR(xAxis.y, 1.0f, 1e-5f);
    EXPECT_NEAR(yAxis.z, 1.0f, 1e-5f);
    EXPECT_EQ(m.GetPosition(), Kiln::Vector3<float>(4, 5, 6));
    EXPECT_EQ(m(3, 3), 1.0f);
}

TEST(CustomSceneObject, AMissingOrMistypedKeyIsOneLineNamingTheSceneFolderObjectAndKey)
{
    CustomSceneObject record;
    record.myName = "Door 3";
    record.myObjectDefinition = Kiln::StringRegistry::RegisterOrGetString("KOB_LockedDoor");
    record.myScenePath = "levels\\Level1.ksc";
    record.myProperties["openTimer"] = 5.0f;

    try
    {
        record.Get<int32_t>("doorIndex");
        FAIL() << "a missing key was read";
    }
    catch (const ContentError& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.find('\n'), std::string::npos);
        EXPECT_NE(text.find("levels/Level1.ksc.leveldata\""), std::string::npos) << text;
        EXPECT_NE(text.find("object \"Door 3\" (KOB_LockedDoor)"), std::string::npos) << text;
        EXPECT_NE(text.find("key \"doorIndex\" is missing (expected Int)"), std::string::npos) << text;
    }

    try
    {
        record.Get<int32_t>("openTimer");
        FAIL() << "a Float was read as an Int";
    }
    catch (const ContentError& error)
    {
        EXPECT_NE(std::string(error.what()).find("key \"openTimer\" is Float, expected Int"), std::string::npos) << error.what();
    }

    EXPECT_EQ(record.Find<int32_t>("openTimer"), nullptr);
    EXPECT_EQ(record.Find<float>("absent"), nullptr);
    ASSERT_NE(record.Find<float>("openTimer"), nullptr);
    EXPECT_FLOAT_EQ(record.Get<float>("openTimer"), 5.0f);
}

TEST_F(SceneLoadingWithEngine, ModelPropertiesBecomeInstancesAndAMissingOrBrokenFileIsLeftOutAndNamed)
{
    // A model file cut short: found, but the importer refuses it.
    std::ifstream cube(Fbx("cube.fbx"), std::ios::binary);
    const std::string cubeBytes((std::istreambuf_iterator<char>(cube)), std::istreambuf_iterator<char>());
    ASSERT_GT(cubeBytes.size(), 200u);
    std::filesystem::create_directories(Root() / "models");
    std::ofstream(Root() / "models/broken.fbx", std::ios::binary) << cubeBytes.substr(0, cubeBytes.size() / 3);
    WriteTexture("textures/albedo.dds", 4, 4, [](uint32_t, uint32_t) { return 0xff0000ffu; });
    WriteTexture("textures/normal.dds", 4, 4, [](uint32_t, uint32_t) { return 0xffff8080u; });
    WriteDefinition("KOB_Statue", {
                                      DefinitionProperty("model", "Model", ModelValue(Fbx("cube.fbx"), {"textures/albedo.dds", "textures/normal.dds"})),
                                      DefinitionProperty("otherModel", "Model", ModelValue(Fbx("cube.fbx"))),
                                      DefinitionProperty("lostModel", "Model", ModelValue("models/none/missing.fbx")),
                                      DefinitionProperty("brokenModel", "Model", ModelValue("models/broken.fbx")),
                                      DefinitionProperty("noModel", "Model", Json::object()),
                                  });
    WriteObject(LEVEL, 1, "Statue", "KOB_Statue", {}, Json::array({100, 0, 0}));
    WriteObject(LEVEL, 2, "Statue 2", "KOB_Statue", {}, Json::array({200, 0, 0}));
    SceneLoader loader(LEVEL);
    ::testing::internal::CaptureStderr();
    const std::vector<CustomSceneObject> records = loader.LoadAll();
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(records.size(), 2u);
    const CustomSceneObject& statue = records[0].myName == "Statue" ? records[0] : records[1];
    EXPECT_FALSE(statue.Has("lostModel"));
    EXPECT_FALSE(statue.Has("brokenModel"));
    EXPECT_FALSE(statue.Has("noModel"));

    // One line for each unusable file, however many objects use it, from LoadAll.
    const std::string lost = "key \"lostModel\": the model file \"models/none/missing.fbx\" is not found\n";
    // The importer's own words follow, such as "...: file ends inside 'LayerElementNormal'".
    const std::string broken = "key \"brokenModel\": model \"models/broken.fbx\": \"" + (Root() / "models/broken.fbx").string() +
                               "\" cannot be read: Failed to ";
    for (const std::string& line : {lost, broken})
    {
        ASSERT_NE(said.find(line), std::string::npos) << line << " in " << said;
        EXPECT_EQ(said.find(line, said.find(line) + 1), std::string::npos) << said;
    }
    // A reader that needs the key is told what became of it.
    const auto problemOf = [&](const char* aKey) -> std::string {
        try
        {
            statue.Get<Kiln::ModelInstance>(aKey);
        }
        catch (const ContentError& error)
        {
            return error.what();
        }
        return "no error";
    };
    EXPECT_NE(problemOf("lostModel").find("key \"lostModel\" (Model) is left out: the model file \"models/none/missing.fbx\" is not found"),
              std::string::npos)
        << problemOf("lostModel");
    EXPECT_NE(problemOf("brokenModel").find("key \"brokenModel\" (Model) is left out: model \"models/broken.fbx\": \"" +
                                            (Root() / "models/broken.fbx").string() + "\" cannot be read: Failed to "),
              std::string::npos)
        << problemOf("brokenModel");

    const Kiln::ModelInstance& model = statue.Get<Kiln::ModelInstance>("model");
    const Kiln::ModelInstance& other = statue.Get<Kiln::ModelInstance>("otherModel");
    ASSERT_NE(model.GetModel(), nullptr);
    EXPECT_EQ(model.GetModel(), other.GetModel()) << "one cached model";
    EXPECT_EQ(model.GetTransform(), statue.myTransform);
    EXPECT_EQ(model.GetTransform().GetPosition(), Kiln::Vector3<float>(100, 0, 0));

    Kiln::TextureManager& textures = *(*myEngine)->GetTextureManager();
    const Kiln::TextureSet& overridden = model.GetTextureSets()[0];
    EXPECT_EQ(overridden[0], textures.GetTexture("textures/albedo.dds", Kiln::TextureSrgbMode::ForceSrgb));
    EXPECT_EQ(overridden[1], textures.GetTexture("textures/normal.dds", Kiln::TextureSrgbMode::ForceSrgb));
    EXPECT_FALSE(overridden[0]->myIsPlaceholder);
    // Slots without an override keep the model's own textures.
    EXPECT_EQ(overridden[2], model.GetModel()->GetTextureSets()[0][2]);
    EXPECT_EQ(other.GetTextureSets()[0], other.GetModel()->GetTextureSets()[0]);

    EXPECT_THROW(statue.Get<AnimatedModelRecord>("model"), ContentError);
}

TEST_F(SceneLoadingWithEngine, AnAnimodelArrivesWithItsPlayerOverridesReachEveryMeshAndAModelWithoutAnimationEndsTheLoad)
{
    // Two meshes: the overrides reach every one of them, animated or plain.
    ModelTest::FbxModelSpec bar = ModelTest::BentBar(45.0f);
    bar.myMeshes.push_back(bar.myMeshes[0]);
    bar.myMeshes[1].myName = "Twin";
    ModelTest::WriteFbx(Root() / "models/bar.fbx", bar);
    WriteDefinition("KOB_Dancer", {DefinitionProperty("animodel", "Model", ModelValue("models/bar.fbx", {"textures/albedo.dds"})),
                                   DefinitionProperty("statue", "Model", ModelValue("models/bar.fbx", {"textures/albedo.dds"}))});
    WriteTexture("textures/albedo.dds", 4, 4, [](uint32_t, uint32_t) { return 0xff00ff00u; });
    WriteObject(LEVEL, 1, "Dancer", "KOB_Dancer");
    {
        SceneLoader loader(LEVEL);
        const std::vector<CustomSceneObject> records = loader.LoadAll();
        ASSERT_EQ(records.size(), 1u);
        const AnimatedModelRecord& dancer = records[0].Get<AnimatedModelRecord>("animodel");
        ASSERT_NE(dancer.GetInstance().GetModel(), nullptr);
        ASSERT_NE(dancer.GetPlayer().GetAnimation(), nullptr);
        EXPECT_GT(dancer.GetPlayer().GetAnimation()->myFrameCount, 0);
        EXPECT_EQ(dancer.GetInstance().GetTransform(), records[0].myTransform);
        ASSERT_EQ(dancer.GetInstance().GetModel()->GetMeshes().size(), 2u);
        const Kiln::ModelInstance& statue = records[0].Get<Kiln::ModelInstance>("statue");
        const Kiln::TextureResource* albedo =
            (*myEngine)->GetTextureManager()->GetTexture("textures/albedo.dds", Kiln::TextureSrgbMode::ForceSrgb);
        for (size_t mesh = 0; mesh < 2; ++mesh)
        {
            EXPECT_EQ(dancer.GetInstance().GetTextureSets()[mesh][0], albedo) << "animated, mesh " << mesh;
            EXPECT_EQ(statue.GetTextureSets()[mesh][0], albedo) << "plain, mesh " << mesh;
            EXPECT_EQ(statue.GetTextureSets()[mesh][1], statue.GetModel()->GetTextureSets()[mesh][1]) << "plain, mesh " << mesh;
        }

        // Copies are deep: a factory changing its copy leaves the record alone.
        AnimatedModelRecord copy = dancer;
        copy.GetPlayer().SetLooping(true);
        EXPECT_FALSE(dancer.GetPlayer().IsLooping());
    }

    WriteDefinition("KOB_Dancer", {DefinitionProperty("animodel", "Model", ModelValue(Fbx("cube.fbx")))});
    SceneLoader still(LEVEL);
    try
    {
        still.LoadAll();
        FAIL() << "a model without joints or clip was accepted as an animodel";
    }
    catch (const ContentError& error)
    {
        const std::string text = error.what();
        EXPECT_NE(text.find("object \"Dancer\""), std::string::npos) << text;
        EXPECT_NE(text.find("key \"animodel\""), std::string::npos) << text;
        EXPECT_NE(text.find("cube.fbx"), std::string::npos) << text;
    }
}

TEST_F(SceneLoadingWithEngine, TheLoadingScreenDrawsTheBackgroundAndTheMothsCurrentCell)
{
    // Background: dark blue. Moth sheet 1024 x 1024, 8 x 8 cells: cell k is red with a
    // green level of 16 k, so the drawn cell can be told from its colour.
    WriteTexture("sprites/UI/Menu BG/S_UI_Loading_BG.dds", 16, 16, [](uint32_t, uint32_t) { return 0xff400000u; });
    WriteTexture("sprites/player character/S_mothboi.dds", 1024, 1024, [](uint32_t x, uint32_t y) {
        const uint32_t cell = (y / 128) * 8 + x / 128;
        return 0xff0000ffu | ((cell * 16u) << 8);
    });

    SceneLoader loader("levels\\Nothing.ksc");
    loader.LoadSome(5);
    loader.LoadSome(5); // begins: the loading screen is set up
    const float w = 320.0f;
    const float h = 180.0f;
    EXPECT_EQ(loader.GetBackgroundInstance().mySize, Kiln::Vector2<float>(w, h));
    EXPECT_EQ(loader.GetBackgroundInstance().myPivot, Kiln::Vector2<float>(0.0f, 1.0f));
    const Kiln::Sprite2DInstanceData& moth = loader.GetMoth().GetInstance();
    EXPECT_EQ(moth.myPosition, Kiln::Vector2<float>(w - 0.1f * h, 0.1f * h));
    EXPECT_EQ(moth.myPivot, Kiln::Vector2<float>(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(moth.mySizeMultiplier.x, 0.00075f * h);
    EXPECT_EQ(moth.mySize, Kiln::Vector2<float>(128.0f, 128.0f));
    EXPECT_EQ(loader.GetMoth().GetFrameCount(), 14u);

    // 10 frames at 30 per second: cell 10, row 1, column 2.
    loader.UpdateLoadingScreen(10.0f / 30.0f + 0.001f);
    ASSERT_EQ(loader.GetMoth().GetCurrentFrame(), 10u);

    ASSERT_TRUE((*myEngine)->BeginFrame());
    loader.RenderLoadingScreen();
    const SpriteTest::Image image = SpriteTest::ReadBackBuffer();
    (*myEngine)->EndFrame();

    // The moth's quad: bottom-right corner at (w - 18, 18), 17.28 pixels on a side.
    const SpriteTest::Rgba mothPixel = image.AtSpritePoint(w - 18.0f - 8.0f, 18.0f + 8.0f);
    EXPECT_GT(mothPixel.r, 200) << "moth";
    EXPECT_NEAR(mothPixel.g, 160, 6) << "the drawn cell is cell 10";
    const SpriteTest::Rgba backgroundPixel = image.AtSpritePoint(40.0f, 120.0f);
    EXPECT_LT(backgroundPixel.r, 10);
    EXPECT_NEAR(backgroundPixel.b, 0x40, 6) << "background";
    // Left of the moth, the background again.
    EXPECT_NEAR(image.AtSpritePoint(w - 18.0f - 30.0f, 26.0f).b, 0x40, 6);
}

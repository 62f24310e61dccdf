// The generated game content under the runtime tree's game assets: every texture a scene,
// a definition or the game names loads for real; the controller scenes keep the rules the
// animation code trusts; the definitions carry the keys the game reads; the sheets have
// art where the states play and nothing where effects must vanish.
#include "AnimationController.h"
#include "AnimationLibrary.h"

#include "Support/RunningEngine.h"

#include "forge/engine/Engine.h"
#include "forge/properties/SceneModel.h"
#include "forge/properties/SceneSprite.h"
#include "forge/scene/ObjectDefinitionManager.h"
#include "forge/scene/SceneSerialize.h"
#include "forge/settings/Settings.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include "Platform/image/DdsReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
    Kiln::StringId Id(const std::string& aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText.c_str());
    }

    const Kiln::PropertyTypeBase* TypeNamed(const char* aName)
    {
        return Kiln::PropertyTypeBase::GetPropertyType(Id(aName));
    }

    // A scene object with its definition's properties merged in, as the game sees it.
    struct MergedObject
    {
        std::string name;
        std::string definition;
        std::map<std::string, Kiln::PropertyDefinition> properties;

        template <typename T>
        const T* Get(const std::string& aKey) const
        {
            const auto it = properties.find(aKey);
            if (it == properties.end() || it->second.myType != &Kiln::PropertyType<T>::GetInstance())
                return nullptr;
            return &it->second.myValue.GetValue<T>();
        }
    };

    // The states the game asks each controller for.
    const std::map<std::string, std::vector<std::string>>& RequiredStates()
    {
        static const std::map<std::string, std::vector<std::string>> states = [] {
            std::map<std::string, std::vector<std::string>> result;
            for (const char* path : AnimationLibrary::CONTROLLER_PATHS)
                result[path] = {"Idle"};
            result["animations\\controllers\\A_Passive_Enemy.ksc"] = {"Walk"};
            result["animations\\controllers\\A_Player.ksc"] = {"Idle", "Run", "Jump_start", "Jump_idle", "Jump_end", "duble_jump", "Dash", "Upgrade_anim"};
            result["animations\\controllers\\A_Upgrade.ksc"] = {"Idle", "Fall"};
            result["animations\\controllers\\A_Particle_Test.ksc"] = {};
            return result;
        }();
        return states;
    }

    // Textures the game opens by name, not through a scene.
    const std::vector<std::string>& GameNamedTextures()
    {
        static const std::vector<std::string> paths = {
            "sprites/UI/Menu BG/S_UI_Loading_BG.dds",  "sprites/player character/S_mothboi.dds",   "sprites/particles/S_Darktangle.dds",
            "sprites\\particles\\S_Darktangle.dds",     "sprites\\particles\\S_Dustcloud.dds",      "sprites/VFX/S_VFX_spark_jump.dds",
            "sprites/VFX/S_VFX_spark_doubleJump.dds",  "sprites\\VFX\\S_VFX_spark_dash.dds",       "sprites\\VFX\\S_VFX_heal_death.dds",
            "sprites\\VFX\\S_VFX_smoke_landing.dds",    "sprites/VFX/S_VFX_checkpoint.dds",         "sprites\\VFX\\S_VFX_DashDust.dds",
            "sprites\\VFX\\S_VFX_Dash.dds",             "sprites\\VFX\\S_VFX_Landing.dds",
        };
        return paths;
    }

    class GeneratedContent : public RunningEngineTest
    {
    protected:
        void SetUp() override
        {
            RunningEngineTest::SetUp();
            myRoot = Kiln::Settings::GameAssetsPath();
            ASSERT_TRUE(fs::is_directory(myRoot / "objectdefinitions")) << myRoot << " holds no generated content";
            myDefinitions.LoadDefinitions(myRoot.string().c_str());
        }

        std::vector<MergedObject> LoadMerged(const std::string& aScenePath)
        {
            Kiln::Scene scene;
            EXPECT_TRUE(Kiln::LoadScene(aScenePath.c_str(), scene));
            std::vector<MergedObject> objects;
            for (const auto& [id, object] : scene.myObjects)
            {
                MergedObject merged{object->myName, object->myObjectDefinition.GetString(), {}};
                std::vector<Kiln::PropertyDefinition> properties;
                Kiln::MergeObjectDefinitionProperties(*object, myDefinitions, properties);
                for (Kiln::PropertyDefinition& property : properties)
                    merged.properties.emplace(property.myName.GetString(), std::move(property));
                objects.push_back(std::move(merged));
            }
            return objects;
        }

        // Every scene folder under the game assets, as the game names it ("a/b.ksc").
        std::vector<std::string> SceneFolders() const
        {
            std::vector<std::string> scenes;
            for (const auto& entry : fs::recursive_directory_iterator(myRoot))
            {
                const std::string name = entry.path().filename().string();
                if (entry.is_directory() && name.size() > 10 && name.ends_with(".leveldata"))
                {
                    const std::string relative = fs::relative(entry.path(), myRoot).generic_string();
                    scenes.push_back(relative.substr(0, relative.size() - 10));
                }
            }
            return scenes;
        }

        static void CollectTextures(const Kiln::PropertyDefinition& aProperty, std::set<std::string>& someTextures)
        {
            if (aProperty.myType == TypeNamed("Sprite"))
            {
                for (const Kiln::StringId texture : aProperty.myValue.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>>().Get().myTextures)
                    if (*texture.GetString())
                        someTextures.insert(texture.GetString());
            }
            else if (aProperty.myType == TypeNamed("Model"))
                for (const auto& mesh : aProperty.myValue.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneModel>>().Get().myTextures)
                    for (const Kiln::StringId texture : mesh)
                        if (*texture.GetString())
                            someTextures.insert(texture.GetString());
        }

        // The level-0 RGBA8 image of a generated texture.
        Plat::Image::ImageData ReadImage(const std::string& aGamePath) const
        {
            std::string portable = aGamePath;
            std::replace(portable.begin(), portable.end(), '\\', '/');
            Plat::Image::ImageData image;
            std::string error;
            EXPECT_TRUE(Plat::Image::ReadDdsFile(myRoot / portable, 0, image, &error)) << aGamePath << ": " << error;
            return image;
        }

        // The largest alpha inside one cell of a sheet.
        static int MaxAlphaInCell(const Plat::Image::ImageData& anImage, int aColumns, int aRows, int aCell)
        {
            const uint32_t cellWidth = anImage.width / uint32_t(aColumns), cellHeight = anImage.height / uint32_t(aRows);
            const uint32_t x0 = uint32_t(aCell % aColumns) * cellWidth, y0 = uint32_t(aCell / aColumns) * cellHeight;
            int best = 0;
            for (uint32_t y = y0; y < y0 + cellHeight; ++y)
                for (uint32_t x = x0; x < x0 + cellWidth; ++x)
                    best = std::max(best, int(anImage.bytes[(size_t(y) * anImage.width + x) * 4 + 3]));
            return best;
        }

        fs::path myRoot;
        Kiln::ObjectDefinitionManager myDefinitions;
    };
}

TEST_F(GeneratedContent, EveryTextureThatScenesDefinitionsAndTheGameNameLoads)
{
    std::set<std::string> textures(GameNamedTextures().begin(), GameNamedTextures().end());
    for (const std::string& scene : SceneFolders())
        for (const MergedObject& object : LoadMerged(scene))
            for (const auto& [key, property] : object.properties)
                CollectTextures(property, textures);
    for (const auto& entry : fs::recursive_directory_iterator(myRoot))
    {
        if (entry.path().extension() != ".kob")
            continue;
        const Kiln::ObjectDefinition* definition = myDefinitions.GetObjectDefinition(Id(entry.path().stem().string()));
        ASSERT_NE(definition, nullptr) << entry.path();
        for (const Kiln::PropertyDefinition& property : definition->myProperties)
            CollectTextures(property, textures);
    }
    EXPECT_GT(textures.size(), 40u);

    Kiln::TextureManager* manager = Kiln::Engine::GetInstance()->GetTextureManager();
    for (const std::string& path : textures)
    {
        Kiln::TextureResource* texture = manager->GetTexture(path.c_str(), Kiln::TextureSrgbMode::ForceSrgb);
        ASSERT_NE(texture, nullptr) << path;
        EXPECT_NE(texture->GetShaderResourceView().get(), manager->GetErrorView()) << path << " falls back to the checker";
    }
}

TEST_F(GeneratedContent, ControllerScenesKeepTheRulesTheAnimationCodeTrusts)
{
    for (const auto& [path, required] : RequiredStates())
    {
        SCOPED_TRACE(path);
        std::map<int, std::pair<int, int>> sheets;
        std::map<int, std::string> sheetTextures;
        struct State
        {
            int id, start, end, sheet;
            bool loop, wait;
        };
        std::map<std::string, State> states;
        std::vector<std::pair<int, int>> paths;
        for (const MergedObject& object : LoadMerged(path))
        {
            if (object.definition == "KOB_AnimationSheet")
            {
                const auto* columns = object.Get<std::int32_t>("2. Columns");
                const auto* rows = object.Get<std::int32_t>("3. Rows");
                const auto* id = object.Get<std::int32_t>("4. ID");
                const auto* sprite = object.Get<Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>>("1. SpriteSheet");
                ASSERT_TRUE(columns && rows && id && sprite) << object.name;
                EXPECT_GE(*columns, 1);
                EXPECT_GE(*rows, 1);
                EXPECT_TRUE(sheets.emplace(*id, std::make_pair(*columns, *rows)).second) << "sheet id " << *id << " twice";
                sheetTextures[*id] = sprite->Get().myTextures[0].GetString();
            }
            else if (object.definition == "KOB_AnimationBlock")
            {
                const auto* id = object.Get<std::int32_t>("1. ID");
                const auto* fps = object.Get<float>("2. FPS");
                const auto* start = object.Get<std::int32_t>("3. Start");
                const auto* end = object.Get<std::int32_t>("4. End");
                const auto* loop = object.Get<bool>("5. Loop");
                const auto* wait = object.Get<bool>("6. Transition");
                const auto* sheet = object.Get<std::int32_t>("7. Sheet ID");
                ASSERT_TRUE(id && fps && start && end && loop && wait && sheet) << object.name;
                EXPECT_GT(*fps, 0.0f) << object.name;
                EXPECT_FALSE(*loop && *wait) << object.name << " both loops and waits";
                EXPECT_TRUE(states.emplace(object.name, State{*id, *start, *end, *sheet, *loop, *wait}).second) << object.name << " twice";
            }
            else if (object.definition == "KOB_AnimationPath")
            {
                const auto* from = object.Get<std::int32_t>("From");
                const auto* to = object.Get<std::int32_t>("To");
                ASSERT_TRUE(from && to) << object.name;
                paths.push_back({*from, *to});
            }
            else
            {
                ADD_FAILURE() << "unexpected object " << object.name << " of " << object.definition;
            }
        }
        ASSERT_FALSE(sheets.empty());
        EXPECT_EQ(sheets.rbegin()->first, int(sheets.size()) - 1) << "sheet ids are 0..N-1";
        EXPECT_EQ(sheets.begin()->first, 0);
        std::set<int> ids;
        for (const auto& [name, state] : states)
        {
            EXPECT_TRUE(ids.insert(state.id).second) << "block id " << state.id << " twice";
            ASSERT_TRUE(sheets.count(state.sheet)) << name << " names sheet " << state.sheet;
            const auto [columns, rows] = sheets.at(state.sheet);
            EXPECT_LE(0, state.start) << name;
            EXPECT_LE(state.start, state.end) << name;
            EXPECT_LT(state.end, columns * rows) << name;
        }
        for (const auto& [from, to] : paths)
        {
            EXPECT_TRUE(ids.count(from)) << "path from " << from;
            EXPECT_TRUE(ids.count(to)) << "path to " << to;
        }
        for (const std::string& state : required)
            EXPECT_TRUE(states.count(state)) << "state " << state << " is missing";
        if (states.count("Idle") && path.find("Grass") != std::string::npos)
        {
            EXPECT_EQ(states.at("Idle").sheet, 0) << "grass copies sheet 0 before Idle is set";
        }

        // Sheets are square and so are their cells, as every quad that shows them is.
        for (const auto& [id, grid] : sheets)
        {
            const Plat::Image::ImageData image = ReadImage(sheetTextures[id]);
            EXPECT_EQ(image.width, image.height) << sheetTextures[id];
            EXPECT_EQ(grid.first, grid.second) << sheetTextures[id];
        }
    }

    // The hero: Run holds a footstep cell (0 or 7); the chained states wait for their end;
    // Fall can be requested from Idle.
    const std::vector<MergedObject> player = LoadMerged("animations\\controllers\\A_Player.ksc");
    std::map<std::string, const MergedObject*> byName;
    for (const MergedObject& object : player)
        byName[object.name] = &object;
    const MergedObject& run = *byName.at("Run");
    const int runStart = *run.Get<std::int32_t>("3. Start"), runEnd = *run.Get<std::int32_t>("4. End");
    EXPECT_TRUE((runStart <= 0 && 0 <= runEnd) || (runStart <= 7 && 7 <= runEnd));
    for (const char* looping : {"Idle", "Run", "Jump_idle"})
        EXPECT_TRUE(*byName.at(looping)->Get<bool>("5. Loop")) << looping;
    for (const char* waiting : {"Jump_end", "Upgrade_anim"})
        EXPECT_TRUE(*byName.at(waiting)->Get<bool>("6. Transition")) << waiting;
    EXPECT_EQ(std::count_if(player.begin(), player.end(), [](const MergedObject& o) { return o.definition == "KOB_AnimationPath"; }), 56);
}

TEST_F(GeneratedContent, SheetsHaveArtWhereStatesPlayAndEffectsEndOnAnEmptyCell)
{
    // The moth: an 8 x 8 sheet whose 14-cell run cycle the loading screen plays.
    const Plat::Image::ImageData moth = ReadImage("sprites/player character/S_mothboi.dds");
    EXPECT_EQ(moth.width, 1024u);
    for (int cell = 0; cell < 14; ++cell)
        EXPECT_GT(MaxAlphaInCell(moth, 8, 8, cell), 200) << "moth cell " << cell;
    // Frames of a cycle differ from each other: the run really moves.
    EXPECT_NE(std::vector<uint8_t>(moth.bytes.begin(), moth.bytes.begin() + 128 * 4),
              std::vector<uint8_t>(moth.bytes.begin() + 128 * 4, moth.bytes.begin() + 256 * 4));

    for (const char* effect : {"sprites\\VFX\\S_VFX_Landing.dds", "sprites\\VFX\\S_VFX_DashDust.dds", "sprites\\VFX\\S_VFX_Dash.dds"})
    {
        const Plat::Image::ImageData sheet = ReadImage(effect);
        EXPECT_GT(MaxAlphaInCell(sheet, 4, 4, 3), 100) << effect;
        EXPECT_EQ(MaxAlphaInCell(sheet, 4, 4, 15), 0) << effect << ": the last cell stays empty";
    }
    // Particles fade out at their edges: no hard square around a mote.
    for (const char* particle : {"sprites/particles/S_Darktangle.dds", "sprites/VFX/S_VFX_heal_death.dds", "sprites/VFX/S_VFX_spark_jump.dds"})
    {
        const Plat::Image::ImageData image = ReadImage(particle);
        EXPECT_EQ(image.bytes[3], 0) << particle;
        EXPECT_GT(MaxAlphaInCell(image, 1, 1, 0), 150) << particle;
    }
}

TEST_F(GeneratedContent, DefinitionsCarryTheKeysTheGameReads)
{
    struct Key
    {
        std::string name;
        const char* type;
        bool perInstance;
    };
    const auto models = [](const char* aStem) {
        std::vector<Key> keys;
        for (int level = 1; level <= 3; ++level)
            keys.push_back({aStem + std::to_string(level), "Model", false});
        return keys;
    };
    const auto join = [](std::vector<Key> a, const std::vector<Key>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<Key> player;
    for (const char* name : {"Ground Acceleration", "Air Acceleration", "Dash Velocity Impulse", "Jump Velocity Impulse", "Ground Dampening",
                             "Air Dampening", "Dash Dampening", "Gravity Acceleration", "Walkable Angle", "Minimum Dash Velocity",
                             "Coyote Time Duration"})
        player.push_back({name, "Float", false});
    player = join(player, {{"DoubleJump", "Bool", true}, {"Dash", "Bool", true}, {"DashAttack", "Bool", true}, {"Camera Offset", "Float3", false},
                           {"Camera Anchor Dampening", "Float", false}, {"View Leading Scale", "Float", false},
                           {"Camera Swing Speed", "Float", false}, {"Camera Swing Radius", "Float", false}});
    std::map<std::string, std::vector<Key>> expected = {
        {"Button", {{"Sprite", "Sprite", true}}},
        {"KOB_Background", {{"Sprite", "Sprite", true}}},
        {"KOB_Decal", {{"Sprite", "Sprite", true}}},
        {"KOB_Slider", {{"SoundType", "Int", true}, {"Slider", "Sprite", true}, {"Button", "Sprite", true}}},
        {"KOB_AnimationBlock", {{"1. ID", "Int", true}, {"2. FPS", "Float", true}, {"3. Start", "Int", true}, {"4. End", "Int", true},
                                {"5. Loop", "Bool", true}, {"6. Transition", "Bool", true}, {"7. Sheet ID", "Int", true}}},
        {"KOB_AnimationPath", {{"From", "Int", true}, {"To", "Int", true}}},
        {"KOB_AnimationSheet", {{"1. SpriteSheet", "Sprite", true}, {"2. Columns", "Int", true}, {"3. Rows", "Int", true}, {"4. ID", "Int", true}}},
        {"KOB_Player", player},
        {"KOB_Level1_FloorTile", {{"collisionbox", "Sprite", true}}},
        {"KOB_EnemyHands", {}},
        {"KOB_Enemy1", {}},
        {"KOB_LockedDoor", join(join(models("closedModelLevel"), models("openModelLevel")),
                                {{"doorIndex", "Int", true}, {"openTimer", "Float", false}, {"openSpeed", "Float", false}})},
        {"KOB_Button", join(join(models("unPressedModelLevel"), models("pressedModelLevel")), {{"buttonIndex", "Int", true}})},
        {"KOB_BreakableWall", join(join(models("wholeModelLevel"), models("brokenModelLevel")), {{"breakParticle", "Sprite", false}})},
        {"KOB_BreakableVase", join(models("WholeModelLevel"), models("BrokenModelLevel"))},
        {"KOB_Checkpoint", join(models("offModelLevel"), models("onModelLevel"))},
        {"KOB_Upgrade", {{"S_NPC", "Sprite", false}, {"upgradeType", "Int", true}}},
        {"KOB_ChaseScene", {{"speed", "Float", true}}},
        {"KOB_ParticleEmitter", {{"particletexture", "Sprite", true}, {"emitterLifetime", "Float", true}, {"spawnAmount", "Int", true},
                                 {"spawnFrequency", "Float", true}, {"lifetimeInterval", "Float2", true}, {"speedInterval", "Float2", true},
                                 {"accelerationInterval", "Float2", true}, {"angleInterval", "Float2", true}, {"colorStart", "Color", true},
                                 {"colorEnd", "Color", true}, {"xOffsetInterval", "Float2", true}, {"yOffsetInterval", "Float2", true},
                                 {"accelAccelerationInterval", "Float2", true}, {"isAlphaBlend", "Bool", true}, {"scaleEnd", "Float", true},
                                 {"sizeDynamic", "Bool", true}}},
        {"KOB_ParallaxBackground", {{"sprite", "Sprite", true}, {"repetitionSize", "Float2", true}, {"fadeBackgroundColor", "Color", true},
                                    {"fadeForgroundColor", "Color", true}}},
        {"KOB_LevelTransition", {{"TransistionSprite", "Sprite", true}, {"Duration", "Float", true}}},
        {"KOB_Interact_Text", {{"controllersprite", "Sprite", true}, {"keyboardsprite", "Sprite", true}}},
        {"KOB_Tutorial_Text", {{"controllersprite", "Sprite", true}, {"keyboardsprite", "Sprite", true}}},
    };
    for (const char* grass : {"KOB_Grass_1", "KOB_Grass_2", "KOB_Grass_3", "KOB_Grass_4", "KOB_Grass_1_2", "KOB_Grass_2_2", "KOB_Grass_3_2", "KOB_Grass_4_2"})
        expected[grass] = {{"Animation", "StringId", false}};

    for (const auto& [name, keys] : expected)
    {
        SCOPED_TRACE(name);
        const Kiln::ObjectDefinition* definition = myDefinitions.GetObjectDefinition(Id(name));
        ASSERT_NE(definition, nullptr);
        ASSERT_EQ(definition->myProperties.size(), keys.size());
        for (size_t i = 0; i < keys.size(); ++i)
        {
            const Kiln::PropertyDefinition& property = definition->myProperties[i];
            EXPECT_EQ(property.myName.GetString(), keys[i].name);
            EXPECT_EQ(property.myType, TypeNamed(keys[i].type)) << keys[i].name;
            EXPECT_EQ(property.IsPerInstance(), keys[i].perInstance) << keys[i].name;
        }
    }

    // Values the game depends on: the grass paths name loaded controllers; the emitter
    // never spawns with a period of 0; the player's top speed outruns the default chase.
    for (int level = 1; level <= 2; ++level)
    {
        for (int kind = 1; kind <= 4; ++kind)
        {
            const std::string name = "KOB_Grass_" + std::to_string(kind) + (level == 2 ? "_2" : "");
            const std::string path = myDefinitions.GetObjectDefinition(Id(name))->myProperties[0].myValue.GetValue<Kiln::StringId>().GetString();
            EXPECT_EQ(path, "animations\\controllers\\Level " + std::to_string(level) + "\\Grass\\A_Grass_" + std::to_string(kind) + ".ksc");
            EXPECT_NE(std::find(std::begin(AnimationLibrary::CONTROLLER_PATHS), std::end(AnimationLibrary::CONTROLLER_PATHS), path),
                      std::end(AnimationLibrary::CONTROLLER_PATHS));
        }
    }
    const auto floatOf = [&](const char* aDefinition, const char* aKey) {
        for (const auto& property : myDefinitions.GetObjectDefinition(Id(aDefinition))->myProperties)
            if (std::string(property.myName.GetString()) == aKey)
                return property.myValue.GetValue<float>();
        ADD_FAILURE() << aDefinition << " has no " << aKey;
        return 0.0f;
    };
    EXPECT_GT(floatOf("KOB_ParticleEmitter", "spawnFrequency"), 0.0f);
    EXPECT_LT(floatOf("KOB_ChaseScene", "speed"), floatOf("KOB_Player", "Ground Acceleration") / floatOf("KOB_Player", "Ground Dampening"));
    EXPECT_GE(floatOf("KOB_LockedDoor", "openTimer") * floatOf("KOB_LockedDoor", "openSpeed") + 100.0f, 600.0f);
}

TEST_F(GeneratedContent, TheAnimationLibraryLoadsEveryControllerAndEachStatePlays)
{
    AnimationLibrary* library = AnimationLibrary::GetInstance();
    // The library may have been filled before this engine started: read every controller
    // again with this engine's textures, and drop them at the end.
    for (const char* path : AnimationLibrary::CONTROLLER_PATHS)
    {
        library->Unload(path);
        library->LoadController(path);
    }
    for (const char* path : AnimationLibrary::CONTROLLER_PATHS)
    {
        SCOPED_TRACE(path);
        const AnimationControllerData* data = library->FindData(path);
        ASSERT_NE(data, nullptr);
        ASSERT_FALSE(data->mySheets.empty());
        for (const auto& [id, shared] : data->mySheets)
        {
            ASSERT_NE(shared.myTextures[0], nullptr);
            EXPECT_NE(shared.myTextures[0]->GetShaderResourceView().get(),
                      Kiln::Engine::GetInstance()->GetTextureManager()->GetErrorView());
        }
        for (const std::string& state : RequiredStates().at(path))
            EXPECT_TRUE(data->myAnimations.count(state)) << state;

        // Every state can be set and played through its frames (a state that loops and
        // waits, or a sheet without cells, would throw).
        for (const auto& [name, animation] : data->myAnimations)
        {
            AnimationController controller;
            controller.Init(path);
            EXPECT_NO_THROW({
                controller.SetState(name);
                for (int frame = 0; frame < 3 * (animation.myEndFrame - animation.myStartFrame + 2); ++frame)
                    controller.Update(1.0f / animation.myFramesPerSecond);
            }) << name;
            EXPECT_GE(controller.GetCurrentFrame(), animation.myStartFrame) << name;
            EXPECT_LE(controller.GetCurrentFrame(), animation.myEndFrame) << name;
            if (!animation.myLoop)
            {
                EXPECT_EQ(controller.GetCurrentFrame(), animation.myEndFrame) << name << " ends on its last frame";
            }
        }
    }
    {
    // The upgrade character is asked for "Fall" while idle.
    AnimationController upgrade;
    upgrade.Init("animations\\controllers\\A_Upgrade.ksc");
    upgrade.SetState("Idle");
    upgrade.SetNextState("Fall");
    upgrade.Update(0.01f);
    EXPECT_EQ(upgrade.GetCurrentAnimationName(), "Fall");
    // Every hero state can follow every other.
    AnimationController hero;
    hero.Init("animations\\controllers\\A_Player.ksc");
    hero.SetState("Dash");
    hero.SetNextState("duble_jump");
    hero.Update(0.01f);
    EXPECT_EQ(hero.GetCurrentAnimationName(), "duble_jump");
    }

    for (const char* path : AnimationLibrary::CONTROLLER_PATHS)
        library->Unload(path);
}

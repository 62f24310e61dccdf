#pragma once
// Levels for the game world's tests: a started engine whose game assets are the test's temp
// folder, holding object definitions with every key the factories read, small flat FBX
// models (one file per definition, model kind and level set, so a test can tell which one
// a factory picked), the floor-tile models the world loads by name, stand-in controllers
// for every actor, and writers for level scenes. A world is made for a level path and run
// frame by frame.
#include "ActorTestFixture.h"

#include "AnimatedWorldSprite.h"
#include "BreakablePot.h"
#include "BreakableWall.h"
#include "CheckPoints.h"
#include "ChasingHands.h"
#include "CollisionBox.h"
#include "CustomCamera.h"
#include "CustomSceneObject.h"
#include "Door.h"
#include "DoorButton.h"
#include "Enemy.h"
#include "GameWorld.h"
#include "InteractObject.h"
#include "LevelTransition.h"
#include "ParallaxBackground.h"
#include "ParticleEmitter.h"
#include "ParticleRegistry.h"
#include "PassiveEnemy.h"
#include "SceneLoader.h"
#include "StationaryEnemy.h"
#include "TutorialText.h"
#include "Upgrade.h"
#include "WorldSprite.h"

#include "Engine/drawers/RenderTestHelpers.h"
#include "Engine/model/FbxModelBuilder.h"

#include "forge/graphics/DX11.h"
#include "forge/model/ModelFactory.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Reaches into a world to look at what its factories made and to drive single steps.
class GameWorldTestAccess
{
public:
    static std::vector<std::unique_ptr<Enemy>>& Enemies(GameWorld& aWorld) { return aWorld.myEnemies; }
    static std::vector<std::unique_ptr<Door>>& Doors(GameWorld& aWorld) { return aWorld.myDoors; }
    static std::vector<std::unique_ptr<DoorButton>>& Buttons(GameWorld& aWorld) { return aWorld.myDoorButtons; }
    static std::vector<std::unique_ptr<BreakableWall>>& Walls(GameWorld& aWorld) { return aWorld.myBreakableWalls; }
    static std::vector<std::unique_ptr<BreakablePot>>& Pots(GameWorld& aWorld) { return aWorld.myBreakablePots; }
    static std::vector<std::unique_ptr<CheckPoints>>& CheckPointsOf(GameWorld& aWorld) { return aWorld.myCheckPoints; }
    static std::vector<std::unique_ptr<Upgrade>>& Upgrades(GameWorld& aWorld) { return aWorld.myUpgrades; }
    static std::vector<std::unique_ptr<WorldSprite>>& WorldSprites(GameWorld& aWorld) { return aWorld.myWorldSprites; }
    static std::vector<std::unique_ptr<CollisionBox>>& Boxes(GameWorld& aWorld) { return aWorld.myCollisionBoxes; }
    static std::vector<Kiln::ModelInstance>& Models(GameWorld& aWorld) { return aWorld.myModelInstances; }
    static std::vector<AnimatedModelRecord>& AnimatedModels(GameWorld& aWorld) { return aWorld.myAnimatedModels; }
    static std::vector<std::unique_ptr<ParticleEmitter>>& Emitters(GameWorld& aWorld) { return aWorld.myParticleEmitters; }
    static std::vector<std::unique_ptr<AnimatedWorldSprite>>& Decorations(GameWorld& aWorld) { return aWorld.myAnimatedWorldSprites; }
    static std::vector<std::unique_ptr<InteractObject>>& Prompts(GameWorld& aWorld) { return aWorld.myInteractObjects; }
    static std::vector<std::unique_ptr<TutorialText>>& Cards(GameWorld& aWorld) { return aWorld.myTutorialTexts; }
    static LevelTransition* Exit(GameWorld& aWorld) { return aWorld.myLevelTransition.get(); }
    static ParallaxBackground* Background(GameWorld& aWorld) { return aWorld.myParallaxBackground.get(); }
    static ChasingHands* Chase(GameWorld& aWorld) { return aWorld.myChasingHands.get(); }
    static SceneLoader* Loader(GameWorld& aWorld) { return aWorld.mySceneLoader.get(); }
    static float& ShakeDuration(GameWorld& aWorld) { return aWorld.myShakeDuration; }
    static float& ShakeTimer(GameWorld& aWorld) { return aWorld.myShakeTimer; }
    static Kiln::Vector3<float>& ShakeOffset(GameWorld& aWorld) { return aWorld.myShakeOffset; }
    static ChasingHands::ShakeFunction& ShakeFunction(GameWorld& aWorld) { return aWorld.myShakeFunction; }
    static void CreateObject(GameWorld& aWorld, CustomSceneObject& anObject) { aWorld.CreateObject(anObject); }
    static void LinkDoorButtons(GameWorld& aWorld) { aWorld.LinkDoorButtons(); }
};

namespace WorldTest
{
    using Access = GameWorldTestAccess;
    using GameTest::DefinitionProperty;
    using GameTest::Json;
    using GameTest::ObjectProperty;
    using Vec2 = Kiln::Vector2<float>;
    using Vec3 = Kiln::Vector3<float>;

    // An enemy of a chosen kind that records what the world asks of it.
    class ProbeEnemy : public Enemy
    {
    public:
        ProbeEnemy(const Vec3& aPosition, uint32_t aType, bool aDead = false)
        {
            myPosition = aPosition;
            myEnemyType = aType;
            myIsDead = aDead;
        }
        void Init(const EnemyConfig&) override {}
        void Update(float aDeltaTime) override { mySteps.push_back(aDeltaTime); }
        void Render(Kiln::SpriteDrawer&) override { ++myRenders; }
        void OnCollision(ColliderPossessor&, const Vec2&, float) override {}

        std::vector<float> mySteps;
        int myRenders = 0;
    };

    // The per-level model keys of each definition (stem, then the set digit).
    struct ModelKind
    {
        const char* myDefinition;
        const char* myFirstKey;
        const char* mySecondKey;
    };
    inline constexpr ModelKind MODEL_KINDS[] = {
        {"KOB_LockedDoor", "closedModelLevel", "openModelLevel"},
        {"KOB_Button", "unPressedModelLevel", "pressedModelLevel"},
        {"KOB_BreakableWall", "wholeModelLevel", "brokenModelLevel"},
        {"KOB_BreakableVase", "WholeModelLevel", "BrokenModelLevel"},
        {"KOB_Checkpoint", "offModelLevel", "onModelLevel"},
    };

    class WorldTest : public ActorTest::ActorTest
    {
    protected:
        void SetUp() override
        {
            // Before the engine starts: every scene load (the controllers' too) fetches the
            // loading picture, and a missing one would stay a placeholder.
            WriteTexture("sprites/UI/Menu BG/S_UI_Loading_BG.dds", 4, 4, [](uint32_t, uint32_t) { return 0xFF0000FFu; });
            ::ActorTest::ActorTest::SetUp();
            if (HasFatalFailure())
                return;
            WriteController(Upgrade::CONTROLLER_PATH, "textures/test/npc.dds", 0xFF808080u,
                            {Looping("Idle", 0, 1), Once("Fall", 2, 3)});
            WriteController("animations\\controllers\\Level 1\\Grass\\A_Grass_1.ksc", "textures/test/grass.dds", 0xFF00C000u,
                            {Looping("Idle", 0, 3)});
            WriteLevelDefinitions();
        }

        void TearDown() override
        {
            myWorld.reset();
            ::ActorTest::ActorTest::TearDown();
        }

        // "models/<definition>_<key>.fbx": a flat quad 100 wide, as tall as the set's
        // number x 100 plus 10 for the second key, standing on its origin.
        std::string ModelPath(const std::string& aDefinition, const std::string& aKey) const
        {
            return "models/" + aDefinition + "_" + aKey + ".fbx";
        }

        void WriteQuadModel(const std::string& aRelativePath, float aWidth, float aHeight) const
        {
            ModelTest::FbxModelSpec spec;
            spec.myMeshes.push_back(ModelTest::Quad("Quad", -aWidth / 2.0f, 0.0f, aWidth, aHeight));
            ModelTest::WriteFbx(Root() / aRelativePath, spec);
        }

        void WriteLevelDefinitions()
        {
            const Json sprite = Json{{"textures", Json::array({"textures/test/sprite.dds", "textures/test/sprite2.dds"})},
                                     {"size", Json::array({100, 100})},
                                     {"pivot", Json::array({0.5, 0.5})}};
            WriteDefinition("KOB_Player", {DefinitionProperty("Ground Acceleration", "Float", 10000.0),
                                           DefinitionProperty("Air Acceleration", "Float", 8000.0),
                                           DefinitionProperty("Dash Velocity Impulse", "Float", 3000.0),
                                           DefinitionProperty("Jump Velocity Impulse", "Float", 1800.0),
                                           DefinitionProperty("Ground Dampening", "Float", 10.0),
                                           DefinitionProperty("Air Dampening", "Float", 3.0),
                                           DefinitionProperty("Dash Dampening", "Float", 8.0),
                                           DefinitionProperty("Gravity Acceleration", "Float", 4000.0),
                                           DefinitionProperty("Walkable Angle", "Float", 45.0),
                                           DefinitionProperty("Minimum Dash Velocity", "Float", 800.0),
                                           DefinitionProperty("Coyote Time Duration", "Float", 0.1),
                                           DefinitionProperty("DoubleJump", "Bool", false),
                                           DefinitionProperty("Dash", "Bool", false),
                                           DefinitionProperty("DashAttack", "Bool", false),
                                           DefinitionProperty("Camera Offset", "Float3", Json::array({0, 150, -1300})),
                                           DefinitionProperty("Camera Anchor Dampening", "Float", 5.0),
                                           DefinitionProperty("View Leading Scale", "Float", 0.5),
                                           DefinitionProperty("Camera Swing Speed", "Float", 0.5),
                                           DefinitionProperty("Camera Swing Radius", "Float", 20.0)});
            WriteDefinition("KOB_Level1_FloorTile",
                            {DefinitionProperty("collisionbox", "Sprite", Json{{"size", Json::array({100, 100})}, {"pivot", Json::array({0.5, 0.5})}})});
            WriteDefinition("KOB_EnemyHands", {});
            WriteDefinition("KOB_Enemy1", {});

            for (const ModelKind& kind : MODEL_KINDS)
            {
                std::vector<Json> keys;
                for (int set = 1; set <= 3; ++set)
                {
                    for (const char* stem : {kind.myFirstKey, kind.mySecondKey})
                    {
                        const std::string key = stem + std::to_string(set);
                        const std::string path = ModelPath(kind.myDefinition, key);
                        WriteQuadModel(path, 100.0f, 100.0f * static_cast<float>(set) + (stem == kind.mySecondKey ? 10.0f : 0.0f));
                        keys.push_back(DefinitionProperty(key, "Model", Json{{"path", path}}, false));
                    }
                }
                const std::string definition = kind.myDefinition;
                if (definition == "KOB_LockedDoor")
                {
                    keys.push_back(DefinitionProperty("doorIndex", "Int", 0));
                    keys.push_back(DefinitionProperty("openTimer", "Float", 4.0));
                    keys.push_back(DefinitionProperty("openSpeed", "Float", 150.0));
                }
                else if (definition == "KOB_Button")
                    keys.push_back(DefinitionProperty("buttonIndex", "Int", 0));
                else if (definition == "KOB_BreakableWall")
                    keys.push_back(DefinitionProperty("breakParticle", "Sprite", Json{{"textures", Json::array({"textures/test/debris.dds"})}}));
                WriteDefinition(kind.myDefinition, keys);
            }
            for (int set = 1; set <= 3; ++set)
                WriteQuadModel("models/environment assets/platform/SM_FloorTile_Level_" + std::to_string(set) + ".fbx", 100.0f,
                               100.0f * static_cast<float>(set));

            WriteDefinition("KOB_Upgrade", {DefinitionProperty("S_NPC", "Sprite", sprite), DefinitionProperty("upgradeType", "Int", 1)});
            WriteDefinition("KOB_ChaseScene", {DefinitionProperty("speed", "Float", 700.0)});
            WriteDefinition("KOB_ParticleEmitter",
                            {DefinitionProperty("particletexture", "Sprite", sprite), DefinitionProperty("emitterLifetime", "Float", 0.0),
                             DefinitionProperty("spawnAmount", "Int", 1), DefinitionProperty("spawnFrequency", "Float", 1.0),
                             DefinitionProperty("lifetimeInterval", "Float2", Json::array({2, 2})),
                             DefinitionProperty("speedInterval", "Float2", Json::array({100, 100})),
                             DefinitionProperty("accelerationInterval", "Float2", Json::array({0, 0})),
                             DefinitionProperty("angleInterval", "Float2", Json::array({0, 0})),
                             DefinitionProperty("colorStart", "Color", Json::array({1, 1, 1, 1})),
                             DefinitionProperty("colorEnd", "Color", Json::array({1, 1, 1, 1})),
                             DefinitionProperty("xOffsetInterval", "Float2", Json::array({0, 0})),
                             DefinitionProperty("yOffsetInterval", "Float2", Json::array({0, 0})),
                             DefinitionProperty("accelAccelerationInterval", "Float2", Json::array({0, 0})),
                             DefinitionProperty("isAlphaBlend", "Bool", true), DefinitionProperty("scaleEnd", "Float", 1.0),
                             DefinitionProperty("sizeDynamic", "Bool", false)});
            WriteDefinition("KOB_ParallaxBackground",
                            {DefinitionProperty("sprite", "Sprite", sprite), DefinitionProperty("repetitionSize", "Float2", Json::array({1000, 500})),
                             DefinitionProperty("fadeBackgroundColor", "Color", Json::array({0.1, 0.2, 0.3, 1})),
                             DefinitionProperty("fadeForgroundColor", "Color", Json::array({0.7, 0.8, 0.9, 1}))});
            WriteDefinition("KOB_LevelTransition",
                            {DefinitionProperty("TransistionSprite", "Sprite",
                                                Json{{"size", Json::array({200, 800})}, {"pivot", Json::array({0.5, 1.0})}}),
                             DefinitionProperty("Duration", "Float", 1.5)});
            WriteDefinition("KOB_Grass_3_2", {DefinitionProperty("Animation", "StringId", "animations\\controllers\\Level 1\\Grass\\A_Grass_1.ksc")});
            WriteDefinition("KOB_Interact_Text",
                            {DefinitionProperty("controllersprite", "Sprite", sprite), DefinitionProperty("keyboardsprite", "Sprite", sprite)});
            WriteDefinition("KOB_Tutorial_Text",
                            {DefinitionProperty("controllersprite", "Sprite", sprite), DefinitionProperty("keyboardsprite", "Sprite", sprite)});
            WriteDefinition("KOB_Decal_Sprite", {DefinitionProperty("sprite", "Sprite", sprite)});
            WriteQuadModel("models/decoration.fbx", 200.0f, 200.0f);
            WriteDefinition("KOB_StaticModel", {DefinitionProperty("model", "Model", Json{{"path", "models/decoration.fbx"}})});
        }

        // Writes one object of aDefinition into the scene aLevel; numbers are given out in order.
        void Place(const std::string& aLevel, const std::string& aName, const std::string& aDefinition, const std::vector<Json>& someProperties = {},
                   const Vec3& aPosition = {}, const Vec3& aRotation = {}, const Vec3& aScale = {1.0f, 1.0f, 1.0f})
        {
            WriteObject(aLevel, myNextObject++, aName, aDefinition, someProperties, Json::array({aPosition.x, aPosition.y, aPosition.z}),
                        Json::array({aRotation.x, aRotation.y, aRotation.z}), Json::array({aScale.x, aScale.y, aScale.z}));
        }

        GameWorld& MakeWorld(const char* aLevelPath)
        {
            myWorld.reset();
            myState = State::Playing;
            myWorld = std::make_unique<GameWorld>();
            myWorld->Init(aLevelPath, myState);
            return *myWorld;
        }

        // Updates (and draws, when aRender) until the level is loaded; the frames it took.
        int LoadWorld(const char* aLevelPath, bool aRender = false)
        {
            GameWorld& world = MakeWorld(aLevelPath);
            int frames = 0;
            while (!world.IsLevelLoaded() && frames < 1000)
            {
                ++frames;
                world.Update(1.0f / 60.0f);
                if (aRender)
                    DrawFrame();
            }
            EXPECT_TRUE(world.IsLevelLoaded());
            return frames;
        }

        // One frame of the world's drawing; the back buffer afterwards.
        SpriteTest::Image DrawFrame()
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            myWorld->Render();
            SpriteTest::Image image = SpriteTest::ReadBackBuffer();
            (*myEngine)->EndFrame();
            return image;
        }

        // A converted record as the loader hands it to the factories.
        static CustomSceneObject Record(const std::string& aName, const char* aDefinition, const Vec3& aPosition = {})
        {
            CustomSceneObject record;
            record.myName = aName;
            record.myObjectDefinition = Kiln::StringRegistry::RegisterOrGetString(aDefinition);
            record.myPosition = aPosition;
            record.myTransform = CustomSceneObject::ComputeTransform(record.myRotation, record.myScale, record.myPosition);
            record.myScenePath = "levels\\Level1.ksc";
            return record;
        }

        // The record's model keys of a door or button for set 1, from this test's files.
        void AddModels(CustomSceneObject& aRecord, const ModelKind& aKind, int aSet = 1) const
        {
            for (const char* stem : {aKind.myFirstKey, aKind.mySecondKey})
            {
                const std::string key = stem + std::to_string(aSet);
                const std::string path = (Root() / ModelPath(aKind.myDefinition, key)).string();
                aRecord.myProperties[key] = Kiln::ModelFactory::GetInstance().GetModelInstance(path);
            }
        }

        std::unique_ptr<GameWorld> myWorld;
        State myState = State::Playing;
        int myNextObject = 0;
    };

    // The file name part of a model instance's path ("" without a model).
    inline std::string ModelName(const Kiln::ModelInstance& anInstance)
    {
        return anInstance.GetModel() ? std::filesystem::path(anInstance.GetModel()->GetPath()).filename().string() : "";
    }
}

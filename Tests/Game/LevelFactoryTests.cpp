// The world's level load: each factory from a scene object and its keys, the model set of
// each level, buttons linked to doors by index, the batches and the one SaveState, the
// default factory for other definitions, and what bad level data does.
#include "GameWorldFixture.h"

#include "ContentError.h"
#include "Message.h"
#include "Player.h"

#include "forge/drawers/ModelDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/shaders/ModelShader.h"
#include "forge/texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

using namespace WorldTest;

namespace
{
    constexpr const char* LEVEL1 = "levels\\Level1.ksc";
    constexpr const char* LEVEL2 = "levels\\Level2.ksc";
    constexpr const char* LEVEL3 = "levels\\Level3.ksc";
    constexpr const char* OUTRO = "levels\\Level_Outro.ksc";

    using LevelFactories = WorldTest::WorldTest;

    // Whether the collision manager holds aCollider, and where.
    std::ptrdiff_t IndexOf(const GameWorld& aWorld, const Collider& aCollider)
    {
        const std::vector<Collider*>& colliders = aWorld.GetCollisionManager().GetColliders();
        const auto found = std::find(colliders.begin(), colliders.end(), &aCollider);
        return found == colliders.end() ? -1 : found - colliders.begin();
    }
}

TEST(LevelModelSets, DoorsButtonsWallsAndCheckpointsFallBackToSetOneElsePotsAndTilesToSetThree)
{
    using Rule = GameWorld::ModelSetRule;
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet1, LEVEL1), 1);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet1, LEVEL2), 2);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet1, LEVEL3), 3);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet1, OUTRO), 1);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet3, LEVEL1), 1);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet3, LEVEL2), 2);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet3, LEVEL3), 3);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet3, OUTRO), 3);
    // The path is compared whole and exactly.
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet3, "levels/Level2.ksc"), 3);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet1, "levels\\level2.ksc"), 1);
    EXPECT_EQ(GameWorld::GetModelSet(Rule::FallBackToSet1, nullptr), 1);
}

TEST_F(LevelFactories, ThePlayerTakesItsTuningAbilitiesAndCameraFromItsObject)
{
    Place(LEVEL1, "Floor", "KOB_Level1_FloorTile", {}, {0.0f, -50.0f, 0.0f}, {}, {20.0f, 1.0f, 1.0f});
    Place(LEVEL1, "Hero", "KOB_Player",
          {ObjectProperty("DoubleJump", "Bool", true), ObjectProperty("Dash", "Bool", true),
           ObjectProperty("Camera Offset", "Float3", Json::array({40, 200, -1000})), ObjectProperty("Camera Swing Radius", "Float", 0.0),
           ObjectProperty("View Leading Scale", "Float", 0.0)},
          {100.0f, 50.0f, 0.0f});
    LoadWorld(LEVEL1);
    Player* player = myWorld->GetPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->GetPosition().x, 100.0f);
    EXPECT_EQ(player->GetMaxJumps(), 2u);
    EXPECT_EQ(player->GetCollider().GetSize(), (Vec2{80.0f, 100.0f}));
    EXPECT_GE(IndexOf(*myWorld, player->GetCollider()), 0);

    CustomCamera& camera = *myWorld->GetCamera();
    EXPECT_EQ(camera.GetAnchor(), (Vec3{100.0f, 50.0f, 0.0f}));
    EXPECT_NE(camera.GetSwing().GetState(), 0u) << "the sway is started";
    myWorld->Update(0.016f);
    EXPECT_EQ(camera.GetPosition(), player->GetPosition() + Vec3(40.0f, 200.0f, -1000.0f));

    // "Dash" true: a press dashes.
    player->HandleInput({Action::Dash, true});
    myWorld->Update(0.016f);
    EXPECT_TRUE(player->IsDashing());
}

TEST_F(LevelFactories, APlayerWithoutTheAbilitiesHasOneJumpAndNoDash)
{
    Place(LEVEL1, "Hero", "KOB_Player", {}, {0.0f, 50.0f, 0.0f});
    LoadWorld(LEVEL1);
    Player& player = *myWorld->GetPlayer();
    EXPECT_EQ(player.GetMaxJumps(), 1u);
    player.HandleInput({Action::Dash, true});
    myWorld->Update(0.016f);
    EXPECT_FALSE(player.IsDashing());
}

TEST_F(LevelFactories, AFloorTileIsASolidBoxSizedByItsSpriteAndScaleAndPlacedByItsPivot)
{
    Place(LEVEL1, "Plain", "KOB_Level1_FloorTile",
          {ObjectProperty("collisionbox", "Sprite", Json{{"size", Json::array({100, 20})}, {"pivot", Json::array({0.5, 0.5})}})},
          {300.0f, -40.0f, 0.0f}, {}, {2.0f, 3.0f, 1.0f});
    // Pivot at the top-left corner, turned a quarter: the box hangs to the right and up.
    Place(LEVEL1, "Turned", "KOB_Level1_FloorTile",
          {ObjectProperty("collisionbox", "Sprite", Json{{"size", Json::array({100, 20})}, {"pivot", Json::array({0.0, 0.0})}})},
          {1000.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 90.0f});
    LoadWorld(LEVEL1);
    ASSERT_EQ(Access::Boxes(*myWorld).size(), 2u);
    ASSERT_EQ(Access::Models(*myWorld).size(), 2u);

    for (size_t i = 0; i < 2; ++i)
    {
        const CollisionBox& box = *Access::Boxes(*myWorld)[i];
        EXPECT_EQ(box.GetCollisionLayer(), CollisionLayer::Solid);
        EXPECT_EQ(box.GetCollisionMask(), 0u);
        EXPECT_GE(IndexOf(*myWorld, box.GetCollider()), 0);
        const OBB2D& shape = box.GetCollider();
        if (shape.GetSize() == Vec2{200.0f, 60.0f})
        {
            EXPECT_EQ(shape.GetCenter(), (Vec2{300.0f, -40.0f}));
            EXPECT_EQ(shape.GetRotation(), 0.0f);
        }
        else
        {
            EXPECT_EQ(shape.GetSize(), (Vec2{100.0f, 20.0f}));
            EXPECT_NEAR(shape.GetCenter().x, 1010.0f, 1e-3f);
            EXPECT_NEAR(shape.GetCenter().y, 50.0f, 1e-3f);
            EXPECT_NEAR(shape.GetRotation(), 1.5707963f, 1e-5f);
        }
    }
    // The level's tile model with the colour atlas, at the object's transform.
    Kiln::TextureResource* atlas =
        (*myEngine)->GetTextureManager()->GetTexture("textures/asset textures/T_ColorAtlas01.dds", Kiln::TextureSrgbMode::ForceSrgb);
    for (const Kiln::ModelInstance& tile : Access::Models(*myWorld))
    {
        EXPECT_EQ(ModelName(tile), "SM_FloorTile_Level_1.fbx");
        EXPECT_EQ(tile.GetTextureSets()[0][0], atlas);
        EXPECT_TRUE(tile.GetTransform().GetPosition() == (Vec3{300.0f, -40.0f, 0.0f}) ||
                    tile.GetTransform().GetPosition() == (Vec3{1000.0f, 0.0f, 0.0f}));
    }
}

TEST_F(LevelFactories, EnemiesAreConfiguredByKindAndRegisterTheirShapesInOrder)
{
    Place(LEVEL1, "Hands", "KOB_EnemyHands", {}, {800.0f, 400.0f, 0.0f}, {0.0f, 0.0f, 180.0f}, {2.0f, 1.0f, 1.0f});
    Place(LEVEL1, "Walker", "KOB_Enemy1", {}, {1200.0f, 55.0f, 0.0f});
    LoadWorld(LEVEL1);
    ASSERT_EQ(Access::Enemies(*myWorld).size(), 2u);
    for (const std::unique_ptr<Enemy>& enemy : Access::Enemies(*myWorld))
    {
        if (enemy->GetEnemyType() == Enemy::TYPE_HANDS)
        {
            EXPECT_EQ(enemy->GetPosition(), (Vec3{800.0f, 400.0f, 0.0f}));
            EXPECT_EQ(enemy->GetCollider().GetSize(), (Vec2{250.0f, 125.0f}));
            auto& hands = static_cast<StationaryEnemy&>(*enemy);
            EXPECT_NE(hands.GetEmitter(), nullptr) << "hands shed motes";
            EXPECT_GE(IndexOf(*myWorld, enemy->GetCollider()), 0);
        }
        else
        {
            ASSERT_EQ(enemy->GetEnemyType(), Enemy::TYPE_PASSIVE);
            auto& walker = static_cast<PassiveEnemy&>(*enemy);
            EXPECT_EQ(walker.GetPosition(), (Vec3{1200.0f, 55.0f, 0.0f}));
            EXPECT_EQ(walker.GetCollider().GetSize(), (Vec2{300.0f, 110.0f}));
            // 512 units square, whatever the object's scale.
            EXPECT_NEAR(walker.GetSpriteInstance().myTransform.GetRow(0).Length(), 512.0f, 1e-3f);
            const std::ptrdiff_t hit = IndexOf(*myWorld, walker.GetHitBoxCollider());
            ASSERT_GE(hit, 0);
            EXPECT_EQ(IndexOf(*myWorld, walker.GetAttackBoxCollider()), hit + 1);
            EXPECT_EQ(IndexOf(*myWorld, walker.GetCollider()), hit + 2);
        }
    }
}

TEST_F(LevelFactories, DoorsButtonsWallsPotsAndCheckpointsTakeTheLevelsModelsAndKeys)
{
    Place(LEVEL2, "Door", "KOB_LockedDoor",
          {ObjectProperty("doorIndex", "Int", 3), ObjectProperty("openTimer", "Float", 2.0), ObjectProperty("openSpeed", "Float", 100.0)},
          {1500.0f, 0.0f, 0.0f});
    Place(LEVEL2, "Button", "KOB_Button", {ObjectProperty("buttonIndex", "Int", 3)}, {1400.0f, 0.0f, 0.0f});
    Place(LEVEL2, "Wall", "KOB_BreakableWall", {}, {1700.0f, 10.0f, 0.0f});
    Place(LEVEL2, "Vase", "KOB_BreakableVase", {}, {1800.0f, 0.0f, 0.0f});
    Place(LEVEL2, "Checkpoint", "KOB_Checkpoint", {}, {1900.0f, 0.0f, 0.0f});
    LoadWorld(LEVEL2);

    ASSERT_EQ(Access::Doors(*myWorld).size(), 1u);
    Door& door = *Access::Doors(*myWorld)[0];
    EXPECT_EQ(door.GetIndex(), 3);
    EXPECT_EQ(door.GetOpenTimer(), 2.0f);
    EXPECT_EQ(door.GetOpenSpeed(), 100.0f);
    EXPECT_EQ(door.GetPosition(), (Vec3{1500.0f, 0.0f, 0.0f}));
    // Set 2: the closed model is 200 tall, the open one 210; the closed one sizes the box.
    EXPECT_EQ(door.GetModelSize(), (Vec2{100.0f, 200.0f}));
    EXPECT_EQ(ModelName(door.GetOpenInstance()), "KOB_LockedDoor_openModelLevel2.fbx");
    EXPECT_GE(IndexOf(*myWorld, door.GetCollider()), 0);

    ASSERT_EQ(Access::Buttons(*myWorld).size(), 1u);
    DoorButton& button = *Access::Buttons(*myWorld)[0];
    EXPECT_EQ(button.GetIndex(), 3);
    EXPECT_EQ(button.GetDoors(), (std::vector<Door*>{&door}));
    EXPECT_EQ(button.GetPosition(), (Vec3{1400.0f, 0.0f, 0.0f}));
    EXPECT_GE(IndexOf(*myWorld, button.GetCollider()), 0);

    ASSERT_EQ(Access::Walls(*myWorld).size(), 1u);
    BreakableWall& wall = *Access::Walls(*myWorld)[0];
    EXPECT_EQ(wall.GetPosition(), (Vec2{1700.0f, 10.0f}));
    EXPECT_EQ(wall.GetBox().GetSize(), (Vec2{100.0f, 200.0f})) << "the whole model of set 2";
    ASSERT_NE(wall.GetEmitter(), nullptr);
    const ParticleEmitterSettings& debris = wall.GetEmitter()->GetSettings();
    EXPECT_STREQ(debris.myTexturePath.GetString(), "textures/test/debris.dds");
    EXPECT_EQ(debris.myColorStart, (Kiln::Color{0.357f, 0.25f, 0.264f, 1.0f})) << "level set 2's debris";
    EXPECT_GE(IndexOf(*myWorld, wall.GetCollider()), 0);

    ASSERT_EQ(Access::Pots(*myWorld).size(), 1u);
    EXPECT_EQ(Access::Pots(*myWorld)[0]->GetPosition(), (Vec3{1800.0f, 0.0f, 0.0f}));
    EXPECT_GE(IndexOf(*myWorld, Access::Pots(*myWorld)[0]->GetCollider()), 0);
    ASSERT_EQ(Access::CheckPointsOf(*myWorld).size(), 1u);
    EXPECT_EQ(Access::CheckPointsOf(*myWorld)[0]->GetPosition(), (Vec3{1900.0f, 0.0f, 0.0f}));
    EXPECT_GE(IndexOf(*myWorld, Access::CheckPointsOf(*myWorld)[0]->GetCollider()), 0);
}

TEST_F(LevelFactories, OnTheOutroDoorsTakeLevelOneModelsWhilePotsAndTilesTakeLevelThreeOnes)
{
    Place(OUTRO, "Door", "KOB_LockedDoor", {}, {0.0f, 0.0f, 0.0f});
    Place(OUTRO, "Wall", "KOB_BreakableWall", {}, {500.0f, 0.0f, 0.0f});
    Place(OUTRO, "Floor", "KOB_Level1_FloorTile", {}, {0.0f, -50.0f, 0.0f});
    LoadWorld(OUTRO);
    EXPECT_EQ(Access::Doors(*myWorld)[0]->GetModelSize(), (Vec2{100.0f, 100.0f}));
    EXPECT_EQ(ModelName(Access::Doors(*myWorld)[0]->GetOpenInstance()), "KOB_LockedDoor_openModelLevel1.fbx");
    EXPECT_EQ(Access::Walls(*myWorld)[0]->GetEmitter()->GetSettings().myColorStart, (Kiln::Color{0.345f, 0.353f, 0.455f, 1.0f}));
    EXPECT_EQ(ModelName(Access::Models(*myWorld)[0]), "SM_FloorTile_Level_3.fbx");

    // A pot reads only its set-3 keys there: without them the load stops naming the key.
    WriteDefinition("KOB_BreakableVase",
                    {DefinitionProperty("WholeModelLevel3", "Model", Json{{"path", ModelPath("KOB_BreakableVase", "WholeModelLevel3")}}),
                     DefinitionProperty("BrokenModelLevel3", "Model", Json{{"path", ModelPath("KOB_BreakableVase", "BrokenModelLevel3")}})});
    Place(OUTRO, "Vase", "KOB_BreakableVase", {}, {900.0f, 0.0f, 0.0f});
    EXPECT_EQ(MessageOf([&] { LoadWorld(OUTRO); }), "no error");
    EXPECT_EQ(Access::Pots(*myWorld).size(), 1u);
    Place(LEVEL1, "Vase", "KOB_BreakableVase", {}, {900.0f, 0.0f, 0.0f});
    EXPECT_NE(MessageOf([&] { LoadWorld(LEVEL1); }).find("key \"WholeModelLevel1\" is missing"), std::string::npos);
}

TEST_F(LevelFactories, AButtonOpensEveryDoorOfItsIndexOnceWhicheverBatchEitherCameIn)
{
    GameWorld& world = MakeWorld(LEVEL1);
    const auto make = [&](const char* aDefinition, const ModelKind& aKind, const char* anIndexKey, int32_t anIndex, float x) {
        CustomSceneObject record = Record(std::string(aDefinition) + " " + std::to_string(anIndex), aDefinition, {x, 0.0f, 0.0f});
        AddModels(record, aKind);
        record.myProperties[anIndexKey] = anIndex;
        if (std::string(aDefinition) == "KOB_LockedDoor")
        {
            record.myProperties["openTimer"] = 1.0f;
            record.myProperties["openSpeed"] = 50.0f;
        }
        Access::CreateObject(world, record);
    };
    const ModelKind& door = MODEL_KINDS[0];
    const ModelKind& button = MODEL_KINDS[1];

    // First batch: a button of index 3 and a door of index 4.
    make("KOB_Button", button, "buttonIndex", 3, 0.0f);
    make("KOB_LockedDoor", door, "doorIndex", 4, 100.0f);
    Access::LinkDoorButtons(world);
    EXPECT_TRUE(Access::Buttons(world)[0]->GetDoors().empty());
    // Later batches: two doors of index 3, a second button of index 3.
    make("KOB_LockedDoor", door, "doorIndex", 3, 200.0f);
    Access::LinkDoorButtons(world);
    make("KOB_LockedDoor", door, "doorIndex", 3, 300.0f);
    make("KOB_Button", button, "buttonIndex", 3, 400.0f);
    Access::LinkDoorButtons(world);
    Access::LinkDoorButtons(world);

    const std::vector<std::unique_ptr<Door>>& doors = Access::Doors(world);
    const std::vector<Door*> threes{doors[1].get(), doors[2].get()};
    EXPECT_EQ(Access::Buttons(world)[0]->GetDoors(), threes) << "each door once, in the doors' order";
    EXPECT_EQ(Access::Buttons(world)[1]->GetDoors(), threes);

    // A dash through the first button opens both doors of index 3 and not the other.
    ::ActorTest::MessageRecorder opened({MessageType::DoorOpened});
    Player& player = MakePlayer({0.0f, 0.0f, 0.0f}, true);
    StartDash(player);
    player.OnCollision(*Access::Buttons(world)[0]->GetCollider().GetOwner(), {0.0f, 0.0f}, 0.016f);
    EXPECT_TRUE(doors[1]->IsOpened());
    EXPECT_TRUE(doors[2]->IsOpened());
    EXPECT_FALSE(doors[0]->IsOpened());
    EXPECT_EQ(opened.Count(MessageType::DoorOpened), 2);
}

TEST_F(LevelFactories, ButtonsAndDoorsOfALevelAreLinkedAcrossTheLoadersBatches)
{
    for (int i = 0; i < 6; ++i)
        Place(LEVEL1, "Door " + std::to_string(i), "KOB_LockedDoor", {ObjectProperty("doorIndex", "Int", i % 2)}, {100.0f * i, 0.0f, 0.0f});
    for (int i = 0; i < 6; ++i)
        Place(LEVEL1, "Button " + std::to_string(i), "KOB_Button", {ObjectProperty("buttonIndex", "Int", i % 3)}, {100.0f * i, 500.0f, 0.0f});
    LoadWorld(LEVEL1);
    ASSERT_EQ(Access::Buttons(*myWorld).size(), 6u);
    for (const std::unique_ptr<DoorButton>& button : Access::Buttons(*myWorld))
    {
        std::vector<Door*> expected;
        for (const std::unique_ptr<Door>& door : Access::Doors(*myWorld))
            if (door->GetIndex() == button->GetIndex())
                expected.push_back(door.get());
        EXPECT_EQ(button->GetDoors(), expected) << "button of index " << button->GetIndex();
        EXPECT_EQ(button->GetDoors().size(), button->GetIndex() == 2 ? 0u : 3u);
    }
}

TEST_F(LevelFactories, TheLoadSpreadsOverFramesAndEndsWithExactlyOneSaveState)
{
    for (int i = 0; i < 12; ++i)
        Place(LEVEL1, "Decal " + std::to_string(i), "KOB_Decal_Sprite", {}, {100.0f * i, 0.0f, 0.0f});
    ::ActorTest::MessageRecorder saves({MessageType::SaveState});
    GameWorld& world = MakeWorld(LEVEL1);
    std::vector<size_t> counts;
    for (int frame = 0; frame < 5; ++frame)
    {
        EXPECT_FALSE(world.IsLevelLoaded());
        world.Update(0.016f);
        counts.push_back(Access::WorldSprites(world).size());
        EXPECT_EQ(saves.Count(MessageType::SaveState), world.IsLevelLoaded() ? 1 : 0);
    }
    EXPECT_EQ(counts, (std::vector<size_t>{0, 0, 5, 10, 12}));
    EXPECT_TRUE(world.IsLevelLoaded());
    for (int frame = 0; frame < 10; ++frame)
        world.Update(0.016f);
    EXPECT_EQ(saves.Count(MessageType::SaveState), 1);
    EXPECT_EQ(Access::WorldSprites(world).size(), 12u);
}

TEST_F(LevelFactories, UpgradesChaseEmittersBackgroundAndExitReadTheirKeys)
{
    Place(LEVEL1, "Npc", "KOB_Upgrade",
          {ObjectProperty("upgradeType", "Int", 2),
           ObjectProperty("S_NPC", "Sprite", Json{{"textures", Json::array({"textures/test/npc.dds"})}, {"pivot", Json::array({0.5, 1.0})}})},
          {2000.0f, 0.0f, 0.0f}, {}, {1.5f, 1.5f, 1.0f});
    Place(LEVEL1, "Chase", "KOB_ChaseScene", {ObjectProperty("speed", "Float", 650.0)}, {3000.0f, 0.0f, 0.0f}, {}, {2.0f, 1.0f, 1.0f});
    Place(LEVEL1, "Motes", "KOB_ParticleEmitter",
          {ObjectProperty("particletexture", "Sprite", Json{{"textures", Json::array({"textures/test/mote.dds"})}, {"size", Json::array({12, 16})}}),
           ObjectProperty("emitterLifetime", "Float", 4.0), ObjectProperty("spawnAmount", "Int", 7),
           ObjectProperty("spawnFrequency", "Float", 0.25), ObjectProperty("lifetimeInterval", "Float2", Json::array({1, 3})),
           ObjectProperty("speedInterval", "Float2", Json::array({10, 20})),
           ObjectProperty("accelerationInterval", "Float2", Json::array({-5, 5})),
           ObjectProperty("angleInterval", "Float2", Json::array({80, 100})),
           ObjectProperty("colorStart", "Color", Json::array({1, 0.5, 0.25, 1})), ObjectProperty("colorEnd", "Color", Json::array({0, 0, 1, 0})),
           ObjectProperty("xOffsetInterval", "Float2", Json::array({-30, 30})), ObjectProperty("yOffsetInterval", "Float2", Json::array({0, 9})),
           ObjectProperty("accelAccelerationInterval", "Float2", Json::array({0.5, 0.75})), ObjectProperty("isAlphaBlend", "Bool", false),
           ObjectProperty("scaleEnd", "Float", 0.5), ObjectProperty("sizeDynamic", "Bool", true)},
          {10.0f, 20.0f, 30.0f});
    Place(LEVEL1, "Sky", "KOB_ParallaxBackground");
    Place(LEVEL1, "Exit", "KOB_LevelTransition", {}, {5000.0f, 0.0f, 0.0f}, {}, {0.5f, 1.0f, 1.0f});
    LoadWorld(LEVEL1);

    ASSERT_EQ(Access::Upgrades(*myWorld).size(), 1u);
    const Upgrade& npc = *Access::Upgrades(*myWorld)[0];
    EXPECT_EQ(npc.GetUpgradeType(), 2);
    EXPECT_EQ(npc.GetPosition(), (Vec3{2000.0f, 0.0f, 0.0f}));
    EXPECT_EQ(npc.GetPivot().x, 0.5f);
    EXPECT_EQ(std::abs(npc.GetPivot().y), 1.0f) << "the sprite's pivot";
    EXPECT_NEAR(npc.GetSpriteInstance().myTransform.GetRow(0).Length(), 225.0f, 1e-3f) << "150 x the object's scale";
    EXPECT_GE(IndexOf(*myWorld, Access::Upgrades(*myWorld)[0]->GetCollider()), 0);

    ChasingHands* chase = Access::Chase(*myWorld);
    ASSERT_NE(chase, nullptr);
    EXPECT_EQ(chase->GetEndX(), 4000.0f) << "the area is 1000 x the scale wide";
    const std::ptrdiff_t start = IndexOf(*myWorld, chase->GetCollider());
    ASSERT_GE(start, 0);
    EXPECT_EQ(IndexOf(*myWorld, chase->GetKillCollider()), start + 1);

    ASSERT_EQ(Access::Emitters(*myWorld).size(), 1u);
    const ParticleEmitterSettings& s = Access::Emitters(*myWorld)[0]->GetSettings();
    EXPECT_EQ(s.myPosition, (Vec3{10.0f, 20.0f, 30.0f}));
    EXPECT_STREQ(s.myTexturePath.GetString(), "textures/test/mote.dds");
    EXPECT_EQ(s.mySize, (Vec2{12.0f, 16.0f}));
    EXPECT_EQ(s.myEmitterLifetime, 4.0f);
    EXPECT_EQ(s.mySpawnAmount, 7);
    EXPECT_EQ(s.mySpawnFrequency, 0.25f);
    EXPECT_EQ(s.myLifetimeInterval, (Vec2{1.0f, 3.0f}));
    EXPECT_EQ(s.mySpeedInterval, (Vec2{10.0f, 20.0f}));
    EXPECT_EQ(s.myAccelerationInterval, (Vec2{-5.0f, 5.0f}));
    EXPECT_EQ(s.myAngleInterval, (Vec2{80.0f, 100.0f}));
    EXPECT_EQ(s.myColorStart, (Kiln::Color{1.0f, 0.5f, 0.25f, 1.0f}));
    EXPECT_EQ(s.myColorEnd, (Kiln::Color{0.0f, 0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(s.myXOffsetInterval, (Vec2{-30.0f, 30.0f}));
    EXPECT_EQ(s.myYOffsetInterval, (Vec2{0.0f, 9.0f}));
    EXPECT_EQ(s.myAccelerationChangeInterval, (Vec2{0.5f, 0.75f}));
    EXPECT_FALSE(s.myIsAlphaBlend);
    EXPECT_EQ(s.myScaleEnd, 0.5f);
    EXPECT_TRUE(s.mySizeDynamic);
    EXPECT_EQ(s.myStartScaleInterval, (Vec2{1.0f, 1.0f})) << "what no key fills keeps its default";

    ParallaxBackground* sky = Access::Background(*myWorld);
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->GetRepetitionSize(), (Vec2{1000.0f, 500.0f}));
    Kiln::ModelShader* lambert = (*myEngine)->GetGraphicsEngine()->GetModelDrawer()->GetShader(Kiln::ModelDrawer::LAMBERT);
    ASSERT_NE(lambert, nullptr);
    EXPECT_EQ(lambert->GetData()[0], (Kiln::Vector4<float>{0.1f, 0.2f, 0.3f, 1.0f})) << "the background colour";
    EXPECT_EQ(lambert->GetData()[1], (Kiln::Vector4<float>{0.7f, 0.8f, 0.9f, 1.0f}));

    LevelTransition* exit = Access::Exit(*myWorld);
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->GetCollider().GetSize(), (Vec2{100.0f, 800.0f})) << "the sprite's size times the scale";
    EXPECT_EQ(exit->GetDelay(), 1.5f);
    EXPECT_GE(IndexOf(*myWorld, exit->GetCollider()), 0);
}

TEST_F(LevelFactories, WalkingIntoTheExitWalksThePlayerOutAndAsksForTheNextLevelAfterItsDuration)
{
    Place(LEVEL1, "Floor", "KOB_Level1_FloorTile", {}, {0.0f, -50.0f, 0.0f}, {}, {40.0f, 1.0f, 1.0f});
    Place(LEVEL1, "Hero", "KOB_Player", {}, {0.0f, 50.0f, 0.0f});
    Place(LEVEL1, "Exit", "KOB_LevelTransition", {ObjectProperty("Duration", "Float", 0.5)}, {0.0f, 0.0f, 0.0f});
    LoadWorld(LEVEL1);
    ::ActorTest::MessageRecorder log({MessageType::LevelExit, MessageType::FootstepsStart, MessageType::FootstepsStop});
    myWorld->Update(0.016f);
    ASSERT_TRUE(Access::Exit(*myWorld)->IsTriggered());
    EXPECT_TRUE(myWorld->GetPlayer()->IsFrozen());
    EXPECT_GT(myWorld->GetPlayer()->GetVelocity().x, 0.0f) << "walking out";
    // The exit's own message, then the walk-out's footsteps (the player's and the exit's).
    const auto exit = std::find(log.myReceived.begin(), log.myReceived.end(), MessageType::LevelExit);
    ASSERT_NE(exit, log.myReceived.end());
    EXPECT_EQ(std::vector<MessageType>(exit + 1, log.myReceived.end()),
              (std::vector<MessageType>{MessageType::FootstepsStart, MessageType::FootstepsStart}));
    EXPECT_EQ(myState, State::Playing);

    log.myReceived.clear();
    for (int i = 0; i < 40 && myState == State::Playing; ++i)
        myWorld->Update(0.016f);
    EXPECT_EQ(myState, State::NextLevel);
    ASSERT_FALSE(log.myReceived.empty());
    EXPECT_EQ(log.myReceived.back(), MessageType::FootstepsStop);
}

TEST_F(LevelFactories, GrassPromptsCardsAndDecorationsComeFromTheirDefinitions)
{
    WriteDefinition("KOB_Both", {DefinitionProperty("sprite", "Sprite", Json::object()),
                                 DefinitionProperty("model", "Model", Json{{"path", "models/decoration.fbx"}})});
    WriteDefinition("KOB_Grass_3_3", {DefinitionProperty("sprite", "Sprite", Json::object())});
    WriteDefinition("KOB_Nothing", {DefinitionProperty("colour", "Color", Json::array({1, 1, 1, 1}))});
    Place(LEVEL1, "Grass", "KOB_Grass_3_2", {}, {50.0f, 60.0f, 0.0f});
    Place(LEVEL1, "Prompt", "KOB_Interact_Text", {}, {100.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Card", "KOB_Tutorial_Text", {}, {200.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Decal", "KOB_Decal_Sprite", {}, {300.0f, 0.0f, 0.0f}, {}, {2.0f, 0.5f, 1.0f});
    Place(LEVEL1, "Stump", "KOB_StaticModel", {}, {400.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Both", "KOB_Both", {}, {500.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Almost grass", "KOB_Grass_3_3", {}, {600.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Nothing", "KOB_Nothing", {}, {700.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Undefined", "KOB_NoSuchDefinition", {ObjectProperty("sprite", "Sprite", Json::object())}, {800.0f, 0.0f, 0.0f});
    LoadWorld(LEVEL1);

    ASSERT_EQ(Access::Decorations(*myWorld).size(), 1u);
    EXPECT_EQ(Access::Decorations(*myWorld)[0]->GetPosition(), (Vec3{50.0f, 60.0f, 0.0f}));
    ASSERT_EQ(Access::Prompts(*myWorld).size(), 1u);
    ASSERT_EQ(Access::Cards(*myWorld).size(), 1u);
    EXPECT_EQ(Access::Cards(*myWorld)[0]->GetPosition(), (Vec3{200.0f, 0.0f, 0.0f}));

    // Sprites: the decal, "Both" (a sprite wins over a model) and the near-grass name.
    std::vector<float> spriteX;
    for (const std::unique_ptr<WorldSprite>& sprite : Access::WorldSprites(*myWorld))
        spriteX.push_back(sprite->GetPosition().x);
    std::sort(spriteX.begin(), spriteX.end());
    EXPECT_EQ(spriteX, (std::vector<float>{300.0f, 500.0f, 600.0f}));
    for (const std::unique_ptr<WorldSprite>& sprite : Access::WorldSprites(*myWorld))
    {
        if (sprite->GetPosition().x == 300.0f)
        {
            EXPECT_EQ(sprite->GetSize(), (Vec2{200.0f, 50.0f}));
        }
    }
    ASSERT_EQ(Access::Models(*myWorld).size(), 1u) << "only the stump is a model";
    EXPECT_EQ(ModelName(Access::Models(*myWorld)[0]), "decoration.fbx");
    EXPECT_EQ(Access::Models(*myWorld)[0].GetTransform().GetPosition(), (Vec3{400.0f, 0.0f, 0.0f}));
    EXPECT_TRUE(Access::AnimatedModels(*myWorld).empty());
}

TEST_F(LevelFactories, AMissingOrMistypedKeyEndsTheLoadWithOneLineNamingTheLevelTheObjectAndTheKey)
{
    // The player's definition with only its first key.
    WriteDefinition("KOB_Player", {DefinitionProperty("Ground Acceleration", "Float", 1.0)});
    const int hero = myNextObject;
    Place(LEVEL1, "Hero", "KOB_Player");
    const std::string missing = MessageOf([&] { LoadWorld(LEVEL1); });
    // The object's own file and its definition's: the key is mended in one of them.
    const std::string file = (Root() / "levels" / "Level1.ksc.leveldata" / GameTest::Guid(hero)).string();
    const std::string definition = (Root() / "definitions" / "KOB_Player.kob").string();
    EXPECT_EQ(missing, "Scene object file \"" + file + "\": object \"Hero\" (KOB_Player, defined in \"" + definition +
                           "\"): key \"Air Acceleration\" is missing (expected Float)");
    EXPECT_EQ(myWorld->GetPlayer(), nullptr) << "nothing half made";

    // A door whose index is a Float.
    WriteDefinition("KOB_LockedDoor",
                    {DefinitionProperty("closedModelLevel3", "Model", Json{{"path", ModelPath("KOB_LockedDoor", "closedModelLevel3")}}),
                     DefinitionProperty("openModelLevel3", "Model", Json{{"path", ModelPath("KOB_LockedDoor", "openModelLevel3")}}),
                     DefinitionProperty("doorIndex", "Float", 2.0)});
    const int door = myNextObject;
    Place(LEVEL3, "Door", "KOB_LockedDoor");
    const std::string mistyped = MessageOf([&] { LoadWorld(LEVEL3); });
    EXPECT_TRUE(mistyped.find("Level3.ksc.leveldata/" + GameTest::Guid(door) + "\": object \"Door\" (KOB_LockedDoor, defined in \"") != std::string::npos &&
                mistyped.ends_with("KOB_LockedDoor.kob\"): key \"doorIndex\" is Float, expected Int")) << mistyped;

    // A decoration whose definition's "Animation" names no controller of the game: the key
    // and the definition are at fault, not a controller that lacks a state.
    const int grass = myNextObject;
    Place(OUTRO, "Grass", "KOB_Grass_3_2");
    for (const std::string controller : {"animations\\controllers\\Level 1\\Grass\\A_Grass_9.ksc", ""})
    {
        WriteDefinition("KOB_Grass_3_2", {DefinitionProperty("Animation", "StringId", controller)});
        EXPECT_EQ(MessageOf([&] { LoadWorld(OUTRO); }),
                  "Scene object file \"" + (Root() / "levels" / "Level_Outro.ksc.leveldata" / GameTest::Guid(grass)).string() +
                      "\": object \"Grass\" (KOB_Grass_3_2, defined in \"" + (Root() / "definitions" / "KOB_Grass_3_2.kob").string() +
                      "\"): key \"Animation\" is \"" + controller + "\", which names none of the game's animation controllers");
    }

    // A model file that is missing or does not import drops its key; the factory that needs
    // it names the file, in the one line: nothing was said of the file before.
    Place(LEVEL2, "Checkpoint", "KOB_Checkpoint", {});
    std::ofstream(Root() / "models" / "broken.fbx") << "not a model";
    const Json on = Json{{"path", ModelPath("KOB_Checkpoint", "onModelLevel2")}};
    for (const char* file : {"models/none.fbx", "models/broken.fbx"})
    {
        WriteDefinition("KOB_Checkpoint", {DefinitionProperty("offModelLevel2", "Model", Json{{"path", file}}), DefinitionProperty("onModelLevel2", "Model", on)});
        ::testing::internal::CaptureStderr();
        const std::string lost = MessageOf([&] { LoadWorld(LEVEL2); });
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(lost.find("object \"Checkpoint\" (KOB_Checkpoint, defined in \""), std::string::npos) << lost;
        EXPECT_NE(lost.find("KOB_Checkpoint.kob\"): key \"offModelLevel2\" (Model) is left out: "), std::string::npos) << lost;
        EXPECT_NE(lost.find(file), std::string::npos) << lost;
        EXPECT_EQ(said.find(file), std::string::npos) << said;
    }
    // One that no reader needs is said once the objects are made, in a line of its own.
    WriteDefinition("KOB_Checkpoint", {DefinitionProperty("offModelLevel1", "Model", Json{{"path", "models/broken.fbx"}}),
                                       DefinitionProperty("offModelLevel2", "Model", on), DefinitionProperty("onModelLevel2", "Model", on)});
    ::testing::internal::CaptureStderr();
    LoadWorld(LEVEL2);
    const std::string said = ::testing::internal::GetCapturedStderr();
    const std::string line = "KOB_Checkpoint.kob\"): key \"offModelLevel1\": model \"models/broken.fbx\": \"" +
                             (Root() / "models" / "broken.fbx").string() + "\" cannot be read: ";
    ASSERT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find("broken.fbx", said.find('\n', said.find(line))), std::string::npos) << said;
}

TEST_F(LevelFactories, ASecondPlayerExitOrChaseIsBadLevelData)
{
    Place(LEVEL1, "Hero", "KOB_Player", {}, {0.0f, 50.0f, 0.0f});
    Place(LEVEL1, "Hero again", "KOB_Player", {}, {100.0f, 50.0f, 0.0f});
    const std::string players = MessageOf([&] { LoadWorld(LEVEL1); });
    EXPECT_NE(players.find("a second player object"), std::string::npos) << players;
    // Either object's file may be read second.
    const std::string folder = (Root() / "levels" / "Level1.ksc.leveldata").string();
    EXPECT_TRUE(players.starts_with("Scene object file \"" + folder + "/" + GameTest::Guid(0) + "\": object \"Hero\" (KOB_Player") ||
                players.starts_with("Scene object file \"" + folder + "/" + GameTest::Guid(1) + "\": object \"Hero again\" (KOB_Player"))
        << players;

    Place(LEVEL2, "Exit", "KOB_LevelTransition");
    Place(LEVEL2, "Exit again", "KOB_LevelTransition");
    EXPECT_NE(MessageOf([&] { LoadWorld(LEVEL2); }).find("a second level transition"), std::string::npos);
    Place(LEVEL3, "Chase", "KOB_ChaseScene");
    Place(LEVEL3, "Chase again", "KOB_ChaseScene");
    EXPECT_NE(MessageOf([&] { LoadWorld(LEVEL3); }).find("a second chase scene"), std::string::npos);
}

// The shipped levels, generated from Assets/Levels: each loads completely with the objects
// its map gives, and each is played from its start to its exit by the route scripted beside
// it (Assets/Levels/<Level>.route), through the input mapper at a fixed step, reaching the
// exit's state 9 without dying and using the level's upgrades, doors, breakables and chase
// on the way. Set KILN_ROUTE_TRACE=1 to print the hero's path while writing a route.
#include "GameWorldFixture.h"
#include "LevelPlayFixture.h"

#include "LevelGen/LevelBuilder.h"
#include "LevelGen/LevelMap.h"

#include <cstdlib>

using namespace LevelPlay;

namespace
{
    struct LevelCase
    {
        const char* name;        // map and route file stem
        const char* path;        // the scene as the game names it
        // Messages the route must make the level's objects post, at least this often.
        std::vector<std::pair<MessageType, int>> expected;
    };

    const LevelCase theLevels[] = {
        {"Level1", "levels\\Level1.ksc", {{MessageType::UpgradeGranted, 1}, {MessageType::CheckpointReached, 2}, {MessageType::NpcTalk, 2}}},
        {"Level2",
         "levels\\Level2.ksc",
         {{MessageType::UpgradeGranted, 1}, {MessageType::CheckpointReached, 2}, {MessageType::PotBroken, 2}, {MessageType::DoorOpened, 1}}},
        {"Level3",
         "levels\\Level3.ksc",
         {{MessageType::UpgradeGranted, 1},
          {MessageType::CheckpointReached, 2},
          {MessageType::WallBroken, 1},
          {MessageType::EnemyDied, 1},
          {MessageType::DoorOpened, 2},
          {MessageType::ChaseMusic, 1}}},
        {"Level_Outro",
         "levels\\Level_Outro.ksc",
         {{MessageType::CheckpointReached, 2}, {MessageType::PotBroken, 2}, {MessageType::WallBroken, 2}, {MessageType::DoorOpened, 1}}},
    };

    std::string LevelFile(const char* aName, const char* anExtension) { return std::string(KILN_LEVELS_DIR) + "/" + aName + anExtension; }

    // The colliders each kind of map object registers with the world's collision manager.
    int CollidersOf(const LevelGen::BuiltLevel& aLevel)
    {
        const std::map<std::string, int> perKind = {{"floor", 1},   {"player", 1}, {"hands", 1},      {"ceilinghands", 1}, {"enemy", 3},
                                                    {"door", 1},    {"button", 1}, {"wall", 1},       {"pot", 1},          {"checkpoint", 1},
                                                    {"upgrade", 1}, {"chase", 2},  {"exit", 1}};
        int colliders = 0;
        for (const LevelGen::Placement& placement : aLevel.placements)
        {
            const auto it = perKind.find(placement.kind);
            colliders += it == perKind.end() ? 0 : it->second;
        }
        return colliders;
    }

    void PrintTo(const LevelCase& aCase, std::ostream* anOut) { *anOut << aCase.name; }

    class ShippedLevel : public LevelPlayTest, public ::testing::WithParamInterface<LevelCase>
    {
    };
}

TEST_P(ShippedLevel, LoadsEveryObjectOfItsMap)
{
    const LevelCase& level = GetParam();
    const LevelGen::BuiltLevel map = LevelGen::BuildLevel(LevelGen::LoadLevelMap(LevelFile(level.name, ".txt")));
    Load(level.path);
    ASSERT_FALSE(HasFatalFailure());

    // Every object of the map, in the array its factory fills, with every collider it brings.
    GameWorld& world = *myWorld;
    using Access = GameWorldTestAccess;
    const auto kinds = [&](std::initializer_list<const char*> someKinds) {
        int count = 0;
        for (const char* kind : someKinds)
            count += map.CountOfKind(kind);
        return size_t(count);
    };
    EXPECT_EQ(Access::Boxes(world).size(), kinds({"floor"}));
    EXPECT_EQ(Access::Models(world).size(), kinds({"floor", "model"}));
    EXPECT_EQ(Access::AnimatedModels(world).size(), kinds({"animodel"}));
    EXPECT_EQ(Access::Enemies(world).size(), kinds({"enemy", "hands", "ceilinghands"}));
    EXPECT_EQ(Access::Doors(world).size(), kinds({"door"}));
    EXPECT_EQ(Access::Buttons(world).size(), kinds({"button"}));
    EXPECT_EQ(Access::Walls(world).size(), kinds({"wall"}));
    EXPECT_EQ(Access::Pots(world).size(), kinds({"pot"}));
    EXPECT_EQ(Access::CheckPointsOf(world).size(), kinds({"checkpoint"}));
    EXPECT_EQ(Access::Upgrades(world).size(), kinds({"upgrade"}));
    EXPECT_EQ(Access::WorldSprites(world).size(), kinds({"sprite"}));
    EXPECT_EQ(Access::Emitters(world).size(), kinds({"emitter"}));
    EXPECT_EQ(Access::Decorations(world).size(), kinds({"grass"}));
    EXPECT_EQ(Access::Prompts(world).size(), kinds({"prompt"}));
    EXPECT_EQ(Access::Cards(world).size(), kinds({"tutorial"}));
    EXPECT_NE(Access::Exit(world), nullptr);
    EXPECT_NE(Access::Background(world), nullptr);
    EXPECT_EQ(Access::Chase(world) != nullptr, map.CountOfKind("chase") == 1);
    EXPECT_EQ(int(world.GetCollisionManager().GetColliders().size()), CollidersOf(map));
    // Every door is held by a button that opens it.
    for (const auto& door : Access::Doors(world))
    {
        bool held = false;
        for (const auto& button : Access::Buttons(world))
            for (const Door* linked : button->GetDoors())
                held = held || linked == door.get();
        EXPECT_TRUE(held) << "door " << door->GetIndex();
    }
    const LevelGen::Placement* start = map.FirstOfKind("player");
    EXPECT_FLOAT_EQ(myWorld->GetPlayer()->GetPosition().x, float(start->x));
    EXPECT_FLOAT_EQ(myWorld->GetPlayer()->GetPosition().y, float(start->y));
    // Loading ends with the level-start save, once.
    EXPECT_EQ(myCounter->Count(MessageType::SaveState), 1);
    EXPECT_EQ(myCounter->Count(MessageType::LevelMusic), 1);

    // Standing still for two seconds, the hero rests on the floor under the start.
    for (int frame = 0; frame < 120; ++frame)
    {
        InputMapper::GetInstance().Update();
        myWorld->Update(STEP);
    }
    EXPECT_NEAR(myWorld->GetPlayer()->GetPosition().y, float(start->y), 1.0f);
    EXPECT_EQ(myCounter->Count(MessageType::PlayerDied), 0);
}

TEST_P(ShippedLevel, TheRoutePlaysFromStartToExit)
{
    const LevelCase& level = GetParam();
    std::string error;
    const std::vector<RouteEvent> route = ParseRoute(ReadFile(LevelFile(level.name, ".route")), &error);
    ASSERT_TRUE(error.empty()) << level.name << ".route " << error;
    ASSERT_FALSE(route.empty()) << level.name << ".route";
    Load(level.path);
    ASSERT_FALSE(HasFatalFailure());

    const bool finished = Play(route, 12.0f);
    if (std::getenv("KILN_ROUTE_TRACE"))
        std::printf("%s\n%s", level.name, myTrace.str().c_str());
    EXPECT_TRUE(finished) << level.name << ": the exit was not reached; the hero's path:\n" << myTrace.str();
    EXPECT_EQ(myCounter->Count(MessageType::PlayerDied), 0) << "the hero's path:\n" << myTrace.str();
    EXPECT_EQ(myCounter->Count(MessageType::LevelExit), 1);
    for (const auto& [type, count] : level.expected)
        EXPECT_GE(myCounter->Count(type), count) << "message " << int(type) << " on the route of " << level.name;
    // A chase ends behind the hero: the hands passed its end with the exit button pressed.
    if (ChasingHands* chase = GameWorldTestAccess::Chase(*myWorld))
    {
        EXPECT_TRUE(chase->GetState() == ChasingHands::STATE_FADING || chase->GetState() == ChasingHands::STATE_DONE)
            << "chase state " << chase->GetState();
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ShippedLevel, ::testing::ValuesIn(theLevels),
                         [](const ::testing::TestParamInfo<LevelCase>& anInfo) { return std::string(anInfo.param.name); });

TEST(LevelRoute, RouteFilesAreReadStrictly)
{
    std::string error;
    const std::vector<RouteEvent> events = ParseRoute("// start\n0 press Right\n1.5 tap Jump // hop\n2.25 release Right\n", &error);
    EXPECT_TRUE(error.empty()) << error;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].key, 39u);
    EXPECT_TRUE(events[1].down);
    EXPECT_FALSE(events[2].down);
    EXPECT_FLOAT_EQ(events[2].time, 1.5f + 1.0f / 60.0f);
    EXPECT_FLOAT_EQ(events[3].time, 2.25f);

    for (const char* bad : {"0 press Up\n", "x press Jump\n", "1 hold Jump\n", "2 tap Jump\n1 tap Jump\n", "1 tap Jump now\n"})
    {
        error.clear();
        EXPECT_TRUE(ParseRoute(bad, &error).empty()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

// The shipped levels, generated from Assets/Levels: each loads completely with the objects
// its map gives, and each is played from its start to its exit by the route scripted beside
// it (Assets/Levels/<Level>.route), through the input mapper at fixed steps of 1/30, 1/60
// and 1/144 s, reaching the exit's state 9 without dying and using the level's upgrades,
// doors, breakables and chase on the way; a talk prompt shows only where talking works;
// real deaths by a pit and by the chase. Set KILN_ROUTE_TRACE=1 to print the hero's path
// while writing a route.
#include "GameWorldFixture.h"
#include "LevelPlayFixture.h"

#include "LevelGen/LevelBuilder.h"
#include "LevelGen/LevelMap.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

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

    // A level and the frames per second it is played at.
    class ShippedRoute : public LevelPlayTest, public ::testing::WithParamInterface<std::tuple<LevelCase, int>>
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
    // Wherever a talk prompt shows to a hero standing clear of the floors and walls,
    // pressing interact there reaches a character: the hero's box touches its circle.
    for (const auto& prompt : Access::Prompts(world))
    {
        OBB2D hero = myWorld->GetPlayer()->GetCollider();
        const auto touchesAny = [&](const auto& someObjects) {
            return std::any_of(someObjects.begin(), someObjects.end(), [&](auto& anObject) {
                Kiln::Vector2<float> push;
                return hero.Intersects(anObject->GetCollider(), push, false);
            });
        };
        const Kiln::Vector3<float> at = prompt->GetPosition();
        int shown = 0, unreached = 0;
        for (float x = at.x - 360.0f; x <= at.x + 360.0f; x += 10.0f)
            for (float y = std::max(50.0f, at.y - 360.0f); y <= at.y + 360.0f; y += 10.0f)
            {
                hero.SetPosition({x, y});
                prompt->UpdateProximity({x, y, 0.0f});
                if (!prompt->IsNear() || touchesAny(Access::Boxes(world)))
                    continue;
                ++shown;
                if (!touchesAny(Access::Upgrades(world)) && unreached++ == 0)
                    ADD_FAILURE() << "the prompt at " << at.x << ", " << at.y << " shows to a hero at " << x << ", " << y << " who reaches no one";
            }
        EXPECT_GT(shown, 0) << "the prompt at " << at.x << ", " << at.y << " never shows";
        EXPECT_EQ(unreached, 0) << "of " << shown << " places where the prompt shows";
    }

    const LevelGen::Placement* start = map.FirstOfKind("player");
    EXPECT_FLOAT_EQ(myWorld->GetPlayer()->GetPosition().x, float(start->x));
    EXPECT_FLOAT_EQ(myWorld->GetPlayer()->GetPosition().y, float(start->y));
    // Loading ends with the level-start save, once.
    EXPECT_EQ(myCounter->Count(MessageType::SaveState), 1);
    EXPECT_EQ(myCounter->Count(MessageType::LevelMusic), 1);

    // Standing still for two seconds, the hero rests on the floor under the start.
    Step(120);
    EXPECT_NEAR(myWorld->GetPlayer()->GetPosition().y, float(start->y), 1.0f);
    EXPECT_EQ(myCounter->Count(MessageType::PlayerDied), 0);
}

TEST_P(ShippedRoute, PlaysFromStartToExitAtAnyFrameRate)
{
    const LevelCase& level = std::get<0>(GetParam());
    myStep = 1.0f / float(std::get<1>(GetParam()));
    std::string error;
    const std::vector<RouteEvent> route = ParseRoute(ReadFile(LevelFile(level.name, ".route")), &error);
    ASSERT_TRUE(error.empty()) << level.name << ".route " << error;
    ASSERT_FALSE(route.empty()) << level.name << ".route";
    Load(level.path);
    ASSERT_FALSE(HasFatalFailure());

    const bool finished = Play(route, 12.0f);
    if (std::getenv("KILN_ROUTE_TRACE"))
        std::printf("%s at 1/%d s\n%s", level.name, std::get<1>(GetParam()), myTrace.str().c_str());
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
// The slowest step the world takes (it holds longer frames to 1/30 s), the usual one and a
// fast display's.
INSTANTIATE_TEST_SUITE_P(Levels, ShippedRoute, ::testing::Combine(::testing::ValuesIn(theLevels), ::testing::Values(30, 60, 144)),
                         [](const ::testing::TestParamInfo<std::tuple<LevelCase, int>>& anInfo) {
                             return std::string(std::get<0>(anInfo.param).name) + "_" + std::to_string(std::get<1>(anInfo.param)) + "fps";
                         });

TEST(LevelRoute, RouteFilesAreReadStrictly)
{
    std::string error;
    const std::vector<RouteEvent> events =
        ParseRoute("// start\n0 press Right\nx2300 tap Jump // hop\n+0.25 tap Jump\n2.25 release Right\n", &error);
    EXPECT_TRUE(error.empty()) << error;
    ASSERT_EQ(events.size(), 4u);
    using When = RouteEvent::When;
    EXPECT_EQ(events[0].key, 39u);
    EXPECT_TRUE(events[0].down && !events[0].tap && events[0].when == When::Time);
    EXPECT_TRUE(events[1].down && events[1].tap && events[1].when == When::HeroX && events[1].value == 2300.0f && events[1].key == 32u);
    EXPECT_TRUE(events[2].tap && events[2].when == When::After && events[2].value == 0.25f);
    EXPECT_TRUE(!events[3].down && events[3].when == When::Time && events[3].value == 2.25f && events[3].line == 5);

    for (const char* bad : {"0 press Up\n", "x press Jump\n", "+ tap Jump\n", "x-5 tap Jump\n", "1 hold Jump\n", "2 tap Jump\n1 tap Jump\n",
                            "1 tap Jump now\n"})
    {
        error.clear();
        EXPECT_TRUE(ParseRoute(bad, &error).empty()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

using LoadedLevel = LevelPlayTest;

TEST_F(LoadedLevel, LevelOneFirstPitKillsAndTheHeroComesBackAtTheCheckpointThreeTimesInARow)
{
    Load("levels\\Level1.ksc");
    ASSERT_FALSE(HasFatalFailure());
    std::vector<Kiln::Vector3<float>> respawns;
    std::vector<int> deadFrames;
    myAfterFrame = [&] {
        const Player& hero = *myWorld->GetPlayer();
        if (hero.GetState() == Player::STATE_DEAD)
        {
            deadFrames.resize(respawns.size() + 1);
            ++deadFrames.back();
        }
        else if (deadFrames.size() > respawns.size())
            respawns.push_back(hero.GetPosition());
        return respawns.size() < 3;
    };
    // Onto the step, past the checkpoint, and on into the pit without a jump.
    std::string error;
    Play(ParseRoute("0 press Right\nx1100 tap Jump\n", &error), 30.0f);
    ASSERT_EQ(respawns.size(), 3u) << "the hero's path:\n" << myTrace.str();
    EXPECT_EQ(myCounter->Count(MessageType::PlayerDied), 3);
    EXPECT_EQ(myCounter->Count(MessageType::RestoreState), 3);
    EXPECT_EQ(myCounter->Count(MessageType::CheckpointReached), 1);
    ASSERT_NE(CheckPoints::GetCurrent(), nullptr);
    for (size_t i = 0; i < respawns.size(); ++i)
    {
        // Each death lasts its 1.5 s, then the hero stands where it touched the lantern.
        EXPECT_NEAR(deadFrames[i], 90, 2) << "death " << i;
        EXPECT_NEAR(respawns[i].x, CheckPoints::GetCurrent()->GetPosition().x, 42.0f + 40.0f + 20.0f) << "death " << i;
        EXPECT_EQ(respawns[i], myWorld->GetPlayer()->GetSavedPosition()) << "death " << i;
    }
}

TEST_F(LoadedLevel, LevelThreeChaseKillsAHeroWhoStopsAndGoesOnFromBehindTheRespawnedHero)
{
    Load("levels\\Level3.ksc");
    ASSERT_FALSE(HasFatalFailure());
    ChasingHands& chase = *GameWorldTestAccess::Chase(*myWorld);
    Player& hero = *myWorld->GetPlayer();
    // The route up to the hands catching up: they save the chase and let the hero go.
    std::string error;
    myAfterFrame = [&] { return chase.GetState() != ChasingHands::STATE_FOLLOWING; };
    Play(ParseRoute(ReadFile(LevelFile("Level3", ".route")), &error), 12.0f);
    ASSERT_EQ(chase.GetState(), ChasingHands::STATE_FOLLOWING) << "the hero's path:\n" << myTrace.str();
    const Kiln::Vector3<float> caughtAt = hero.GetSavedPosition();
    const float handsAt = chase.GetHandsX(), darkness = chase.GetIntensity();

    // The hero stops; the hands come on and kill it.
    Key(39u, false);
    Step(600, [&] { return hero.GetState() == Player::STATE_DEAD; });
    ASSERT_EQ(hero.GetState(), Player::STATE_DEAD);
    EXPECT_LT(std::abs(chase.GetHandsX() - hero.GetPosition().x), ChasingHands::KILL_BOX_WIDTH / 2.0f + 60.0f);

    // Back where the hands caught up, the hands put back 800 behind, still following.
    Step(200, [&] { return hero.GetState() != Player::STATE_DEAD; });
    EXPECT_EQ(myCounter->Count(MessageType::RestoreState), 1);
    EXPECT_NEAR(hero.GetPosition().x, caughtAt.x, 1.0f);
    EXPECT_NEAR(hero.GetPosition().y, caughtAt.y, 2.0f);
    EXPECT_EQ(chase.GetState(), ChasingHands::STATE_FOLLOWING);
    EXPECT_EQ(chase.GetCollider().GetSize(), (Kiln::Vector2<float>{0.0f, 0.0f})) << "no second start";
    EXPECT_FLOAT_EQ(chase.GetIntensity(), darkness);
    EXPECT_NEAR(chase.GetHandsX(), handsAt + 800.0f * STEP, 800.0f * STEP + 0.01f);

    // The chase goes on: the hero runs (up to the first pit), the hands follow at the chase
    // speed 700 or more behind, nobody dies.
    Key(39u, true);
    const float handsThen = chase.GetHandsX(), heroThen = hero.GetPosition().x;
    Step(45);
    EXPECT_EQ(myCounter->Count(MessageType::PlayerDied), 1);
    EXPECT_NEAR(chase.GetHandsX() - handsThen, 800.0f * 0.75f, 800.0f * STEP + 1.0f);
    EXPECT_GT(hero.GetPosition().x - heroThen, 500.0f);
    EXPECT_LT(chase.GetHandsX(), hero.GetPosition().x - 700.0f);
}

TEST_F(LoadedLevel, OnlyTheButtonOfIndexTenLetsTheChaseFinish)
{
    Load("levels\\Level3.ksc");
    ASSERT_FALSE(HasFatalFailure());
    ChasingHands& chase = *GameWorldTestAccess::Chase(*myWorld);
    Player& hero = *myWorld->GetPlayer();
    // A dash in place; a dashing hero touching a button presses it.
    Key(16u, true);
    Step(1);
    ASSERT_TRUE(hero.IsDashing());
    int pressed = 0;
    for (int index : {1, 10})
    {
        for (const auto& button : GameWorldTestAccess::Buttons(*myWorld))
            if (button->GetIndex() == index)
            {
                button->GetCollider().GetOwner()->OnCollisionWithPlayer(hero, {}, STEP);
                pressed += button->IsPressed();
            }
        EXPECT_FALSE(chase.IsFinishAllowed()) << "button " << index << " pressed, before the world's update";
        Step(1);
        EXPECT_EQ(chase.IsFinishAllowed(), index == 10) << "button " << index;
    }
    EXPECT_EQ(pressed, 2);
}

// Breakable walls and pots against the real player: which dash breaks them, their boxes,
// their particle bursts, save and restore, and which model they draw.
#include "PropTestWorld.h"

#include "ParticleEmitter.h"


using namespace PropTest;

namespace
{
    using BreakableWallTest = PropWorld;
    using BreakablePotTest = PropWorld;

    constexpr const char* kPotShards = "sprites/particles/S_Darktangle.dds";
}

TEST_F(BreakableWallTest, BoxAndBurstFollowTheWholeModelAndItsScale)
{
    const Kiln::Vector4<float> colour{0.357f, 0.25f, 0.264f, 1.0f};
    BreakableWall& wall = AddWall({1000.0f, 20.0f}, {2.0f, 3.0f, 1.0f}, colour);

    // 100-unit cube scaled (2, 3): a 200 x 300 box standing on the foot.
    const OBB2D& box = wall.GetBox().GetCollider();
    EXPECT_EQ(box.GetSize(), Vec2(200.0f, 300.0f));
    EXPECT_EQ(box.GetCenter(), Vec2(1000.0f, 170.0f));
    EXPECT_EQ(box.GetRotation(), 0.0f);
    EXPECT_EQ(box.GetOwner(), &wall.GetBox());
    EXPECT_EQ(wall.GetBox().GetCollisionLayer(), uint32_t(CollisionLayer::BreakableWall));
    EXPECT_EQ(wall.GetBox().GetCollisionMask(), uint32_t(CollisionLayer::Player));
    EXPECT_FALSE(wall.IsBroken());

    // The burst spans 150 units per unit of height scale, from the middle of that span.
    ASSERT_NE(wall.GetEmitter(), nullptr);
    const ParticleEmitterSettings& s = wall.GetEmitter()->GetSettings();
    EXPECT_EQ(s.myPosition, Vec3(1000.0f, 20.0f + 225.0f, 0.0f));
    EXPECT_EQ(s.myYOffsetInterval, Vec2(-225.0f, 225.0f));
    EXPECT_EQ(s.myTexturePath, WallParticles());
    EXPECT_EQ(s.myColorStart, Kiln::Color(colour.x, colour.y, colour.z, colour.w));
    EXPECT_EQ(s.myColorEnd, s.myColorStart);
}

TEST_F(BreakableWallTest, APlainDashStopsAtTheWallAndADashAttackBreaksThroughIt)
{
    AddFloor();
    BreakableWall& wall = AddWall({400.0f, 0.0f});
    // Within a dash of the wall: the plain dash is still going when it meets it.
    Player& player = MakePlayer({150.0f, 50.0f, 0.0f});
    player.SetDashUnlocked(true);
    Run(0.2f);
    Press(Action::Right);
    Press(Action::Dash);
    bool metWhileDashing = false;
    for (int frame = 0; frame < 36; ++frame)
    {
        Step();
        metWhileDashing = metWhileDashing || (player.IsDashing() && player.GetPosition().x > 309.0f);
    }
    EXPECT_TRUE(metWhileDashing) << "the plain dash never reached the wall";
    EXPECT_NEAR(player.GetPosition().x, 310.0f, 1.0f) << "blocked like a solid box";
    EXPECT_FALSE(wall.IsBroken());
    EXPECT_EQ(myLog.Count(MessageType::WallBroken), 0u);
    EXPECT_EQ(ParticlesOf(WallParticles()), 0u);
    Release(Action::Dash);
    Release(Action::Right);

    player.SetDashAttackUnlocked(true);
    Press(Action::Left);
    Run(0.1f);
    Release(Action::Left);
    Run(0.3f);
    Press(Action::Right);
    Press(Action::Dash);
    int frames = 0;
    while (!wall.IsBroken())
    {
        Step();
        ASSERT_LT(++frames, 60) << "the dash attack never broke the wall";
    }
    EXPECT_TRUE(player.IsDashAttacking());
    EXPECT_EQ(wall.GetBox().GetSize(), Vec2(0.0f, 0.0f)) << "its box is switched off";
    EXPECT_EQ(myLog.Count(MessageType::WallBroken), 1u);
    EXPECT_EQ(ParticlesOf(WallParticles()), 100u) << "one burst";
    EXPECT_EQ(wall.GetEmitter()->GetRotation(), 0.0f) << "debris flies right with the dash";

    Run(1.0f);
    EXPECT_GT(player.GetPosition().x, 500.0f) << "the player runs on where the wall stood";
    EXPECT_EQ(myLog.Count(MessageType::WallBroken), 1u);
}

TEST_F(BreakableWallTest, DebrisFliesTheWayOfADashToTheLeft)
{
    AddFloor();
    BreakableWall& wall = AddWall({-300.0f, 0.0f});
    Player& player = MakePlayer();
    player.SetDashUnlocked(true);
    player.SetDashAttackUnlocked(true);
    Run(0.2f);
    Press(Action::Left);
    Press(Action::Dash);
    Run(0.5f);
    ASSERT_TRUE(wall.IsBroken());
    EXPECT_EQ(wall.GetEmitter()->GetRotation(), 3.1415f);
    const auto& groups = ParticleRegistry::GetInstance().GetGroups();
    const auto debris = groups.find(WallParticles());
    ASSERT_NE(debris, groups.end());
    ASSERT_FALSE(debris->second.empty());
    for (const auto& particle : debris->second)
        ASSERT_LT(particle->GetDirection().x, -0.9f) << "within 20 degrees of straight left";
}

TEST_F(BreakableWallTest, ARespawnRestoresTheWallAsItWasSaved)
{
    AddFloor();
    BreakableWall& wall = AddWall({400.0f, 0.0f});
    // Within a dash of the wall.
    Player& player = MakePlayer({150.0f, 50.0f, 0.0f});
    player.SetDashUnlocked(true);
    player.SetDashAttackUnlocked(true);
    Run(0.2f);

    // Restored before any save: as it was built.
    Post(MessageType::RestoreState);
    EXPECT_FALSE(wall.IsBroken());
    EXPECT_EQ(wall.GetBox().GetSize(), Vec2(100.0f, 400.0f));

    Post(MessageType::SaveState);
    Press(Action::Right);
    Press(Action::Dash);
    Run(0.5f);
    Release(Action::Right);
    Release(Action::Dash);
    ASSERT_TRUE(wall.IsBroken());

    // Broken after the save: whole and solid again.
    Post(MessageType::RestoreState);
    EXPECT_FALSE(wall.IsBroken());
    EXPECT_EQ(wall.GetBox().GetSize(), Vec2(100.0f, 400.0f));
    player.SetDashAttackUnlocked(false);
    Press(Action::Right);
    Run(1.0f);
    EXPECT_NEAR(player.GetPosition().x, 310.0f, 1.0f) << "the restored wall blocks again";
    Release(Action::Right);

    // Broken before the save: stays broken.
    player.SetDashAttackUnlocked(true);
    Press(Action::Left);
    Run(0.2f);
    Release(Action::Left);
    Run(0.3f);
    Press(Action::Right);
    Press(Action::Dash);
    Run(0.5f);
    ASSERT_TRUE(wall.IsBroken());
    Post(MessageType::SaveState);
    Post(MessageType::RestoreState);
    EXPECT_TRUE(wall.IsBroken());
    EXPECT_EQ(wall.GetBox().GetSize(), Vec2(0.0f, 0.0f));
}

TEST_F(BreakableWallTest, DrawsTheWholeModelUntilBrokenThenTheBrokenOne)
{
    myWalls.push_back(std::make_unique<BreakableWall>());
    BreakableWall& wall = *myWalls.back();
    wall.SetPosition(0.0f, 0.0f);
    // Whole: a 100 x 400 pillar around the origin; broken: a 100 x 100 stump.
    wall.Init(Cube(Placement({0.0f, 0.0f, 0.0f}, {1.0f, 4.0f, 1.0f})), Cube(Placement({0.0f, 0.0f, 0.0f})), WallParticles(),
              {1.0f, 1.0f, 1.0f, 1.0f});
    myManager.AddCollider(&wall.GetCollider());

    const SpriteTest::Image whole = DrawWorld({0.0f, 0.0f}, [&] { wall.Render(); });
    EXPECT_TRUE(IsDrawnAt(whole, {0.0f, 150.0f}));
    EXPECT_TRUE(IsDrawnAt(whole, {0.0f, 0.0f}));
    EXPECT_FALSE(IsDrawnAt(whole, {100.0f, 0.0f}));

    MakePlayer({0.0f, 50.0f, 0.0f});
    myPlayer->SetDashUnlocked(true);
    myPlayer->SetDashAttackUnlocked(true);
    Press(Action::Dash);
    Step();
    Step();
    ASSERT_TRUE(wall.IsBroken());
    const SpriteTest::Image broken = DrawWorld({0.0f, 0.0f}, [&] { wall.Render(); });
    EXPECT_FALSE(IsDrawnAt(broken, {0.0f, 150.0f}));
    EXPECT_TRUE(IsDrawnAt(broken, {0.0f, 0.0f}));
}

TEST_F(BreakablePotTest, ATriggerBoxOfFixedSizeAboveTheFoot)
{
    BreakablePot& pot = AddPot({600.0f, 10.0f, 30.0f});
    const OBB2D& box = pot.GetBox().GetCollider();
    EXPECT_EQ(box.GetSize(), Vec2(325.0f, 325.0f)) << "whatever the model";
    EXPECT_EQ(box.GetCenter(), Vec2(600.0f, 60.0f));
    EXPECT_EQ(pot.GetBox().GetCollisionLayer(), uint32_t(CollisionLayer::Trigger));
    EXPECT_EQ(pot.GetBox().GetCollisionMask(), uint32_t(CollisionLayer::Player));
}

TEST_F(BreakablePotTest, WalkingThroughLeavesItAndAnyDashBreaksIt)
{
    AddFloor();
    BreakablePot& pot = AddPot({500.0f, 0.0f, 0.0f});
    Player& player = MakePlayer();
    Run(0.2f);
    Press(Action::Right);
    Run(1.0f);
    EXPECT_GT(player.GetPosition().x, 800.0f) << "a trigger: it does not block";
    EXPECT_FALSE(pot.IsBroken());
    Release(Action::Right);

    // A dash without the dash attack.
    player.SetDashUnlocked(true);
    Press(Action::Left);
    Press(Action::Dash);
    int frames = 0;
    while (!pot.IsBroken())
    {
        Step();
        ASSERT_LT(++frames, 60) << "the dash never broke the pot";
    }
    EXPECT_FALSE(player.IsDashAttacking());
    EXPECT_EQ(pot.GetBox().GetSize(), Vec2(0.0f, 0.0f));
    EXPECT_EQ(myLog.Count(MessageType::PotBroken), 1u);
    EXPECT_EQ(ParticlesOf(kPotShards), 200u);
    EXPECT_EQ(pot.GetEmitter()->GetPosition(), pot.GetPosition()) << "the burst comes from the pot";
    Run(0.5f);
    EXPECT_EQ(myLog.Count(MessageType::PotBroken), 1u);

    // Restored to the level's first state: whole again, and a second dash breaks it again.
    Release(Action::Dash);
    Release(Action::Left);
    Post(MessageType::RestoreState);
    EXPECT_FALSE(pot.IsBroken());
    EXPECT_EQ(pot.GetBox().GetSize(), Vec2(325.0f, 325.0f));
    Run(0.2f);
    Post(MessageType::SaveState);
    Press(Action::Right);
    Run(0.3f);
    EXPECT_FALSE(pot.IsBroken());
    Press(Action::Dash);
    Run(0.5f);
    EXPECT_TRUE(pot.IsBroken());
    EXPECT_EQ(myLog.Count(MessageType::PotBroken), 2u);
    Post(MessageType::SaveState);
    Post(MessageType::RestoreState);
    EXPECT_TRUE(pot.IsBroken()) << "broken before the save";
}

TEST_F(BreakablePotTest, DrawsTheBrokenModelOnceBroken)
{
    myPots.push_back(std::make_unique<BreakablePot>());
    BreakablePot& pot = *myPots.back();
    pot.SetPosition({0.0f, 0.0f, 0.0f});
    pot.Init(Cube(Placement({0.0f, 0.0f, 0.0f}, {1.0f, 3.0f, 1.0f})), Cube(Placement({0.0f, 0.0f, 0.0f})));
    myManager.AddCollider(&pot.GetCollider());

    const SpriteTest::Image whole = DrawWorld({0.0f, 0.0f}, [&] { pot.Render(); });
    EXPECT_TRUE(IsDrawnAt(whole, {0.0f, 120.0f}));
    MakePlayer({0.0f, 50.0f, 0.0f});
    myPlayer->SetDashUnlocked(true);
    Press(Action::Dash);
    Step();
    Step();
    ASSERT_TRUE(pot.IsBroken());
    const SpriteTest::Image broken = DrawWorld({0.0f, 0.0f}, [&] { pot.Render(); });
    EXPECT_FALSE(IsDrawnAt(broken, {0.0f, 120.0f}));
    EXPECT_TRUE(IsDrawnAt(broken, {0.0f, 0.0f}));
}

// The level's enemies: the hands in walls and ceilings, and the walking enemy with its
// edge probes, on real controllers, colliders and the collision pass.
#include "ActorTestFixture.h"

#include "CollisionBox.h"
#include "CollisionManager.h"
#include "MatrixFromEulerDegrees.h"
#include "ParticleEmitter.h"
#include "ParticleRegistry.h"
#include "PassiveEnemy.h"
#include "StationaryEnemy.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Engine/drawers/RenderTestHelpers.h"

#include <cmath>

using ActorTest::MessageRecorder;
using ActorTest::Post;

namespace
{
    constexpr float DT = 1.0f / 60.0f;
    const float kPi = std::acos(-1.0f);

    class Enemies : public ActorTest::ActorTest
    {
    protected:
        // A solid box (layer 2) of the given centre and size.
        CollisionBox& AddSolid(const Kiln::Vector2<float>& aCenter, const Kiln::Vector2<float>& aSize)
        {
            auto box = std::make_unique<CollisionBox>();
            box->Init(aCenter, aSize);
            box->SetCollisionLayer(CollisionLayer::Solid);
            box->SetCollisionMask(CollisionLayer::None);
            myManager.AddCollider(&box->GetCollider());
            mySolids.push_back(std::move(box));
            return *mySolids.back();
        }

        // Registered as the world does: hit box, attack box, body.
        void Register(PassiveEnemy& anEnemy)
        {
            myManager.AddCollider(&anEnemy.GetHitBoxCollider());
            myManager.AddCollider(&anEnemy.GetAttackBoxCollider());
            myManager.AddCollider(&anEnemy.GetCollider());
        }

        const Kiln::Texture* SheetTexture(const char* aControllerPath)
        {
            return AnimationLibrary::GetInstance()->GetData(aControllerPath).mySheets[0].myTextures[0];
        }

        // The live particles filed under a texture path.
        static const std::vector<std::unique_ptr<Particle>>& Group(const char* aTexturePath)
        {
            static const std::vector<std::unique_ptr<Particle>> none;
            const auto& groups = ParticleRegistry::GetInstance().GetGroups();
            const auto found = groups.find(Kiln::StringRegistry::RegisterOrGetString(aTexturePath));
            return found != groups.end() ? found->second : none;
        }

        static std::size_t ParticlesIn(const char* aTexturePath) { return Group(aTexturePath).size(); }

        CollisionManager myManager;
        std::vector<std::unique_ptr<CollisionBox>> mySolids;
    };

    void ExpectRow(const Kiln::Matrix4x4<float>& aMatrix, std::size_t aRow, const Kiln::Vector3<float>& anExpected)
    {
        const Kiln::Vector3<float> row = aMatrix.GetRow(aRow);
        EXPECT_NEAR(row.x, anExpected.x, 0.01f) << "row " << aRow;
        EXPECT_NEAR(row.y, anExpected.y, 0.01f) << "row " << aRow;
        EXPECT_NEAR(row.z, anExpected.z, 0.01f) << "row " << aRow;
    }
}

TEST(MatrixFromEulerDegreesTest, TurnsAboutXThenYThenZ)
{
    const Kiln::Matrix4x4<float> z90 = MatrixFromEulerDegrees({0.0f, 0.0f, 90.0f});
    ExpectRow(z90, 0, {0.0f, 1.0f, 0.0f});
    ExpectRow(z90, 1, {-1.0f, 0.0f, 0.0f});
    EXPECT_EQ(z90.GetPosition(), (Kiln::Vector3<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_FLOAT_EQ(z90(3, 3), 1.0f);

    // x first, then y: the x axis turned by y 90 points along -z, untouched by the x turn.
    const Kiln::Matrix4x4<float> both = MatrixFromEulerDegrees({90.0f, 90.0f, 0.0f});
    const Kiln::Matrix4x4<float> separate = MatrixFromEulerDegrees({90.0f, 0.0f, 0.0f}) * MatrixFromEulerDegrees({0.0f, 90.0f, 0.0f});
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(both[i], separate[i], 1e-5f) << "element " << i;
}

TEST_F(Enemies, WallHandsUseTheIdleArtUpToFortyDegreesAndCeilingHandsTheDanglingArtTurnedHalfAWay)
{
    for (const float angle : {0.0f, 40.0f, -40.0f})
    {
        StationaryEnemy hands;
        testing::internal::CaptureStdout();
        hands.Init(HandsConfig({500.0f, 200.0f, 10.0f}, angle));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "wall hands print nothing";

        EXPECT_EQ(hands.GetAnimationController().GetPath(), StationaryEnemy::IDLE_CONTROLLER_PATH) << angle;
        EXPECT_EQ(hands.GetSharedData().myTextures[0], SheetTexture(StationaryEnemy::IDLE_CONTROLLER_PATH));
        EXPECT_EQ(hands.GetAnimationController().GetCurrentAnimationName(), "Idle");
        EXPECT_FLOAT_EQ(hands.GetEmitterOffset(), -0.5f);
        const float radians = angle * kPi / 180.0f;
        ExpectRow(hands.GetSpriteInstance().myTransform, 0, {300.0f * std::cos(radians), 300.0f * std::sin(radians), 0.0f});
        ExpectRow(hands.GetSpriteInstance().myTransform, 1, {-300.0f * std::sin(radians), 300.0f * std::cos(radians), 0.0f});
        EXPECT_EQ(hands.GetSpriteInstance().myTransform.GetPosition(), (Kiln::Vector3<float>{500.0f, 200.0f, 10.0f}));
    }

    for (const float angle : {40.5f, 180.0f, -90.0f})
    {
        StationaryEnemy hands;
        testing::internal::CaptureStdout();
        hands.Init(HandsConfig({-75.5f, 1200.0f, 0.0f}, angle));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "-75.5 1200\n");

        EXPECT_EQ(hands.GetAnimationController().GetPath(), StationaryEnemy::DANGLING_CONTROLLER_PATH) << angle;
        EXPECT_EQ(hands.GetSharedData().myTextures[0], SheetTexture(StationaryEnemy::DANGLING_CONTROLLER_PATH));
        EXPECT_FLOAT_EQ(hands.GetEmitterOffset(), 0.5f);
        // Turned by the object's angle plus half a turn: a ceiling object (180) is upright.
        const float radians = (angle + 180.0f) * kPi / 180.0f;
        ExpectRow(hands.GetSpriteInstance().myTransform, 0, {300.0f * std::cos(radians), 300.0f * std::sin(radians), 0.0f});
        ExpectRow(hands.GetSpriteInstance().myTransform, 1, {-300.0f * std::sin(radians), 300.0f * std::cos(radians), 0.0f});
    }
}

TEST_F(Enemies, HandsHaveAnEnemyBoxThatOnlyWatchesThePlayerAndNeverMoveOrDie)
{
    StationaryEnemy hands;
    EnemyConfig config = HandsConfig({100.0f, -40.0f, 0.0f}, 0.0f);
    config.myBoxSize = {250.0f, 125.0f};
    hands.Init(config);

    EXPECT_EQ(hands.GetEnemyType(), Enemy::TYPE_HANDS);
    EXPECT_EQ(hands.GetCollisionLayer(), CollisionLayer::Enemy);
    EXPECT_EQ(hands.GetCollisionMask(), CollisionLayer::Player);
    EXPECT_EQ(hands.GetCollider().GetCenter(), (Kiln::Vector2<float>{100.0f, -40.0f}));
    EXPECT_EQ(hands.GetCollider().GetSize(), (Kiln::Vector2<float>{250.0f, 125.0f}));
    EXPECT_EQ(hands.GetCollider().GetOwner(), &hands);
    EXPECT_EQ(hands.GetSpriteOffset(), (Kiln::Vector2<float>{-0.5f, 0.5f}));
    EXPECT_EQ(hands.GetEmitter(), nullptr);

    // The controller runs at 10 frames a second from cell 0 of the 2 x 2 sheet.
    EXPECT_EQ(hands.GetSpriteInstance().myCustomData, (Kiln::Vector4<float>{0.0f, 0.0f, 0.5f, 0.5f}));
    for (int i = 0; i < 10; ++i)
        hands.Update(DT);
    EXPECT_EQ(hands.GetAnimationController().GetCurrentFrame(), 1);
    const int32_t frame = hands.GetAnimationController().GetCurrentFrame();
    const Kiln::Vector4<float> cell{static_cast<float>(frame % 2) * 0.5f, static_cast<float>(frame / 2) * 0.5f,
                                    static_cast<float>(frame % 2) * 0.5f + 0.5f, static_cast<float>(frame / 2) * 0.5f + 0.5f};
    EXPECT_EQ(hands.GetSpriteInstance().myCustomData, cell);
    EXPECT_EQ(hands.GetPosition(), (Kiln::Vector3<float>{100.0f, -40.0f, 0.0f}));
    EXPECT_FALSE(hands.IsDead());
    EXPECT_EQ(ParticleRegistry::GetInstance().GetParticleCount(), 0u) << "no emitter without particles";
}

TEST_F(Enemies, HandsShedMotesFromTheEdgeTheyGrowOutOf)
{
    constexpr const char* MOTES = "sprites/particles/S_Darktangle.dds";
    {
        StationaryEnemy wall;
        wall.Init(HandsConfig({0.0f, 0.0f, 0.0f}, 0.0f, true));
        ASSERT_NE(wall.GetEmitter(), nullptr);
        const ParticleEmitterSettings& settings = wall.GetEmitter()->GetSettings();
        EXPECT_EQ(settings.mySpawnAmount, 5);
        EXPECT_FLOAT_EQ(settings.mySpawnFrequency, 0.3f);
        EXPECT_EQ(settings.mySize, (Kiln::Vector2<float>{70.0f, 70.0f}));
        EXPECT_FLOAT_EQ(settings.myScaleEnd, 0.0f);

        wall.Update(DT);
        ASSERT_EQ(ParticlesIn(MOTES), 5u);
        for (const auto& particle : Group(MOTES))
        {
            // The lower edge of the 300-unit quad, spread over its width.
            EXPECT_NEAR(particle->GetPosition().y, -150.0f, 0.01f);
            EXPECT_LE(std::abs(particle->GetPosition().x), 150.0f);
        }
        for (int i = 0; i < 17; ++i)
            wall.Update(DT);
        EXPECT_EQ(ParticlesIn(MOTES), 10u) << "a burst every 0.3 s";
    }
    ParticleRegistry::GetInstance().Clear();
    {
        StationaryEnemy ceiling;
        testing::internal::CaptureStdout();
        ceiling.Init(HandsConfig({0.0f, 1000.0f, 0.0f}, 180.0f, true));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 1000\n");
        ceiling.Update(DT);
        ASSERT_EQ(ParticlesIn(MOTES), 5u);
        for (const auto& particle : Group(MOTES))
        {
            EXPECT_NEAR(particle->GetPosition().y, 1150.0f, 0.1f) << "the upper edge, where ceiling hands hang from";
            EXPECT_LE(std::abs(particle->GetPosition().x), 150.1f);
        }
    }
}

TEST_F(Enemies, TouchingHandsKillsThePlayerInBothOrientationsEvenWhileDashing)
{
    struct Case
    {
        float angle;
        bool dashing;
    };
    for (const Case& c : {Case{0.0f, false}, Case{180.0f, false}, Case{0.0f, true}, Case{180.0f, true}})
    {
        MessageRecorder deaths({MessageType::PlayerDied});
        StationaryEnemy hands;
        testing::internal::CaptureStdout();
        hands.Init(HandsConfig({0.0f, 300.0f, 0.0f}, c.angle));
        testing::internal::GetCapturedStdout();
        Player& player = MakePlayer({-80.0f, 300.0f, 0.0f}, c.dashing, c.dashing);
        if (c.dashing)
        {
            StartDash(player);
            ASSERT_TRUE(player.IsDashAttacking());
        }

        CollisionManager manager;
        manager.AddCollider(&hands.GetCollider());
        manager.AddCollider(&player.GetCollider());
        manager.CollisionPass(DT);
        EXPECT_EQ(player.GetState(), Player::STATE_DEAD) << "angle " << c.angle << ", dashing " << c.dashing;
        EXPECT_EQ(deaths.Count(MessageType::PlayerDied), 1);
        myPlayers.clear();
    }

    // Out of reach nothing happens.
    StationaryEnemy hands;
    hands.Init(HandsConfig({0.0f, 300.0f, 0.0f}, 0.0f));
    Player& player = MakePlayer({-200.0f, 300.0f, 0.0f});
    CollisionManager manager;
    manager.AddCollider(&hands.GetCollider());
    manager.AddCollider(&player.GetCollider());
    manager.CollisionPass(DT);
    EXPECT_NE(player.GetState(), Player::STATE_DEAD);
}

TEST_F(Enemies, AWalkingEnemyStartsWalkingLeftWithItsBodyProbesAndShader)
{
    PassiveEnemy walker;
    walker.SetPosition({40.0f, 55.0f, 5.0f});
    walker.Init(WalkerConfig({40.0f, 55.0f, 5.0f}));

    EXPECT_EQ(walker.GetEnemyType(), Enemy::TYPE_PASSIVE);
    EXPECT_EQ(walker.GetWalkDirection(), (Kiln::Vector2<float>{-1.0f, 0.0f}));
    EXPECT_EQ(walker.GetAnimationController().GetPath(), PassiveEnemy::CONTROLLER_PATH);
    EXPECT_EQ(walker.GetAnimationController().GetCurrentAnimationName(), "Walk");
    EXPECT_EQ(walker.GetSharedData().myTextures[0], SheetTexture(PassiveEnemy::CONTROLLER_PATH));
    ASSERT_NE(walker.GetSharedData().myCustomShader, nullptr) << "its own cut-out shader";
    EXPECT_EQ(walker.GetSpriteOffset(), (Kiln::Vector2<float>{-0.625f, 0.775f}));
    ExpectRow(walker.GetSpriteInstance().myTransform, 0, {512.0f, 0.0f, 0.0f});
    ExpectRow(walker.GetSpriteInstance().myTransform, 1, {0.0f, 512.0f, 0.0f});
    EXPECT_EQ(walker.GetSpriteInstance().myTransform.GetPosition(), (Kiln::Vector3<float>{40.0f, 55.0f, 5.0f}));

    EXPECT_EQ(walker.GetCollisionLayer(), CollisionLayer::Enemy);
    EXPECT_EQ(walker.GetCollisionMask(), 22u);
    EXPECT_EQ(walker.GetCollider().GetSize(), (Kiln::Vector2<float>{300.0f, 110.0f}));
    EXPECT_EQ(walker.GetCollider().GetCenter(), (Kiln::Vector2<float>{40.0f, 55.0f}));

    EXPECT_EQ(walker.GetProbeOffset(), (Kiln::Vector2<float>{154.0f, 59.0f}));
    for (OBB2D* probe : {&walker.GetHitBoxCollider(), &walker.GetAttackBoxCollider()})
    {
        EXPECT_EQ(probe->GetSize(), (Kiln::Vector2<float>{8.0f, 8.0f}));
        EXPECT_EQ(probe->GetOwner()->GetCollisionLayer(), CollisionLayer::Trigger);
        EXPECT_EQ(probe->GetOwner()->GetCollisionMask(), CollisionLayer::Solid);
    }
    EXPECT_EQ(walker.GetHitBoxCollider().GetCenter(), (Kiln::Vector2<float>{-114.0f, -4.0f}));
    EXPECT_EQ(walker.GetAttackBoxCollider().GetCenter(), (Kiln::Vector2<float>{194.0f, -4.0f}));

    // Walking left shows the art as drawn (it faces left); walking right mirrors it.
    walker.Update(DT);
    EXPECT_LT(walker.GetVelocity().x, 0.0f);
    ExpectRow(walker.GetSpriteInstance().myTransform, 0, {512.0f, 0.0f, 0.0f});
    walker.SetVelocity(100.0f, 0.0f, 0.0f);
    walker.Update(DT);
    ExpectRow(walker.GetSpriteInstance().myTransform, 0, {-512.0f, 0.0f, 0.0f});
}

TEST_F(Enemies, AWalkingEnemyTurnsAtALedgeOnlyWhenWalkingTowardsIt)
{
    PassiveEnemy walker;
    walker.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    CollisionBox ground;
    ground.Init({0.0f, -25.0f}, {1000.0f, 50.0f});
    ColliderPossessor& left = *walker.GetHitBoxCollider().GetOwner();
    ColliderPossessor& right = *walker.GetAttackBoxCollider().GetOwner();

    struct Step
    {
        bool left;
        bool right;
        float direction; // after the update
    };
    const Step steps[] = {
        {true, false, -1.0f},  // walking left, the ground ahead: on
        {true, true, -1.0f},   // both on the ground
        {false, false, -1.0f}, // both over a gap (falling): on
        {false, true, 1.0f},   // the left probe over a gap while walking left: turn
        {false, true, 1.0f},   // the gap is behind now
        {true, true, 1.0f},
        {true, false, -1.0f},  // the right probe over a gap while walking right: turn
    };
    for (const Step& step : steps)
    {
        if (step.left)
            left.OnCollisionWithBox(ground, {0.0f, 0.0f}, DT);
        if (step.right)
            right.OnCollisionWithBox(ground, {0.0f, 0.0f}, DT);
        walker.Update(DT);
        EXPECT_EQ(walker.GetWalkDirection(), (Kiln::Vector2<float>{step.direction, 0.0f}))
            << "left " << step.left << ", right " << step.right;
    }
}

TEST_F(Enemies, AContactThatStopsTheWalkTurnsTheEnemyOnTheNextUpdateAndAFloorOnlyLiftsIt)
{
    PassiveEnemy walker;
    walker.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    CollisionBox wall;
    wall.Init({-200.0f, 55.0f}, {100.0f, 400.0f});

    // A wall on the left, 5 units deep: the pass hands the vector towards the wall.
    walker.SetVelocity(-100.0f, 0.0f, 0.0f);
    walker.OnCollisionWithBox(wall, {-5.0f, 0.0f}, DT);
    EXPECT_NEAR(walker.GetVelocity().x, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(walker.GetPosition().x, 5.0f);
    EXPECT_FLOAT_EQ(walker.GetPosition().y, 55.0f);
    EXPECT_EQ(walker.GetCollider().GetCenter(), (Kiln::Vector2<float>{5.0f, 55.0f}));
    EXPECT_EQ(walker.GetHitBoxCollider().GetCenter(), (Kiln::Vector2<float>{-149.0f, -4.0f}));
    walker.Update(DT);
    EXPECT_EQ(walker.GetWalkDirection(), (Kiln::Vector2<float>{1.0f, 0.0f}));

    // A floor 3 units deep while walking and falling: lifted straight up, the fall stopped,
    // the walk goes on.
    PassiveEnemy second;
    second.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    second.SetVelocity(-100.0f, -200.0f, 0.0f);
    second.OnCollisionWithBox(wall, {0.0f, -3.0f}, DT);
    EXPECT_FLOAT_EQ(second.GetPosition().y, 58.0f);
    EXPECT_FLOAT_EQ(second.GetPosition().x, 0.0f);
    EXPECT_NEAR(second.GetVelocity().y, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(second.GetVelocity().x, -100.0f);
    second.Update(DT);
    EXPECT_EQ(second.GetWalkDirection(), (Kiln::Vector2<float>{-1.0f, 0.0f}));

    // A slope steeper than 45 degrees counts as a wall: pushed out along it.
    PassiveEnemy third;
    third.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    third.OnCollisionWithBox(wall, {-3.0f, -1.0f}, DT);
    EXPECT_FLOAT_EQ(third.GetPosition().x, 3.0f);
    EXPECT_FLOAT_EQ(third.GetPosition().y, 56.0f);
}

TEST_F(Enemies, AWalkingEnemyPatrolsAFloorTurningAtTheWallAndAtTheLedge)
{
    // A floor from x -500 to 1000 (top at 0) with a wall whose face is at x -450.
    AddSolid({250.0f, -25.0f}, {1500.0f, 50.0f});
    AddSolid({-500.0f, 200.0f}, {100.0f, 400.0f});
    PassiveEnemy walker;
    walker.SetPosition({0.0f, 55.0f, 0.0f});
    walker.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    Register(walker);

    float lowest = 0.0f;
    float highest = 0.0f;
    float minX = 0.0f;
    float maxX = 0.0f;
    int turns = 0;
    float direction = walker.GetWalkDirection().x;
    for (int frame = 0; frame < 60 * 12; ++frame)
    {
        walker.Update(DT);
        myManager.CollisionPass(DT);
        const Kiln::Vector3<float>& p = walker.GetPosition();
        lowest = std::min(lowest, p.y - 55.0f);
        highest = std::max(highest, p.y - 55.0f);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        if (walker.GetWalkDirection().x != direction)
        {
            ++turns;
            direction = walker.GetWalkDirection().x;
        }
    }
    EXPECT_GT(lowest, -3.0f) << "it stands on the floor";
    EXPECT_LT(highest, 1.0f);
    EXPECT_NEAR(minX, -300.0f, 2.0f) << "stopped by the wall face at -450 (half width 150)";
    EXPECT_GT(maxX, 800.0f) << "walked back to the far end";
    EXPECT_LT(maxX, 1000.0f) << "turned before walking off the ledge at 1000";
    EXPECT_GE(turns, 3) << "wall, ledge, wall again";
}

TEST_F(Enemies, AWalkingEnemyHurtsThePlayerAndDiesOnlyToADashAttack)
{
    constexpr const char* DEATH = "sprites\\particles\\S_Darktangle.dds";
    MessageRecorder recorder({MessageType::EnemyDied, MessageType::PlayerHurt});

    // Touched without dashing, and while dashing without the dash attack: the player is hurt.
    for (const bool dashing : {false, true})
    {
        PassiveEnemy walker;
        walker.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
        Player& player = MakePlayer({-100.0f, 50.0f, 0.0f}, dashing, false);
        if (dashing)
        {
            StartDash(player);
            ASSERT_TRUE(player.IsDashing());
        }
        CollisionManager manager;
        manager.AddCollider(&player.GetCollider());
        manager.AddCollider(&walker.GetCollider());
        manager.CollisionPass(DT);
        EXPECT_EQ(player.GetHealth(), 50) << "dashing " << dashing;
        EXPECT_FALSE(walker.IsDead());
        EXPECT_EQ(walker.GetCollider().GetSize(), (Kiln::Vector2<float>{300.0f, 110.0f}));
        myPlayers.clear();
    }
    EXPECT_EQ(recorder.Count(MessageType::PlayerHurt), 2);
    EXPECT_EQ(recorder.Count(MessageType::EnemyDied), 0);
    EXPECT_EQ(ParticlesIn(DEATH), 0u);

    // A dash attack kills it: body off, one EnemyDied, a burst of 100 dark particles.
    PassiveEnemy walker;
    walker.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    PassiveEnemy* reported = nullptr;
    walker.SetDeathCallback([&reported](PassiveEnemy& anEnemy) { reported = &anEnemy; });
    Player& player = MakePlayer({-100.0f, 50.0f, 0.0f}, true, true);
    StartDash(player);
    ASSERT_TRUE(player.IsDashAttacking());
    CollisionManager manager;
    manager.AddCollider(&player.GetCollider());
    manager.AddCollider(&walker.GetCollider());
    manager.CollisionPass(DT);

    EXPECT_TRUE(walker.IsDead());
    EXPECT_EQ(walker.GetCollider().GetSize(), (Kiln::Vector2<float>{0.0f, 0.0f}));
    EXPECT_EQ(recorder.Count(MessageType::EnemyDied), 1);
    EXPECT_EQ(reported, &walker);
    EXPECT_EQ(player.GetHealth(), 100) << "a dash attack takes no damage";
    ASSERT_EQ(ParticlesIn(DEATH), 100u);
    for (const auto& particle : Group(DEATH))
    {
        EXPECT_LE(std::abs(particle->GetPosition().x), 150.0f);
        EXPECT_LE(std::abs(particle->GetPosition().y - 55.0f), 55.0f);
    }

    manager.CollisionPass(DT);
    EXPECT_EQ(recorder.Count(MessageType::EnemyDied), 1) << "a dead enemy touches nothing";

    // Dead: it no longer moves.
    const Kiln::Vector3<float> where = walker.GetPosition();
    walker.Update(DT);
    EXPECT_EQ(walker.GetPosition(), where);
}

TEST_F(Enemies, ACheckpointTakenBeforeTheDeathBringsTheWalkingEnemyBack)
{
    PassiveEnemy walker;
    walker.Init(WalkerConfig({0.0f, 55.0f, 0.0f}));
    Player& player = MakePlayer({-100.0f, 50.0f, 0.0f}, true, true);

    Post(MessageType::SaveState);
    for (int i = 0; i < 10; ++i)
        walker.Update(DT);
    ASSERT_LT(walker.GetPosition().x, 0.0f);

    StartDash(player);
    walker.OnCollisionWithPlayer(player, {0.0f, 0.0f}, DT);
    ASSERT_TRUE(walker.IsDead());

    Post(MessageType::RestoreState);
    EXPECT_FALSE(walker.IsDead());
    EXPECT_EQ(walker.GetCollider().GetSize(), (Kiln::Vector2<float>{300.0f, 110.0f}));
    EXPECT_EQ(walker.GetPosition(), (Kiln::Vector3<float>{0.0f, 55.0f, 0.0f}));
    EXPECT_EQ(walker.GetCollider().GetCenter(), (Kiln::Vector2<float>{0.0f, 55.0f}));

    // Killed before the checkpoint: it stays dead.
    StartDash(player);
    walker.OnCollisionWithPlayer(player, {0.0f, 0.0f}, DT);
    Post(MessageType::SaveState);
    Post(MessageType::RestoreState);
    EXPECT_TRUE(walker.IsDead());
    EXPECT_EQ(walker.GetCollider().GetSize(), (Kiln::Vector2<float>{0.0f, 0.0f}));
}

TEST_F(Enemies, AWalkingEnemyIsDrawnWithItsSheetUntilItDies)
{
    PassiveEnemy walker;
    walker.Init(WalkerConfig({160.0f, 90.0f, 0.0f}));
    Kiln::SpriteDrawer& drawer = *(*myEngine)->GetGraphicsEngine()->GetSpriteDrawer();

    // The 512-unit quad hangs from (-0.625, 0.775) of its size around the position: it
    // covers the whole 320 x 180 screen of the default camera.
    ASSERT_TRUE((*myEngine)->BeginFrame());
    walker.Render(drawer);
    const SpriteTest::Image alive = SpriteTest::ReadBackBuffer();
    const SpriteTest::Rgba centre = alive.AtSpritePoint(160, 90);
    EXPECT_GE(centre.r, 240);
    EXPECT_GE(centre.g, 240);
    EXPECT_LE(centre.b, 15) << "the yellow walker sheet";

    Player& player = MakePlayer({0.0f, 0.0f, 0.0f}, true, true);
    StartDash(player);
    walker.OnCollisionWithPlayer(player, {0.0f, 0.0f}, DT);
    ASSERT_TRUE((*myEngine)->BeginFrame());
    walker.Render(drawer);
    const SpriteTest::Rgba after = SpriteTest::ReadBackBuffer().AtSpritePoint(160, 90);
    EXPECT_FALSE(after.r >= 240 && after.g >= 240 && after.b <= 15) << "a dead enemy is not drawn";
}

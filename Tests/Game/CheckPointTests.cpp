// Checkpoints: the saves they post, which one is current, their burst and their drawing.
#include "PropTestWorld.h"

#include "Enemy.h"
#include "ParticleEmitter.h"

using namespace PropTest;

namespace
{
    using CheckPointTest = PropWorld;

    constexpr const char* kSparks = "sprites/VFX/S_VFX_checkpoint.dds";
    const std::initializer_list<MessageType> kSaves = {MessageType::CheckpointReached, MessageType::SaveState};

    // Hands that kill at a touch.
    class Hands : public Enemy
    {
    public:
        Hands() { myEnemyType = TYPE_HANDS; }
        void Init(const EnemyConfig&) override {}
        void Update(float) override {}
        void OnCollision(ColliderPossessor&, const Kiln::Vector2<float>&, float) override {}
    };
}

TEST_F(CheckPointTest, ATallTriggerAboveTheFoot)
{
    CheckPoints& checkPoint = AddCheckPoint({700.0f, 40.0f, 5.0f});
    const OBB2D& box = checkPoint.GetBox().GetCollider();
    EXPECT_EQ(box.GetSize(), Vec2(84.0f, 800.0f));
    EXPECT_EQ(box.GetCenter(), Vec2(700.0f, 440.0f));
    EXPECT_EQ(checkPoint.GetBox().GetCollisionLayer(), uint32_t(CollisionLayer::Trigger));
    EXPECT_EQ(checkPoint.GetBox().GetCollisionMask(), uint32_t(CollisionLayer::Player));
    EXPECT_FALSE(checkPoint.IsCurrent());
}

TEST_F(CheckPointTest, TheFirstTouchSavesOnceAndAnotherCheckpointTakesOver)
{
    AddFloor();
    CheckPoints& first = AddCheckPoint({300.0f, 0.0f, 0.0f});
    CheckPoints& second = AddCheckPoint({900.0f, 0.0f, 0.0f});
    Player& player = MakePlayer();
    Run(0.2f);
    EXPECT_EQ(CheckPoints::GetCurrent(), nullptr);

    Press(Action::Right);
    int frames = 0;
    while (myLog.Count(MessageType::CheckpointReached) == 0)
    {
        Step();
        ASSERT_LT(++frames, 120);
    }
    EXPECT_EQ(myLog.Only(kSaves), (std::vector<MessageType>{MessageType::CheckpointReached, MessageType::SaveState}))
        << "reached, then saved";
    EXPECT_EQ(CheckPoints::GetCurrent(), &first);
    EXPECT_TRUE(first.IsCurrent());
    EXPECT_NEAR(player.GetSavedPosition().x, player.GetPosition().x, 1e-3f) << "the player saved where it stands";
    EXPECT_EQ(ParticlesOf(kSparks), 50u);
    EXPECT_EQ(first.GetEmitter()->GetPosition(), first.GetPosition());

    // Still inside the box for a few frames: nothing more.
    Step();
    Step();
    EXPECT_EQ(myLog.Only(kSaves).size(), 2u);

    while (!second.IsCurrent())
    {
        Step();
        ASSERT_LT(++frames, 240);
    }
    EXPECT_EQ(myLog.Only(kSaves).size(), 4u);
    EXPECT_FALSE(first.IsCurrent());
    Release(Action::Right);

    // The first one is no longer current: touching it again saves again.
    Press(Action::Left);
    while (!first.IsCurrent())
    {
        Step();
        ASSERT_LT(++frames, 400);
    }
    EXPECT_EQ(myLog.Only(kSaves).size(), 6u);
}

TEST_F(CheckPointTest, ACheckpointThatGoesStopsBeingCurrent)
{
    MakePlayer({0.0f, 50.0f, 0.0f});
    AddCheckPoint({0.0f, 0.0f, 0.0f});
    Step();
    ASSERT_NE(CheckPoints::GetCurrent(), nullptr);
    ASSERT_EQ(myLog.Count(MessageType::SaveState), 1u);

    // The level ends; the next level's checkpoint may well take the same memory.
    myCheckPoints.clear();
    myManager = CollisionManager();
    myManager.AddCollider(&myPlayer->GetCollider());
    EXPECT_EQ(CheckPoints::GetCurrent(), nullptr);
    CheckPoints& next = AddCheckPoint({0.0f, 0.0f, 0.0f});
    EXPECT_FALSE(next.IsCurrent());
    Step();
    EXPECT_TRUE(next.IsCurrent());
    EXPECT_EQ(myLog.Count(MessageType::SaveState), 2u) << "its first touch saves";
}

TEST_F(CheckPointTest, OnlyALivingHeroReachesACheckpoint)
{
    Player& player = MakePlayer({0.0f, 50.0f, 0.0f});
    Hands hands;
    player.OnCollisionWithEnemy(hands, {0.0f, 0.0f}, FRAME);
    ASSERT_EQ(player.GetState(), Player::STATE_DEAD);
    CheckPoints& checkPoint = AddCheckPoint({0.0f, 0.0f, 0.0f});
    for (int i = 0; i < 30; ++i)
        Step();
    EXPECT_FALSE(checkPoint.IsCurrent()) << "the dead hero lies inside its box";
    EXPECT_TRUE(myLog.Only(kSaves).empty());

    // Back alive at its saved place, still inside: now it counts.
    for (int i = 0; i < 120 && player.GetState() == Player::STATE_DEAD; ++i)
        Step();
    ASSERT_NE(player.GetState(), Player::STATE_DEAD);
    Step();
    EXPECT_TRUE(checkPoint.IsCurrent());
    EXPECT_EQ(myLog.Only(kSaves).size(), 2u);
}

TEST_F(CheckPointTest, DrawsTheLitModelOnlyWhileCurrent)
{
    myCheckPoints.push_back(std::make_unique<CheckPoints>());
    CheckPoints& checkPoint = *myCheckPoints.back();
    checkPoint.SetPosition({0.0f, 0.0f, 0.0f});
    // Unlit: a 100-unit cube; lit: twice as tall.
    checkPoint.Init(Cube(Placement({0.0f, 0.0f, 0.0f})), Cube(Placement({0.0f, 0.0f, 0.0f}, {1.0f, 2.0f, 1.0f})));
    myManager.AddCollider(&checkPoint.GetCollider());

    const SpriteTest::Image off = DrawWorld({0.0f, 0.0f}, [&] { checkPoint.Render(); });
    EXPECT_TRUE(IsDrawnAt(off, {0.0f, 0.0f}));
    EXPECT_FALSE(IsDrawnAt(off, {0.0f, 80.0f}));

    MakePlayer({0.0f, 50.0f, 0.0f});
    Step();
    ASSERT_TRUE(checkPoint.IsCurrent());
    const SpriteTest::Image on = DrawWorld({0.0f, 0.0f}, [&] { checkPoint.Render(); });
    EXPECT_TRUE(IsDrawnAt(on, {0.0f, 80.0f}));
}

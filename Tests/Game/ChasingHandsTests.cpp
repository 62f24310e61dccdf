// The chase scene: its wall of hands, the start trigger, the rise, chase and follow, the
// kill box, checkpoints during the chase, the exit button and fade, and the darkness drawn.
#include "ActorTestFixture.h"

#include "ChasingHands.h"
#include "CollisionManager.h"
#include "ContentError.h"
#include "CustomSceneObject.h"
#include "ParticleEmitter.h"

#include "forge/graphics/Camera.h"

#include "Engine/drawers/RenderTestHelpers.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using ActorTest::MessageRecorder;
using ActorTest::Post;

namespace
{
    constexpr float DT = 0.05f;

    class Chase : public ActorTest::ActorTest
    {
    protected:
        // A 2000 x 600 area centred on (1000, 300) at speed 500, and a player in it.
        void SetUp() override
        {
            ActorTest::ActorTest::SetUp();
            if (HasFatalFailure())
                return;
            myChase = std::make_unique<ChasingHands>(Kiln::Vector3<float>{1000.0f, 300.0f, 0.0f},
                                                     Kiln::Vector3<float>{2000.0f, 600.0f, 1000.0f}, 500.0f);
            myPlayer = &MakePlayer({500.0f, 300.0f, 0.0f});
            myManager.AddCollider(&myChase->GetCollider());
            myManager.AddCollider(&myChase->GetKillCollider());
            myManager.AddCollider(&myPlayer->GetCollider());
        }

        void TearDown() override
        {
            myChase.reset();
            ActorTest::ActorTest::TearDown();
        }

        void Update(int aFrames = 1)
        {
            for (int i = 0; i < aFrames; ++i)
                myChase->Update(DT, *myPlayer, [this](float aDuration, float anAmplitude) { myShakes.emplace_back(aDuration, anAmplitude); });
        }

        // Updates until the state changes; returns the number of updates (at most aLimit).
        int UpdateUntilTheStateChanges(int aLimit = 1000)
        {
            const uint32_t state = myChase->GetState();
            int frames = 0;
            while (myChase->GetState() == state && frames < aLimit)
            {
                Update();
                ++frames;
            }
            return frames;
        }

        void StartAndCatchUp()
        {
            myManager.CollisionPass(DT);
            ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_RISING);
            UpdateUntilTheStateChanges();
            ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_CHASING);
            UpdateUntilTheStateChanges();
            ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_FOLLOWING);
        }

        std::unique_ptr<ChasingHands> myChase;
        Player* myPlayer = nullptr;
        CollisionManager myManager;
        std::vector<std::pair<float, float>> myShakes;
    };
}

TEST_F(Chase, TheWallHoldsOneHandPer256UnitsOfHeightAndAtLeastThree)
{
    struct Case
    {
        float height;
        std::size_t hands;
        int32_t motes; // five per hand slot: (height div 256 + 2) x 5
    };
    for (const Case& c : {Case{200.0f, 3, 10}, Case{511.0f, 3, 15}, Case{512.0f, 5, 20}, Case{1023.0f, 5, 25}, Case{1024.0f, 7, 30},
                          Case{-3000.0f, 3, 10}})
    {
        ChasingHands chase({100.0f, 50.0f, 7.0f}, {800.0f, c.height, 1000.0f}, 300.0f);
        ASSERT_EQ(chase.GetHands().size(), c.hands) << "height " << c.height;
        EXPECT_EQ(chase.GetEmitter().GetSettings().mySpawnAmount, c.motes);

        // Top to bottom, 256 apart, centred on the area.
        const float top = 50.0f + static_cast<float>(c.hands / 2) * 256.0f;
        for (std::size_t i = 0; i < c.hands; ++i)
        {
            const StationaryEnemy& hand = *chase.GetHands()[i];
            EXPECT_EQ(hand.GetPosition(), (Kiln::Vector3<float>{100.0f, top - static_cast<float>(i) * 256.0f, 7.0f}));
            EXPECT_EQ(hand.GetEnemyType(), Enemy::TYPE_HANDS);
            EXPECT_EQ(hand.GetCollider().GetSize(), (Kiln::Vector2<float>{256.0f, 256.0f}));
            EXPECT_EQ(hand.GetEmitter(), nullptr);
            EXPECT_EQ(hand.GetAnimationController().GetPath(), ChasingHands::CONTROLLER_PATH);
            EXPECT_EQ(hand.GetAnimationController().GetCurrentAnimationName(), "Idle");
            EXPECT_EQ(hand.GetSharedData().myTextures[0],
                      AnimationLibrary::GetInstance()->GetData(ChasingHands::CONTROLLER_PATH).mySheets[0].myTextures[0]);
            EXPECT_EQ(hand.GetSpriteInstance().myTransform.GetRow(0), (Kiln::Vector3<float>{600.0f, 0.0f, 0.0f}));
            EXPECT_EQ(hand.GetSpriteInstance().myTransform.GetRow(1), (Kiln::Vector3<float>{0.0f, 600.0f, 0.0f}));
        }
    }

    ChasingHands chase({100.0f, 50.0f, 7.0f}, {800.0f, 400.0f, 1000.0f}, 300.0f);
    EXPECT_EQ(chase.GetState(), ChasingHands::STATE_IDLE);
    EXPECT_FLOAT_EQ(chase.GetIntensity(), 0.0f);
    EXPECT_FLOAT_EQ(chase.GetEndX(), 500.0f);
    EXPECT_EQ(chase.GetCollider().GetCenter(), (Kiln::Vector2<float>{100.0f, 50.0f}));
    EXPECT_EQ(chase.GetCollider().GetSize(), (Kiln::Vector2<float>{800.0f, 400.0f}));
    EXPECT_EQ(chase.GetKillCollider().GetSize(), (Kiln::Vector2<float>{400.0f, 400.0f}));
    for (OBB2D* box : {&chase.GetCollider(), &chase.GetKillCollider()})
    {
        EXPECT_EQ(box->GetOwner()->GetCollisionLayer(), CollisionLayer::Trigger);
        EXPECT_EQ(box->GetOwner()->GetCollisionMask(), CollisionLayer::Player);
    }
    const ParticleEmitterSettings& darkness = chase.GetEmitter().GetSettings();
    EXPECT_EQ(darkness.mySpeedInterval, (Kiln::Vector2<float>{320.0f, 330.0f}));
    EXPECT_EQ(darkness.myYOffsetInterval, (Kiln::Vector2<float>{-200.0f, 200.0f}));
    EXPECT_EQ(darkness.myAngleInterval, (Kiln::Vector2<float>{-45.0f, 45.0f}));
    EXPECT_FLOAT_EQ(darkness.mySpawnFrequency, 0.2f);
    EXPECT_EQ(chase.GetOverlay().myPivot, (Kiln::Vector2<float>{1.0f, 0.5f}));
    EXPECT_EQ(chase.GetOverlay().mySize, (Kiln::Vector2<float>{6000.0f, 400.0f}));
    EXPECT_EQ(chase.GetOverlay().myColor.a, 1.0f);
    EXPECT_EQ(chase.GetOverlay().myColor.r, 0.0f);
}

TEST_F(Chase, WalkingIntoTheAreaStartsTheChaseOnceAndHoldsThePlayer)
{
    MessageRecorder music({MessageType::ChaseMusic});
    Update(10);
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_IDLE) << "nothing before the player enters";
    EXPECT_TRUE(myShakes.empty());

    myManager.CollisionPass(DT);
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_RISING);
    EXPECT_EQ(music.Count(MessageType::ChaseMusic), 1);
    EXPECT_FLOAT_EQ(myChase->GetHandsX(), 500.0f - 2000.0f);
    EXPECT_EQ(myChase->GetCollider().GetSize(), (Kiln::Vector2<float>{0.0f, 0.0f}));
    EXPECT_TRUE(myPlayer->IsFrozen());

    myManager.CollisionPass(DT);
    EXPECT_EQ(music.Count(MessageType::ChaseMusic), 1) << "the start box fires once";

    // Held: pressing right does not move the player.
    myPlayer->HandleInput({Action::Right, true});
    for (int i = 0; i < 5; ++i)
        myPlayer->Update(DT);
    EXPECT_FLOAT_EQ(myPlayer->GetPosition().x, 500.0f);
}

TEST_F(Chase, TheHandsRiseThenSweepInFasterThanTheChaseSpeedThenFollowAndReleaseThePlayer)
{
    MessageRecorder saves({MessageType::SaveState});
    myManager.CollisionPass(DT);

    // Darkness grows by 0.04 a second up to 0.1: 2.5 s.
    Update();
    EXPECT_NEAR(myChase->GetIntensity(), 0.002f, 1e-6f);
    EXPECT_FLOAT_EQ(myChase->GetHandsX(), -1500.0f) << "the hands wait while they rise";
    const int rising = 1 + UpdateUntilTheStateChanges();
    EXPECT_NEAR(static_cast<float>(rising) * DT, 2.5f, 2.0f * DT);
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_CHASING);
    ASSERT_EQ(myShakes.size(), 1u);
    EXPECT_EQ(myShakes[0], (std::pair<float, float>{0.0f, 4.0f}));
    EXPECT_TRUE(myPlayer->IsFrozen());

    // Chasing at 1.5 x 500 a second; hands, kill box and darkness move together.
    const float before = myChase->GetHandsX();
    Update();
    EXPECT_FLOAT_EQ(myChase->GetHandsX(), before + 37.5f);
    EXPECT_EQ(myChase->GetKillCollider().GetCenter(), (Kiln::Vector2<float>{before + 37.5f, 300.0f}));
    EXPECT_EQ(myChase->GetOverlay().myPosition, (Kiln::Vector2<float>{before + 37.5f, 300.0f}));
    EXPECT_EQ(myChase->GetEmitter().GetPosition(), (Kiln::Vector3<float>{before + 37.5f, 300.0f, 0.0f}));
    for (const auto& hand : myChase->GetHands())
        EXPECT_FLOAT_EQ(hand->GetPosition().x, before + 37.5f);
    EXPECT_EQ(saves.Count(MessageType::SaveState), 0);

    // Within 800 of the player: the state is saved, the player released, the shake eased.
    UpdateUntilTheStateChanges();
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_FOLLOWING);
    EXPECT_GT(myChase->GetHandsX(), 500.0f - 800.0f);
    EXPECT_LE(myChase->GetHandsX(), 500.0f - 800.0f + 37.5f);
    EXPECT_EQ(saves.Count(MessageType::SaveState), 1);
    ASSERT_EQ(myShakes.size(), 2u);
    EXPECT_EQ(myShakes[1], (std::pair<float, float>{0.0f, 2.0f}));
    EXPECT_FALSE(myPlayer->IsFrozen());

    // Following at 500 a second, never more than 2000 past the player.
    const float caught = myChase->GetHandsX();
    Update();
    EXPECT_FLOAT_EQ(myChase->GetHandsX(), caught + 25.0f);
    Update(200);
    EXPECT_GE(myChase->GetHandsX(), 500.0f + 2000.0f);
    EXPECT_LT(myChase->GetHandsX(), 500.0f + 2000.0f + 25.0f + 0.01f);
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_FOLLOWING) << "no fade without the exit button";
}

TEST_F(Chase, TheKillBoxKillsOnlyOnceTheHandsHaveRisen)
{
    MessageRecorder deaths({MessageType::PlayerDied});
    myManager.CollisionPass(DT);
    Update();
    ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_RISING);

    Player& early = MakePlayer({myChase->GetHandsX(), 300.0f, 0.0f});
    CollisionManager whileRising;
    whileRising.AddCollider(&myChase->GetKillCollider());
    whileRising.AddCollider(&early.GetCollider());
    whileRising.CollisionPass(DT);
    EXPECT_NE(early.GetState(), Player::STATE_DEAD) << "rising hands do not kill";

    UpdateUntilTheStateChanges();
    ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_CHASING);
    Update();
    Player& caught = MakePlayer({myChase->GetHandsX() + 150.0f, 300.0f, 0.0f});
    CollisionManager whileChasing;
    whileChasing.AddCollider(&myChase->GetKillCollider());
    whileChasing.AddCollider(&caught.GetCollider());
    whileChasing.CollisionPass(DT);
    EXPECT_EQ(caught.GetState(), Player::STATE_DEAD);
    EXPECT_EQ(deaths.Count(MessageType::PlayerDied), 1);
    EXPECT_EQ(myPlayer->GetState(), Player::STATE_GROUNDED) << "the player far ahead is untouched";
}

TEST_F(Chase, ADeathBeforeTheHandsCatchUpRestartsTheChase)
{
    MessageRecorder music({MessageType::ChaseMusic});
    Post(MessageType::SaveState); // the level has loaded

    myManager.CollisionPass(DT);
    UpdateUntilTheStateChanges();
    Update(3);
    ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_CHASING);

    Post(MessageType::RestoreState);
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_IDLE);
    EXPECT_FLOAT_EQ(myChase->GetIntensity(), 0.0f);
    EXPECT_EQ(myChase->GetCollider().GetSize(), (Kiln::Vector2<float>{2000.0f, 600.0f}));

    myManager.CollisionPass(DT);
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_RISING) << "the start box fires again";
    EXPECT_EQ(music.Count(MessageType::ChaseMusic), 2);
    // A death after they caught up: Tests/Game/LevelRouteTests.cpp, in Level 3.
}

TEST_F(Chase, TheDarknessFadesOnlyPastTheEndOnceTheExitButtonAllowedIt)
{
    // The player runs ahead; the hands pass the area's end (x 2000) without the button.
    StartAndCatchUp();
    while (myChase->GetHandsX() <= myChase->GetEndX() + 100.0f)
    {
        myPlayer->HandleInput({Action::Right, true});
        myPlayer->Update(DT);
        Update();
        ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_FOLLOWING);
    }
    const std::size_t shakes = myShakes.size();

    myChase->AllowFinish();
    Update();
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_FADING);
    ASSERT_EQ(myShakes.size(), shakes + 1);
    EXPECT_EQ(myShakes.back(), (std::pair<float, float>{-1.0f, 5.0f})) << "the shake stops";
    EXPECT_EQ(myChase->GetEmitter().GetSettings().mySpeedInterval, (Kiln::Vector2<float>{20.0f, 30.0f}));

    // Fading at 0.04 a second from about 0.1.
    const float hands = myChase->GetHandsX();
    const int frames = UpdateUntilTheStateChanges();
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_DONE);
    EXPECT_NEAR(static_cast<float>(frames) * DT, 2.5f, 3.0f * DT);
    EXPECT_LE(myChase->GetIntensity(), 0.0f);
    EXPECT_FLOAT_EQ(myChase->GetHandsX(), hands) << "the hands stop";

    // A death after the fade returns to the hands following (saved when they caught up),
    // the motes drifting with them again; fading a second time leaves the motes as the first.
    Post(MessageType::RestoreState);
    ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_FOLLOWING);
    EXPECT_EQ(myChase->GetEmitter().GetSettings().mySpeedInterval, (Kiln::Vector2<float>{520.0f, 530.0f}));
    while (myChase->GetState() == ChasingHands::STATE_FOLLOWING)
    {
        myPlayer->Update(DT);
        Update();
    }
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_FADING);
    EXPECT_EQ(myChase->GetEmitter().GetSettings().mySpeedInterval, (Kiln::Vector2<float>{20.0f, 30.0f}));
}

TEST_F(Chase, ASpeedNotAbove0OrAnAreaWiderOrTallerThan20000IsRefusedNamingTheObject)
{
    CustomSceneObject object;
    object.myName = "Chase";
    object.myScenePath = "levels\\Level3.ksc";
    object.myScale = {4.0f, 0.8f, 1.0f};
    const auto refusal = [&](float aSpeed, float aScaleY, float aScaleX = 4.0f) -> std::string {
        object.myProperties["speed"] = aSpeed;
        object.myScale.x = aScaleX;
        object.myScale.y = aScaleY;
        try
        {
            EXPECT_EQ(ChasingHands::Create(object)->GetHands().size(), 5u);
        }
        catch (const ContentError& anError)
        {
            return anError.what();
        }
        return "";
    };
    EXPECT_EQ(refusal(800.0f, 0.8f), "");
    EXPECT_EQ(refusal(800.0f, 0.8f, 20.0f), "");
    for (float speed : {0.0f, -700.0f, std::nanf(""), INFINITY})
        EXPECT_NE(refusal(speed, 0.8f).find("Level3.ksc.leveldata\": object \"Chase\": key \"speed\" is "), std::string::npos);
    EXPECT_NE(refusal(-1.0f, 0.8f).find("is -1; a chase needs a finite speed above 0"), std::string::npos);
    // 50,000 units would be 197 hands; 3.9 million hands were made before.
    for (float scale : {20.001f, 50.0f, 1.0e6f})
        EXPECT_NE(refusal(800.0f, scale).find("object \"Chase\": the chase area is "), std::string::npos) << scale;
    EXPECT_NE(refusal(800.0f, 50.0f).find("is 50000 units tall (its scale's y x 1000); at most 20000"), std::string::npos);
    // A million units wide: the hands would rise 500 million units back and sweep for days.
    for (float scale : {20.001f, 1.0e6f, std::nanf("")})
        EXPECT_NE(refusal(800.0f, 0.8f, scale).find("Level3.ksc.leveldata\": object \"Chase\": the chase area is "), std::string::npos)
            << scale;
    EXPECT_NE(refusal(800.0f, 0.8f, 1.0e6f).find("is 1e+09 units wide (its scale's x x 1000); at most 20000"), std::string::npos);
    // Made directly, a taller area is held to that height.
    EXPECT_EQ(ChasingHands({0.0f, 0.0f, 0.0f}, {100.0f, 100000.0f, 1.0f}, 300.0f).GetHands().size(), 81u);
}

TEST_F(Chase, AnEarlyPressOfTheExitButtonWaitsForTheHandsToPassTheEnd)
{
    myChase->AllowFinish();
    StartAndCatchUp();
    int frames = 0;
    while (myChase->GetHandsX() <= myChase->GetEndX() && frames++ < 1000)
    {
        EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_FOLLOWING);
        myPlayer->HandleInput({Action::Right, true});
        myPlayer->Update(DT);
        Update();
    }
    EXPECT_GT(myChase->GetHandsX(), myChase->GetEndX());
    EXPECT_EQ(myChase->GetState(), ChasingHands::STATE_FADING) << "the first update past the end";
    EXPECT_TRUE(myChase->IsFinishAllowed());
}

TEST_F(Chase, DarknessClosesInFromTheEdgesAndFillsTheScreenBehindTheHands)
{
    Kiln::Camera camera;
    camera.SetPerspectiveProjection(90.0f, {320.0f, 180.0f}, 0.1f, 50000.0f);

    const auto draw = [&] {
        EXPECT_TRUE((*myEngine)->BeginFrame());
        myChase->Render(camera);
        return SpriteTest::ReadBackBuffer();
    };
    const auto isBlack = [](const SpriteTest::Rgba& aPixel) { return aPixel.r + aPixel.g + aPixel.b <= 6; };

    // Idle: nothing drawn.
    camera.SetPosition({0.0f, 300.0f, -1000.0f});
    const SpriteTest::Image idle = draw();
    for (const auto& [x, y] : {std::pair{10u, 10u}, {160u, 90u}, {300u, 170u}})
        ASSERT_FALSE(isBlack(idle.At(x, y))) << "the clear colour at " << x << ", " << y;

    // Rising for 2 s: 0.08 of the screen height darkens from the top and from the bottom,
    // and everything left of the hands is dark. The camera sees 2000 units across, so the
    // hands 500 units left of it sit 80 pixels left of the centre.
    myManager.CollisionPass(DT);
    Update(40);
    ASSERT_EQ(myChase->GetState(), ChasingHands::STATE_RISING);
    camera.SetPosition({myChase->GetHandsX() + 500.0f, 300.0f, -1000.0f});
    const SpriteTest::Image rising = draw();
    const uint32_t edge = static_cast<uint32_t>(180.0f * myChase->GetIntensity()); // 14 rows
    EXPECT_TRUE(isBlack(rising.At(240, 2)));
    EXPECT_TRUE(isBlack(rising.At(240, edge - 2)));
    EXPECT_FALSE(isBlack(rising.At(240, edge + 3)));
    EXPECT_FALSE(isBlack(rising.At(240, 90)));
    EXPECT_FALSE(isBlack(rising.At(240, 179 - edge - 3)));
    EXPECT_TRUE(isBlack(rising.At(240, 179 - edge + 2)));
    EXPECT_TRUE(isBlack(rising.At(240, 177)));
    // Behind the hands (left of x 80) the overlay covers the whole height.
    EXPECT_TRUE(isBlack(rising.At(76, 90)));
    EXPECT_TRUE(isBlack(rising.At(5, 40)));
    EXPECT_FALSE(isBlack(rising.At(85, 90)));

    // The camera moves right: the dark wall moves left on screen.
    camera.SetPosition({myChase->GetHandsX() + 800.0f, 300.0f, -1000.0f});
    const SpriteTest::Image later = draw();
    EXPECT_TRUE(isBlack(later.At(28, 90)));
    EXPECT_FALSE(isBlack(later.At(36, 90))) << "the wall now ends at x 32";
}

TEST_F(Chase, TheWallOfHandsIsDrawnOnlyOnceItHasRisen)
{
    // A chase of speed 0 whose hands start at x 160, on the default screen camera.
    myChase.reset();
    ChasingHands chase({2160.0f, 90.0f, 0.0f}, {200.0f, 100.0f, 1000.0f}, 0.0f);
    Player& player = MakePlayer({2160.0f, 90.0f, 0.0f});
    CollisionManager manager;
    manager.AddCollider(&chase.GetCollider());
    manager.AddCollider(&player.GetCollider());
    manager.CollisionPass(DT);
    ASSERT_FLOAT_EQ(chase.GetHandsX(), 160.0f);

    const auto drawCentre = [&] {
        EXPECT_TRUE((*myEngine)->BeginFrame());
        chase.RenderHands();
        return SpriteTest::ReadBackBuffer().AtSpritePoint(160, 90);
    };
    const auto isBlue = [](const SpriteTest::Rgba& aPixel) { return aPixel.b >= 240 && aPixel.r <= 15 && aPixel.g <= 15; };

    chase.Update(DT, player, {});
    ASSERT_EQ(chase.GetState(), ChasingHands::STATE_RISING);
    EXPECT_FALSE(isBlue(drawCentre()));

    while (chase.GetState() == ChasingHands::STATE_RISING)
        chase.Update(DT, player, {});
    chase.Update(DT, player, {});
    ASSERT_EQ(chase.GetState(), ChasingHands::STATE_CHASING);
    EXPECT_TRUE(isBlue(drawCentre())) << "the blue chase sheet, 600 units square, over the middle hand";
}

// The level exit, the parallax background with its pixel shader, and the static and
// animated world sprites, drawn and read back.
#include "ActorTestFixture.h"

#include "AnimatedWorldSprite.h"
#include "CollisionBox.h"
#include "CollisionManager.h"
#include "ContentError.h"
#include "LevelTransition.h"
#include "ParallaxBackground.h"
#include "WorldSprite.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/Texture.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Engine/drawers/RenderTestHelpers.h"
#include "LevelGen/LevelBuilder.h"
#include "LevelGen/LevelMap.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using ActorTest::MessageRecorder;
using ActorTest::Post;
using SpriteTest::Image;
using SpriteTest::Rgba;

namespace
{
    constexpr float DT = 1.0f / 60.0f;

    class LevelObjects : public ActorTest::ActorTest
    {
    protected:
        Kiln::SpriteDrawer& Drawer() { return *(*myEngine)->GetGraphicsEngine()->GetSpriteDrawer(); }

        Image Draw(const std::function<void(Kiln::SpriteDrawer&)>& aDraw)
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            aDraw(Drawer());
            return SpriteTest::ReadBackBuffer();
        }

        static bool IsRed(const Rgba& aPixel) { return aPixel.r >= 240 && aPixel.g <= 15 && aPixel.b <= 15; }
        static bool IsGreen(const Rgba& aPixel) { return aPixel.g >= 240 && aPixel.r <= 15 && aPixel.b <= 15; }
        // Red at each of someRed sprite points, not red at any of someOther.
        static void ExpectRed(const Image& anImage, std::vector<std::pair<float, float>> someRed, std::vector<std::pair<float, float>> someOther)
        {
            for (const auto& [x, y] : someRed)
                EXPECT_TRUE(IsRed(anImage.AtSpritePoint(x, y))) << x << ", " << y;
            for (const auto& [x, y] : someOther)
                EXPECT_FALSE(IsRed(anImage.AtSpritePoint(x, y))) << x << ", " << y;
        }

        static Kiln::SceneSprite Sprite(const char* aTexture, const Kiln::Vector2<float>& aSize, const Kiln::Vector2<float>& aPivot)
        {
            Kiln::SceneSprite sprite;
            if (aTexture != nullptr)
                sprite.myTextures[0] = Kiln::StringRegistry::RegisterOrGetString(aTexture);
            sprite.mySize = aSize;
            sprite.myPivot = aPivot;
            return sprite;
        }
    };

    // Counts the actions a level transition runs, and what the bus had seen by then.
    struct ExitLog
    {
        int triggered = 0;
        int finished = 0;
        int exitMessagesAtTrigger = -1;
    };
}

TEST_F(LevelObjects, TheExitBoxHangsFromItsPivotAndWatchesOnlyThePlayer)
{
    LevelTransition fresh;
    EXPECT_FLOAT_EQ(fresh.GetDelay(), 1.0f);
    EXPECT_FALSE(fresh.IsTriggered());

    struct Case
    {
        Kiln::Vector2<float> pivot;
        Kiln::Vector2<float> center;
    };
    for (const Case& c : {Case{{0.0f, 0.0f}, {125.0f, 190.0f}}, Case{{0.5f, 0.5f}, {100.0f, 200.0f}}, Case{{1.0f, 1.0f}, {75.0f, 210.0f}}})
    {
        LevelTransition exit;
        exit.Init({100.0f, 200.0f, 30.0f}, c.pivot, {50.0f, 20.0f}, 2.5f);
        EXPECT_EQ(exit.GetCollider().GetCenter(), c.center) << c.pivot.x << ", " << c.pivot.y;
        EXPECT_EQ(exit.GetCollider().GetSize(), (Kiln::Vector2<float>{50.0f, 20.0f}));
        EXPECT_EQ(exit.GetCollider().GetOwner()->GetCollisionLayer(), CollisionLayer::Trigger);
        EXPECT_EQ(exit.GetCollider().GetOwner()->GetCollisionMask(), CollisionLayer::Player);
        EXPECT_FLOAT_EQ(exit.GetDelay(), 2.5f);
    }
}

TEST_F(LevelObjects, TouchingTheExitPostsLevelExitThenRunsTheTriggerActionOnce)
{
    MessageRecorder recorder({MessageType::LevelExit});
    LevelTransition exit;
    exit.Init({0.0f, 0.0f, 0.0f}, {0.5f, 0.5f}, {200.0f, 200.0f}, 2.0f);
    ExitLog log;
    exit.SetOnTriggered([&] {
        ++log.triggered;
        log.exitMessagesAtTrigger = recorder.Count(MessageType::LevelExit);
    });
    exit.SetOnFinished([&] { ++log.finished; });

    // Untouched, updates change nothing.
    for (int i = 0; i < 10; ++i)
        exit.Update(0.5f);
    EXPECT_EQ(log.finished, 0);
    EXPECT_FLOAT_EQ(exit.GetDelay(), 2.0f);

    Player& player = MakePlayer({20.0f, 0.0f, 0.0f});
    CollisionManager manager;
    manager.AddCollider(&exit.GetCollider());
    manager.AddCollider(&player.GetCollider());
    manager.CollisionPass(DT);
    EXPECT_TRUE(exit.IsTriggered());
    EXPECT_EQ(log.triggered, 1);
    EXPECT_EQ(log.exitMessagesAtTrigger, 1) << "the message goes out before the action";
    EXPECT_EQ(exit.GetCollider().GetSize(), (Kiln::Vector2<float>{0.0f, 0.0f}));

    manager.CollisionPass(DT);
    EXPECT_EQ(log.triggered, 1) << "a second contact does nothing";
    EXPECT_EQ(recorder.Count(MessageType::LevelExit), 1);

    // Delay 2 in frames of 0.5: 1.5, 1.0, 0.5, 0, then the action, once.
    for (const float left : {1.5f, 1.0f, 0.5f, 0.0f})
    {
        exit.Update(0.5f);
        EXPECT_FLOAT_EQ(exit.GetDelay(), left);
        EXPECT_EQ(log.finished, 0);
    }
    exit.Update(0.5f);
    EXPECT_EQ(log.finished, 1);
    EXPECT_FALSE(exit.IsTriggered());
    for (int i = 0; i < 5; ++i)
        exit.Update(0.5f);
    EXPECT_EQ(log.finished, 1);

    // With no delay the action runs on the first update after the contact; empty actions
    // do nothing.
    LevelTransition quick;
    quick.Init({0.0f, 0.0f, 0.0f}, {0.5f, 0.5f}, {200.0f, 200.0f}, 0.0f);
    int quickFinished = 0;
    quick.SetOnFinished([&] { ++quickFinished; });
    CollisionManager second;
    second.AddCollider(&quick.GetCollider());
    second.AddCollider(&player.GetCollider());
    second.CollisionPass(DT);
    quick.Update(DT);
    EXPECT_EQ(quickFinished, 1);

    LevelTransition silent;
    silent.Init({0.0f, 0.0f, 0.0f}, {0.5f, 0.5f}, {200.0f, 200.0f}, 0.0f);
    CollisionManager third;
    third.AddCollider(&silent.GetCollider());
    third.AddCollider(&player.GetCollider());
    third.CollisionPass(DT);
    silent.Update(DT);
    EXPECT_FALSE(silent.IsTriggered());
}

TEST_F(LevelObjects, TheLevelExitFreezesThePlayerWalksItOutAndAsksForTheNextLevelAfterItsDuration)
{
    MessageRecorder footsteps({MessageType::FootstepsStart, MessageType::FootstepsStop, MessageType::LevelExit});
    CollisionBox floor;
    floor.Init({0.0f, -50.0f}, {10000.0f, 100.0f});
    floor.SetCollisionLayer(CollisionLayer::Solid);
    Player& player = MakePlayer({0.0f, 50.0f, 0.0f});

    constexpr int NEXT_LEVEL = 9;
    int state = 3;
    LevelTransition exit;
    exit.Init({600.0f, 100.0f, 0.0f}, {0.5f, 0.5f}, {100.0f, 400.0f}, 1.5f);
    exit.SetOnTriggered([&] {
        player.BeginLevelExit();
        Post(MessageType::FootstepsStart);
    });
    exit.SetOnFinished([&] {
        state = NEXT_LEVEL;
        Post(MessageType::FootstepsStop);
    });

    CollisionManager manager;
    manager.AddCollider(&player.GetCollider());
    manager.AddCollider(&exit.GetCollider());
    manager.AddCollider(&floor.GetCollider());

    // The world's order: the exit, the player, the collision pass.
    player.HandleInput({Action::Right, true});
    int frame = 0;
    int triggeredAt = -1;
    float triggeredX = 0.0f;
    while (state != NEXT_LEVEL && frame < 600)
    {
        exit.Update(DT);
        player.Update(DT);
        manager.CollisionPass(DT);
        ++frame;
        if (triggeredAt < 0 && exit.IsTriggered())
        {
            triggeredAt = frame;
            triggeredX = player.GetPosition().x;
            // Let go of the stick: the exit walks the player on by itself.
            player.HandleInput({Action::Right, false});
            EXPECT_TRUE(player.IsFrozen());
            EXPECT_FLOAT_EQ(player.GetVelocity().x, 700.0f) << "0.07 x the ground acceleration";
            EXPECT_EQ(footsteps.Count(MessageType::LevelExit), 1);
        }
    }
    ASSERT_GE(triggeredAt, 0) << "the player reached the exit";
    ASSERT_EQ(state, NEXT_LEVEL);
    const float seconds = static_cast<float>(frame - triggeredAt) * DT;
    EXPECT_NEAR(seconds, 1.5f, 2.5f * DT);
    EXPECT_NEAR(player.GetPosition().x - triggeredX, 700.0f * seconds, 15.0f) << "walked out at a steady pace";
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 2.0f) << "on the floor";
    EXPECT_TRUE(player.IsFrozen());
    EXPECT_EQ(footsteps.myReceived.back(), MessageType::FootstepsStop);
}

TEST_F(LevelObjects, TheBackgroundSpansTheScreenWidthAndKeepsTheTextureAspect)
{
    WriteTexture("textures/test/wide.dds", 64, 32, [](uint32_t, uint32_t) { return 0xFF808080u; });
    ParallaxBackground wide("textures/test/wide.dds", {1000.0f, 500.0f});
    const Kiln::Sprite2DInstanceData& quad = wide.GetInstance();
    EXPECT_EQ(quad.mySize, (Kiln::Vector2<float>{320.0f, 160.0f}));
    EXPECT_EQ(quad.myPosition, (Kiln::Vector2<float>{160.0f, 80.0f}));
    EXPECT_EQ(quad.myPivot, (Kiln::Vector2<float>{0.5f, 0.5f}));
    EXPECT_EQ(quad.mySizeMultiplier, (Kiln::Vector2<float>{1.0f, 1.0f}));
    EXPECT_EQ(quad.myTextureRect, (Kiln::Vector4<float>{0.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(quad.myCustomData, (Kiln::Vector4<float>{0.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(quad.myColor.a, 1.0f);
    EXPECT_FLOAT_EQ(quad.myRotation, 0.0f);
    EXPECT_FALSE(quad.myIsHidden);
    EXPECT_EQ(wide.GetRepetitionSize(), (Kiln::Vector2<float>{1000.0f, 500.0f}));
    ASSERT_NE(wide.GetSharedData().myTextures[0], nullptr);
    EXPECT_EQ(Kiln::GetTextureSize(*wide.GetSharedData().myTextures[0]), (Kiln::Vector2<uint32_t>{64, 32}));
    EXPECT_EQ(wide.GetSharedData().myTextures[1], nullptr);
    EXPECT_NE(wide.GetSharedData().myCustomShader, nullptr) << "the parallax pixel shader is installed";

    // A missing file shows the 16 x 16 placeholder: a square quad.
    ParallaxBackground missing("textures/test/none.dds", {1000.0f, 500.0f});
    EXPECT_EQ(missing.GetInstance().mySize, (Kiln::Vector2<float>{320.0f, 320.0f}));
}

TEST_F(LevelObjects, TheBackgroundScrollsWithTheCameraNearLayersFasterThanFarOnes)
{
    // A black texture with one white square (columns 24 to 39, rows 36 to 51).
    WriteTexture("textures/test/parallax.dds", 64, 64, [](uint32_t x, uint32_t y) {
        return x >= 24 && x < 40 && y >= 36 && y < 52 ? 0xFFFFFFFFu : 0xFF000000u;
    });
    const Kiln::Vector2<float> repetition{4000.0f, 2000.0f};
    ParallaxBackground background("textures/test/parallax.dds", repetition);
    ASSERT_NE(background.GetSharedData().myCustomShader, nullptr);

    // The quad is 320 x 320 from the bottom of the 320 x 180 screen. The whole background is
    // dimmed to stay behind the playfield: the near layer shows the white square as a mid
    // grey (about 126), the far layer much darker and bluer (about 46, 50, 62).
    const auto isNear = [](const Rgba& p) {
        return p.r >= 115 && p.r <= 137 && p.g >= 115 && p.g <= 137 && p.b >= 115 && p.b <= 137;
    };
    const auto isFar = [](const Rgba& p) {
        return p.b >= 55 && p.b <= 70 && p.r >= 38 && p.r <= 54 && p.b - p.r >= 11;
    };
    const auto centroid = [](const Image& anImage, const std::function<bool(const Rgba&)>& aTest) {
        double sx = 0.0, sy = 0.0;
        int count = 0;
        for (uint32_t y = 0; y < anImage.height; ++y)
        {
            for (uint32_t x = 0; x < anImage.width; ++x)
            {
                if (aTest(anImage.At(x, y)))
                {
                    sx += x;
                    sy += y;
                    ++count;
                }
            }
        }
        return std::tuple{count, count > 0 ? sx / count : 0.0, count > 0 ? sy / count : 0.0};
    };
    // The share of aTest pixels of aBefore that reappear shifted by (dx, dy) in anAfter.
    const auto kept = [](const Image& aBefore, const Image& anAfter, const std::function<bool(const Rgba&)>& aTest, int dx, int dy) {
        int total = 0;
        int found = 0;
        for (uint32_t y = 0; y < aBefore.height; ++y)
        {
            for (uint32_t x = 0; x < aBefore.width; ++x)
            {
                const int tx = static_cast<int>(x) + dx;
                const int ty = static_cast<int>(y) + dy;
                if (!aTest(aBefore.At(x, y)) || tx < 0 || ty < 0 || tx >= static_cast<int>(aBefore.width) ||
                    ty >= static_cast<int>(aBefore.height))
                    continue;
                ++total;
                found += aTest(anAfter.At(static_cast<uint32_t>(tx), static_cast<uint32_t>(ty))) ? 1 : 0;
            }
        }
        return total > 0 ? static_cast<double>(found) / total : 0.0;
    };
    const auto draw = [&](const Kiln::Vector3<float>& aCamera) {
        return Draw([&](Kiln::SpriteDrawer& aDrawer) { background.Render(aDrawer, aCamera); });
    };

    const Image start = draw({0.0f, 0.0f, -1300.0f});
    const auto [nearCount, nearX, nearY] = centroid(start, isNear);
    ASSERT_GT(nearCount, 200) << "the near square is on screen";
    EXPECT_NEAR(nearX, 160.0, 2.0);
    EXPECT_NEAR(nearY, 80.0, 2.0) << "texture rows 36 to 51 of the 320-pixel quad, seen from row 140 of it";
    ASSERT_GT(std::get<0>(centroid(start, isFar)), 200) << "the far layer shows behind it";

    // Half the repetition size to the right moves the near layer an eighth of the quad
    // (40 pixels) left; the far layer, at a fifth of the rate and repeated twice as often,
    // only 4 pixels.
    const Image right = draw({repetition.x * 0.125f, 0.0f, -1300.0f});
    const auto [movedCount, movedX, movedY] = centroid(right, isNear);
    ASSERT_GT(movedCount, 200);
    EXPECT_NEAR(movedX, 160.0 - 40.0, 2.0);
    EXPECT_NEAR(movedY, nearY, 1.0);
    EXPECT_GT(kept(start, right, isFar, -4, 0), 0.8) << "the far layer moved 4 pixels";
    EXPECT_LT(kept(start, right, isFar, -40, 0), 0.3) << "not as far as the near layer";
    const auto farSquareAt = [&](const Image& anImage) {
        // The far square that starts at x 60, rows 110 to 149, below the near square.
        double sum = 0.0;
        int count = 0;
        for (uint32_t y = 124; y < 160; ++y)
        {
            for (uint32_t x = 40; x < 115; ++x)
            {
                if (isFar(anImage.At(x, y)))
                {
                    sum += x;
                    ++count;
                }
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    EXPECT_NEAR(farSquareAt(start), 80.0, 1.0);
    EXPECT_NEAR(farSquareAt(right), 76.0, 1.0);

    // The camera going up moves the picture down.
    const Image up = draw({0.0f, repetition.y * 0.0625f, -1300.0f});
    const auto [upCount, upX, upY] = centroid(up, isNear);
    ASSERT_GT(upCount, 200);
    EXPECT_NEAR(upX, nearX, 1.0);
    EXPECT_NEAR(upY, nearY + 20.0, 2.0);
    EXPECT_GT(kept(start, up, isFar, 0, 2), 0.8) << "the far layer moved 2 pixels down";

    // One whole repetition brings the near layer back where it was.
    const Image around = draw({repetition.x, 0.0f, -1300.0f});
    const auto [aroundCount, aroundX, aroundY] = centroid(around, isNear);
    EXPECT_EQ(aroundCount, nearCount);
    EXPECT_NEAR(aroundX, nearX, 1.0);
    EXPECT_NEAR(aroundY, nearY, 1.0);
}

TEST_F(LevelObjects, TheShippedBackdropsHoldStillUnderTheCameraSwayAndSlideSmoothlyAtARun)
{
    // The repetition size each shipped level map gives its background, as the game reads it.
    std::vector<std::pair<std::string, Kiln::Vector2<float>>> backdrops;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(KILN_LEVELS_DIR))
    {
        if (entry.path().extension() != ".txt")
            continue;
        const LevelGen::BuiltLevel level = LevelGen::BuildLevel(LevelGen::LoadLevelMap(entry.path().string()));
        for (const ContentKit::SceneObjectDesc& object : level.scene.Objects())
            for (const ContentKit::Property& property : object.properties)
                if (object.definition == "KOB_ParallaxBackground" && property.name == "repetitionSize")
                    backdrops.emplace_back(entry.path().stem().string(), Kiln::Vector2<float>{property.value[0].get<float>(), property.value[1].get<float>()});
    }
    ASSERT_GE(backdrops.size(), 4u) << "every shipped level has a background";

    // A fine checker shows any shift; one white square (columns 24 to 39) marks the near layer.
    WriteTexture("textures/test/checker.dds", 64, 64, [](uint32_t x, uint32_t y) { return (x / 4 + y / 4) % 2 != 0 ? 0xFFFFFFFFu : 0xFF000000u; });
    WriteTexture("textures/test/marker.dds", 64, 64, [](uint32_t x, uint32_t y) {
        return x >= 24 && x < 40 && y >= 36 && y < 52 ? 0xFFFFFFFFu : 0xFF000000u;
    });
    const auto meanDifference = [](const Image& a, const Image& b) {
        double sum = 0.0;
        for (size_t i = 0; i < a.bgra.size(); ++i)
            sum += i % 4 == 3 ? 0.0 : std::abs(static_cast<double>(a.bgra[i]) - static_cast<double>(b.bgra[i]));
        return sum / (static_cast<double>(a.bgra.size()) * 0.75 * 255.0);
    };
    // The near square's x on screen, weighted by how far each pixel is lit above the layers behind.
    const auto nearX = [](const Image& anImage) {
        double sum = 0.0, weight = 0.0;
        for (uint32_t y = 0; y < anImage.height; ++y)
            for (uint32_t x = 0; x < anImage.width; ++x)
            {
                const double lit = std::max(0.0, static_cast<double>(anImage.At(x, y).g) - 105.0);
                sum += lit * x;
                weight += lit;
            }
        return weight > 0.0 ? sum / weight : -1.0;
    };
    // The screen here is 320 pixels wide, a quarter of the game's 1280.
    constexpr double GAME_PIXELS = 4.0;
    constexpr float RUN_SPEED = 920.0f;
    for (const auto& [level, repetition] : backdrops)
    {
        SCOPED_TRACE(level);
        ParallaxBackground checker("textures/test/checker.dds", repetition);
        const auto drawChecker = [&](float x, float y) {
            return Draw([&](Kiln::SpriteDrawer& aDrawer) { checker.Render(aDrawer, {x, y, -1300.0f}); });
        };
        // The camera's idle sway moves it up to about 0.2 units a frame.
        const Image still = drawChecker(1234.0f, 567.0f);
        EXPECT_LT(meanDifference(still, drawChecker(1234.2f, 567.0f)), 0.005);
        EXPECT_LT(meanDifference(still, drawChecker(1234.0f, 567.2f)), 0.005);

        ParallaxBackground marker("textures/test/marker.dds", repetition);
        const auto markerX = [&](float x) {
            return nearX(Draw([&](Kiln::SpriteDrawer& aDrawer) { marker.Render(aDrawer, {x, 0.0f, -1300.0f}); }));
        };
        const double startX = markerX(0.0f);
        ASSERT_NEAR(startX, 160.0, 3.0) << "the near square is in the middle";
        double previousX = startX;
        double largestStep = 0.0;
        for (int frame = 1; frame <= 60; ++frame)
        {
            const double x = markerX(RUN_SPEED * DT * static_cast<float>(frame));
            largestStep = std::max(largestStep, std::abs(x - previousX) * GAME_PIXELS);
            previousX = x;
        }
        EXPECT_LT(largestStep, 6.0) << "game pixels the near layer moves in one frame";
        const double expected = RUN_SPEED / repetition.x * 320.0;
        EXPECT_NEAR(startX - previousX, expected, 2.0) << "a second's run slides it left by the run over the repetition size";
        EXPECT_GT(expected, 20.0) << "the backdrop moves with the run";
    }
}

TEST_F(LevelObjects, AWorldSpriteIsSizedByItsScaleTurnedByItsRotationAndHungFromItsPivot)
{
    WriteTexture("textures/test/red.dds", 4, 4, [](uint32_t, uint32_t) { return 0xFF0000FFu; });

    WorldSprite fresh;
    EXPECT_EQ(fresh.GetPivot(), (Kiln::Vector2<float>{0.5f, 0.5f}));
    EXPECT_EQ(fresh.GetSharedData().myTextures[0], nullptr);

    WorldSprite sprite;
    sprite.Init(Sprite("textures/test/red.dds", {100.0f, 50.0f}, {0.25f, 0.75f}), {10.0f, 20.0f, 30.0f}, {2.0f, 3.0f, 4.0f},
                {0.0f, 0.0f, 0.0f});
    EXPECT_EQ(sprite.GetSize(), (Kiln::Vector2<float>{200.0f, 150.0f}));
    EXPECT_EQ(sprite.GetPivot(), (Kiln::Vector2<float>{0.25f, 0.75f}));
    EXPECT_EQ(sprite.GetPosition(), (Kiln::Vector3<float>{10.0f, 20.0f, 30.0f}));
    EXPECT_EQ(sprite.GetInstance().myTransform.GetRow(0), (Kiln::Vector3<float>{200.0f, 0.0f, 0.0f}));
    EXPECT_EQ(sprite.GetInstance().myTransform.GetRow(1), (Kiln::Vector3<float>{0.0f, 150.0f, 0.0f}));
    EXPECT_EQ(sprite.GetInstance().myTransform.GetRow(2), (Kiln::Vector3<float>{0.0f, 0.0f, 4.0f}));
    ASSERT_NE(sprite.GetSharedData().myTextures[0], nullptr);
    EXPECT_EQ(Kiln::GetTextureSize(*sprite.GetSharedData().myTextures[0]), (Kiln::Vector2<uint32_t>{4, 4}));
    Draw([&](Kiln::SpriteDrawer& aDrawer) { sprite.Render(aDrawer); });
    EXPECT_EQ(sprite.GetInstance().myTransform.GetPosition(), (Kiln::Vector3<float>{10.0f - 50.0f, 20.0f + 112.5f, 30.0f}));

    // Centred on the screen, 100 x 50: drawn over exactly that rectangle (y up).
    WorldSprite centred;
    centred.Init(Sprite("textures/test/red.dds", {100.0f, 50.0f}, {0.5f, 0.5f}), {160.0f, 90.0f, 0.0f}, {1.0f, 1.0f, 1.0f},
                 {0.0f, 0.0f, 0.0f});
    const Image flat = Draw([&](Kiln::SpriteDrawer& aDrawer) { centred.Render(aDrawer); });
    EXPECT_EQ(centred.GetInstance().myTransform.GetPosition(), (Kiln::Vector3<float>{110.0f, 115.0f, 0.0f}));
    ExpectRed(flat, {{160, 90}, {113, 68}, {207, 112}}, {{106, 90}, {214, 90}, {160, 119}, {160, 61}});

    // Turned a quarter about z it still hangs centred on its position: 50 wide, 100 tall.
    WorldSprite turned;
    turned.Init(Sprite("textures/test/red.dds", {100.0f, 50.0f}, {0.5f, 0.5f}), {160.0f, 90.0f, 0.0f}, {1.0f, 1.0f, 1.0f},
                {0.0f, 0.0f, 90.0f});
    const Image upright = Draw([&](Kiln::SpriteDrawer& aDrawer) { turned.Render(aDrawer); });
    ExpectRed(upright, {{160, 90}, {160, 136}, {138, 44}}, {{130, 90}, {190, 90}, {160, 145}});

    // Without a colour texture the placeholder checker is drawn instead.
    WorldSprite bare;
    bare.Init(Sprite(nullptr, {100.0f, 100.0f}, {0.5f, 0.5f}), {160.0f, 90.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f});
    ASSERT_NE(bare.GetSharedData().myTextures[0], nullptr);
    const Image checker = Draw([&](Kiln::SpriteDrawer& aDrawer) { bare.Render(aDrawer); });
    // Magenta, black and the blends between them: no green anywhere in the quad.
    int magenta = 0;
    for (uint32_t y = 45; y < 135; y += 6)
    {
        for (uint32_t x = 115; x < 205; x += 6)
        {
            const Rgba p = checker.AtSpritePoint(static_cast<float>(x), static_cast<float>(y));
            magenta += p.r >= 240 && p.b >= 240 && p.g <= 15 ? 1 : 0;
            EXPECT_LE(p.g, 15) << x << ", " << y;
            EXPECT_NEAR(p.r, p.b, 3) << x << ", " << y;
        }
    }
    EXPECT_GT(magenta, 5);
}

TEST_F(LevelObjects, AnAnimatedDecorationPlaysItsIdleCellsOnAQuadCentredOnTheObject)
{
    constexpr const char* GRASS = "animations\\controllers\\Test\\A_Grass.ksc";
    // A 4 x 2 sheet of two cells: red, then green; "Idle" shows both at 1 frame a second.
    WriteTexture("textures/test/grass.dds", 4, 2, [](uint32_t x, uint32_t) { return x < 2 ? 0xFF0000FFu : 0xFF00FF00u; });
    GameTest::Block idle = Looping("Idle", 0, 1);
    idle.myFps = 1.0f;
    LoadFreshController(GRASS, "textures/test/grass.dds", 2, 1, {idle});

    CustomSceneObject object;
    object.myName = "Grass";
    object.myPosition = {160.0f, 90.0f, -0.5f};
    object.myScale = {1.0f, 1.0f, 1.0f};
    AnimatedWorldSprite grass;
    grass.Init(GRASS, object);
    EXPECT_EQ(grass.GetPosition(), (Kiln::Vector3<float>{160.0f, 90.0f, -0.5f}));
    EXPECT_EQ(grass.GetAnimationController().GetCurrentAnimationName(), "Idle");
    EXPECT_EQ(grass.GetSharedData().myTextures[0], AnimationLibrary::GetInstance()->GetData(GRASS).mySheets[0].myTextures[0]);
    const Kiln::Matrix4x4<float>& transform = grass.GetInstance().myTransform;
    EXPECT_EQ(transform.GetRow(0), (Kiln::Vector3<float>{100.0f, 0.0f, 0.0f}));
    EXPECT_EQ(transform.GetRow(1), (Kiln::Vector3<float>{0.0f, 100.0f, 0.0f}));
    EXPECT_EQ(transform.GetRow(2), (Kiln::Vector3<float>{0.0f, 0.0f, 100.0f}));
    EXPECT_EQ(transform.GetPosition(), (Kiln::Vector3<float>{110.0f, 140.0f, 0.5f})) << "offset (-50, 50) and 1 unit in z";

    const Image first = Draw([&](Kiln::SpriteDrawer& aDrawer) { grass.Render(aDrawer); });
    ExpectRed(first, {{160, 90}, {140, 110}}, {{160, 146}, {214, 90}});
    EXPECT_EQ(grass.GetInstance().myTextureRect, (Kiln::Vector4<float>{0.0f, 0.0f, 1.0f, 1.0f}));

    grass.Update(1.1f);
    grass.Update(0.0f);
    const Image second = Draw([&](Kiln::SpriteDrawer& aDrawer) { grass.Render(aDrawer); });
    EXPECT_TRUE(IsGreen(second.AtSpritePoint(160, 90))) << "the second cell";

    // A wider object stretches the quad.
    object.myScale = {2.0f, 0.5f, 1.0f};
    AnimatedWorldSprite wide;
    wide.Init(GRASS, object);
    EXPECT_EQ(wide.GetInstance().myTransform.GetRow(0), (Kiln::Vector3<float>{200.0f, 0.0f, 0.0f}));
    EXPECT_EQ(wide.GetInstance().myTransform.GetPosition(), (Kiln::Vector3<float>{60.0f, 115.0f, 0.5f}));
}

TEST_F(LevelObjects, ADecorationNamingAControllerWithoutIdleEndsTheLoadWithOneLineNamingTheObject)
{
    constexpr const char* MISSING = "animations\\controllers\\Level 1\\Grass\\A_Grass_9.ksc";
    CustomSceneObject object;
    object.myName = "Tall grass";
    object.myObjectDefinition = Kiln::StringRegistry::RegisterOrGetString("KOB_Grass_3");
    object.myScenePath = "levels\\Level1.ksc";
    AnimatedWorldSprite grass;
    try
    {
        grass.Init(MISSING, object);
        ADD_FAILURE() << "no error";
    }
    catch (const ContentError& error)
    {
        const std::string text = error.what();
        EXPECT_NE(text.find("Level1.ksc.leveldata"), std::string::npos) << text;
        EXPECT_NE(text.find("\"Tall grass\" (KOB_Grass_3)"), std::string::npos) << text;
        EXPECT_NE(text.find("A_Grass_9.ksc"), std::string::npos) << text;
        EXPECT_NE(text.find("\"Idle\""), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << "one line";
    }
    AnimationLibrary::GetInstance()->Unload(MISSING);
}

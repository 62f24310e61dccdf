// The flip-book sprite: its frame clock, cells, refused zero settings and its drawing.
#include "GameContentFixture.h"

#include "Animated2DSprite.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/texture/TextureManager.h"

#include "Platform/runtime/Assert.h"

#include "Engine/drawers/RenderTestHelpers.h"

#include <limits>

namespace
{
    // Records assertion reports instead of printing them, for the length of a test.
    class AssertionRecorder
    {
    public:
        AssertionRecorder()
        {
            Plat::Runtime::SetAssertionHandler([this](const Plat::Runtime::AssertionReport& aReport) { myReports.push_back(aReport.expression); });
        }
        ~AssertionRecorder() { Plat::Runtime::SetAssertionHandler({}); }

        std::vector<std::string> myReports;
    };

    using Animated2DSpriteDrawing = GameTest::EngineContentTest;
}

TEST(Animated2DSprite, ALongFrameAdvancesSeveralCellsAndKeepsTheRemainder)
{
    Animated2DSprite sprite;
    sprite.SetRowsAndColumns(8, 8);
    sprite.SetFrames(14);
    sprite.SetFrameRate(30.0f);
    EXPECT_EQ(sprite.GetInstance().myCustomData, Kiln::Vector4<float>(0, 0, 1, 1)) << "the whole sheet before the first update";

    sprite.Update(0.02f);
    EXPECT_EQ(sprite.GetCurrentFrame(), 0u);
    EXPECT_FLOAT_EQ(sprite.GetFrameTimer(), 0.02f);
    EXPECT_EQ(sprite.GetInstance().myCustomData, Kiln::Vector4<float>(0, 0, 0.125f, 0.125f));

    sprite.Update(0.05f); // 0.07 s in all: two frames, about 0.0033 s left
    EXPECT_EQ(sprite.GetCurrentFrame(), 2u);
    EXPECT_NEAR(sprite.GetFrameTimer(), 0.07f - 2.0f / 30.0f, 1e-5f);

    // Steps of any size end, on the frame their length gives (16,000,003 periods: 2 + 5 mod 14).
    sprite.SetFrameRate(16.0f);
    sprite.Update(1e6f + 3.0f / 16.0f - sprite.GetFrameTimer());
    EXPECT_EQ(sprite.GetCurrentFrame(), 7u);
    for (float step : {1e30f, std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(), std::nanf("")})
    {
        sprite.Update(step);
        EXPECT_LT(sprite.GetCurrentFrame(), 14u);
        EXPECT_TRUE(sprite.GetFrameTimer() >= 0.0f && sprite.GetFrameTimer() < sprite.GetSecondsPerFrame()) << step;
    }
}

TEST(Animated2DSprite, CellsAreReadRowByRowAndTheFrameCountWraps)
{
    Animated2DSprite sprite;
    sprite.SetRowsAndColumns(8, 8);
    sprite.SetFrames(14);
    sprite.SetFrameRate(10.0f);
    for (int frame = 0; frame < 13; ++frame)
        sprite.Update(0.1f + 1e-5f);
    ASSERT_EQ(sprite.GetCurrentFrame(), 13u);
    // Frame 13: column 5 of row 1.
    EXPECT_EQ(sprite.GetInstance().myCustomData, Kiln::Vector4<float>(0.625f, 0.125f, 0.75f, 0.25f));
    EXPECT_EQ(sprite.GetInstance().myTextureRect, Kiln::Vector4<float>(0, 0, 1, 1));
    sprite.Update(0.1f);
    EXPECT_EQ(sprite.GetCurrentFrame(), 0u);
}

TEST(Animated2DSprite, ZeroCountsAndRatesAreRefusedWithTheirAssertion)
{
    AssertionRecorder assertions;
    Animated2DSprite sprite;
    sprite.SetRowsAndColumns(2, 4);
    sprite.SetFrames(5);
    sprite.SetFrameRate(5.0f);

    sprite.SetRowsAndColumns(0, 3);
    sprite.SetFrames(0);
    sprite.SetFrameRate(0.0f);
    ASSERT_EQ(assertions.myReports.size(), 3u);
    EXPECT_EQ(assertions.myReports[0],
              "aRowCount != 0u && aColumnCount != 0u && \"Animated2DSprite::SetRowsAndColumns() received an argument with a zero value\"");
    EXPECT_EQ(assertions.myReports[1], "aFramesCount != 0u && \"Animated2DSprite::SetFrames() was called with a zero value\"");
    EXPECT_EQ(assertions.myReports[2], "someFramesPerSecond != 0.0f && \"Animated2DSprite::SetFrameRate() was called with a zero value\"");
    EXPECT_EQ(sprite.GetRows(), 2u);
    EXPECT_EQ(sprite.GetColumns(), 4u);
    EXPECT_EQ(sprite.GetFrameCount(), 5u);
    EXPECT_FLOAT_EQ(sprite.GetSecondsPerFrame(), 0.2f);

    // Negative and infinite rates would make the clock spin for ever: they are kept out as well.
    sprite.SetFrameRate(-5.0f);
    sprite.SetFrameRate(std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(sprite.GetSecondsPerFrame(), 0.2f);
    sprite.Update(1.0f);
    EXPECT_EQ(sprite.GetCurrentFrame(), 0u) << "five frames of five: back to the first";
}

TEST_F(Animated2DSpriteDrawing, DrawsTheCurrentCellWithItsOwnShaderAtOneCellsSize)
{
    // 4 x 2 cells of 32 x 32: cell k has red 30 k + 15, cell 6 is see-through.
    WriteTexture("sprites/sheet.dds", 128, 64, [](uint32_t x, uint32_t y) {
        const uint32_t cell = (y / 32) * 4 + x / 32;
        return cell == 6 ? 0u : (0xff000000u | (30u * cell + 15u));
    });
    Kiln::TextureResource* texture =
        (*myEngine)->GetTextureManager()->GetTexture("sprites/sheet.dds", Kiln::TextureSrgbMode::ForceSrgb, false);

    Animated2DSprite sprite;
    ASSERT_NE(sprite.GetSharedData().myCustomShader, nullptr);
    EXPECT_TRUE(sprite.GetSharedData().myCustomShader->IsLoaded());
    EXPECT_EQ(sprite.GetSharedData().myCustomShader->GetPixelShaderName(), "shaders/AlphaSpriteShaderPS");
    sprite.SetRowsAndColumns(2, 4);
    sprite.SetTexture(texture);
    EXPECT_EQ(sprite.GetInstance().mySize, Kiln::Vector2<float>(32, 32));
    sprite.SetFrames(8);
    sprite.SetFrameRate(1.0f);
    sprite.SetPivot({0.0f, 0.0f});
    sprite.SetScale({2.0f, 2.0f});
    sprite.SetPosition({100.0f, 120.0f}); // top-left corner; 64 x 64 on screen
    Kiln::SpriteDrawer& drawer = *(*myEngine)->GetGraphicsEngine()->GetSpriteDrawer();

    const auto drawFrame = [&](uint32_t aFrame) {
        while (sprite.GetCurrentFrame() != aFrame)
            sprite.Update(1.0f);
        EXPECT_TRUE((*myEngine)->BeginFrame());
        sprite.Render(drawer);
        SpriteTest::Image image = SpriteTest::ReadBackBuffer();
        (*myEngine)->EndFrame();
        return image;
    };

    const SpriteTest::Image five = drawFrame(5);
    EXPECT_NEAR(five.AtSpritePoint(132.0f, 88.0f).r, 165, 3) << "cell 5";
    EXPECT_NEAR(five.AtSpritePoint(104.0f, 60.0f).r, 165, 3) << "cell 5 fills the quad";
    EXPECT_LT(five.AtSpritePoint(170.0f, 88.0f).r, 5) << "nothing beyond the quad";
    EXPECT_LT(five.AtSpritePoint(132.0f, 50.0f).r, 5) << "nothing below it";

    const SpriteTest::Image six = drawFrame(6);
    EXPECT_LT(six.AtSpritePoint(132.0f, 88.0f).r, 5) << "the see-through cell leaves the clear colour";
}

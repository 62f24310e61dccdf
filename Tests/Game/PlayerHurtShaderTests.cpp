#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/shaders/SpriteShader.h"

#include "Engine/drawers/RenderTestHelpers.h"
#include "Support/ScopedEngine.h"

#include <gtest/gtest.h>

#include <memory>

using namespace SpriteTest;

namespace
{
    // Draws a 4 x 1 texture (left half opaque white, right half fully transparent) as a
    // 100 x 50 sprite through the hurt shader at the given health, over a blue clear.
    class PlayerHurtShader : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            ASSERT_TRUE(myShader.Init("shaders/instanced_sprite_shader_vs", "shaders/PlayerHurt_PS"))
                << "the cooked shader is installed with the assets";
            myTexture = MakeTexture(4, 1, {0xFFFFFFFFu, 0xFFFFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu});
            ASSERT_NE(myTexture, nullptr);
        }

        // Returns the pixel under the opaque and under the transparent half.
        std::pair<Rgba, Rgba> DrawAt(float aHealth, Kiln::Color aColor = {1, 1, 1, 1})
        {
            EXPECT_TRUE(myEngine->BeginFrame());
            myShader.SetDataBufferVector4({aHealth, aHealth, aHealth, 1.0f}, 0);
            Kiln::SpriteSharedData shared;
            shared.myTextures[0] = myTexture.get();
            shared.myCustomShader = &myShader;
            Kiln::Sprite2DInstanceData sprite;
            sprite.myPosition = {160, 100};
            sprite.myPivot = {0.5f, 0.5f};
            sprite.mySize = {100, 50};
            sprite.myColor = aColor;
            {
                Kiln::SpriteBatchScope batch = myEngine->GetGraphicsEngine()->GetSpriteDrawer()->BeginBatch(shared);
                batch.Draw(sprite);
            }
            const Image image = ReadBackBuffer();
            // The middle of each half, where filtering reads only that half's texels.
            return {image.AtSpritePoint(135, 100), image.AtSpritePoint(185, 100)};
        }

        KilnTest::ScopedEngine myEngine{[](Kiln::EngineConfiguration& aConfig) {
            aConfig.myClearColor = {0.0f, 0.0f, 1.0f, 1.0f};
        }};
        Kiln::SpriteShader myShader;
        std::unique_ptr<Kiln::Texture> myTexture;
    };
}

TEST_F(PlayerHurtShader, FullHealthDrawsTheSpriteAsItIs)
{
    const auto [opaque, clear] = DrawAt(100.0f);
    EXPECT_GE(opaque.r, 250);
    EXPECT_GE(opaque.g, 250);
    EXPECT_GE(opaque.b, 250);
    EXPECT_LE(clear.r, 5) << "a transparent texel shows what is behind it";
    EXPECT_GE(clear.b, 250);

    // The instance colour still tints as with the default sprite shader.
    const auto [tinted, unused] = DrawAt(100.0f, {0.0f, 1.0f, 0.0f, 1.0f});
    EXPECT_LE(tinted.r, 5);
    EXPECT_GE(tinted.g, 250);
    EXPECT_LE(tinted.b, 5);
}

TEST_F(PlayerHurtShader, HalfHealthTurnsTheSpriteRed)
{
    const auto [opaque, clear] = DrawAt(50.0f);
    EXPECT_GE(opaque.r, 200);
    EXPECT_LE(opaque.g, 150);
    EXPECT_LE(opaque.b, 150);
    EXPECT_GE(opaque.r - opaque.g, 100) << "a hurt player is plainly red";
    EXPECT_LE(clear.r, 5) << "the tint does not fill the transparent part of the cell";
    EXPECT_GE(clear.b, 250);

    // A dark sprite still shows the red.
    const auto [dark, unused] = DrawAt(50.0f, {0.05f, 0.05f, 0.05f, 1.0f});
    EXPECT_GE(dark.r, 150);
    EXPECT_GE(dark.r - dark.g, 80);
}

TEST_F(PlayerHurtShader, TheTintGrowsAsHealthFalls)
{
    const int full = DrawAt(100.0f).first.g;
    const int partial = DrawAt(80.0f).first.g;
    const int half = DrawAt(50.0f).first.g;
    const int none = DrawAt(0.0f).first.g;
    EXPECT_GT(full, partial);
    EXPECT_GT(partial, half);
    EXPECT_LE(none, half + 60) << "below half health the tint stays at its strongest";
}

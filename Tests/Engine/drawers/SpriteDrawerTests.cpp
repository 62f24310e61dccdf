#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/texture/TextureManager.h"

#include "RenderTestHelpers.h"
#include "Support/ScopedEngine.h"

#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace SpriteTest;

namespace
{
    constexpr float PI = 3.14159265f;

    class SpriteDrawerTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            myGraphics = myEngine->GetGraphicsEngine();
            ASSERT_NE(myGraphics, nullptr);
            myDrawer = myGraphics->GetSpriteDrawer();
            ASSERT_NE(myDrawer, nullptr);
            ASSERT_TRUE(myDrawer->IsLoaded());
            ASSERT_TRUE(myEngine->BeginFrame());
        }

        KilnTest::ScopedEngine myEngine{[](Kiln::EngineConfiguration& aConfig) {
            aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f};
        }};
        Kiln::GraphicsEngine* myGraphics = nullptr;
        Kiln::SpriteDrawer* myDrawer = nullptr;
    };

    Kiln::Sprite2DInstanceData Sprite(float x, float y, float w, float h)
    {
        Kiln::Sprite2DInstanceData s;
        s.myPosition = {x, y};
        s.mySize = {w, h};
        return s;
    }

    std::vector<int64_t> DrawnInstanceCounts()
    {
        std::vector<int64_t> counts;
        for (const auto& call : CallsNamed("DrawInstanced"))
        {
            EXPECT_EQ(call.values.at(0), 6);
            counts.push_back(call.values.at(1));
        }
        return counts;
    }
}

TEST_F(SpriteDrawerTest, FlushesEvery1024VisibleInstances)
{
    std::vector<Kiln::Sprite2DInstanceData> sprites(2600, Sprite(10, 10, 2, 2));
    for (size_t i = 0; i < 100; ++i)
        sprites[i * 26].myIsHidden = true;

    ScopedTrace trace;
    const uint32_t before = Kiln::DX11::DrawCallCount;
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprites.data(), 1000);
        batch.Draw(sprites.data() + 1000, sprites.size() - 1000);
        EXPECT_TRUE(myDrawer->IsInBatch());
    }
    EXPECT_FALSE(myDrawer->IsInBatch());
    EXPECT_EQ(DrawnInstanceCounts(), (std::vector<int64_t>{1024, 1024, 452}));
    EXPECT_EQ(Kiln::DX11::DrawCallCount - before, 3u);
    // Both vertex buffers were bound once, with the quad and record strides.
    const auto binds = CallsNamed("IASetVertexBuffers");
    ASSERT_EQ(binds.size(), 1u);
    EXPECT_EQ(binds[0].objects.size(), 2u);
}

TEST_F(SpriteDrawerTest, AllHiddenGivesOneEmptyDrawAtTheEnd)
{
    std::vector<Kiln::Sprite3DInstanceData> sprites(5);
    for (auto& s : sprites)
        s.myIsHidden = true;
    ScopedTrace trace;
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprites.data(), sprites.size());
        EXPECT_TRUE(CallsNamed("DrawInstanced").empty());
    }
    EXPECT_EQ(DrawnInstanceCounts(), (std::vector<int64_t>{0}));
}

TEST_F(SpriteDrawerTest, NullTexturesBindWhiteSquareAndDefaults)
{
    Kiln::TextureManager* textures = myEngine->GetTextureManager();
    ASSERT_NE(textures, nullptr);
    const auto normal = textures->GetTexture("Textures/T_Default_n.dds", Kiln::TextureSrgbMode::ForceSrgb, false);
    const auto material = textures->GetTexture("Textures/T_Default_m.dds", Kiln::TextureSrgbMode::ForceSrgb, false);
    const auto effect = textures->GetTexture("Textures/T_Default_fx.dds", Kiln::TextureSrgbMode::ForceSrgb, false);

    ScopedTrace trace;
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch({});
    }
    const auto binds = CallsNamed("PSSetShaderResources");
    ASSERT_FALSE(binds.empty());
    const auto& call = binds.front();
    ASSERT_EQ(call.values.at(0), 1);
    ASSERT_EQ(call.values.at(1), 4);
    ASSERT_EQ(call.objects.size(), 4u);
    EXPECT_EQ(call.objects[0], textures->GetWhiteSquare()->GetShaderResourceView().get());
    EXPECT_EQ(call.objects[1], normal->GetShaderResourceView().get());
    EXPECT_EQ(call.objects[2], material->GetShaderResourceView().get());
    EXPECT_EQ(call.objects[3], effect->GetShaderResourceView().get());
    EXPECT_NE(call.objects[0], nullptr);

    // A given texture takes its register.
    const auto colour = MakeTexture(1, 1, {0xFF0000FFu});
    Kiln::DX11::Context->ClearTrace();
    {
        Kiln::SpriteSharedData shared;
        shared.myTextures[0] = colour.get();
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch(shared);
    }
    EXPECT_EQ(CallsNamed("PSSetShaderResources").front().objects[0], colour->GetShaderResourceView().get());
}

TEST_F(SpriteDrawerTest, RotatedSpriteWithPivotCoversItsPixelsOnly)
{
    Kiln::Sprite2DInstanceData s = Sprite(150, 90, 80, 40);
    s.myPivot = {0.25f, 0.75f};
    s.myRotation = 30.0f * PI / 180.0f;
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(s);
    }
    const Image image = ReadBackBuffer();
    ASSERT_EQ(image.width, 320u);
    ASSERT_EQ(image.height, 200u);

    // Local coordinates of a pixel centre: a along the sprite's x axis from the pivot, b along its y axis.
    const float c = std::cos(s.myRotation), sn = std::sin(s.myRotation);
    const float aMin = -80 * 0.25f, aMax = 80 * 0.75f, bMin = 40 * (0.75f - 1.0f), bMax = 40 * 0.75f;
    int inside = 0, wrong = 0;
    for (uint32_t row = 0; row < image.height; ++row)
    {
        for (uint32_t col = 0; col < image.width; ++col)
        {
            const float dx = col + 0.5f - 150.0f, dy = (image.height - row - 0.5f) - 90.0f;
            const float a = dx * c + dy * sn, b = -dx * sn + dy * c;
            const bool surelyIn = a > aMin + 1 && a < aMax - 1 && b > bMin + 1 && b < bMax - 1;
            const bool surelyOut = a < aMin - 1 || a > aMax + 1 || b < bMin - 1 || b > bMax + 1;
            const bool lit = image.IsLit(col, row, 600);
            const bool dark = !image.IsLit(col, row, 1);
            inside += surelyIn ? 1 : 0;
            if ((surelyIn && !lit) || (surelyOut && !dark))
                ++wrong;
        }
    }
    EXPECT_GT(inside, 2500);
    EXPECT_EQ(wrong, 0);
}

TEST_F(SpriteDrawerTest, ColourIsDrawnAsGivenInSrgb)
{
    Kiln::Sprite2DInstanceData s = Sprite(100, 100, 20, 20);
    // Values that linear light changes in every channel (0.5 is 0.214, 0.75 is 0.522).
    s.myColor = {0.5f, 0.75f, 0.25f, 1.0f};
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(s);
    }
    // The record holds linear light; the sRGB back buffer encodes it back.
    const Rgba p = ReadBackBuffer().AtSpritePoint(100, 100);
    EXPECT_NEAR(p.r, 128, 2);
    EXPECT_NEAR(p.g, 191, 2);
    EXPECT_NEAR(p.b, 64, 2);
}

TEST_F(SpriteDrawerTest, CustomDataSelectsTheCellAndTheRectangleAPartOfIt)
{
    // Top row red, green; bottom row blue, white.
    const auto texture = MakeTexture(2, 2, {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu});
    ASSERT_NE(texture, nullptr);
    Kiln::GraphicsStateStack* stack = myGraphics->GetGraphicsStateStack();
    stack->Push();
    stack->SetSamplerState(0, 0);

    Kiln::SpriteSharedData shared;
    shared.myTextures[0] = texture.get();
    Kiln::Sprite2DInstanceData whole = Sprite(40, 100, 40, 40);
    whole.myPivot = {0, 0};
    Kiln::Sprite2DInstanceData cell = whole;
    cell.myPosition = {120, 100};
    cell.myCustomData = {0.5f, 0.0f, 1.0f, 0.5f}; // top right
    Kiln::Sprite2DInstanceData rect = whole;
    rect.myPosition = {200, 100};
    rect.myTextureRect = {0.0f, 0.5f, 0.5f, 1.0f}; // bottom left of the whole texture
    Kiln::Sprite3DInstanceData both;
    both.myTransform = Kiln::Matrix4x4f::CreateScale({40, 40, 1});
    both.myTransform.SetPosition({260, 100, 0});
    both.myCustomData = {0.0f, 0.5f, 1.0f, 1.0f};  // bottom row
    both.myTextureRect = {0.5f, 0.0f, 1.0f, 1.0f}; // its right half
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch(shared);
        batch.Draw(whole);
        batch.Draw(cell);
        batch.Draw(rect);
        batch.Draw(both);
    }
    stack->Pop();

    const Image image = ReadBackBuffer();
    auto expect = [&](float x, float y, int r, int g, int b) {
        const Rgba p = image.AtSpritePoint(x, y);
        EXPECT_EQ(p.r, r) << x << "," << y;
        EXPECT_EQ(p.g, g) << x << "," << y;
        EXPECT_EQ(p.b, b) << x << "," << y;
    };
    // Whole texture: the quad's top-left shows the texture's top-left.
    expect(45, 95, 255, 0, 0);
    expect(75, 95, 0, 255, 0);
    expect(45, 65, 0, 0, 255);
    expect(75, 65, 255, 255, 255);
    for (float x : {125.0f, 155.0f})
        for (float y : {95.0f, 65.0f})
            expect(x, y, 0, 255, 0);
    for (float x : {205.0f, 235.0f})
        for (float y : {95.0f, 65.0f})
            expect(x, y, 0, 0, 255);
    for (float x : {265.0f, 295.0f})
        for (float y : {95.0f, 65.0f})
            expect(x, y, 255, 255, 255);
}

TEST_F(SpriteDrawerTest, WorldTransformMovesEverySprite)
{
    Kiln::GraphicsStateStack* stack = myGraphics->GetGraphicsStateStack();
    stack->Push();
    stack->GetTransform() = Kiln::Matrix4x4f::CreateTranslation({100, 50, 0});
    {
        Kiln::SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(Sprite(20, 20, 10, 10));
    }
    stack->Pop();
    const Image image = ReadBackBuffer();
    EXPECT_GT(image.AtSpritePoint(120, 70).r, 200);
    EXPECT_EQ(image.AtSpritePoint(20, 20).r, 0);
}

TEST_F(SpriteDrawerTest, NestedOrUnloadedBatchesAssertAndDrawNothing)
{
    std::vector<std::string> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r.expression); });

    ScopedTrace trace;
    {
        Kiln::SpriteBatchScope outer = myDrawer->BeginBatch({});
        outer.Draw(Sprite(50, 50, 10, 10));
        {
            Kiln::SpriteBatchScope inner = myDrawer->BeginBatch({});
            EXPECT_FALSE(inner.IsOpen());
            inner.Draw(Sprite(150, 50, 10, 10));
        }
        EXPECT_TRUE(myDrawer->IsInBatch());
    }
    EXPECT_EQ(reports, (std::vector<std::string>{"!myIsInBatch"}));
    EXPECT_EQ(DrawnInstanceCounts(), (std::vector<int64_t>{1}));

    Kiln::SpriteDrawer unloaded;
    {
        Kiln::SpriteBatchScope batch = unloaded.BeginBatch({});
        batch.Draw(Sprite(50, 50, 10, 10));
    }
    EXPECT_EQ(reports.back(), "myIsLoaded");
    EXPECT_EQ(DrawnInstanceCounts().size(), 1u);
    Plat::Runtime::SetAssertionHandler({});

    const Image image = ReadBackBuffer();
    EXPECT_GT(image.AtSpritePoint(50, 50).r, 200);
    EXPECT_EQ(image.AtSpritePoint(150, 50).r, 0);
}

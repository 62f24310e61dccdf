#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/settings/Settings.h"
#include "forge/text/InternalTextAndFontData.h"
#include "forge/text/Text.h"
#include "forge/text/TextLayout.h"
#include "forge/text/TextService.h"

#include "../drawers/RenderTestHelpers.h"
#include "Support/ScopedEngine.h"

#include "Platform/gpu/States.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

using namespace SpriteTest;

namespace
{
    constexpr float PI = 3.14159265f;

    class TextTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            ASSERT_NE(myEngine->GetTextService(), nullptr);
            ASSERT_TRUE(myEngine->BeginFrame());
        }

        KilnTest::ScopedEngine myEngine{[](Kiln::EngineConfiguration& aConfig) {
            aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f};
        }};
    };

    struct Ink
    {
        int count = 0;
        double x = 0.0; // centroid in sprite space (y up)
        double y = 0.0;
    };

    Ink MeasureInk(const Image& anImage)
    {
        Ink ink;
        for (uint32_t row = 0; row < anImage.height; ++row)
            for (uint32_t col = 0; col < anImage.width; ++col)
            {
                const int weight = anImage.At(col, row).r;
                if (weight == 0)
                    continue;
                ++ink.count;
                ink.x += (col + 0.5) * weight;
                ink.y += (anImage.height - row - 0.5) * weight;
            }
        double total = 0;
        for (uint32_t row = 0; row < anImage.height; ++row)
            for (uint32_t col = 0; col < anImage.width; ++col)
                total += anImage.At(col, row).r;
        if (total > 0)
        {
            ink.x /= total;
            ink.y /= total;
        }
        return ink;
    }

    const Plat::Gpu::SamplerState* LastSamplerBound()
    {
        const auto calls = CallsNamed("PSSetSamplers");
        if (calls.empty())
            return nullptr;
        return static_cast<const Plat::Gpu::SamplerState*>(calls.back().objects.at(0));
    }
}

TEST_F(TextTest, TextsShareTheirFontByFileSizeAndOutline)
{
    Kiln::Text first("Text/arial.ttf", 14, 0);
    Kiln::Text second("Text/arial.ttf", 14, 0);
    Kiln::Text large("Text/arial.ttf", 30, 0);
    Kiln::Text outlined("Text/arial.ttf", 14, 1);
    ASSERT_NE(first.GetFont(), nullptr);
    EXPECT_EQ(first.GetFont(), second.GetFont());
    EXPECT_NE(first.GetFont(), large.GetFont());
    EXPECT_NE(first.GetFont(), outlined.GetFont());
    EXPECT_EQ(first.GetFont()->myFontSize, 14u);
    EXPECT_EQ(large.GetFont()->myFontSize, 30u);
    ASSERT_NE(first.GetFont()->myAtlasTexture, nullptr);
    EXPECT_EQ(Kiln::GetTextureSize(*first.GetFont()->myAtlasTexture).x, 1024u);

    const std::string resolved = Kiln::Settings::ResolveAssetPath("Text/arial.ttf");
    EXPECT_EQ(first.GetFont()->myKey, resolved + "-14-" + std::string(1, '\0'));
    EXPECT_EQ(outlined.GetFont()->myKey, resolved + "-14-" + std::string(1, '\1'));

    // The cache keeps no font alive: once its texts are gone it is loaded anew.
    std::weak_ptr<Kiln::InternalTextAndFontData> weakLarge = large.GetFont();
    large = Kiln::Text("Text/arial.ttf", 14, 0);
    EXPECT_TRUE(weakLarge.expired());
    EXPECT_EQ(large.GetFont(), first.GetFont());
}

TEST_F(TextTest, MissingFontDrawsNothing)
{
    Kiln::Text text("Text/no_such_font.ttf", 14, 0);
    text.SetText("abc");
    EXPECT_EQ(text.GetFont(), nullptr);
    ScopedTrace trace;
    EXPECT_FALSE(myEngine->GetTextService()->Render(text, nullptr));
    text.Render();
    EXPECT_TRUE(CallsNamed("DrawInstanced").empty());
}

TEST_F(TextTest, SmallTextsSamplePointAndLargeOnesLinear)
{
    Kiln::Text small("Text/arial.ttf", 14, 0);
    Kiln::Text large("Text/arial.ttf", 30, 0);
    small.SetText("ab");
    large.SetText("ab");
    Kiln::GraphicsStateStack* stack = myEngine->GetGraphicsEngine()->GetGraphicsStateStack();

    ScopedTrace trace;
    small.Render();
    const Plat::Gpu::SamplerState* smallSampler = LastSamplerBound();
    ASSERT_NE(smallSampler, nullptr);
    EXPECT_EQ(smallSampler->GetDesc().filter, Plat::Gpu::Filter::MinMagMipPoint);
    EXPECT_EQ(smallSampler->GetDesc().addressU, Plat::Gpu::TextureAddressMode::Clamp);
    EXPECT_EQ(stack->GetDepth(), 1u);

    Kiln::DX11::Context->ClearTrace();
    large.Render();
    const Plat::Gpu::SamplerState* largeSampler = LastSamplerBound();
    ASSERT_NE(largeSampler, nullptr);
    EXPECT_EQ(largeSampler->GetDesc().filter, Plat::Gpu::Filter::MinMagLinearMipPoint);
    EXPECT_EQ(largeSampler->GetDesc().addressV, Plat::Gpu::TextureAddressMode::Clamp);
    EXPECT_EQ(stack->GetDepth(), 1u);

    // One instance per byte, in one batch.
    const auto draws = CallsNamed("DrawInstanced");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].values.at(1), 2);
}

TEST_F(TextTest, DrawnStringPutsInkWhereItsGlyphsAre)
{
    Kiln::Text text("Text/arial.ttf", 30, 0);
    text.SetText("Hi\n_T");
    text.SetPosition({40.0f, 150.0f});
    text.Render();
    const Image image = ReadBackBuffer();

    // Every laid-out glyph quad holds ink; no ink lies outside all of them.
    std::vector<std::pair<Kiln::Vector2f, Kiln::Vector2f>> boxes;
    Kiln::LayoutText(*text.GetFont(), text.GetText(), 1.0f, [&](const Kiln::TextGlyphQuad& q) {
        if (q.size.x > 0)
            boxes.push_back({q.origin + text.GetPosition(), q.size});
    });
    ASSERT_EQ(boxes.size(), 4u);
    std::vector<int> inkPerBox(boxes.size(), 0);
    int stray = 0;
    for (uint32_t row = 0; row < image.height; ++row)
        for (uint32_t col = 0; col < image.width; ++col)
        {
            if (image.At(col, row).r < 32)
                continue;
            const float x = col + 0.5f, y = image.height - row - 0.5f;
            bool inside = false;
            for (size_t i = 0; i < boxes.size(); ++i)
            {
                const auto& [origin, size] = boxes[i];
                if (x > origin.x - 1 && x < origin.x + size.x + 1 && y < origin.y + 1 && y > origin.y - size.y - 1)
                {
                    inside = true;
                    ++inkPerBox[i];
                }
            }
            stray += inside ? 0 : 1;
        }
    EXPECT_EQ(stray, 0);
    for (size_t i = 0; i < boxes.size(); ++i)
        EXPECT_GT(inkPerBox[i], 15) << i;
    // The second line starts lower, back at the text's left edge.
    EXPECT_LT(boxes[2].first.y, boxes[0].first.y - 20);
    EXPECT_LT(std::abs(boxes[2].first.x - boxes[0].first.x), 5.0f);
}

TEST_F(TextTest, RotatedTextTurnsAboutItsBoxCentre)
{
    for (const std::string& content : {std::string("Kiln"), std::string("\nKiln")})
    {
        Kiln::Text text("Text/arial.ttf", 30, 0);
        text.SetText(content);
        text.SetPosition({120.0f, 120.0f});

        ASSERT_TRUE(myEngine->BeginFrame());
        text.Render();
        const Ink upright = MeasureInk(ReadBackBuffer());

        const float angle = PI / 2.0f;
        text.SetRotation(angle);
        ASSERT_TRUE(myEngine->BeginFrame());
        text.Render();
        const Ink turned = MeasureInk(ReadBackBuffer());

        // The ink turns a quarter turn about the box centre.
        const Kiln::Vector2f centre = Kiln::GetTextBoxCenter(*text.GetFont(), content, 1.0f) + text.GetPosition();
        const double dx = upright.x - centre.x, dy = upright.y - centre.y;
        EXPECT_NEAR(turned.x, centre.x - dy, 1.0) << content;
        EXPECT_NEAR(turned.y, centre.y + dx, 1.0) << content;
        EXPECT_NEAR(turned.count, upright.count, upright.count * 0.2) << content;
        EXPECT_GT(upright.count, 100);
    }
}

TEST_F(TextTest, AFontBuiltAheadOnAWorkerIsTheFontBuiltWhenAsked)
{
    Kiln::TextService& service = *myEngine->GetTextService();
    const auto draw = [&](Kiln::Text& aText) {
        myEngine->EndFrame();
        EXPECT_TRUE(myEngine->BeginFrame());
        aText.Render();
        return ReadBackBuffer();
    };
    std::vector<uint32_t> atlas;
    Image asked;
    {
        Kiln::Text text("Text/arial.ttf", 30, 0);
        ASSERT_NE(text.GetFont(), nullptr);
        text.SetText("Wavy Hj");
        text.SetPosition({40.0f, 150.0f});
        atlas = text.GetFont()->myAtlasPixels;
        asked = draw(text);
    }

    // Asked for ahead (the last text is gone, so nothing is cached), and a missing file too.
    service.PrefetchFont("Text/arial.ttf", 30, 0);
    service.PrefetchFont("Text/no_such_font.ttf", 30, 0);
    EXPECT_TRUE(service.IsFontReady("Text/arial.ttf", 14, 0));   // never asked ahead
    // Only a hang fails here; a build takes milliseconds.
    for (int i = 0; i < 6000 && !(service.IsFontReady("Text/arial.ttf", 30, 0) && service.IsFontReady("Text/no_such_font.ttf", 30, 0)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(service.IsFontReady("Text/arial.ttf", 30, 0));
    ASSERT_TRUE(service.IsFontReady("Text/no_such_font.ttf", 30, 0));

    Kiln::Text ahead("Text/arial.ttf", 30, 0);
    ASSERT_NE(ahead.GetFont(), nullptr);
    ASSERT_NE(ahead.GetFont()->myAtlasTexture, nullptr);
    EXPECT_EQ(Kiln::GetTextureSize(*ahead.GetFont()->myAtlasTexture).x, 1024u);
    EXPECT_TRUE(ahead.GetFont()->myAtlasPixels == atlas);
    ahead.SetText("Wavy Hj");
    ahead.SetPosition({40.0f, 150.0f});
    const Image drawn = draw(ahead);
    ASSERT_EQ(drawn.width, asked.width);
    int differing = 0;
    for (uint32_t row = 0; row < drawn.height; ++row)
        for (uint32_t col = 0; col < drawn.width; ++col)
            differing += drawn.At(col, row).r != asked.At(col, row).r ? 1 : 0;
    EXPECT_EQ(differing, 0);
    EXPECT_GT(MeasureInk(drawn).count, 100);

    EXPECT_EQ(Kiln::Text("Text/no_such_font.ttf", 30, 0).GetFont(), nullptr);
}

#include "forge/drawers/CustomShapeDrawer.h"
#include "forge/drawers/LineDrawer.h"
#include "forge/drawers/SpriteDrawer.h"
#include "forge/effects/FullscreenEffect.h"
#include "forge/effects/FullscreenPixelateEffect.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/settings/Settings.h"
#include "forge/shaders/Shader.h"

#include "../drawers/RenderTestHelpers.h"
#include "Support/ScopedEngine.h"

#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <utility>

using namespace SpriteTest;
namespace fs = std::filesystem;

namespace
{
    std::function<void(Kiln::EngineConfiguration&)> Black()
    {
        return [](Kiln::EngineConfiguration& aConfig) { aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f}; };
    }

    // Counts how often its own layout hook is asked for.
    class CountingShader : public Kiln::Shader
    {
    public:
        bool CreateInputLayout(const ByteCode&) override
        {
            ++myLayoutCalls;
            return false;
        }
        int myLayoutCalls = 0;
    };
}

TEST(GraphicsEngine, StartsEveryDrawerEffectAndTheStateStack)
{
    KilnTest::ScopedEngine engine(Black());
    ASSERT_TRUE(engine.Started());
    const Kiln::GraphicsEngine* graphics = engine->GetGraphicsEngine();
    ASSERT_NE(graphics, nullptr);
    EXPECT_TRUE(graphics->IsInitialized());
    EXPECT_TRUE(graphics->GetSpriteDrawer()->IsLoaded());
    EXPECT_NE(graphics->GetModelDrawer(), nullptr);
    ASSERT_NE(graphics->GetGraphicsStateStack(), nullptr);
    EXPECT_EQ(graphics->GetGraphicsStateStack()->GetDepth(), 1u);

    const Kiln::CustomShapeDrawer* shapes = graphics->GetCustomShapeDrawer();
    ASSERT_NE(shapes, nullptr);
    EXPECT_TRUE(shapes->IsLoaded());
    ASSERT_NE(shapes->GetInputLayout(), nullptr);
    EXPECT_EQ(shapes->GetInputLayout()->GetElements().size(), 3u);
    ASSERT_NE(shapes->GetVertexBuffer(), nullptr);
    EXPECT_EQ(shapes->GetVertexBuffer()->GetDesc().byteWidth, 2519424u);
    EXPECT_EQ(shapes->GetConstantBuffer()->GetDesc().byteWidth, 64u);

    const Kiln::LineDrawer* lines = graphics->GetLineDrawer();
    ASSERT_NE(lines, nullptr);
    EXPECT_TRUE(lines->IsLoaded());
    EXPECT_EQ(lines->GetInputLayout()->GetElements().size(), 2u);
    EXPECT_EQ(lines->GetVertexBuffer()->GetDesc().byteWidth, 72000u);
    EXPECT_EQ(lines->GetLineVertices()[0].myPosition[1], 0.5f);
    EXPECT_EQ(lines->GetLineVertices()[1].myPosition[1], -0.5f);
    EXPECT_EQ(lines->GetLineVertices()[1].myColor[3], 0.0f);

    for (const Kiln::FullscreenEffect* effect : std::initializer_list<const Kiln::FullscreenEffect*>{graphics->GetCopyEffect(), graphics->GetTonemapEffect(), graphics->GetGaussianVerticalEffect(),
          graphics->GetGaussianHorizontalEffect(), graphics->GetPixelateEffect()})
    {
        ASSERT_NE(effect, nullptr);
        EXPECT_NE(effect->GetVertexShader(), nullptr);
        EXPECT_NE(effect->GetPixelShader(), nullptr);
    }
    EXPECT_EQ(graphics->GetPixelateEffect()->GetPixelSize(), 16.0f);
}

TEST(GraphicsEngine, EachFailedInitNamesItsOwnCauseAndAMissingTonemapShaderFailsAfterTheCopyEffect)
{
    // A cooked folder of its own, named by a settings file of its own.
    TempFolder cooked;
    const fs::path realCooked = Plat::Runtime::ExecutableDirectory() / "assets/cooked";
    fs::copy(realCooked, cooked.Path(), fs::copy_options::recursive);
    const std::string settingsName = "sprites_" + cooked.Path().filename().string() + ".json";
    const fs::path settingsFile = Plat::Runtime::ExecutableDirectory() / "settings" / settingsName;
    {
        std::ofstream file(settingsFile);
        file << R"({"assets_path": {"engine": "assets/engine", "game": "assets/game", "cooked": ")"
             << cooked.Path().string() << R"("}})";
    }
    const auto start = [&] {
        return std::make_unique<KilnTest::ScopedEngine>([&](Kiln::EngineConfiguration& aConfig) {
            ASSERT_TRUE(Kiln::LoadSettings(settingsName));
            aConfig.myWindowSize = {320, 200};
            aConfig.myRenderSize = {320, 200};
        });
    };
    // Without the swap chain the pixelate effect cannot size its copy of the back buffer: a
    // failure that is no shader's.
    const auto initWithoutSwapChain = [](Kiln::GraphicsEngine& aGraphics) {
        Plat::Gpu::SwapChain* const swapChain = std::exchange(Kiln::DX11::SwapChain, nullptr);
        const bool initialised = aGraphics.Init();
        Kiln::DX11::SwapChain = swapChain;
        return initialised;
    };

    // The line drawer's shader is missing, which does not stop the start; a later failure
    // that is not a shader's does not take its name, nor is it left without one.
    const fs::path lineShader = cooked.Path() / "shaders/lineshader_PS.glsl";
    const fs::path lineShaderAside = cooked.Path() / "lineshader_PS.aside";
    fs::rename(lineShader, lineShaderAside);
    {
        const auto engine = start();
        ASSERT_TRUE(engine->Started());
        for (const bool lineShaderThere : {false, true})
        {
            if (lineShaderThere)
                fs::rename(lineShaderAside, lineShader);
            Kiln::GraphicsEngine graphics;
            EXPECT_FALSE(initWithoutSwapChain(graphics));
            EXPECT_EQ(graphics.GetLineDrawer()->IsLoaded(), lineShaderThere);
            EXPECT_EQ(graphics.GetInitFailure(), "the pixelate effect could not be made") << lineShaderThere;
        }
    }

    // Without the tonemap shader, the start ends after the copy effect, naming that shader.
    ASSERT_TRUE(fs::remove(cooked.Path() / "shaders/PostprocessTonemapPS.glsl"));
    {
        const auto engine = start();
        fs::remove(settingsFile);
        EXPECT_FALSE(engine->Started());
        ASSERT_NE(Kiln::Engine::GetInstance(), nullptr);
        EXPECT_EQ((*engine)->GetStartFailure(),
                  "shader \"" + (cooked.Path() / "Shaders/PostprocessTonemapPS.glsl").string() + "\" could not be read");
        const Kiln::GraphicsEngine* graphics = (*engine)->GetGraphicsEngine();
        ASSERT_NE(graphics, nullptr);
        EXPECT_FALSE(graphics->IsInitialized());
        ASSERT_NE(graphics->GetCopyEffect(), nullptr);
        EXPECT_NE(graphics->GetCopyEffect()->GetPixelShader(), nullptr);
        EXPECT_EQ(graphics->GetGaussianVerticalEffect(), nullptr);
        EXPECT_EQ(graphics->GetPixelateEffect(), nullptr);
        EXPECT_EQ(graphics->GetGraphicsStateStack(), nullptr);
        // The drawers were made before the effects and stay.
        EXPECT_TRUE(graphics->GetSpriteDrawer()->IsLoaded());
    }
    fs::remove(settingsFile);
}

TEST(Shader, DefaultLayoutOnlyWithoutLayoutOfItsOwn)
{
    KilnTest::ScopedEngine engine(Black());
    ASSERT_TRUE(engine.Started());

    CountingShader shader;
    EXPECT_FALSE(shader.Init());
    EXPECT_FALSE(shader.IsLoaded());
    EXPECT_GE(shader.GetId(), 0);
    EXPECT_LT(shader.GetId(), 100);
    ASSERT_TRUE(shader.CreateShaders("Shaders/PostprocessVS", "Shaders/PostprocessCopyPS"));
    EXPECT_EQ(shader.myLayoutCalls, 1);
    ASSERT_NE(shader.GetInputLayout(), nullptr);
    const auto& elements = shader.GetInputLayout()->GetElements();
    ASSERT_EQ(elements.size(), 7u);
    EXPECT_STREQ(elements[0].semanticName, "POSITION");
    EXPECT_EQ(elements[0].format, Plat::Gpu::Format::R32G32B32_FLOAT);
    EXPECT_EQ(elements[2].inputSlot, 1u);
    EXPECT_EQ(elements[2].inputSlotClass, Plat::Gpu::InputClassification::PerInstanceData);
    EXPECT_EQ(elements[6].semanticIndex, 5u);

    // A layout function replaces both the hook and the default layout.
    int functionCalls = 0;
    size_t bytes = 0;
    ASSERT_TRUE(shader.CreateShaders("Shaders/PostprocessVS", "Shaders/PostprocessCopyPS",
                                     [&](const Kiln::Shader::ByteCode& aCode) {
                                         ++functionCalls;
                                         bytes = aCode.size();
                                     }));
    EXPECT_EQ(functionCalls, 1);
    EXPECT_GT(bytes, 0u);
    EXPECT_EQ(shader.myLayoutCalls, 1);
    EXPECT_EQ(shader.GetInputLayout(), nullptr);
    EXPECT_TRUE(shader.IsLoaded());

    // PrepareRender binds the stages and the layout for a triangle list.
    {
        ScopedTrace trace;
        EXPECT_TRUE(shader.PrepareRender());
        EXPECT_EQ(CallsNamed("VSSetShader").size(), 1u);
        EXPECT_EQ(CallsNamed("PSSetShader").size(), 1u);
        EXPECT_EQ(CallsNamed("IASetInputLayout").size(), 1u);
        ASSERT_EQ(CallsNamed("IASetPrimitiveTopology").size(), 1u);
        EXPECT_EQ(CallsNamed("IASetPrimitiveTopology")[0].values.at(0),
                  static_cast<int64_t>(Plat::Gpu::PrimitiveTopology::TriangleList));
    }

    // A missing shader unloads it and PrepareRender binds nothing.
    EXPECT_FALSE(shader.CreateShaders("Shaders/PostprocessVS", "Shaders/missing_PS"));
    EXPECT_FALSE(shader.IsLoaded());
    ScopedTrace trace;
    EXPECT_FALSE(shader.PrepareRender());
    EXPECT_TRUE(Kiln::DX11::Context->GetTrace().empty());
}

TEST(FullscreenEffect, CopyDrawsOneTriangleWithoutGeometry)
{
    KilnTest::ScopedEngine engine(Black());
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(engine->BeginFrame());
    const uint32_t before = Kiln::DX11::DrawCallCount;
    ScopedTrace trace;
    engine->GetGraphicsEngine()->GetCopyEffect()->Render();
    EXPECT_EQ(Kiln::DX11::DrawCallCount, before + 1);
    const auto draws = CallsNamed("Draw");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].values.at(0), 3);
    const auto layouts = CallsNamed("IASetInputLayout");
    ASSERT_EQ(layouts.size(), 1u);
    EXPECT_EQ(layouts[0].objects.at(0), nullptr);
}

TEST(FullscreenEffect, PixelateShowsBlocksMeasuredAgainstTheRenderSize)
{
    // A render size of twice the back buffer's: 16-pixel blocks of the render size are 8
    // back-buffer pixels wide.
    KilnTest::ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) {
        aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f};
        aConfig.myRenderSize = {640, 400};
    });
    ASSERT_TRUE(engine.Started());
    ASSERT_EQ(engine->GetRenderSize().x, 640u);
    ASSERT_TRUE(engine->BeginFrame());
    FullscreenPixelateEffect* pixelate = engine->GetGraphicsEngine()->GetPixelateEffect();
    ASSERT_NE(pixelate, nullptr);

    // Fill the effect's own texture with a gradient that differs in every column.
    auto* texture = static_cast<Plat::Gpu::Texture2D*>(pixelate->GetShaderResourceView()->GetResource().get());
    const auto& desc = texture->GetDesc();
    ASSERT_EQ(desc.width, 320u);
    ASSERT_EQ(desc.height, 200u);
    EXPECT_EQ(desc.bindFlags, 0xA8u);
    std::vector<uint8_t> pixels(static_cast<size_t>(desc.width) * desc.height * 4);
    for (uint32_t y = 0; y < desc.height; ++y)
        for (uint32_t x = 0; x < desc.width; ++x)
        {
            uint8_t* p = &pixels[(static_cast<size_t>(y) * desc.width + x) * 4];
            p[0] = static_cast<uint8_t>(x * 255 / 319); // blue in B8G8R8A8
            p[1] = static_cast<uint8_t>(y * 255 / 199);
            p[2] = 0;
            p[3] = 255;
        }
    Kiln::DX11::Context->UpdateSubresource(texture, 0, nullptr, pixels.data(), desc.width * 4, 0);

    pixelate->Render();
    EXPECT_EQ(pixelate->GetConstantData().myRenderWidth, 640u);
    EXPECT_EQ(pixelate->GetConstantData().myRenderHeight, 400u);
    EXPECT_EQ(pixelate->GetConstantData().myPixelSize, 16.0f);

    const Image image = ReadBackBuffer();
    int blockEdges = 0;
    for (uint32_t x = 1; x < image.width; ++x)
    {
        const bool changes = image.At(x, 20).b != image.At(x - 1, 20).b;
        if (changes)
        {
            ++blockEdges;
            EXPECT_EQ(x % 8, 0u) << x;
        }
    }
    EXPECT_EQ(blockEdges, 320 / 8 - 1);
    for (uint32_t y = 1; y < image.height; ++y)
    {
        if (image.At(20, y).g != image.At(20, y - 1).g)
        {
            EXPECT_EQ(y % 8, 0u) << y;
        }
    }
}

TEST(FullscreenEffect, BlurSpreadsAlongItsAxisAndTonemapCompresses)
{
    KilnTest::ScopedEngine engine(Black());
    ASSERT_TRUE(engine.Started());
    // A source as large as the back buffer: black with one white column and one white row.
    std::vector<uint32_t> texels(320 * 200, 0xFF000000u);
    for (uint32_t y = 0; y < 200; ++y)
        texels[y * 320 + 100] = 0xFFFFFFFFu;
    for (uint32_t x = 0; x < 320; ++x)
        texels[150 * 320 + x] = 0xFFFFFFFFu;
    const auto source = MakeTexture(320, 200, texels);
    ASSERT_NE(source, nullptr);
    Plat::Gpu::ShaderResourceView* const view = source->GetShaderResourceView().get();
    Kiln::GraphicsEngine* graphics = engine->GetGraphicsEngine();

    auto renderWith = [&](Kiln::FullscreenEffect* anEffect) {
        EXPECT_TRUE(engine->BeginFrame());
        Kiln::DX11::Context->PSSetShaderResources(0, 1, &view);
        anEffect->Render();
        return ReadBackBuffer();
    };

    // The horizontal pass widens the column and leaves the row's thickness alone.
    const Image horizontal = renderWith(graphics->GetGaussianHorizontalEffect());
    EXPECT_GT(horizontal.At(102, 20).r, 0);
    EXPECT_LT(horizontal.At(100, 20).r, 255);
    EXPECT_EQ(horizontal.At(20, 148).r, 0);
    EXPECT_EQ(horizontal.At(20, 150).r, 255);
    // The vertical pass does the opposite.
    const Image vertical = renderWith(graphics->GetGaussianVerticalEffect());
    EXPECT_EQ(vertical.At(102, 20).r, 0);
    EXPECT_EQ(vertical.At(100, 20).r, 255);
    EXPECT_GT(vertical.At(20, 152).r, 0);
    EXPECT_LT(vertical.At(20, 150).r, 255);

    // Copy keeps white white; the tonemap curve maps 1.0 to about 0.80 (linear), 231 in sRGB.
    EXPECT_EQ(renderWith(graphics->GetCopyEffect()).At(100, 20).r, 255);
    const Image tonemapped = renderWith(graphics->GetTonemapEffect());
    EXPECT_NEAR(tonemapped.At(100, 20).r, 231, 2);
    EXPECT_EQ(tonemapped.At(20, 20).r, 0);
}

// The generated game models drawn through the engine's model drawer with the game's
// camera (90-degree horizontal view along +z): they land at their world size, take
// their level set's colours, and the cocoon sways. Set KILN_MODEL_PREVIEW to a folder
// to also get the drawn sheets as PNG files.
#include "GameModelSet.h"
#include "ModelPaths.h"

#include "forge/drawers/ModelDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/Camera.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/graphics/RenderTarget.h"
#include "forge/model/ModelFactory.h"

#include "Support/ScopedEngine.h"

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
    constexpr uint32_t WIDTH = 960;
    constexpr uint32_t HEIGHT = 540;
    constexpr int CLEAR[3] = {20, 23, 31};

    struct Pixel
    {
        int r = 0, g = 0, b = 0;
    };

    struct Image
    {
        std::vector<uint8_t> bgra;

        Pixel At(int aColumn, int aRow) const
        {
            const size_t i = (size_t(aRow) * WIDTH + size_t(aColumn)) * 4;
            return {bgra[i + 2], bgra[i + 1], bgra[i]};
        }
        bool IsClear(int aColumn, int aRow) const
        {
            const Pixel p = At(aColumn, aRow);
            return std::abs(p.r - CLEAR[0]) <= 2 && std::abs(p.g - CLEAR[1]) <= 2 && std::abs(p.b - CLEAR[2]) <= 2;
        }
        // The texture manager's placeholder is a magenta checker.
        bool HasMagenta() const
        {
            for (size_t i = 0; i + 3 < bgra.size(); i += 4)
                if (bgra[i + 2] > 200 && bgra[i] > 200 && bgra[i + 1] < 60)
                    return true;
            return false;
        }
    };

    enum class Shading
    {
        Lambert,
        Unlit,
        Animated,
    };

    struct Placed
    {
        std::string path;
        Kiln::Vector3<float> position;
        Kiln::Vector3<float> scale{1.0f, 1.0f, 1.0f};
        Shading shading = Shading::Lambert;
        float time = 0.0f;   // animation time of an animated model
    };

    class GameModelRender : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            myGraphics = myEngine->GetGraphicsEngine();
            myDrawer = myGraphics->GetModelDrawer();
            ASSERT_NE(myDrawer, nullptr);
            myFactory = &Kiln::ModelFactory::GetInstance();
        }
        void TearDown() override { Kiln::ModelFactory::DestroyInstance(); }

        // The game's follow camera: 90 degrees across, looking along +z from aPosition.
        void UseCamera(const Kiln::Vector3<float>& aPosition)
        {
            myCamera.SetPerspectiveProjection(90.0f, {float(WIDTH), float(HEIGHT)}, 0.1f, 50000.0f);
            myCamera.SetPosition(aPosition);
        }

        Image Draw(const std::vector<Placed>& someModels)
        {
            EXPECT_TRUE(myEngine->BeginFrame());
            Kiln::DX11::BackBuffer->SetAsActiveTarget(Kiln::DX11::MainDepthBuffer);
            myGraphics->GetGraphicsStateStack()->SetCamera(myCamera);
            myDrawer->SetLambertParameters({0.32f, 0.30f, 0.42f, 1.0f}, {1.0f, 0.95f, 0.86f, 1.0f});
            for (const Placed& placed : someModels)
            {
                const Kiln::Matrix4x4<float> transform =
                    Kiln::Matrix4x4<float>::CreateScale(placed.scale) * Kiln::Matrix4x4<float>::CreateTranslation(placed.position);
                if (placed.shading == Shading::Animated)
                {
                    Kiln::AnimatedModelInstance instance = myFactory->GetAnimatedModelInstance(placed.path);
                    EXPECT_NE(instance.GetModel(), nullptr) << placed.path;
                    if (instance.GetModel() == nullptr)
                        continue;
                    Kiln::AnimationPlayer player = myFactory->GetAnimationPlayer(placed.path, instance.GetModel());
                    EXPECT_NE(player.GetAnimation(), nullptr) << placed.path;
                    player.SetLooping(true);
                    player.SetState(2);
                    player.Update(placed.time);
                    instance.SetTransform(transform);
                    instance.SetPose(player);
                    myDrawer->DrawAnimated(instance);
                    continue;
                }
                Kiln::ModelInstance instance = myFactory->GetModelInstance(placed.path);
                EXPECT_NE(instance.GetModel(), nullptr) << placed.path;
                instance.SetTransform(transform);
                if (placed.shading == Shading::Unlit)
                    myDrawer->Draw(instance);
                else
                    myDrawer->DrawLambert(instance);
            }
            Image image{myEngine.ReadBackBuffer()};
            EXPECT_EQ(image.bgra.size(), size_t(WIDTH) * HEIGHT * 4);
            return image;
        }

        // The pixel a world point lands on.
        std::pair<int, int> Project(const Kiln::Vector3<float>& aPoint) const
        {
            const Kiln::Matrix4x4<float> view = Kiln::Matrix4x4<float>::GetFastInverse(myCamera.GetTransform());
            const Kiln::Vector4<float> clip = Kiln::Vector4<float>(aPoint, 1.0f) * view * myCamera.GetProjection();
            return {int(std::floor((clip.x / clip.w + 1.0f) * 0.5f * float(WIDTH))),
                    int(std::floor((1.0f - clip.y / clip.w) * 0.5f * float(HEIGHT)))};
        }

        bool IsClearAt(const Image& anImage, const Kiln::Vector3<float>& aPoint) const
        {
            const auto [column, row] = Project(aPoint);
            return anImage.IsClear(column, row);
        }

        Pixel PixelAt(const Image& anImage, const Kiln::Vector3<float>& aPoint) const
        {
            const auto [column, row] = Project(aPoint);
            return anImage.At(column, row);
        }

        static void SavePreview(const Image& anImage, const std::string& aName)
        {
            const char* folder = std::getenv("KILN_MODEL_PREVIEW");
            if (folder == nullptr || *folder == '\0')
                return;
            std::vector<uint8_t> rgba(anImage.bgra.size());
            for (size_t i = 0; i + 3 < rgba.size(); i += 4)
            {
                rgba[i] = anImage.bgra[i + 2];
                rgba[i + 1] = anImage.bgra[i + 1];
                rgba[i + 2] = anImage.bgra[i];
                rgba[i + 3] = 255;
            }
            std::filesystem::create_directories(folder);
            const std::string path = (std::filesystem::path(folder) / (aName + ".png")).string();
            EXPECT_NE(stbi_write_png(path.c_str(), int(WIDTH), int(HEIGHT), 4, rgba.data(), int(WIDTH) * 4), 0) << path;
        }

        static std::string Key(const std::string& aKey) { return GameModels::LevelModelPath(aKey); }

        KilnTest::ScopedEngine myEngine{[](Kiln::EngineConfiguration& aConfig) {
            aConfig.myWindowSize = {WIDTH, HEIGHT};
            aConfig.myRenderSize = {WIDTH, HEIGHT};
            aConfig.myClearColor = {CLEAR[0] / 255.0f, CLEAR[1] / 255.0f, CLEAR[2] / 255.0f, 1.0f};
        }};
        Kiln::GraphicsEngine* myGraphics = nullptr;
        Kiln::ModelDrawer* myDrawer = nullptr;
        Kiln::ModelFactory* myFactory = nullptr;
        Kiln::Camera myCamera;
    };
}

TEST_F(GameModelRender, EachLevelSetsPropsStandOnTheFloorAtTheirWorldSize)
{
    for (int set = 1; set <= 3; ++set)
    {
        SCOPED_TRACE(set);
        const std::string n = std::to_string(set);
        UseCamera({0.0f, 150.0f, -800.0f});
        // A floor of one tile stretched 14 times, its top at y 0, and the props on it.
        const Image image = Draw({
            {GameModels::FloorTileModel(set), {0, -50, 0}, {14, 1, 1}},
            {Key("closedModelLevel" + n), {-560, 0, 0}},
            {Key("unPressedModelLevel" + n), {-400, 0, 0}},
            {Key("pressedModelLevel" + n), {-260, 0, 0}},
            {Key("wholeModelLevel" + n), {-90, 0, 0}},
            {Key("brokenModelLevel" + n), {110, 0, 0}},
            {Key("WholeModelLevel" + n), {280, 0, 0}},
            {Key("BrokenModelLevel" + n), {420, 0, 0}},
            {Key("offModelLevel" + n), {560, 0, 0}, {1, 1, 1}, Shading::Unlit},
            {Key("onModelLevel" + n), {660, 0, 0}, {1, 1, 1}, Shading::Unlit},
        });
        SavePreview(image, "props_level_" + n);
        EXPECT_FALSE(image.HasMagenta());

        // The door covers x -610..-510 and y 0..300; its planks' fronts are at z -20.
        EXPECT_FALSE(IsClearAt(image, {-560, 150, -20}));
        EXPECT_FALSE(IsClearAt(image, {-604, 294, -20}));
        EXPECT_TRUE(IsClearAt(image, {-560, 306, -20}));
        EXPECT_TRUE(IsClearAt(image, {-618, 150, -20}));
        // The wall: 150 wide and 300 high.
        EXPECT_FALSE(IsClearAt(image, {-160, 290, -40}));
        EXPECT_TRUE(IsClearAt(image, {-90, 308, -40}));
        EXPECT_TRUE(IsClearAt(image, {-172, 150, -40}));
        // The lantern post reaches 462.
        EXPECT_FALSE(IsClearAt(image, {560, 440, 0}));
        EXPECT_TRUE(IsClearAt(image, {560, 475, 0}));
        // The floor's front face, and clear sky above the props.
        EXPECT_FALSE(IsClearAt(image, {0, -25, -50}));
        EXPECT_TRUE(IsClearAt(image, {0, 480, 0}));
    }
}

TEST_F(GameModelRender, FloorTilesTakeTheirLevelSetsColours)
{
    UseCamera({0.0f, 0.0f, -400.0f});
    const Image image = Draw({{GameModels::FloorTileModel(1), {-120, 0, 0}},
                              {GameModels::FloorTileModel(2), {0, 0, 0}},
                              {GameModels::FloorTileModel(3), {120, 0, 0}}});
    // The stone fronts: grey-green, warm, cold.
    const Pixel first = PixelAt(image, {-120, 0, -50});
    const Pixel second = PixelAt(image, {0, 0, -50});
    const Pixel third = PixelAt(image, {120, 0, -50});
    EXPECT_GE(first.g, first.b);
    EXPECT_GT(second.r, second.b + 20);
    EXPECT_GT(third.b, third.r + 10);
    // The ground cover on top differs from the stone below it.
    const Pixel top = PixelAt(image, {-120, 40, -50});
    EXPECT_GT(top.g, top.r);
    EXPECT_GT(std::abs(top.g - first.g) + std::abs(top.r - first.r) + std::abs(top.b - first.b), 30);
}

TEST_F(GameModelRender, ALitCheckpointsGlassOutshinesAnUnlitOne)
{
    UseCamera({0.0f, 300.0f, -500.0f});
    const Image image = Draw({{Key("offModelLevel1"), {-100, 0, 0}, {1, 1, 1}, Shading::Unlit},
                              {Key("onModelLevel1"), {100, 0, 0}, {1, 1, 1}, Shading::Unlit}});
    const Pixel off = PixelAt(image, {-100, 404, -15});
    const Pixel on = PixelAt(image, {100, 404, -15});
    EXPECT_GT(on.r + on.g + on.b, off.r + off.g + off.b + 200);
    EXPECT_GT(on.r, 200);
}

TEST_F(GameModelRender, TheCocoonSwaysOverItsLoop)
{
    const std::string path(GameModels::ANIMATED_DECORATION_MODELS[0]);
    UseCamera({0.0f, -150.0f, -500.0f});
    // A quarter and three quarters into the three-second loop the body swings to either side.
    const Image left = Draw({{path, {0, 0, 0}, {1, 1, 1}, Shading::Animated, 0.75f}});
    SavePreview(left, "cocoon_a");
    const Image right = Draw({{path, {0, 0, 0}, {1, 1, 1}, Shading::Animated, 2.25f}});
    SavePreview(right, "cocoon_b");
    EXPECT_FALSE(left.HasMagenta());

    // Mean column of the drawn pixels in the rows of the cocoon's body.
    auto bodyColumn = [&](const Image& anImage) {
        const int top = Project({0, -150, 0}).second, bottom = Project({0, -290, 0}).second;
        double sum = 0.0;
        int count = 0;
        for (int row = top; row <= bottom; ++row)
            for (int column = 0; column < int(WIDTH); ++column)
                if (!anImage.IsClear(column, row))
                {
                    sum += column;
                    ++count;
                }
        EXPECT_GT(count, 1000);
        return count > 0 ? sum / count : 0.0;
    };
    EXPECT_GT(std::fabs(bodyColumn(left) - bodyColumn(right)), 4.0);
    // The twig at the top stays put.
    EXPECT_FALSE(IsClearAt(left, {-44, 5, -5}));
    EXPECT_FALSE(IsClearAt(right, {-44, 5, -5}));
}

TEST_F(GameModelRender, DecorationsDraw)
{
    UseCamera({0.0f, 60.0f, -360.0f});
    const Image image = Draw({{std::string(GameModels::STATIC_DECORATION_MODELS[0]), {-230, 0, 0}},
                              {std::string(GameModels::STATIC_DECORATION_MODELS[1]), {-60, 0, 0}},
                              {std::string(GameModels::STATIC_DECORATION_MODELS[2]), {110, 0, 0}},
                              {std::string(GameModels::ANIMATED_DECORATION_MODELS[0]), {270, 290, 0}, {1, 1, 1},
                               Shading::Animated, 0.0f}});
    SavePreview(image, "decorations");
    EXPECT_FALSE(image.HasMagenta());
    // Points on each model's axis, so the surface in front of them covers them.
    EXPECT_FALSE(IsClearAt(image, {-240, 40, 0}));   // the big mushroom's stem
    EXPECT_FALSE(IsClearAt(image, {-60, 40, 0}));    // the stump
    EXPECT_FALSE(IsClearAt(image, {110, 60, 0}));    // the tall crystal
    EXPECT_FALSE(IsClearAt(image, {270, 80, 0}));    // the cocoon's body
    EXPECT_TRUE(IsClearAt(image, {-60, 100, 0}));    // above the stump
}

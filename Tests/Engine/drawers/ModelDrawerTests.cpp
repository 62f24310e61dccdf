#include "forge/drawers/ModelDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/Camera.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/model/ModelFactory.h"
#include "forge/shaders/ModelShader.h"
#include "forge/texture/TextureManager.h"

#include "../model/FbxModelBuilder.h"
#include "RenderTestHelpers.h"
#include "Support/GpuTestContext.h"
#include "Support/ScopedEngine.h"
#include "Support/fbx/FbxTestFiles.h"

#include "Platform/gpu/Resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace SpriteTest;
using Kiln::ModelDrawer;
using Kiln::ModelShader;

namespace
{
    constexpr int CLEAR = 0;   // the clear colour is black

    class ModelDrawerTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            myGraphics = myEngine->GetGraphicsEngine();
            ASSERT_NE(myGraphics, nullptr);
            myDrawer = myGraphics->GetModelDrawer();
            ASSERT_NE(myDrawer, nullptr);
            myStack = myGraphics->GetGraphicsStateStack();
            myFactory = &Kiln::ModelFactory::GetInstance();
            ASSERT_TRUE(myEngine->BeginFrame());
            Kiln::DX11::BackBuffer->SetAsActiveTarget(Kiln::DX11::MainDepthBuffer);
        }
        void TearDown() override { Kiln::ModelFactory::DestroyInstance(); }

        // A camera at z = -500 looking along +z with a 30-degree horizontal view.
        void UsePerspectiveCamera()
        {
            myCamera.SetPerspectiveProjection(30.0f, {320.0f, 200.0f}, 10.0f, 5000.0f);
            myCamera.SetPosition({0.0f, 0.0f, -500.0f});
            myStack->SetCamera(myCamera);
        }

        // An orthographic camera over x -40..40 and y -15..35 (the 320 x 200 buffer keeps
        // square pixels: 4 per unit).
        void UseOrthographicCamera()
        {
            myCamera.SetOrthographicProjection(-40.0f, 40.0f, -15.0f, 35.0f, -100.0f, 100.0f);
            myStack->SetCamera(myCamera);
        }

        // The pixel (column, row) a world point lands on through the current camera.
        std::pair<int, int> Project(const Kiln::Vector3<float>& aPoint) const
        {
            const Kiln::Vector4<float> clip =
                Kiln::Vector4<float>(aPoint, 1.0f) * myCamera.GetView() * myCamera.GetProjection();
            const float x = clip.x / clip.w;
            const float y = clip.y / clip.w;
            return {static_cast<int>(std::floor((x + 1.0f) * 0.5f * 320.0f)),
                    static_cast<int>(std::floor((1.0f - y) * 0.5f * 200.0f))};
        }

        Rgba PixelAt(const Image& anImage, const Kiln::Vector3<float>& aPoint) const
        {
            const auto [column, row] = Project(aPoint);
            EXPECT_TRUE(column >= 0 && column < 320 && row >= 0 && row < 200) << column << ", " << row;
            return anImage.At(static_cast<uint32_t>(std::clamp(column, 0, 319)), static_cast<uint32_t>(std::clamp(row, 0, 199)));
        }

        KilnTest::ScopedEngine myEngine{[](Kiln::EngineConfiguration& aConfig) {
            aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f};
        }};
        KilnTest::TempFolder myFolder;
        Kiln::GraphicsEngine* myGraphics = nullptr;
        Kiln::GraphicsStateStack* myStack = nullptr;
        ModelDrawer* myDrawer = nullptr;
        Kiln::ModelFactory* myFactory = nullptr;
        Kiln::Camera myCamera;
    };

    void ExpectColor(const Rgba& aPixel, int r, int g, int b, int aTolerance = 2)
    {
        EXPECT_NEAR(aPixel.r, r, aTolerance);
        EXPECT_NEAR(aPixel.g, g, aTolerance);
        EXPECT_NEAR(aPixel.b, b, aTolerance);
    }

    bool IsClear(const Rgba& aPixel)
    {
        return aPixel.r == CLEAR && aPixel.g == CLEAR && aPixel.b == CLEAR;
    }

    const void* AsResource(const Plat::Gpu::Buffer* aBuffer)
    {
        return static_cast<const Plat::Gpu::Resource*>(aBuffer);
    }
}

TEST_F(ModelDrawerTest, InitCreatesTheSixShadersWithTheirShaderPairs)
{
    const char* names[6][2] = {
        {"shaders/model_shader_VS", "shaders/model_shader_PS"},
        {"shaders/animated_model_shader_VS", "shaders/model_shader_PS"},
        {"Shaders/PbrModelShaderVS", "Shaders/PbrModelShaderPS"},
        {"Shaders/AnimatedPbrModelShaderVS", "Shaders/PbrModelShaderPS"},
        {"Shaders/PbrModelShaderVS", "Shaders/LambertModelShaderPS"},
        {"Shaders/animated_model_shader_VS", "Shaders/LambertModelShaderPS"},
    };
    for (size_t slot = 0; slot < ModelDrawer::SHADER_COUNT; ++slot)
    {
        const ModelShader* shader = myDrawer->GetShader(slot);
        ASSERT_NE(shader, nullptr) << slot;
        EXPECT_TRUE(shader->IsLoaded()) << slot;
        EXPECT_NE(shader->GetInputLayout(), nullptr) << slot;
        EXPECT_EQ(shader->GetVertexShaderName(), names[slot][0]);
        EXPECT_EQ(shader->GetPixelShaderName(), names[slot][1]);
        EXPECT_EQ(shader->GetExtraTextureCount(), slot >= ModelDrawer::LAMBERT ? 1 : 0) << slot;
    }
    EXPECT_EQ(myDrawer->GetShader(6), nullptr);
}

TEST_F(ModelDrawerTest, TheCubeLandsWhereThePerspectiveCameraPutsIt)
{
    UsePerspectiveCamera();
    Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    ASSERT_NE(cube.GetModel(), nullptr);
    cube.SetTransform(Kiln::Matrix4x4<float>::CreateTranslation({60.0f, -20.0f, 0.0f}));
    const uint32_t before = Kiln::DX11::DrawCallCount;
    myDrawer->Draw(cube);
    EXPECT_EQ(Kiln::DX11::DrawCallCount, before + 1);
    const Image image = ReadBackBuffer();

    // The face towards the camera is face 2: green, times the white default texture.
    const auto [left, top] = Project({10.0f, 30.0f, -50.0f});
    const auto [right, bottom] = Project({110.0f, -70.0f, -50.0f});
    ASSERT_GT(right - left, 40);
    for (const auto& [column, row] : {std::pair{left + 2, top + 2}, {right - 2, bottom - 2}, {(left + right) / 2, (top + bottom) / 2}})
        ExpectColor(image.At(uint32_t(column), uint32_t(row)), 0, 255, 0);
    EXPECT_TRUE(IsClear(image.At(uint32_t(left - 3), uint32_t((top + bottom) / 2))));
    EXPECT_TRUE(IsClear(image.At(uint32_t(right + 3), uint32_t((top + bottom) / 2))));
    EXPECT_TRUE(IsClear(image.At(uint32_t((left + right) / 2), uint32_t(top - 3))));
    EXPECT_TRUE(IsClear(image.At(uint32_t((left + right) / 2), uint32_t(bottom + 3))));
    EXPECT_TRUE(IsClear(image.At(160, 100)));
}

TEST_F(ModelDrawerTest, TheStateStacksWorldTransformAppliesAfterTheInstances)
{
    UsePerspectiveCamera();
    Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    cube.SetTransform(Kiln::Matrix4x4<float>::CreateScale({0.5f, 0.5f, 0.5f}));
    myStack->Push();
    myStack->GetTransform() = Kiln::Matrix4x4<float>::CreateTranslation({-80.0f, 0.0f, 0.0f});
    myDrawer->Draw(cube);
    myStack->Pop();
    const Image image = ReadBackBuffer();
    // Scaled first (to 50 across), then moved: the face spans x -105..-55.
    ExpectColor(PixelAt(image, {-80.0f, 0.0f, -25.0f}), 0, 255, 0);
    EXPECT_TRUE(IsClear(PixelAt(image, {-45.0f, 0.0f, -25.0f})));
    EXPECT_TRUE(IsClear(PixelAt(image, {0.0f, 0.0f, -25.0f})));
}

TEST_F(ModelDrawerTest, AStaticInstanceStillMapsAndBindsTheBoneBuffer)
{
    UsePerspectiveCamera();
    const Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    const ModelShader& shader = *myDrawer->GetShader(ModelDrawer::DEFAULT);
    ScopedTrace trace;
    myDrawer->Draw(cube);

    const auto maps = CallsNamed("Map");
    const auto mapped = [&](const Plat::Gpu::Buffer* aBuffer) {
        return std::count_if(maps.begin(), maps.end(), [&](const auto& c) { return c.objects.at(0) == AsResource(aBuffer); });
    };
    EXPECT_EQ(mapped(shader.GetBoneBuffer()), 1);
    EXPECT_EQ(mapped(shader.GetObjectBuffer()), 1);
    EXPECT_EQ(mapped(shader.GetDataBuffer()), 1);

    bool bonesAt5 = false, objectAt4 = false;
    for (const auto& call : CallsNamed("VSSetConstantBuffers"))
    {
        bonesAt5 |= call.values.at(0) == 5 && call.objects.at(0) == shader.GetBoneBuffer();
        objectAt4 |= call.values.at(0) == 4 && call.objects.at(0) == shader.GetObjectBuffer();
    }
    EXPECT_TRUE(bonesAt5);
    EXPECT_TRUE(objectAt4);
    bool dataAt8 = false;
    for (const auto& call : CallsNamed("PSSetConstantBuffers"))
        dataAt8 |= call.values.at(0) == 8 && call.objects.at(0) == shader.GetDataBuffer();
    EXPECT_TRUE(dataAt8);

    const auto draws = CallsNamed("DrawIndexed");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].values, (std::vector<int64_t>{36, 0, 0}));
    const auto indexBuffers = CallsNamed("IASetIndexBuffer");
    ASSERT_FALSE(indexBuffers.empty());
    EXPECT_EQ(indexBuffers.back().values.at(0), static_cast<int64_t>(Plat::Gpu::Format::R32_UINT));
}

TEST_F(ModelDrawerTest, TexturesAreBoundUpToTheFirstNull)
{
    UsePerspectiveCamera();
    Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    Kiln::TextureSet& set = cube.GetTextureSets()[0];
    set[1] = nullptr;
    ScopedTrace trace;
    myDrawer->Draw(cube);
    const auto binds = CallsNamed("PSSetShaderResources");
    ASSERT_FALSE(binds.empty());
    EXPECT_EQ(binds[0].values, (std::vector<int64_t>{1, 1}));
    EXPECT_EQ(binds[0].objects.at(0), set[0]->GetShaderResourceView().get());
}

TEST_F(ModelDrawerTest, AShaderThatDidNotLoadBindsTheTexturesAndDrawsNothing)
{
    ModelShader shader;
    EXPECT_FALSE(shader.Init("shaders/no_such_VS", "shaders/no_such_PS"));
    EXPECT_FALSE(shader.IsLoaded());
    EXPECT_NE(shader.GetDataBuffer(), nullptr);
    const Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    ScopedTrace trace;
    const uint32_t before = Kiln::DX11::DrawCallCount;
    cube.Render(shader);
    EXPECT_EQ(Kiln::DX11::DrawCallCount, before);
    EXPECT_EQ(CallsNamed("PSSetShaderResources").size(), 1u);
    EXPECT_TRUE(CallsNamed("Map").empty());
    EXPECT_TRUE(CallsNamed("DrawIndexed").empty());
}

TEST_F(ModelDrawerTest, DataSlotsAndTheLambertParameters)
{
    const ModelShader& fresh = *myDrawer->GetShader(ModelDrawer::DEFAULT);
    EXPECT_EQ(fresh.GetHighestDataIndex(), 0);   // one float4 uploads at every draw
    EXPECT_EQ(fresh.GetData()[0], Kiln::Vector4<float>());

    myDrawer->SetLambertParameters({1, 2, 3, 4}, {5, 6, 7, 8});
    for (const size_t slot : {ModelDrawer::LAMBERT, ModelDrawer::ANIMATED_LAMBERT})
    {
        const ModelShader& shader = *myDrawer->GetShader(slot);
        EXPECT_EQ(shader.GetData()[0], Kiln::Vector4<float>(1, 2, 3, 4));
        EXPECT_EQ(shader.GetData()[1], Kiln::Vector4<float>(5, 6, 7, 8));
        EXPECT_EQ(shader.GetHighestDataIndex(), 1);
    }
    for (const size_t slot : {ModelDrawer::DEFAULT, ModelDrawer::ANIMATED, ModelDrawer::PBR, ModelDrawer::ANIMATED_PBR})
    {
        EXPECT_EQ(myDrawer->GetShader(slot)->GetData()[0], Kiln::Vector4<float>()) << slot;
        EXPECT_EQ(myDrawer->GetShader(slot)->GetHighestDataIndex(), 0) << slot;
    }

    ModelShader shader;
    shader.SetDataBufferVector4({9, 9, 9, 9}, 8);
    shader.SetDataBufferVector4({9, 9, 9, 9}, -1);
    EXPECT_EQ(shader.GetHighestDataIndex(), 0);
    shader.SetDataBufferVector4({1, 1, 1, 1}, 7);
    EXPECT_EQ(shader.GetHighestDataIndex(), 7);
    shader.SetTextureAtRegister(nullptr, 5);
    EXPECT_EQ(shader.GetExtraTextureCount(), 0);
    shader.SetTextureAtRegister(nullptr, 7);
    EXPECT_EQ(shader.GetExtraTextureCount(), 2);
}

TEST_F(ModelDrawerTest, LambertShadingTakesTheBackgroundAndForegroundColours)
{
    UsePerspectiveCamera();
    // A white screen texture makes the grain a flat 1.15.
    Kiln::TextureResource* white = myEngine->GetTextureManager()->GetWhiteSquare();
    myDrawer->GetShader(ModelDrawer::LAMBERT)->SetTextureAtRegister(white, 6);
    myDrawer->SetLambertParameters({1, 0, 0, 1}, {0, 1, 0, 1});
    const Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    ScopedTrace trace;
    myDrawer->DrawLambert(cube);
    bool screenTextureAt6 = false;
    for (const auto& call : CallsNamed("PSSetShaderResources"))
        screenTextureAt6 |= call.values.at(0) == 6 && call.objects.at(0) == white->GetShaderResourceView().get();
    EXPECT_TRUE(screenTextureAt6);
    const Image image = ReadBackBuffer();

    // The face towards the camera (normal -z) against the key light (-1, 1, -1)/sqrt(3):
    // L = 1/sqrt(3), tint = mix(red, green, L), times the green vertex colour and 1.15.
    const float lambert = 1.0f / std::sqrt(3.0f);
    const float green = lambert * 1.15f;
    const int expected = static_cast<int>(std::lround(KilnTest::LinearToSrgb(green) * 255.0f));
    ExpectColor(PixelAt(image, {0.0f, 0.0f, -50.0f}), 0, expected, 0, 3);
}

TEST_F(ModelDrawerTest, ThePbrShadersLightTheCubeFromTheEnvironment)
{
    UsePerspectiveCamera();
    Kiln::ModelInstance cube = myFactory->GetModelInstance("Cube");
    cube.Render(*myDrawer->GetShader(ModelDrawer::PBR));
    Kiln::AnimatedModelInstance animated;
    animated.SetModel(cube.GetModel());
    animated.SetTransform(Kiln::Matrix4x4<float>::CreateTranslation({-120.0f, 0.0f, 0.0f}));
    animated.Render(*myDrawer->GetShader(ModelDrawer::ANIMATED_PBR));
    const Image image = ReadBackBuffer();
    // White environment, rough and not metallic: the green face reflects about its colour.
    for (const float x : {0.0f, -120.0f})
    {
        const Rgba pixel = PixelAt(image, {x, 0.0f, -50.0f});
        EXPECT_LT(pixel.r, 90);
        EXPECT_GT(pixel.g, 200);
        EXPECT_LT(pixel.b, 90);
    }
}

TEST_F(ModelDrawerTest, ASkinnedBarPosed90DegreesAboutItsMiddleJointBendsOnScreen)
{
    UseOrthographicCamera();
    const std::string path = ModelTest::WriteFbx(myFolder.Path() / "bar.fbx", ModelTest::BentBar(90.0f)).string();
    Kiln::AnimatedModelInstance bar = myFactory->GetAnimatedModelInstance(path);
    ASSERT_NE(bar.GetModel(), nullptr);
    ModelShader& shader = *myDrawer->GetShader(ModelDrawer::ANIMATED);

    // Unposed: the bar stands upright.
    bar.Render(shader);
    Image image = ReadBackBuffer();
    EXPECT_FALSE(IsClear(PixelAt(image, {0.0f, 17.5f, 0.0f})));
    EXPECT_TRUE(IsClear(PixelAt(image, {-7.5f, 10.5f, 0.0f})));

    Kiln::AnimationPlayer player = myFactory->GetAnimationPlayer(path, bar.GetModel());
    ASSERT_NE(player.GetAnimation(), nullptr);
    player.Update(0.0f);
    bar.SetPose(player);

    // The top vertex (1, 20) turns 90 degrees about the joint at (0, 10): to (-10, 11).
    const Kiln::MeshData& mesh = bar.GetModel()->GetMeshes()[0];
    int tops = 0;
    for (const Kiln::ModelVertex& v : mesh.myVertices)
    {
        if (v.position[0] != 1.0f || v.position[1] != 20.0f)
            continue;
        ++tops;
        const Kiln::Vector3<float> moved = bar.GetBones()[1].TransformPoint({v.position[0], v.position[1], v.position[2]});
        EXPECT_NEAR(moved.x, -10.0f, 1e-4f);
        EXPECT_NEAR(moved.y, 11.0f, 1e-4f);
    }
    EXPECT_GT(tops, 0);

    ASSERT_TRUE(myEngine->BeginFrame());
    Kiln::DX11::BackBuffer->SetAsActiveTarget(Kiln::DX11::MainDepthBuffer);
    myStack->SetCamera(myCamera);
    bar.Render(shader);
    image = ReadBackBuffer();
    EXPECT_TRUE(IsClear(PixelAt(image, {0.0f, 17.5f, 0.0f})));
    EXPECT_FALSE(IsClear(PixelAt(image, {-7.5f, 10.5f, 0.0f})));
    EXPECT_TRUE(IsClear(PixelAt(image, {7.5f, 10.5f, 0.0f})));
    EXPECT_FALSE(IsClear(PixelAt(image, {0.0f, 5.0f, 0.0f})));   // the lower half stays
    // The unskinned bar is white: default texture times white vertex colour.
    ExpectColor(PixelAt(image, {-7.5f, 10.5f, 0.0f}), 255, 255, 255);

    // The drawer's animated draw (animated Lambert) puts it in the same place.
    ASSERT_TRUE(myEngine->BeginFrame());
    Kiln::DX11::BackBuffer->SetAsActiveTarget(Kiln::DX11::MainDepthBuffer);
    myStack->SetCamera(myCamera);
    myDrawer->SetLambertParameters({1, 1, 1, 1}, {1, 1, 1, 1});
    myDrawer->DrawAnimated(bar);
    image = ReadBackBuffer();
    EXPECT_FALSE(IsClear(PixelAt(image, {-7.5f, 10.5f, 0.0f})));
    EXPECT_TRUE(IsClear(PixelAt(image, {0.0f, 17.5f, 0.0f})));
}

TEST_F(ModelDrawerTest, AnFbxModelFromTheFactoryDraws)
{
    UseOrthographicCamera();
    ModelTest::FbxModelSpec spec;
    ModelTest::FbxMeshSpec quad = ModelTest::Quad("Quad", -10.0f, 0.0f, 20.0f, 20.0f);
    quad.myColors.assign(4, {1.0f, 0.0f, 0.0f, 1.0f});
    spec.myMeshes = {quad};
    const Kiln::ModelInstance instance =
        myFactory->GetModelInstance(ModelTest::WriteFbx(myFolder.Path() / "red.fbx", spec).string());
    ASSERT_NE(instance.GetModel(), nullptr);
    myDrawer->Draw(instance);

    // The importer's own cube fixture, scaled up, beside it: drawn with its vertex colours.
    Kiln::ModelInstance fixture = myFactory->GetModelInstance(KilnTest::FbxFixture("cube.fbx").string());
    ASSERT_NE(fixture.GetModel(), nullptr);
    fixture.SetTransform(Kiln::Matrix4x4<float>::CreateScale({5.0f, 5.0f, 5.0f}) *
                         Kiln::Matrix4x4<float>::CreateTranslation({25.0f, 10.0f, 0.0f}));
    myDrawer->Draw(fixture);

    const Image image = ReadBackBuffer();
    ExpectColor(PixelAt(image, {0.0f, 10.0f, 0.0f}), 255, 0, 0);
    ExpectColor(PixelAt(image, {-9.0f, 19.0f, 0.0f}), 255, 0, 0);
    EXPECT_TRUE(IsClear(PixelAt(image, {-11.0f, 10.0f, 0.0f})));
    EXPECT_TRUE(IsClear(PixelAt(image, {0.0f, 21.0f, 0.0f})));
    EXPECT_FALSE(IsClear(PixelAt(image, {25.0f, 10.0f, 0.0f})));
    EXPECT_TRUE(IsClear(PixelAt(image, {25.0f, 17.0f, 0.0f})));
}

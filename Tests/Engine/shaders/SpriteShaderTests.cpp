#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/texture/TextureResource.h"

#include "../drawers/RenderTestHelpers.h"
#include "Support/ScopedEngine.h"

#include <gtest/gtest.h>

using namespace SpriteTest;

namespace
{
    // Shows data slot 3 and the extra texture at register 6, side by side.
    const char* const DATA_SHADER = R"(#version 450 core
layout(location = 0) in vec2 inTexCoord;
layout(location = 2) in vec2 inQuadCoord;
layout(std140, binding = 5) uniform SpriteData { vec4 data[8]; } sprite;
layout(binding = 6) uniform sampler2D extraTexture;
layout(location = 0) out vec4 outColor;
void main()
{
    outColor = inQuadCoord.x < 0.5 ? sprite.data[3] : texture(extraTexture, vec2(0.5));
}
)";

    class SpriteShaderTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            ASSERT_TRUE(myEngine->BeginFrame());
            myShaderName = (myFolder.Path() / "data_PS").string();
            myFolder.Write("data_PS.glsl", DATA_SHADER);
        }

        void DrawWith(Kiln::SpriteShader& aShader)
        {
            Kiln::SpriteSharedData shared;
            shared.myCustomShader = &aShader;
            Kiln::Sprite2DInstanceData s;
            s.myPosition = {100, 100};
            s.mySize = {40, 40};
            Kiln::SpriteBatchScope batch = myEngine->GetGraphicsEngine()->GetSpriteDrawer()->BeginBatch(shared);
            batch.Draw(s);
        }

        KilnTest::ScopedEngine myEngine{[](Kiln::EngineConfiguration& aConfig) {
            aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f};
        }};
        TempFolder myFolder;
        std::string myShaderName;
    };
}

TEST_F(SpriteShaderTest, DataSlotsUpToTheHighestAreUploaded)
{
    Kiln::SpriteShader shader;
    EXPECT_EQ(shader.GetHighestDataIndex(), -1);
    EXPECT_FALSE(shader.Init());
    ASSERT_TRUE(shader.Init("shaders/instanced_sprite_shader_vs", myShaderName));
    EXPECT_TRUE(shader.IsLoaded());
    EXPECT_EQ(shader.GetConstantRegister(), 5);
    ASSERT_NE(shader.GetInputLayout(), nullptr);
    EXPECT_EQ(shader.GetInputLayout()->GetElements().size(), 9u);

    shader.SetDataBufferVector4({0.0f, 1.0f, 0.0f, 1.0f}, 3);
    EXPECT_EQ(shader.GetHighestDataIndex(), 3);
    shader.SetDataBufferVector4({1.0f, 0.0f, 0.0f, 1.0f}, 8);
    shader.SetDataBufferVector4({1.0f, 0.0f, 0.0f, 1.0f}, -1);
    EXPECT_EQ(shader.GetHighestDataIndex(), 3);
    EXPECT_EQ(shader.GetData()[3], Kiln::Vector4f(0.0f, 1.0f, 0.0f, 1.0f));

    ScopedTrace trace;
    DrawWith(shader);
    const Rgba p = ReadBackBuffer().AtSpritePoint(85, 100);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.g, 255);
    // The data buffer goes to both stages at its register.
    for (const char* stage : {"VSSetConstantBuffers", "PSSetConstantBuffers"})
    {
        bool bound = false;
        for (const auto& call : CallsNamed(stage))
            bound = bound || (call.values.at(0) == 5 && call.objects.at(0) == shader.GetConstantBuffer());
        EXPECT_TRUE(bound) << stage;
    }
}

TEST_F(SpriteShaderTest, ExtraTextureIsBoundAtItsRegister)
{
    Kiln::SpriteShader shader;
    ASSERT_TRUE(shader.Init("shaders/instanced_sprite_shader_VS", myShaderName));
    const auto blue = MakeTexture(1, 1, {0xFFFF0000u});
    Kiln::TextureResource resource;
    resource.SetShaderResourceView(blue->GetShaderResourceView());
    shader.SetTextureAtRegister(&resource, 6);
    // Registers other than 6 and 7 have no record to go to.
    shader.SetTextureAtRegister(&resource, 9);
    shader.SetTextureAtRegister(&resource, 0);

    ScopedTrace trace;
    DrawWith(shader);
    const Rgba p = ReadBackBuffer().AtSpritePoint(115, 100);
    EXPECT_EQ(p.b, 255);
    EXPECT_EQ(p.r, 0);
    int extraBinds = 0;
    for (const auto& call : CallsNamed("PSSetShaderResources"))
    {
        if (call.values.at(0) == 6)
        {
            ++extraBinds;
            EXPECT_EQ(call.objects.at(0), blue->GetShaderResourceView().get());
        }
        EXPECT_NE(call.values.at(0), 0) << "nothing lands on register 0";
        EXPECT_NE(call.values.at(0), 9);
    }
    EXPECT_EQ(extraBinds, 1);
}

TEST_F(SpriteShaderTest, OnlyRegisterSevenSetBindsNoEmptyRecord)
{
    Kiln::SpriteShader shader;
    ASSERT_TRUE(shader.Init("shaders/instanced_sprite_shader_VS", myShaderName));
    const auto texture = MakeTexture(1, 1, {0xFFFFFFFFu});
    Kiln::TextureResource resource;
    resource.SetShaderResourceView(texture->GetShaderResourceView());
    shader.SetTextureAtRegister(&resource, 7);

    ScopedTrace trace;
    DrawWith(shader);
    std::vector<int64_t> registers;
    for (const auto& call : CallsNamed("PSSetShaderResources"))
        registers.push_back(call.values.at(0));
    EXPECT_EQ(registers, (std::vector<int64_t>{1, 7}));
}

TEST_F(SpriteShaderTest, MissingShadersFailInitAndRenderBindsNothing)
{
    Kiln::SpriteShader shader;
    EXPECT_FALSE(shader.Init("shaders/instanced_sprite_shader_VS", "shaders/no_such_shader_PS"));
    EXPECT_FALSE(shader.IsLoaded());
    ScopedTrace trace;
    EXPECT_FALSE(shader.Render({}));
    EXPECT_TRUE(CallsNamed("VSSetShader").empty());
    EXPECT_TRUE(CallsNamed("PSSetShaderResources").empty());
}

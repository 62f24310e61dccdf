#include "forge/drawers/ModelDrawer.h"

#include "forge/engine/Engine.h"
#include "forge/model/AnimatedModelInstance.h"
#include "forge/model/ModelInstance.h"
#include "forge/shaders/ModelShader.h"
#include "forge/texture/TextureManager.h"

namespace Kiln
{
    namespace
    {
        constexpr const char* SCREEN_TEXTURE = "textures/ScreenTexture/T_ScreenTexture.dds";
        constexpr int32_t SCREEN_TEXTURE_REGISTER = 6;

        TextureResource* ScreenTexture()
        {
            Engine* engine = Engine::GetInstance();
            TextureManager* textures = engine != nullptr ? engine->GetTextureManager() : nullptr;
            return textures != nullptr ? textures->GetTexture(SCREEN_TEXTURE, TextureSrgbMode::ForceSrgb, false) : nullptr;
        }
    }

    ModelDrawer::ModelDrawer() = default;
    ModelDrawer::~ModelDrawer() = default;

    bool ModelDrawer::Init()
    {
        const auto create = [this](size_t aSlot, const char* aVertexShader, const char* aPixelShader) {
            myShaders[aSlot] = std::make_unique<ModelShader>();
            return myShaders[aSlot]->Init(aVertexShader, aPixelShader);
        };

        myShaders[DEFAULT] = std::make_unique<ModelShader>();
        if (!myShaders[DEFAULT]->Init())
            return false;
        if (!create(ANIMATED, "shaders/animated_model_shader_VS", "shaders/model_shader_PS"))
            return false;
        if (!create(LAMBERT, "Shaders/PbrModelShaderVS", "Shaders/LambertModelShaderPS"))
            return false;
        myShaders[LAMBERT]->SetTextureAtRegister(ScreenTexture(), SCREEN_TEXTURE_REGISTER);
        if (!create(ANIMATED_LAMBERT, "Shaders/animated_model_shader_VS", "Shaders/LambertModelShaderPS"))
            return false;
        myShaders[ANIMATED_LAMBERT]->SetTextureAtRegister(ScreenTexture(), SCREEN_TEXTURE_REGISTER);
        if (!create(PBR, "Shaders/PbrModelShaderVS", "Shaders/PbrModelShaderPS"))
            return false;
        return create(ANIMATED_PBR, "Shaders/AnimatedPbrModelShaderVS", "Shaders/PbrModelShaderPS");
    }

    void ModelDrawer::Draw(const ModelInstance& anInstance)
    {
        if (myShaders[DEFAULT] != nullptr)
            anInstance.Render(*myShaders[DEFAULT]);
    }

    void ModelDrawer::DrawAnimated(const AnimatedModelInstance& anInstance)
    {
        if (myShaders[ANIMATED_LAMBERT] != nullptr)
            anInstance.Render(*myShaders[ANIMATED_LAMBERT]);
    }

    void ModelDrawer::DrawLambert(const ModelInstance& anInstance)
    {
        if (myShaders[LAMBERT] != nullptr)
            anInstance.Render(*myShaders[LAMBERT]);
    }

    void ModelDrawer::SetLambertParameters(Vector4<float> aFirst, Vector4<float> aSecond)
    {
        for (const size_t slot : {LAMBERT, ANIMATED_LAMBERT})
        {
            if (myShaders[slot] == nullptr)
                continue;
            myShaders[slot]->SetDataBufferVector4(aFirst, 0);
            myShaders[slot]->SetDataBufferVector4(aSecond, 1);
        }
    }
}

#include "forge/shaders/SpriteShader.h"

#include "forge/drawers/SpriteSharedData.h"
#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"
#include "forge/texture/TextureResource.h"

#include <algorithm>
#include <cstring>

namespace Kiln
{
    namespace
    {
        using Plat::Gpu::Format;
        using Plat::Gpu::InputClassification;
        using Plat::Gpu::InputElementDesc;
        constexpr uint32_t APPEND = Plat::Gpu::AppendAlignedElement;

        // Slot 0: the 32-byte quad vertex; slot 1: the 112-byte instance record.
        const InputElementDesc SPRITE_LAYOUT[] = {
            {"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 0, Format::R32G32B32A32_UINT, 0, APPEND, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 1, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 2, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 3, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 4, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 5, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 6, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 7, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
        };

        TextureManager* GetTextureManager()
        {
            Engine* engine = Engine::GetInstance();
            return engine != nullptr ? engine->GetTextureManager() : nullptr;
        }

        Plat::Gpu::ShaderResourceView* ViewOf(const Texture* aTexture)
        {
            return aTexture != nullptr ? aTexture->GetShaderResourceView().get() : nullptr;
        }
    }

    SpriteShader::SpriteShader() = default;

    SpriteShader::~SpriteShader()
    {
        myConstantBuffer.reset();
    }

    bool SpriteShader::Init(const std::string& aVertexShaderName, const std::string& aPixelShaderName)
    {
        if (!CreateShaders(aVertexShaderName, aPixelShaderName))
            return false;

        Plat::Gpu::BufferDesc desc;
        desc.byteWidth = CONSTANT_BUFFER_SIZE;
        desc.usage = Plat::Gpu::Usage::Dynamic;
        desc.bindFlags = Plat::Gpu::Bind::ConstantBuffer;
        desc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
        myConstantBuffer = DX11::Device != nullptr ? DX11::Device->CreateBuffer(desc) : nullptr;
        if (myConstantBuffer == nullptr)
            return false;

        if (TextureManager* textures = GetTextureManager())
        {
            myDefaultNormalTexture = textures->GetTexture("Textures/T_Default_n.dds", TextureSrgbMode::ForceSrgb, false);
            myDefaultMaterialTexture = textures->GetTexture("Textures/T_Default_m.dds", TextureSrgbMode::ForceSrgb, false);
            myDefaultEffectTexture = textures->GetTexture("Textures/T_Default_fx.dds", TextureSrgbMode::ForceSrgb, false);
        }
        return true;
    }

    bool SpriteShader::CreateInputLayout(const ByteCode& aVertexShaderByteCode)
    {
        BuildInputLayout(SPRITE_LAYOUT, static_cast<uint32_t>(std::size(SPRITE_LAYOUT)), aVertexShaderByteCode);
        return true;
    }

    bool SpriteShader::Render(const SpriteSharedData& someSharedData)
    {
        if (!PrepareRender())
            return false;
        Plat::Gpu::DeviceContext& context = *DX11::Context;

        TextureManager* textures = GetTextureManager();
        const Texture* colorTexture = someSharedData.myTextures[0];
        if (colorTexture == nullptr && textures != nullptr)
            colorTexture = textures->GetWhiteSquare();
        const Texture* normal = someSharedData.myTextures[1] ? someSharedData.myTextures[1] : myDefaultNormalTexture;
        const Texture* material = someSharedData.myTextures[2] ? someSharedData.myTextures[2] : myDefaultMaterialTexture;
        const Texture* effect = someSharedData.myTextures[3] ? someSharedData.myTextures[3] : myDefaultEffectTexture;
        Plat::Gpu::ShaderResourceView* const views[4] = {ViewOf(colorTexture), ViewOf(normal), ViewOf(material),
                                                         ViewOf(effect)};
        context.PSSetShaderResources(1, 4, views);

        if (myConstantBuffer != nullptr)
        {
            Plat::Gpu::MappedSubresource mapped;
            if (!context.Map(myConstantBuffer.get(), 0, Plat::Gpu::MapType::WriteDiscard, 0, &mapped))
                return false;
            if (myHighestDataIndex >= 0)
                std::memcpy(mapped.data, myData.data(), sizeof(Vector4f) * static_cast<size_t>(myHighestDataIndex + 1));
            context.Unmap(myConstantBuffer.get(), 0);
            Plat::Gpu::Buffer* const buffer = myConstantBuffer.get();
            context.VSSetConstantBuffers(myConstantRegister, 1, &buffer);
            context.PSSetConstantBuffers(myConstantRegister, 1, &buffer);
        }

        for (uint8_t i = 0; i < myExtraTextureCount; ++i)
        {
            // A record never set (only register 7 given) binds nothing.
            const ExtraTexture& extra = myExtraTextures[i];
            if (extra.myTexture == nullptr)
                continue;
            Plat::Gpu::ShaderResourceView* const view = ViewOf(extra.myTexture);
            context.PSSetShaderResources(extra.myRegister, 1, &view);
        }
        return true;
    }

    void SpriteShader::SetDataBufferVector4(const Vector4f& aValue, int32_t anIndex)
    {
        if (anIndex < 0 || anIndex >= DATA_SLOTS)
            return;
        myData[static_cast<size_t>(anIndex)] = aValue;
        myHighestDataIndex = std::max(myHighestDataIndex, anIndex);
    }

    void SpriteShader::SetTextureAtRegister(TextureResource* aTexture, int32_t aRegister)
    {
        const int32_t slot = aRegister - FIRST_EXTRA_TEXTURE_REGISTER;
        if (slot < 0 || slot >= EXTRA_TEXTURE_SLOTS)
            return;
        myExtraTextures[static_cast<size_t>(slot)] = {aTexture, static_cast<uint8_t>(aRegister)};
        myExtraTextureCount = static_cast<uint8_t>(std::max<int32_t>(myExtraTextureCount, slot + 1));
    }
}

#include "forge/shaders/ModelShader.h"

#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/model/MeshData.h"
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
        constexpr InputClassification PER_VERTEX = InputClassification::PerVertexData;

        // The engine vertex (ModelVertex), 180 bytes in slot 0.
        const InputElementDesc MODEL_LAYOUT[] = {
            {"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, PER_VERTEX, 0},
            {"COLOR", 0, Format::R32G32B32A32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"COLOR", 1, Format::R32G32B32A32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"COLOR", 2, Format::R32G32B32A32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"COLOR", 3, Format::R32G32B32A32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"TEXCOORD", 0, Format::R32G32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"TEXCOORD", 1, Format::R32G32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"TEXCOORD", 2, Format::R32G32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"TEXCOORD", 3, Format::R32G32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"NORMAL", 0, Format::R32G32B32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"TANGENT", 0, Format::R32G32B32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"BINORMAL", 0, Format::R32G32B32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"BONES", 0, Format::R32G32B32A32_FLOAT, 0, APPEND, PER_VERTEX, 0},
            {"WEIGHTS", 0, Format::R32G32B32A32_FLOAT, 0, APPEND, PER_VERTEX, 0},
        };

        std::shared_ptr<Plat::Gpu::Buffer> CreateDynamicConstantBuffer(uint32_t aSize)
        {
            if (DX11::Device == nullptr)
                return nullptr;
            Plat::Gpu::BufferDesc desc;
            desc.byteWidth = aSize;
            desc.usage = Plat::Gpu::Usage::Dynamic;
            desc.bindFlags = Plat::Gpu::Bind::ConstantBuffer;
            desc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
            return DX11::Device->CreateBuffer(desc);
        }

        Plat::Gpu::ShaderResourceView* ViewOf(const Texture* aTexture)
        {
            return aTexture != nullptr ? aTexture->GetShaderResourceView().get() : nullptr;
        }

        Matrix4x4<float> WorldTransform()
        {
            Engine* engine = Engine::GetInstance();
            GraphicsEngine* graphics = engine != nullptr ? engine->GetGraphicsEngine() : nullptr;
            GraphicsStateStack* stack = graphics != nullptr ? graphics->GetGraphicsStateStack() : nullptr;
            return stack != nullptr ? stack->GetTransform() : Matrix4x4<float>();
        }
    }

    ModelShader::ModelShader() = default;

    ModelShader::~ModelShader()
    {
        myBoneBuffer.reset();
        myObjectBuffer.reset();
        myDataBuffer.reset();
    }

    bool ModelShader::Init()
    {
        return Init("shaders/model_shader_VS", "shaders/model_shader_PS");
    }

    bool ModelShader::Init(const std::string& aVertexShaderName, const std::string& aPixelShaderName)
    {
        myBoneBuffer = CreateDynamicConstantBuffer(BONE_BUFFER_SIZE);
        myObjectBuffer = CreateDynamicConstantBuffer(OBJECT_BUFFER_SIZE);
        myDataBuffer = CreateDynamicConstantBuffer(DATA_BUFFER_SIZE);
        if (myDataBuffer == nullptr)
            return false;
        return CreateShaders(aVertexShaderName, aPixelShaderName);
    }

    bool ModelShader::CreateInputLayout(const ByteCode& aVertexShaderByteCode)
    {
        BuildInputLayout(MODEL_LAYOUT, static_cast<uint32_t>(std::size(MODEL_LAYOUT)), aVertexShaderByteCode);
        return true;
    }

    ModelShader::Textures ModelShader::ToTextures(const std::array<TextureResource*, 4>& someTextures)
    {
        return {someTextures[0], someTextures[1], someTextures[2], someTextures[3]};
    }

    void ModelShader::Render(const Textures& someTextures, const MeshData& aMesh, const Matrix4x4<float>& aTransform,
                             const BonePalette* someBones)
    {
        if (DX11::Context == nullptr)
            return;
        Plat::Gpu::DeviceContext& context = *DX11::Context;

        Plat::Gpu::ShaderResourceView* views[4] = {};
        uint32_t viewCount = 0;
        while (viewCount < someTextures.size() && someTextures[viewCount] != nullptr)
        {
            views[viewCount] = ViewOf(someTextures[viewCount]);
            ++viewCount;
        }
        if (viewCount > 0)
            context.PSSetShaderResources(FIRST_TEXTURE_REGISTER, viewCount, views);

        if (!myIsLoaded)
            return;
        PrepareRender();

        Plat::Gpu::MappedSubresource mapped;
        if (myBoneBuffer == nullptr || !context.Map(myBoneBuffer.get(), 0, Plat::Gpu::MapType::WriteDiscard, 0, &mapped))
            return;
        if (someBones != nullptr)
            std::memcpy(mapped.data, someBones->data(), BONE_BUFFER_SIZE);
        context.Unmap(myBoneBuffer.get(), 0);
        Plat::Gpu::Buffer* const boneBuffer = myBoneBuffer.get();
        context.VSSetConstantBuffers(BONE_REGISTER, 1, &boneBuffer);

        if (myObjectBuffer == nullptr ||
            !context.Map(myObjectBuffer.get(), 0, Plat::Gpu::MapType::WriteDiscard, 0, &mapped))
            return;
        const Matrix4x4<float> objectTransform = aTransform * WorldTransform();
        std::memcpy(mapped.data, objectTransform.GetData(), OBJECT_BUFFER_SIZE);
        context.Unmap(myObjectBuffer.get(), 0);
        Plat::Gpu::Buffer* const objectBuffer = myObjectBuffer.get();
        context.VSSetConstantBuffers(OBJECT_REGISTER, 1, &objectBuffer);
        context.PSSetConstantBuffers(OBJECT_REGISTER, 1, &objectBuffer);

        if (myDataBuffer != nullptr)
        {
            if (!context.Map(myDataBuffer.get(), 0, Plat::Gpu::MapType::WriteDiscard, 0, &mapped))
                return;
            std::memcpy(mapped.data, myData.data(), sizeof(Vector4<float>) * static_cast<size_t>(myHighestDataIndex + 1));
            context.Unmap(myDataBuffer.get(), 0);
            Plat::Gpu::Buffer* const dataBuffer = myDataBuffer.get();
            context.PSSetConstantBuffers(myDataRegister, 1, &dataBuffer);
        }

        for (uint8_t i = 0; i < myExtraTextureCount; ++i)
        {
            const ExtraTexture& extra = myExtraTextures[i];
            // A record never set (only register 7 given) binds nothing.
            if (extra.myTexture == nullptr)
                continue;
            Plat::Gpu::ShaderResourceView* const view = ViewOf(extra.myTexture);
            context.PSSetShaderResources(extra.myRegister, 1, &view);
        }

        Plat::Gpu::Buffer* const vertexBuffer = aMesh.myVertexBuffer.get();
        const uint32_t stride = aMesh.myStride;
        const uint32_t offset = 0;
        context.IASetIndexBuffer(aMesh.myIndexBuffer.get(), Format::R32_UINT, 0);
        context.IASetVertexBuffers(0, 1, &vertexBuffer, &stride, &offset);

        ++DX11::DrawCallCount;
        context.DrawIndexed(aMesh.myIndexCount, 0, 0);
    }

    void ModelShader::SetDataBufferVector4(const Vector4<float>& aValue, int32_t anIndex)
    {
        if (anIndex < 0 || anIndex >= DATA_SLOTS)
            return;
        myData[static_cast<size_t>(anIndex)] = aValue;
        myHighestDataIndex = std::max(myHighestDataIndex, anIndex);
    }

    void ModelShader::SetTextureAtRegister(TextureResource* aTexture, int32_t aRegister)
    {
        const int32_t slot = aRegister - FIRST_EXTRA_TEXTURE_REGISTER;
        if (slot < 0 || slot >= EXTRA_TEXTURE_SLOTS)
            return;
        myExtraTextures[static_cast<size_t>(slot)] = {aTexture, static_cast<uint8_t>(aRegister)};
        myExtraTextureCount = static_cast<uint8_t>(std::max<int32_t>(myExtraTextureCount, slot + 1));
    }
}

#pragma once
// The shader of a sprite batch: the instanced sprite vertex shader with a pixel shader of
// the caller's choice, up to eight float4 of free data in its own constant buffer
// (register 5 by default, both stages) and up to two extra textures (registers 6 and 7).
#include "forge/math/Vector.h"
#include "forge/shaders/Shader.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Plat::Gpu
{
    class Buffer;
}

namespace Kiln
{
    class TextureResource;
    struct SpriteSharedData;

    class SpriteShader : public Shader
    {
    public:
        static constexpr int32_t DATA_SLOTS = 8;
        static constexpr uint32_t CONSTANT_BUFFER_SIZE = 1024;
        static constexpr int32_t FIRST_EXTRA_TEXTURE_REGISTER = 6;
        static constexpr int32_t EXTRA_TEXTURE_SLOTS = 2;

        SpriteShader();
        ~SpriteShader() override;

        using Shader::Init;
        // Loads both shaders, creates the data buffer and fetches the default normal,
        // material and effect textures.
        bool Init(const std::string& aVertexShaderName, const std::string& aPixelShaderName);
        // The sprite layout; true also when the device refused it (the shader then draws
        // without a layout).
        bool CreateInputLayout(const ByteCode& aVertexShaderByteCode) override;

        // Binds the shader, the batch's four textures (defaults for null ones), the data
        // buffer and the extra textures.
        bool Render(const SpriteSharedData& someSharedData);

        void SetConstantBufferIndex(uint8_t aRegister) { myConstantRegister = aRegister; }
        // Index 0 to 7; other indices change nothing.
        void SetDataBufferVector4(const Vector4f& aValue, int32_t anIndex);
        // Register 6 or 7; other registers change nothing.
        void SetTextureAtRegister(TextureResource* aTexture, int32_t aRegister);

        const std::array<Vector4f, DATA_SLOTS>& GetData() const { return myData; }
        int32_t GetHighestDataIndex() const { return myHighestDataIndex; }
        uint8_t GetConstantRegister() const { return myConstantRegister; }
        Plat::Gpu::Buffer* GetConstantBuffer() const { return myConstantBuffer.get(); }

    private:
        struct ExtraTexture
        {
            TextureResource* myTexture = nullptr;
            uint8_t myRegister = 0;
        };

        TextureResource* myDefaultNormalTexture = nullptr;
        TextureResource* myDefaultMaterialTexture = nullptr;
        TextureResource* myDefaultEffectTexture = nullptr;
        std::array<Vector4f, DATA_SLOTS> myData{};
        int32_t myHighestDataIndex = -1;
        uint8_t myExtraTextureCount = 0;
        std::shared_ptr<Plat::Gpu::Buffer> myConstantBuffer;
        uint8_t myConstantRegister = 5;
        std::array<ExtraTexture, EXTRA_TEXTURE_SLOTS> myExtraTextures{};
    };
}

#pragma once
// Draws model meshes: the engine's 180-byte vertex layout, bone matrices (vertex register
// b5), the object transform (b4, both stages), eight float4 of free data (pixel register
// b8), the mesh's four textures (t1-t4) and up to two extra textures (t6, t7).
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"
#include "forge/model/Skeleton.h"
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
    class Texture;
    class TextureResource;
    struct MeshData;

    class ModelShader : public Shader
    {
    public:
        static constexpr int32_t DATA_SLOTS = 8;
        static constexpr uint32_t BONE_BUFFER_SIZE = sizeof(BonePalette);
        static constexpr uint32_t OBJECT_BUFFER_SIZE = sizeof(Matrix4x4<float>);
        static constexpr uint32_t DATA_BUFFER_SIZE = 1024;
        static constexpr uint32_t BONE_REGISTER = 5;
        static constexpr uint32_t OBJECT_REGISTER = 4;
        static constexpr uint32_t FIRST_TEXTURE_REGISTER = 1;
        static constexpr int32_t FIRST_EXTRA_TEXTURE_REGISTER = 6;
        static constexpr int32_t EXTRA_TEXTURE_SLOTS = 2;

        using Textures = std::array<const Texture*, 4>;

        ModelShader();
        ~ModelShader() override;

        // The default shader pair, "shaders/model_shader_VS" and "shaders/model_shader_PS".
        bool Init() override;
        // Creates the three constant buffers (only the data buffer's failure fails) and
        // loads the shaders.
        bool Init(const std::string& aVertexShaderName, const std::string& aPixelShaderName);
        // The 180-byte vertex layout; true also when the device refused it.
        bool CreateInputLayout(const ByteCode& aVertexShaderByteCode) override;

        // Binds the textures up to the first null (even when the shader did not load),
        // then, when loaded, uploads the bones (someBones null: the buffer is mapped but not
        // written), aTransform x the state stack's world transform and the data, binds the
        // extra textures and the mesh, and draws it.
        void Render(const Textures& someTextures, const MeshData& aMesh, const Matrix4x4<float>& aTransform,
                    const BonePalette* someBones);

        // Index 0 to 7; other indices change nothing.
        void SetDataBufferVector4(const Vector4<float>& aValue, int32_t anIndex);
        // Register 6 or 7; other registers change nothing.
        void SetTextureAtRegister(TextureResource* aTexture, int32_t aRegister);

        static Textures ToTextures(const std::array<TextureResource*, 4>& someTextures);

        const std::array<Vector4<float>, DATA_SLOTS>& GetData() const { return myData; }
        int32_t GetHighestDataIndex() const { return myHighestDataIndex; }
        uint8_t GetExtraTextureCount() const { return myExtraTextureCount; }
        uint8_t GetDataRegister() const { return myDataRegister; }
        Plat::Gpu::Buffer* GetBoneBuffer() const { return myBoneBuffer.get(); }
        Plat::Gpu::Buffer* GetObjectBuffer() const { return myObjectBuffer.get(); }
        Plat::Gpu::Buffer* GetDataBuffer() const { return myDataBuffer.get(); }

    private:
        struct ExtraTexture
        {
            TextureResource* myTexture = nullptr;
            uint8_t myRegister = 0;
        };

        std::array<ExtraTexture, EXTRA_TEXTURE_SLOTS> myExtraTextures{};
        std::array<Vector4<float>, DATA_SLOTS> myData{};
        int32_t myHighestDataIndex = 0;   // slot 0 is always uploaded
        uint8_t myExtraTextureCount = 0;
        std::shared_ptr<Plat::Gpu::Buffer> myBoneBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myObjectBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myDataBuffer;
        uint8_t myDataRegister = 8;
    };

    static_assert(ModelShader::BONE_BUFFER_SIZE == 8192);
    static_assert(ModelShader::OBJECT_BUFFER_SIZE == 64);
}

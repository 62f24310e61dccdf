#pragma once
// Shapes built from free vertices (position, colour, uv). Its shaders, layout and buffers
// are made at start-up; it has no drawing operation yet.
#include "forge/shaders/Shader.h"

#include <memory>

namespace Plat::Gpu
{
    class Buffer;
}

namespace Kiln
{
    class CustomShapeDrawer : public Shader
    {
    public:
        static constexpr uint32_t VERTEX_CAPACITY = 69984;
        static constexpr uint32_t VERTEX_SIZE = 36;
        static constexpr uint32_t CONSTANT_BUFFER_SIZE = 64;

        CustomShapeDrawer();
        ~CustomShapeDrawer() override;

        bool Init() override;
        bool CreateInputLayout(const ByteCode& aVertexShaderByteCode) override;

        Plat::Gpu::Buffer* GetVertexBuffer() const { return myVertexBuffer.get(); }
        Plat::Gpu::Buffer* GetConstantBuffer() const { return myConstantBuffer.get(); }

    private:
        std::shared_ptr<Plat::Gpu::Buffer> myVertexBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myConstantBuffer;
        uint32_t myVertexCapacity = VERTEX_CAPACITY;
    };
}

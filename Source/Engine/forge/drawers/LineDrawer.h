#pragma once
// Lines from coloured vertices. Its shaders, layout and buffer are made at start-up; it
// has no drawing operation yet.
#include "forge/math/Vector.h"
#include "forge/shaders/Shader.h"

#include <array>
#include <memory>

namespace Plat::Gpu
{
    class Buffer;
}

namespace Kiln
{
    class LineDrawer : public Shader
    {
    public:
        static constexpr uint32_t VERTEX_BUFFER_SIZE = 72000;

        // 36 bytes; the vertex buffer reads the first 28 (position and colour).
        struct LineVertex
        {
            float myPosition[3];
            float myColor[4];
            float myUnused[2];
        };
        static_assert(sizeof(LineVertex) == 36);

        LineDrawer();
        ~LineDrawer() override;

        bool Init() override;
        bool CreateInputLayout(const ByteCode& aVertexShaderByteCode) override;

        const std::array<LineVertex, 2>& GetLineVertices() const { return myLineVertices; }
        Plat::Gpu::Buffer* GetVertexBuffer() const { return myVertexBuffer.get(); }

    private:
        std::shared_ptr<Plat::Gpu::Buffer> myVertexBuffer;
        std::array<LineVertex, 2> myLineVertices{};
    };
}

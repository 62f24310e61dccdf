#include "forge/drawers/SpriteDrawer.h"

#include "forge/drawers/SpriteInstanceRecord.h"
#include "forge/graphics/DX11.h"
#include "forge/shaders/SpriteShader.h"

#include "Platform/runtime/Assert.h"

namespace Kiln
{
    SpriteDrawer::SpriteDrawer() = default;

    SpriteDrawer::~SpriteDrawer() = default;

    bool SpriteDrawer::Init()
    {
        myIsLoaded = false;
        if (DX11::Device == nullptr)
            return false;

        Plat::Gpu::BufferDesc instanceDesc;
        instanceDesc.byteWidth = static_cast<uint32_t>(BATCH_SIZE * sizeof(SpriteInstanceRecord));
        instanceDesc.usage = Plat::Gpu::Usage::Dynamic;
        instanceDesc.bindFlags = Plat::Gpu::Bind::VertexBuffer;
        instanceDesc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
        myInstanceVertexBuffer = DX11::Device->CreateBuffer(instanceDesc);
        if (myInstanceVertexBuffer == nullptr)
            return false;

        myDefaultShader = std::make_unique<SpriteShader>();
        if (!myDefaultShader->Init("shaders/instanced_sprite_shader_VS", "shaders/model_shader_vertex_color_textured_PS"))
            return false;

        // Two triangles over x 0 to 1, y -1 to 0.
        const float corners[6][2] = {{0, -1}, {0, 0}, {1, -1}, {1, 0}, {1, -1}, {0, 0}};
        for (uint32_t i = 0; i < 6; ++i)
            myQuadVertices[i] = {{corners[i][0], corners[i][1], 0.0f, 1.0f}, i, {0, 0, 0}};

        Plat::Gpu::BufferDesc quadDesc;
        quadDesc.byteWidth = static_cast<uint32_t>(sizeof(myQuadVertices));
        quadDesc.usage = Plat::Gpu::Usage::Dynamic;
        quadDesc.bindFlags = Plat::Gpu::Bind::VertexBuffer;
        quadDesc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
        Plat::Gpu::SubresourceData quadData;
        quadData.sysMem = myQuadVertices.data();
        myQuadVertexBuffer = DX11::Device->CreateBuffer(quadDesc, &quadData);
        myIsLoaded = myQuadVertexBuffer != nullptr;
        return myIsLoaded;
    }

    SpriteBatchScope SpriteDrawer::BeginBatch(const SpriteSharedData& someSharedData)
    {
        KILN_ASSERT(myIsLoaded);
        KILN_ASSERT(!myIsInBatch);
        // Without buffers, or inside another batch, the scope draws nothing: mapping the
        // instance buffer again would throw away the open batch.
        if (!myIsLoaded || myIsInBatch || DX11::Context == nullptr)
            return SpriteBatchScope(nullptr);

        myIsInBatch = true;
        SpriteShader* shader = someSharedData.myCustomShader ? someSharedData.myCustomShader : myDefaultShader.get();
        shader->Render(someSharedData);

        Plat::Gpu::Buffer* const buffers[2] = {myQuadVertexBuffer.get(), myInstanceVertexBuffer.get()};
        const uint32_t strides[2] = {sizeof(QuadVertex), sizeof(SpriteInstanceRecord)};
        const uint32_t offsets[2] = {0, 0};
        DX11::Context->IASetVertexBuffers(0, 2, buffers, strides, offsets);

        SpriteBatchScope scope(this);
        scope.Map();
        return scope;
    }
}

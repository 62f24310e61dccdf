#include "forge/model/MeshData.h"

#include "forge/graphics/DX11.h"

#include <cstdint>

namespace Kiln
{
    bool MeshData::CreateBuffers()
    {
        myVertexBuffer.reset();
        myIndexBuffer.reset();
        myVertexCount = static_cast<uint32_t>(myVertices.size());
        myIndexCount = static_cast<uint32_t>(myIndices.size());
        if (DX11::Device == nullptr || myVertices.empty() || myIndices.empty())
            return false;
        // A buffer's size is a 32-bit byte count.
        if (myVertices.size() > UINT32_MAX / VERTEX_STRIDE || myIndices.size() > UINT32_MAX / sizeof(uint32_t))
            return false;

        Plat::Gpu::BufferDesc vertexDesc;
        vertexDesc.byteWidth = myVertexCount * VERTEX_STRIDE;
        vertexDesc.usage = Plat::Gpu::Usage::Immutable;
        vertexDesc.bindFlags = Plat::Gpu::Bind::VertexBuffer;
        Plat::Gpu::SubresourceData vertexData;
        vertexData.sysMem = myVertices.data();
        std::shared_ptr<Plat::Gpu::Buffer> vertexBuffer = DX11::Device->CreateBuffer(vertexDesc, &vertexData);
        if (vertexBuffer == nullptr)
            return false;

        Plat::Gpu::BufferDesc indexDesc;
        indexDesc.byteWidth = myIndexCount * static_cast<uint32_t>(sizeof(uint32_t));
        indexDesc.usage = Plat::Gpu::Usage::Immutable;
        indexDesc.bindFlags = Plat::Gpu::Bind::IndexBuffer;
        Plat::Gpu::SubresourceData indexData;
        indexData.sysMem = myIndices.data();
        std::shared_ptr<Plat::Gpu::Buffer> indexBuffer = DX11::Device->CreateBuffer(indexDesc, &indexData);
        if (indexBuffer == nullptr)
            return false;

        myVertexBuffer = std::move(vertexBuffer);
        myIndexBuffer = std::move(indexBuffer);
        return true;
    }
}

#pragma once
// One GPU mesh of a model: immutable vertex and index buffers of the engine's 180-byte
// vertex, the CPU copies they were made from, and the mesh's bounds.
#include "forge/math/Vector.h"

#include "FBXVertex.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat::Gpu
{
    class Buffer;
}

namespace Kiln
{
    // The engine's GPU vertex is the importer's vertex, with the bone indices as floats.
    using ModelVertex = KILNFBXImporter::FBXVertex;

    struct MeshBounds
    {
        float myRadius = 0.0f;
        Vector3<float> myHalfExtents;
        Vector3<float> myCenter;
    };

    struct MeshData
    {
        static constexpr uint32_t VERTEX_STRIDE = sizeof(ModelVertex);

        std::string myName;
        std::string myMaterialName;
        uint32_t myVertexCount = 0;
        uint32_t myIndexCount = 0;
        uint32_t myStride = VERTEX_STRIDE;
        uint32_t myOffset = 0;
        std::shared_ptr<Plat::Gpu::Buffer> myVertexBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myIndexBuffer;
        MeshBounds myBounds;
        std::vector<ModelVertex> myVertices;
        std::vector<uint32_t> myIndices;

        // Creates the immutable buffers from myVertices and myIndices and sets the counts.
        // False, leaving no buffers, when there is no device or it refuses either buffer.
        bool CreateBuffers();
    };

    static_assert(MeshData::VERTEX_STRIDE == 180);
}

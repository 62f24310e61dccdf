#pragma once
// The one instanced sprite batcher: every 2D draw of the engine and game goes through it.
// Each instance is one 112-byte record drawn as an instance of a six-vertex unit quad.
#include "forge/drawers/SpriteBatchScope.h"
#include "forge/drawers/SpriteSharedData.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Plat::Gpu
{
    class Buffer;
}

namespace Kiln
{
    class SpriteShader;

    class SpriteDrawer
    {
    public:
        static constexpr uint64_t BATCH_SIZE = 1024;

        // One corner of the unit quad (vertex buffer slot 0).
        struct QuadVertex
        {
            float myPosition[4];
            uint32_t myIndex;
            uint32_t myPadding[3];
        };
        static_assert(sizeof(QuadVertex) == 32);

        SpriteDrawer();
        ~SpriteDrawer();
        SpriteDrawer(const SpriteDrawer&) = delete;
        SpriteDrawer& operator=(const SpriteDrawer&) = delete;

        // Creates the buffers and the default shader; the result is also kept in IsLoaded.
        bool Init();

        // Binds the batch's shader and textures and opens the batch. One batch at a time.
        SpriteBatchScope BeginBatch(const SpriteSharedData& someSharedData);

        bool IsLoaded() const { return myIsLoaded; }
        bool IsInBatch() const { return myIsInBatch; }
        SpriteShader* GetDefaultShader() const { return myDefaultShader.get(); }

    private:
        friend class SpriteBatchScope;

        std::shared_ptr<Plat::Gpu::Buffer> myQuadVertexBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myInstanceVertexBuffer;
        std::array<QuadVertex, 6> myQuadVertices{};
        std::unique_ptr<SpriteShader> myDefaultShader;
        bool myIsLoaded = false;
        bool myIsInBatch = false;
    };
}

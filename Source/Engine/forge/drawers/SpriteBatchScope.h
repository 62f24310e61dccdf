#pragma once
// An open sprite batch: instances written here go straight into the drawer's mapped
// instance buffer; every 1024 of them are drawn at once, and the rest when the scope ends.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/Sprite3DInstanceData.h"

#include <cstddef>
#include <cstdint>

namespace Kiln
{
    class SpriteDrawer;
    struct SpriteInstanceRecord;

    class SpriteBatchScope
    {
    public:
        SpriteBatchScope(SpriteBatchScope&& anOther) noexcept;
        SpriteBatchScope& operator=(SpriteBatchScope&&) = delete;
        SpriteBatchScope(const SpriteBatchScope&) = delete;
        SpriteBatchScope& operator=(const SpriteBatchScope&) = delete;
        // Draws what is left and ends the batch.
        ~SpriteBatchScope();

        // Hidden records are skipped and take no room.
        void Draw(const Sprite2DInstanceData& anInstance) { Draw(&anInstance, 1); }
        void Draw(const Sprite3DInstanceData& anInstance) { Draw(&anInstance, 1); }
        void Draw(const Sprite2DInstanceData* someInstances, size_t aCount);
        void Draw(const Sprite3DInstanceData* someInstances, size_t aCount);

        // False for a scope that draws nothing (its drawer was not loaded or already in a batch).
        bool IsOpen() const { return mySpriteDrawer != nullptr; }

    private:
        friend class SpriteDrawer;
        explicit SpriteBatchScope(SpriteDrawer* aSpriteDrawer);

        template <typename InstanceType>
        void DrawInstances(const InstanceType* someInstances, size_t aCount);
        void Flush();
        void Map();

        SpriteDrawer* mySpriteDrawer = nullptr;
        SpriteInstanceRecord* myMapped = nullptr;
        uint64_t myInstanceCount = 0;
    };
}

#include "forge/drawers/SpriteBatchScope.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/drawers/SpriteInstanceRecord.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"

#include "Platform/runtime/Assert.h"

namespace Kiln
{
    namespace
    {
        constexpr uint64_t BATCH_SIZE = SpriteDrawer::BATCH_SIZE;

        const Matrix4x4f& WorldTransform()
        {
            static const Matrix4x4f identity;
            Engine* engine = Engine::GetInstance();
            GraphicsEngine* graphics = engine != nullptr ? engine->GetGraphicsEngine() : nullptr;
            GraphicsStateStack* stack = graphics != nullptr ? graphics->GetGraphicsStateStack() : nullptr;
            return stack != nullptr ? stack->GetTransform() : identity;
        }
    }

    SpriteBatchScope::SpriteBatchScope(SpriteDrawer* aSpriteDrawer) : mySpriteDrawer(aSpriteDrawer) {}

    SpriteBatchScope::SpriteBatchScope(SpriteBatchScope&& anOther) noexcept
        : mySpriteDrawer(anOther.mySpriteDrawer), myMapped(anOther.myMapped), myInstanceCount(anOther.myInstanceCount)
    {
        anOther.mySpriteDrawer = nullptr;
        anOther.myMapped = nullptr;
        anOther.myInstanceCount = 0;
    }

    SpriteBatchScope::~SpriteBatchScope()
    {
        if (mySpriteDrawer == nullptr)
            return;
        Flush();
        KILN_ASSERT_AS(mySpriteDrawer->myIsInBatch, "myIsInBatch");
        mySpriteDrawer->myIsInBatch = false;
        mySpriteDrawer = nullptr;
    }

    void SpriteBatchScope::Draw(const Sprite2DInstanceData* someInstances, size_t aCount)
    {
        DrawInstances(someInstances, aCount);
    }

    void SpriteBatchScope::Draw(const Sprite3DInstanceData* someInstances, size_t aCount)
    {
        DrawInstances(someInstances, aCount);
    }

    template <typename InstanceType>
    void SpriteBatchScope::DrawInstances(const InstanceType* someInstances, size_t aCount)
    {
        KILN_ASSERT(myInstanceCount < BATCH_SIZE);
        if (mySpriteDrawer == nullptr || someInstances == nullptr)
            return;

        const Matrix4x4f& world = WorldTransform();
        const bool worldIsIdentity = world == Matrix4x4f();
        for (size_t i = 0; i < aCount; ++i)
        {
            const InstanceType& instance = someInstances[i];
            if (instance.myIsHidden)
                continue;
            // A failed map leaves nothing to write into; those instances are lost.
            if (myMapped == nullptr)
                return;
            WriteSpriteInstance(myMapped[myInstanceCount], instance, world, worldIsIdentity);
            ++myInstanceCount;
            if (myInstanceCount == BATCH_SIZE)
            {
                Flush();
                Map();
            }
        }
    }

    void SpriteBatchScope::Flush()
    {
        KILN_ASSERT(mySpriteDrawer);
        if (mySpriteDrawer == nullptr || DX11::Context == nullptr)
            return;
        if (myMapped != nullptr)
            DX11::Context->Unmap(mySpriteDrawer->myInstanceVertexBuffer.get(), 0);
        ++DX11::DrawCallCount;
        DX11::Context->DrawInstanced(6, static_cast<uint32_t>(myInstanceCount), 0, 0);
        myMapped = nullptr;
        myInstanceCount = 0;
    }

    void SpriteBatchScope::Map()
    {
        KILN_ASSERT(mySpriteDrawer);
        KILN_ASSERT(myInstanceCount == 0);
        if (mySpriteDrawer == nullptr || DX11::Context == nullptr)
            return;
        Plat::Gpu::MappedSubresource mapped;
        if (DX11::Context->Map(mySpriteDrawer->myInstanceVertexBuffer.get(), 0, Plat::Gpu::MapType::WriteDiscard, 0,
                               &mapped))
            myMapped = static_cast<SpriteInstanceRecord*>(mapped.data);
    }
}

#pragma once
// A running engine with a fresh model factory per test, and small helpers for models.
#include "forge/model/ModelFactory.h"

#include "FbxModelBuilder.h"
#include "Support/RunningEngine.h"

#include <bit>

namespace ModelTest
{
    class ModelFactoryTest : public RunningEngineTest
    {
    protected:
        void SetUp() override
        {
            RunningEngineTest::SetUp();
            myFactory = &Kiln::ModelFactory::GetInstance();
        }
        void TearDown() override
        {
            Kiln::ModelFactory::DestroyInstance();
            RunningEngineTest::TearDown();
        }

        Kiln::ModelFactory* myFactory = nullptr;
    };

    // A bone index slot of an engine vertex holds a float.
    inline float BoneIndex(const Kiln::ModelVertex& aVertex, size_t aSlot)
    {
        return std::bit_cast<float>(aVertex.boneIndices[aSlot]);
    }
}

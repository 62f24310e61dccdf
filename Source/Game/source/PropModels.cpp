#include "PropModels.h"

#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/model/ModelInstance.h"

Kiln::Vector2<float> GetModelHalfExtents(const Kiln::ModelInstance& anInstance)
{
    const Kiln::Model* model = anInstance.GetModel().get();
    if (model == nullptr || model->GetMeshes().empty())
        return {0.0f, 0.0f};
    const Kiln::Vector3<float>& half = model->GetMeshes().front().myBounds.myHalfExtents;
    return {half.x, half.y};
}

float GetRowLength(const Kiln::Matrix4x4<float>& aTransform, std::size_t aRow)
{
    return aTransform.GetRow(aRow).Length();
}

Kiln::ModelDrawer* GetModelDrawer()
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr || engine->GetGraphicsEngine() == nullptr)
        return nullptr;
    return engine->GetGraphicsEngine()->GetModelDrawer();
}

#include "forge/model/ModelInstance.h"

#include "forge/shaders/ModelShader.h"
#include "forge/texture/TextureResource.h"

#include <algorithm>

namespace Kiln
{
    void ModelInstance::SetModel(const std::shared_ptr<Model>& aModel)
    {
        myModel = aModel;
        if (myModel != nullptr)
            myTextureSets = myModel->GetTextureSets();
    }

    void ModelInstance::Render(ModelShader& aShader) const
    {
        if (myModel == nullptr)
            return;
        const std::vector<MeshData>& meshes = myModel->GetMeshes();
        const size_t count = std::min(meshes.size(), MAX_MESHES_PER_MODEL);
        for (size_t i = 0; i < count; ++i)
            aShader.Render(ModelShader::ToTextures(myTextureSets[i]), meshes[i], myTransform, nullptr);
    }
}

#include "forge/model/AnimatedModelInstance.h"

#include "forge/model/AnimationPlayer.h"
#include "forge/shaders/ModelShader.h"

#include <algorithm>

namespace Kiln
{
    AnimatedModelInstance::AnimatedModelInstance() = default;
    AnimatedModelInstance::~AnimatedModelInstance() = default;
    AnimatedModelInstance::AnimatedModelInstance(const AnimatedModelInstance&) = default;
    AnimatedModelInstance& AnimatedModelInstance::operator=(const AnimatedModelInstance&) = default;

    void AnimatedModelInstance::SetModel(const std::shared_ptr<Model>& aModel)
    {
        myModel = aModel;
        if (myModel != nullptr)
            myTextureSets = myModel->GetTextureSets();
    }

    void AnimatedModelInstance::Render(ModelShader& aShader) const
    {
        if (myModel == nullptr)
            return;
        const std::vector<MeshData>& meshes = myModel->GetMeshes();
        const size_t count = std::min(meshes.size(), MAX_MESHES_PER_MODEL);
        for (size_t i = 0; i < count; ++i)
            aShader.Render(ModelShader::ToTextures(myTextureSets[i]), meshes[i], myTransform, &myBones);
    }

    void AnimatedModelInstance::SetPose(const AnimationPlayer& aPlayer)
    {
        ApplyPose(aPlayer.GetPose());
    }

    void AnimatedModelInstance::ApplyPose(const LocalSpacePose& aPose)
    {
        if (myModel == nullptr)
            return;
        ModelSpacePose modelSpace;
        const Skeleton& skeleton = myModel->GetSkeleton();
        skeleton.ComputeModelSpacePose(aPose, modelSpace);
        skeleton.ApplyInverseBindPose(modelSpace, myBones);
    }
}

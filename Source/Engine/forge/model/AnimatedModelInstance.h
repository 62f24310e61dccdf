#pragma once
// A skinned model placed in the world: like a model instance, plus the 128 bone matrices
// of the last pose applied to it (identity until then).
#include "forge/math/Matrix4x4.h"
#include "forge/model/Model.h"
#include "forge/model/Skeleton.h"

#include <memory>

namespace Kiln
{
    class AnimationPlayer;
    class ModelShader;

    class AnimatedModelInstance
    {
    public:
        AnimatedModelInstance();
        ~AnimatedModelInstance();
        AnimatedModelInstance(const AnimatedModelInstance&);
        AnimatedModelInstance& operator=(const AnimatedModelInstance&);

        void SetModel(const std::shared_ptr<Model>& aModel);
        void SetTransform(const Matrix4x4<float>& aTransform) { myTransform = aTransform; }

        // One draw per mesh with the bone palette. Nothing without a model.
        void Render(ModelShader& aShader) const;

        // Applies the player's current pose.
        void SetPose(const AnimationPlayer& aPlayer);
        // Evaluates aPose through the model's skeleton into the bone palette; allocates
        // nothing. Without a model the palette is left as it is.
        void ApplyPose(const LocalSpacePose& aPose);

        const std::shared_ptr<Model>& GetModel() const { return myModel; }
        const Matrix4x4<float>& GetTransform() const { return myTransform; }
        const TextureSets& GetTextureSets() const { return myTextureSets; }
        TextureSets& GetTextureSets() { return myTextureSets; }
        const BonePalette& GetBones() const { return myBones; }

    private:
        Matrix4x4<float> myTransform;
        std::shared_ptr<Model> myModel;
        TextureSets myTextureSets{};
        BonePalette myBones{};
    };
}

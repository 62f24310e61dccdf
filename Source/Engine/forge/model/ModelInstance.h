#pragma once
// A static model placed in the world: shares its model, owns its world transform and its
// own copy of the model's texture sets (which a placement may override).
#include "forge/math/Matrix4x4.h"
#include "forge/model/Model.h"

#include <memory>

namespace Kiln
{
    class ModelShader;

    class ModelInstance
    {
    public:
        // Takes the model and a copy of its texture sets.
        void SetModel(const std::shared_ptr<Model>& aModel);
        void SetTransform(const Matrix4x4<float>& aTransform) { myTransform = aTransform; }

        // One draw per mesh with the mesh's texture set and no bones. Nothing without a model.
        void Render(ModelShader& aShader) const;

        const std::shared_ptr<Model>& GetModel() const { return myModel; }
        const Matrix4x4<float>& GetTransform() const { return myTransform; }
        const TextureSets& GetTextureSets() const { return myTextureSets; }
        TextureSets& GetTextureSets() { return myTextureSets; }

    private:
        std::shared_ptr<Model> myModel;
        TextureSets myTextureSets{};
        Matrix4x4<float> myTransform;
    };
}

#include "Platform/fbx/Node.h"

#include "Platform/fbx/Animation.h"
#include "Platform/fbx/LodGroup.h"
#include "Platform/fbx/Scene.h"

#include <cmath>

namespace Plat::Fbx
{
    namespace
    {
        // The rotation part of an affine matrix: its basis rows made unit length.
        AMatrix RotationPart(const AMatrix& aMatrix)
        {
            AMatrix rotation;
            for (int r = 0; r < 3; ++r)
            {
                const Vector4 row = aMatrix.GetRow(r);
                const double length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
                if (length > 0.0)
                    rotation.SetRow(r, Vector4(row[0] / length, row[1] / length, row[2] / length, 0.0));
            }
            return rotation;
        }

        AMatrix WithoutTranslation(AMatrix aMatrix)
        {
            aMatrix.SetRow(3, Vector4(0.0, 0.0, 0.0, 1.0));
            return aMatrix;
        }
    }

    Mesh* Node::GetMesh() const
    {
        return myAttribute && myAttribute->GetAttributeType() == NodeAttribute::EType::Mesh ? static_cast<Mesh*>(myAttribute)
                                                                                              : nullptr;
    }

    LodGroup* Node::GetLodGroup() const
    {
        return myAttribute && myAttribute->GetAttributeType() == NodeAttribute::EType::LODGroup
                   ? static_cast<LodGroup*>(myAttribute)
                   : nullptr;
    }

    const NodeChannels* Node::CurrentChannels() const
    {
        if (myScene == nullptr)
            return nullptr;
        const int stack = myScene->GetCurrentAnimationStackIndex();
        return stack >= 0 && stack < static_cast<int>(myChannels.size()) ? &myChannels[static_cast<size_t>(stack)] : nullptr;
    }

    Vector4 Node::Channels(int aFirst, const Vector4& aStatic, Time aTime) const
    {
        Vector4 value = aStatic;
        if (const NodeChannels* channels = CurrentChannels())
            for (int axis = 0; axis < 3; ++axis)
            {
                const AnimChannel& channel = (*channels)[static_cast<size_t>(aFirst + axis)];
                if (channel.curve != nullptr)
                    value[axis] = channel.curve->Evaluate(aTime) * channel.factor;
            }
        return value;
    }

    Vector4 Node::EvaluateLocalTranslation(Time aTime) const { return Channels(0, myTransform.translation, aTime); }
    Vector4 Node::EvaluateLocalRotation(Time aTime) const { return Channels(3, myTransform.rotation, aTime); }
    Vector4 Node::EvaluateLocalScaling(Time aTime) const { return Channels(6, myTransform.scaling, aTime); }

    AMatrix Node::EvaluateGlobalTransform(Time aTime, PivotSet) const
    {
        // From the top of the chain down, so deep hierarchies cost no stack.
        std::vector<const Node*> chain;
        for (const Node* node = this; node != nullptr; node = node->myParent)
            chain.push_back(node);
        AMatrix global;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            global = (*it)->GlobalFromParent(it == chain.rbegin() ? nullptr : &global, aTime);
        return global;
    }

    AMatrix Node::GlobalFromParent(const AMatrix* aParentGlobal, Time aTime) const
    {
        const NodeTransform& x = myTransform;
        const AMatrix t = AMatrix::Translation(EvaluateLocalTranslation(aTime));
        const AMatrix r = AMatrix::Rotation(EvaluateLocalRotation(aTime), x.rotationOrder);
        const AMatrix s = AMatrix::Scaling(EvaluateLocalScaling(aTime));
        const AMatrix pre = AMatrix::Rotation(x.preRotation);
        const AMatrix postInverse = AMatrix::Rotation(x.postRotation).Inverse();
        const AMatrix rotationOffset = AMatrix::Translation(x.rotationOffset);
        const AMatrix rotationPivot = AMatrix::Translation(x.rotationPivot);
        const AMatrix scalingOffset = AMatrix::Translation(x.scalingOffset);
        const AMatrix scalingPivot = AMatrix::Translation(x.scalingPivot);

        const AMatrix local = t * rotationOffset * rotationPivot * pre * r * postInverse * rotationPivot.Inverse() *
                              scalingOffset * scalingPivot * s * scalingPivot.Inverse();
        if (aParentGlobal == nullptr || myParent == nullptr)
            return local;

        const AMatrix& parentGlobal = *aParentGlobal;
        const AMatrix parentRotation = RotationPart(parentGlobal);
        const AMatrix parentScaling = parentRotation.Inverse() * WithoutTranslation(parentGlobal);
        const AMatrix localRotation = pre * r * postInverse;

        AMatrix globalRS;
        switch (x.inheritType)
        {
        case InheritType::RSrs: globalRS = parentRotation * parentScaling * localRotation * s; break;
        case InheritType::Rrs:
        {
            const AMatrix parentLocalScaling = AMatrix::Scaling(myParent->EvaluateLocalScaling(aTime));
            globalRS = parentRotation * localRotation * (parentScaling * parentLocalScaling.Inverse()) * s;
            break;
        }
        case InheritType::RrSs:
        default: globalRS = parentRotation * localRotation * parentScaling * s; break;
        }
        const Vector4 globalTranslation = parentGlobal.MultT(local.GetT());
        return AMatrix::Translation(globalTranslation) * globalRS;
    }

    AMatrix Node::EvaluateLocalTransform(Time aTime, PivotSet aPivotSet) const
    {
        const AMatrix global = EvaluateGlobalTransform(aTime, aPivotSet);
        if (myParent == nullptr)
            return global;
        return myParent->EvaluateGlobalTransform(aTime, aPivotSet).Inverse() * global;
    }
}

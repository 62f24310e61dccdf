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

        bool IsZero(const Vector4& aVector)
        {
            return aVector[0] == 0.0 && aVector[1] == 0.0 && aVector[2] == 0.0;
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
        AMatrix parentGlobal;
        return ChainGlobal(aTime, parentGlobal);
    }

    const AMatrix* Node::CachedGlobal(Time aTime) const
    {
        const GlobalCache& c = myGlobalCache;
        if (!c.valid || myScene == nullptr || c.ticks != aTime.Get() || c.stack != myScene->GetCurrentAnimationStackIndex() ||
            c.revision != myScene->myRevision)
            return nullptr;
        return &c.global;
    }

    void Node::StoreGlobal(Time aTime, const AMatrix& aGlobal) const
    {
        if (myScene == nullptr)
            return;
        myGlobalCache = GlobalCache{true, aTime.Get(), myScene->GetCurrentAnimationStackIndex(), myScene->myRevision, aGlobal};
    }

    AMatrix Node::ChainGlobal(Time aTime, AMatrix& aParentGlobal) const
    {
        // Up to the nearest ancestor evaluated at this time, then from there down, so deep
        // hierarchies cost no stack.
        std::vector<const Node*> chain;
        AMatrix global;
        bool hasTop = false;
        for (const Node* node = myParent; node != nullptr; node = node->myParent)
        {
            if (const AMatrix* cached = node->CachedGlobal(aTime))
            {
                global = *cached;
                hasTop = true;
                break;
            }
            chain.push_back(node);
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        {
            global = (*it)->GlobalFromParent(hasTop ? &global : nullptr, aTime);
            (*it)->StoreGlobal(aTime, global);
            hasTop = true;
        }
        aParentGlobal = global;
        if (const AMatrix* cached = CachedGlobal(aTime))
            return *cached;
        const AMatrix mine = GlobalFromParent(myParent != nullptr ? &aParentGlobal : nullptr, aTime);
        StoreGlobal(aTime, mine);
        return mine;
    }

    AMatrix Node::GlobalFromParent(const AMatrix* aParentGlobal, Time aTime) const
    {
        const NodeTransform& x = myTransform;
        const AMatrix t = AMatrix::Translation(EvaluateLocalTranslation(aTime));
        const AMatrix r = AMatrix::Rotation(EvaluateLocalRotation(aTime), x.rotationOrder);
        const AMatrix s = AMatrix::Scaling(EvaluateLocalScaling(aTime));

        // local = T * Roff * Rp * Rpre * R * Rpost^-1 * Rp^-1 * Soff * Sp * S * Sp^-1; most
        // of these are identities in practice, and their products are skipped.
        AMatrix localRotation = r;
        if (!IsZero(x.preRotation))
            localRotation = AMatrix::Rotation(x.preRotation) * localRotation;
        if (!IsZero(x.postRotation))
            localRotation = localRotation * AMatrix::Rotation(x.postRotation).Inverse();
        AMatrix local = t;
        auto then = [&local](const Vector4& aTranslation, double aSign) {
            if (!IsZero(aTranslation))
                local = local * AMatrix::Translation(
                                    Vector4(aSign * aTranslation[0], aSign * aTranslation[1], aSign * aTranslation[2]));
        };
        then(x.rotationOffset, 1.0);
        then(x.rotationPivot, 1.0);
        local = local * localRotation;
        then(x.rotationPivot, -1.0);
        then(x.scalingOffset, 1.0);
        then(x.scalingPivot, 1.0);
        local = local * s;
        then(x.scalingPivot, -1.0);
        if (aParentGlobal == nullptr || myParent == nullptr)
            return local;

        const AMatrix& parentGlobal = *aParentGlobal;
        const AMatrix parentRotation = RotationPart(parentGlobal);
        const AMatrix parentScaling = parentRotation.Inverse() * WithoutTranslation(parentGlobal);

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

    AMatrix Node::EvaluateLocalTransform(Time aTime, PivotSet) const
    {
        // The parent's global comes out of the same walk down the chain.
        AMatrix parentGlobal;
        const AMatrix global = ChainGlobal(aTime, parentGlobal);
        if (myParent == nullptr)
            return global;
        return parentGlobal.Inverse() * global;
    }
}

#pragma once
// Scene nodes: the hierarchy, the attribute (mesh, skeleton, null, LOD group), the
// materials, and the transform evaluated at a time from the node's properties and
// their animation curves.
#include "Platform/fbx/Matrix.h"
#include "Platform/fbx/Mesh.h"
#include "Platform/fbx/Object.h"
#include "Platform/fbx/Time.h"

#include <array>
#include <vector>

namespace Plat::Fbx
{
    class AnimCurve;
    class LodGroup;
    class Scene;
    class SurfaceMaterial;

    enum class PivotSet
    {
        SourcePivot,
        DestinationPivot, // same values as the source set here: pivots are never converted
    };

    // How a node takes over its parent's scaling.
    enum class InheritType : int
    {
        RrSs = 0,
        RSrs = 1,
        Rrs = 2, // the parent's own scaling is not inherited
    };

    // One animated channel: the curve's value times a factor (unit and axis
    // conversions fold into the factor).
    struct AnimChannel
    {
        const AnimCurve* curve = nullptr;
        double factor = 1.0;
    };

    struct NodeTransform
    {
        Vector4 translation;
        Vector4 rotation;             // Euler degrees in rotationOrder
        Vector4 scaling{1.0, 1.0, 1.0};
        Vector4 preRotation;          // Euler XYZ degrees
        Vector4 postRotation;         // Euler XYZ degrees
        Vector4 rotationOffset;
        Vector4 rotationPivot;
        Vector4 scalingOffset;
        Vector4 scalingPivot;
        RotationOrder rotationOrder = RotationOrder::EulerXYZ;
        InheritType inheritType = InheritType::RrSs;
        Vector4 geometricTranslation;
        Vector4 geometricRotation;    // Euler XYZ degrees
        Vector4 geometricScaling{1.0, 1.0, 1.0};

        // The members that are points in space, which unit and axis conversions move.
        std::array<Vector4*, 6> Positions()
        {
            return {&translation, &rotationOffset, &rotationPivot, &scalingOffset, &scalingPivot, &geometricTranslation};
        }
    };

    // Channels 0-2 translation, 3-5 rotation, 6-8 scaling, for one animation stack.
    using NodeChannels = std::array<AnimChannel, 9>;

    class Node : public SceneObject
    {
    public:
        int GetChildCount() const { return static_cast<int>(myChildren.size()); }
        Node* GetChild(int anIndex) const
        {
            return anIndex >= 0 && anIndex < GetChildCount() ? myChildren[static_cast<size_t>(anIndex)] : nullptr;
        }
        Node* GetParent() const { return myParent; }

        NodeAttribute* GetNodeAttribute() const { return myAttribute; }
        Mesh* GetMesh() const;
        LodGroup* GetLodGroup() const;

        int GetMaterialCount() const { return static_cast<int>(myMaterials.size()); }
        SurfaceMaterial* GetMaterial(int anIndex) const
        {
            return anIndex >= 0 && anIndex < GetMaterialCount() ? myMaterials[static_cast<size_t>(anIndex)] : nullptr;
        }

        Vector4 GetGeometricTranslation(PivotSet) const { return myTransform.geometricTranslation; }
        Vector4 GetGeometricRotation(PivotSet) const { return myTransform.geometricRotation; }
        Vector4 GetGeometricScaling(PivotSet) const { return myTransform.geometricScaling; }

        // Translation, rotation and scaling at aTime on the scene's current stack.
        Vector4 EvaluateLocalTranslation(Time aTime) const;
        Vector4 EvaluateLocalRotation(Time aTime) const;
        Vector4 EvaluateLocalScaling(Time aTime) const;

        // The transform relative to the parent (the parent's global inverse times this
        // node's global) and the transform in scene space, without the geometric one.
        AMatrix EvaluateLocalTransform(Time aTime = Time(), PivotSet aPivotSet = PivotSet::SourcePivot) const;
        AMatrix EvaluateGlobalTransform(Time aTime = Time(), PivotSet aPivotSet = PivotSet::SourcePivot) const;

        // Storage, filled by the scene builder and the converters.
        Scene* myScene = nullptr;
        Node* myParent = nullptr;
        std::vector<Node*> myChildren;
        NodeAttribute* myAttribute = nullptr;
        std::vector<SurfaceMaterial*> myMaterials;
        NodeTransform myTransform;
        std::vector<NodeChannels> myChannels; // one entry per animation stack of the scene

    private:
        const NodeChannels* CurrentChannels() const;
        // This node's global transform given its parent's (null for a node without one).
        AMatrix GlobalFromParent(const AMatrix* aParentGlobal, Time aTime) const;
        // The global transform, walking down from the root; aParentGlobal gets the parent's.
        AMatrix ChainGlobal(Time aTime, AMatrix& aParentGlobal) const;
        Vector4 Channels(int aFirst, const Vector4& aStatic, Time aTime) const;

        // The last global transform evaluated, while time, stack and scene revision match:
        // sampling every joint of a frame then evaluates each node of the chain once.
        const AMatrix* CachedGlobal(Time aTime) const;
        void StoreGlobal(Time aTime, const AMatrix& aGlobal) const;
        struct GlobalCache
        {
            bool valid = false;
            int64_t ticks = 0;
            int stack = 0;
            uint64_t revision = 0;
            AMatrix global;
        };
        mutable GlobalCache myGlobalCache;
    };
}

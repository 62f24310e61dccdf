#pragma once
// One imported file: the node tree under an unnamed root, the global settings, the
// materials, textures, deformers and animation of the file, in file order.
#include "Platform/fbx/Animation.h"
#include "Platform/fbx/AxisSystem.h"
#include "Platform/fbx/LodGroup.h"
#include "Platform/fbx/Material.h"
#include "Platform/fbx/Mesh.h"
#include "Platform/fbx/Node.h"
#include "Platform/fbx/Object.h"
#include "Platform/fbx/Skin.h"
#include "Platform/fbx/SystemUnit.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Plat::Fbx
{
    class GlobalSettings
    {
    public:
        const SystemUnit& GetSystemUnit() const { return myUnit; }
        void SetSystemUnit(const SystemUnit& aUnit) { myUnit = aUnit; }
        const AxisSystem& GetAxisSystem() const { return myAxes; }
        void SetAxisSystem(const AxisSystem& someAxes) { myAxes = someAxes; }
        const TimeMode& GetTimeMode() const { return myTimeMode; }
        void SetTimeMode(const TimeMode& aMode) { myTimeMode = aMode; }
        const TimeSpan& GetTimelineDefaultTimeSpan() const { return myTimeline; }
        void SetTimelineDefaultTimeSpan(const TimeSpan& aSpan) { myTimeline = aSpan; }

    private:
        SystemUnit myUnit = SystemUnit::cm;
        AxisSystem myAxes;
        TimeMode myTimeMode;
        TimeSpan myTimeline;
    };

    class Scene : public Object
    {
    public:
        static Scene* Create(Manager* aManager, const std::string& aName);

        Node* GetRootNode() const { return myRoot; }
        GlobalSettings& GetGlobalSettings() { return mySettings; }
        const GlobalSettings& GetGlobalSettings() const { return mySettings; }

        int GetNodeCount() const { return static_cast<int>(myNodes.size()); }
        Node* GetNode(int anIndex) const { return Pick(myNodes, anIndex); }
        // The first node of that name, depth first from the root.
        Node* FindNodeByName(std::string_view aName) const;

        int GetMaterialCount() const { return static_cast<int>(myMaterials.size()); }
        SurfaceMaterial* GetMaterial(int anIndex) const { return Pick(myMaterials, anIndex); }

        int GetGeometryCount() const { return static_cast<int>(myMeshes.size()); }
        Mesh* GetGeometry(int anIndex) const { return Pick(myMeshes, anIndex); }

        int GetAnimStackCount() const { return static_cast<int>(myStacks.size()); }
        AnimStack* GetAnimStack(int anIndex) const { return Pick(myStacks, anIndex); }
        // Node evaluation follows the current stack: the first one unless changed.
        AnimStack* GetCurrentAnimationStack() const { return GetAnimStack(myCurrentStack); }
        void SetCurrentAnimationStack(const AnimStack* aStack);
        int GetCurrentAnimationStackIndex() const { return myCurrentStack; }

        // The take of a stack: its Takes entry or, without one, the stack's own time
        // spans (filled in when the scene is built); null for an unknown name.
        const TakeInfo* GetTakeInfo(std::string_view aStackName) const;

        // Materials connected to a mesh instead of its node move to every node that
        // uses the mesh. True when anything was connected.
        bool ConnectMaterials();

        // Storage, filled by the scene builder.
        template <class T>
        T* Add(std::unique_ptr<T> anObject, std::vector<T*>* aList = nullptr)
        {
            T* raw = anObject.get();
            myOwned.push_back(std::move(anObject));
            if (aList != nullptr)
                aList->push_back(raw);
            return raw;
        }
        void IndexNodeNames();

        Node* myRoot = nullptr;
        std::vector<Node*> myNodes; // every node but the root, in file order
        std::vector<Mesh*> myMeshes;
        std::vector<SurfaceMaterial*> myMaterials;
        std::vector<Texture*> myTextures;
        std::vector<Skin*> mySkins;
        std::vector<Cluster*> myClusters;
        std::vector<LodGroup*> myLodGroups;
        std::vector<AnimStack*> myStacks;
        std::vector<AnimCurve*> myCurves;
        std::vector<TakeInfo> myTakes;
        // Materials the file connected to a mesh rather than to a node.
        std::vector<std::pair<Mesh*, SurfaceMaterial*>> myMeshMaterials;
        // Bumped by whatever changes node transforms or curves after the build (the unit and
        // axis conversions): evaluated transforms cached by the nodes are stale after that.
        uint64_t myRevision = 0;

    private:
        using Object::Object;

        template <class T>
        static T* Pick(const std::vector<T*>& someItems, int anIndex)
        {
            return anIndex >= 0 && anIndex < static_cast<int>(someItems.size()) ? someItems[static_cast<size_t>(anIndex)]
                                                                                  : nullptr;
        }

        GlobalSettings mySettings;
        int myCurrentStack = 0;
        std::vector<std::unique_ptr<SceneObject>> myOwned;
        std::unordered_map<std::string, Node*> myNodesByName;
    };
}

#include "Platform/fbx/SystemUnit.h"

#include "Platform/fbx/Scene.h"

#include <cmath>

namespace Plat::Fbx
{
    const SystemUnit SystemUnit::mm(0.1);
    const SystemUnit SystemUnit::cm(1.0);
    const SystemUnit SystemUnit::dm(10.0);
    const SystemUnit SystemUnit::m(100.0);
    const SystemUnit SystemUnit::km(100000.0);
    const SystemUnit SystemUnit::Inch(2.54);
    const SystemUnit SystemUnit::Foot(30.48);

    bool SystemUnit::operator==(const SystemUnit& anOther) const
    {
        return std::fabs(myScaleFactor - anOther.myScaleFactor) <= 1e-9 * std::fabs(myScaleFactor);
    }

    void SystemUnit::ConvertScene(Scene* aScene, const ConversionOptions& someOptions) const
    {
        if (aScene == nullptr)
            return;
        const double factor = aScene->GetGlobalSettings().GetSystemUnit().GetScaleFactor() / myScaleFactor;
        if (factor == 1.0)
        {
            aScene->GetGlobalSettings().SetSystemUnit(*this);
            return;
        }
        auto scale = [factor](Vector4& v) {
            for (int i = 0; i < 3; ++i)
                v[i] *= factor;
        };

        for (Mesh* mesh : aScene->myMeshes)
            for (double& coordinate : mesh->myControlPoints)
                coordinate *= factor;

        std::vector<Node*> nodes = aScene->myNodes;
        nodes.push_back(aScene->myRoot);
        for (Node* node : nodes)
        {
            NodeTransform& x = node->myTransform;
            for (Vector4* v : x.Positions())
                scale(*v);
            for (NodeChannels& channels : node->myChannels)
                for (int axis = 0; axis < 3; ++axis)
                    channels[static_cast<size_t>(axis)].factor *= factor;
        }

        if (someOptions.mConvertClusters)
            for (Cluster* cluster : aScene->myClusters)
                for (AMatrix* m : {&cluster->myTransform, &cluster->myTransformLink})
                    for (int c = 0; c < 3; ++c)
                        m->At(3, c) *= factor;

        for (LodGroup* group : aScene->myLodGroups)
            for (double& threshold : group->myThresholds)
                threshold *= factor;

        ++aScene->myRevision;
        aScene->GetGlobalSettings().SetSystemUnit(*this);
    }
}

#pragma once
// Skin deformers: clusters that bind control points to a link node with weights.
#include "Platform/fbx/Matrix.h"
#include "Platform/fbx/Object.h"

#include <vector>

namespace Plat::Fbx
{
    class Node;

    class Cluster : public SceneObject
    {
    public:
        Node* GetLink() const { return myLink; }
        // The mesh's global transform at bind time, and the link's. Files store the mesh's
        // matrix relative to the link ("Transform"), so the global one is link x stored.
        AMatrix& GetTransformMatrix(AMatrix& aMatrix) const { return aMatrix = myTransformLink * myTransform; }
        AMatrix& GetTransformLinkMatrix(AMatrix& aMatrix) const { return aMatrix = myTransformLink; }

        // Parallel arrays of equal length (checked when the scene is built).
        int GetControlPointIndicesCount() const { return static_cast<int>(myIndices.size()); }
        const int* GetControlPointIndices() const { return myIndices.data(); }
        const double* GetControlPointWeights() const { return myWeights.data(); }

        Node* myLink = nullptr;
        AMatrix myTransform; // as stored: the mesh relative to the link
        AMatrix myTransformLink;
        std::vector<int> myIndices;
        std::vector<double> myWeights;
    };

    class Skin : public SceneObject
    {
    public:
        int GetClusterCount() const { return static_cast<int>(myClusters.size()); }
        Cluster* GetCluster(int anIndex) const
        {
            return anIndex >= 0 && anIndex < GetClusterCount() ? myClusters[static_cast<size_t>(anIndex)] : nullptr;
        }

        std::vector<Cluster*> myClusters;
    };
}

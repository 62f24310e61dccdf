#pragma once
// The steps of model import that callers (and tests) may use one by one.
#include "FBXMaterial.h"
#include "FBXMesh.h"
#include "FBXSkeleton.h"

#include "Platform/fbx/LayerElement.h"

#include <string>
#include <vector>

namespace Plat::Fbx
{
    class Node;
    class Scene;
    class SurfaceMaterial;
}

namespace KILNFBXImporter
{
    // Appends the meshes of one mesh node (one per material slot) and writes the bind
    // matrices of its skin clusters into the skeleton's joints. Always true.
    bool LoadMesh(Plat::Fbx::Scene* aScene, Plat::Fbx::Node* aNode, FBXSkeleton& aSkeleton, std::vector<FBXMesh>& someMeshes,
                  bool aMergeDuplicateVertices);

    // Every mesh node below aNode (not aNode itself), depth first; returns the list's length.
    size_t GatherMeshNodes(Plat::Fbx::Node* aNode, std::vector<Plat::Fbx::Node*>& someNodes);
    // Every LOD group node below aNode, not entering the groups.
    size_t GatherLodGroups(Plat::Fbx::Node* aNode, std::vector<Plat::Fbx::Node*>& someNodes);

    void GatherMaterials(const Plat::Fbx::SurfaceMaterial* aMaterial, FBXMaterial& anOutMaterial);
    FBXTexture GatherTextures(const Plat::Fbx::SurfaceMaterial* aMaterial, const char* aPropertyName);

    // x, y, z of a normal, tangent or binormal element at a corner; other mappings
    // leave anOut as it was; other reference modes throw InvalidReferenceMode.
    void ReadLayerElementVector4(const Plat::Fbx::LayerElementTemplate<Plat::Fbx::Vector4>* anElement, int aControlPoint,
                                 int aPolygonVertex, float anOut[3]);
}

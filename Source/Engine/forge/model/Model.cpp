#include "forge/model/Model.h"

#include <utility>

namespace Kiln
{
    void Model::Init(std::vector<MeshData> someMeshes, const std::string& aPath)
    {
        // The texture sets and the shaders' per-mesh loops are sized for this many meshes.
        if (someMeshes.size() > MAX_MESHES_PER_MODEL)
            someMeshes.resize(MAX_MESHES_PER_MODEL);
        myMeshes = std::move(someMeshes);
        myPath = aPath;
    }

    void Model::AddMesh(MeshData aMesh, const std::string& aPath)
    {
        if (myMeshes.size() < MAX_MESHES_PER_MODEL)
            myMeshes.push_back(std::move(aMesh));
        myPath = aPath;
    }
}

#pragma once
// A model loaded from one file (or built as a primitive): meshes, skeleton and one set of
// four textures per mesh (albedo, normal, material, effects). Shared by every instance
// of the file; created only by the model factory.
#include "forge/model/EngineDefines.h"
#include "forge/model/MeshData.h"
#include "forge/model/Skeleton.h"

#include <array>
#include <string>
#include <vector>

namespace Kiln
{
    class TextureResource;

    using TextureSet = std::array<TextureResource*, 4>;
    using TextureSets = std::array<TextureSet, MAX_MESHES_PER_MODEL>;

    class Model
    {
    public:
        // Replaces the meshes (at most MAX_MESHES_PER_MODEL are kept) and the path.
        void Init(std::vector<MeshData> someMeshes, const std::string& aPath);
        // Appends one mesh (ignored once the model holds MAX_MESHES_PER_MODEL) and sets the path.
        void AddMesh(MeshData aMesh, const std::string& aPath);

        const std::vector<MeshData>& GetMeshes() const { return myMeshes; }
        const Skeleton& GetSkeleton() const { return mySkeleton; }
        Skeleton& GetSkeleton() { return mySkeleton; }
        const std::string& GetPath() const { return myPath; }
        const TextureSets& GetTextureSets() const { return myTextureSets; }
        TextureSets& GetTextureSets() { return myTextureSets; }

    private:
        Skeleton mySkeleton;
        std::vector<MeshData> myMeshes;
        std::string myPath;
        TextureSets myTextureSets{};
    };
}

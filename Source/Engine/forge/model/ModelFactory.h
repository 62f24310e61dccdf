#pragma once
// Turns FBX files into shared models and sampled clips, caches both, and hands out model
// instances, animated model instances and animation players. A process-wide object made
// on first use; the engine's shut-down destroys it (which shuts the FBX importer down).
// Main thread only.
#include "forge/model/AnimatedModelInstance.h"
#include "forge/model/Animation.h"
#include "forge/model/AnimationPlayer.h"
#include "forge/model/MeshData.h"
#include "forge/model/Model.h"
#include "forge/model/ModelInstance.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Kiln
{
    class ModelFactory
    {
    public:
        static ModelFactory& GetInstance();
        // Null until the first GetInstance and after DestroyInstance.
        static ModelFactory* GetInstancePointer() { return ourInstance; }
        // Deletes the factory if it exists (the engine calls this first when it shuts down).
        static void DestroyInstance();

        // Starts the importer and builds the "Cube" and "Plane" primitives.
        ModelFactory();
        // Models and clips live on while others still hold them.
        ~ModelFactory();
        ModelFactory(const ModelFactory&) = delete;
        ModelFactory& operator=(const ModelFactory&) = delete;

        // Whether an empty result writes its line: a caller that says the reason itself,
        // with what needed the model, holds it back.
        enum class FailureLine
        {
            Write,
            Hold
        };

        // The cached model of aPath (as the caller spells it), loading it on a miss. Empty
        // when the file is found nowhere, does not import, or exceeds the model limits;
        // nothing is cached then, so a later call tries again. Content the importer finds
        // broken throws std::runtime_error naming the file, with the importer's error nested.
        // An empty result keeps the reason for GetLastFailure and, unless held, writes one
        // line naming the file and the reason to standard error (once per path until it loads).
        std::shared_ptr<Model> GetModel(const std::string& aPath, FailureLine aLine = FailureLine::Write);
        std::shared_ptr<Model> LoadModel(const std::string& aPath, FailureLine aLine = FailureLine::Write);
        // The file watcher's callback: forgets the cached model, so the next GetModel
        // loads the file again; instances keep the model they hold.
        void OnModelFileChanged(const std::string& aPath);

        // An instance of the model, or one without a model when it cannot be had.
        ModelInstance GetModelInstance(const std::string& aPath);
        // As above; the instance gets the model only when its skeleton has a joint.
        AnimatedModelInstance GetAnimatedModelInstance(const std::string& aPath);

        // The clip of aPath (used as given) matched to aModel's joints, cached per (path,
        // model). Empty when the file cannot be imported.
        std::shared_ptr<Animation> LoadAnimation(const std::string& aPath, const std::shared_ptr<Model>& aModel);
        // A player in its created state, bound to the clip of the asset path aPath when it loads.
        AnimationPlayer GetAnimationPlayer(const std::string& aPath, const std::shared_ptr<Model>& aModel);

        static MeshBounds ComputeBounds(const std::vector<ModelVertex>& someVertices);

        // Whether a file watch was registered for aPath (as the caller spelled it).
        bool IsWatched(const std::string& aPath) const { return myWatchedPaths.count(aPath) != 0; }
        size_t GetModelCacheSize() const { return myModelCache.size(); }
        size_t GetAnimationCacheSize() const { return myAnimationCache.size(); }
        // Cached models that something besides the cache still holds.
        size_t GetModelsHeldCount() const;
        // Why the last load that gave no model failed, such as the importer's own error.
        const std::string& GetLastFailure() const { return myLastFailure; }

    private:
        struct AnimationKeyHash
        {
            size_t operator()(const std::pair<std::string, const Model*>& aKey) const;
        };
        struct CachedAnimation
        {
            // The clip is a hit only while this is the very model it was matched to: a
            // later model at a freed model's address must not get the old joint mapping.
            std::weak_ptr<Model> myModel;
            std::shared_ptr<Animation> myAnimation;
        };

        bool CreateCube();
        bool CreatePlane();
        bool AddPrimitive(const std::string& aName, std::vector<ModelVertex> someVertices, std::vector<uint32_t> someIndices);
        // The four textures of each mesh, from files beside the model named after the
        // material or the model, else the engine's defaults.
        void LoadMeshTextures(const std::string& aPath, Model& aModel);
        void WatchModelFile(const std::string& aPath, const std::string& aResolvedPath);
        // Keeps and reports why aPath gave no model; returns the empty model.
        std::shared_ptr<Model> Refuse(const std::string& aPath, std::string aReason, FailureLine aLine);

        static ModelFactory* ourInstance;

        std::unordered_set<std::string> myWatchedPaths;
        std::unordered_set<std::string> myReportedFailures;
        std::string myLastFailure;
        std::unordered_map<std::string, std::shared_ptr<Model>> myModelCache;
        std::unordered_map<std::pair<std::string, const Model*>, CachedAnimation, AnimationKeyHash> myAnimationCache;
    };
}

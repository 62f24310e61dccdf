#include "forge/model/ModelFactory.h"

#include "forge/engine/Engine.h"
#include "forge/filewatcher/FileWatcher.h"
#include "forge/properties/PropertyEditorHooks.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TextureManager.h"

#include "Platform/runtime/Assert.h"

#include "Importer.h"

#include <bit>
#include <cfloat>
#include <cstdio>
#include <exception>
#include <functional>
#include <stdexcept>

namespace Kiln
{
    ModelFactory* ModelFactory::ourInstance = nullptr;

    namespace
    {
        // The model editor row's view of a model: fetched (and loaded if needed) through
        // the factory, as a game object would get it.
        bool LookUpEditorModel(StringId aPath, EditorModelView& aView)
        {
            std::shared_ptr<Model> model;
            try
            {
                model = ModelFactory::GetInstance().GetModel(aPath.GetString());
            }
            catch (const std::exception&)
            {
                // A model that fails to load shows no tree; the editor goes on.
            }
            if (!model)
                return false;
            const std::vector<MeshData>& meshes = model->GetMeshes();
            aView.myMeshCount = static_cast<int>(meshes.size());
            for (int i = 0; i < EditorModelView::MAX_MESH_NAMES && i < aView.myMeshCount; ++i)
                aView.myMeshNames[i] = meshes[static_cast<size_t>(i)].myName.c_str();
            return true;
        }

        TextureManager* GetTextureManager()
        {
            Engine* engine = Engine::GetInstance();
            return engine != nullptr ? engine->GetTextureManager() : nullptr;
        }

        Matrix4x4<float> ToMatrix(const KILNFBXImporter::FBXMatrix& aMatrix)
        {
            Matrix4x4<float> matrix;
            for (size_t row = 0; row < 4; ++row)
                for (size_t column = 0; column < 4; ++column)
                    matrix(row, column) = aMatrix.m[row][column];
            return matrix;
        }

        Transform Decomposed(const Matrix4x4<float>& aMatrix)
        {
            Transform transform;
            Matrix4x4<float>::Decompose(aMatrix, transform.myTranslation, transform.myRotation, transform.myScale);
            return transform;
        }

        // The importer's vertex as the GPU reads it: colours left all zero become white
        // (the exporter writes zeros for "no colour"), bone indices become floats.
        ModelVertex ToEngineVertex(const KILNFBXImporter::FBXVertex& aVertex)
        {
            ModelVertex vertex = aVertex;
            for (auto& color : vertex.colors)
            {
                if (((color[1] + color[0]) + color[2]) + color[3] == 0.0f)
                    color[0] = color[1] = color[2] = color[3] = 1.0f;
            }
            for (uint32_t& index : vertex.boneIndices)
                index = std::bit_cast<uint32_t>(static_cast<float>(index));
            return vertex;
        }

        bool ConvertSkeleton(const KILNFBXImporter::FBXSkeleton& aSource, Skeleton& aSkeleton)
        {
            const size_t count = aSource.Joints.size();
            if (count > MAX_ANIMATION_BONES)
            {
                KILN_ASSERT(false && "More joints in animation than defined in EngingeDefines.h");
                return false;
            }
            aSkeleton.myName = aSource.name;
            aSkeleton.myJoints.resize(count);
            aSkeleton.myJointNames.resize(count);
            aSkeleton.myJointIndexByName.clear();
            aSkeleton.myJointIndexByName.max_load_factor(1.0f);
            aSkeleton.myJointIndexByName.reserve(count);
            for (size_t i = 0; i < count; ++i)
            {
                const KILNFBXImporter::FBXJoint& source = aSource.Joints[i];
                Joint& joint = aSkeleton.myJoints[i];
                joint.myInverseBind = Matrix4x4<float>::Transpose(ToMatrix(source.matrix));
                aSkeleton.myBindPose.myTransforms[i] = Decomposed(Matrix4x4<float>::GetInverse(joint.myInverseBind));
                joint.myName = source.shortName;
                joint.myParent = source.parent;
                joint.myChildren = source.children;
                aSkeleton.myJointIndexByName[joint.myName] = static_cast<uint32_t>(i);
                aSkeleton.myJointNames[i] = joint.myName;
            }
            aSkeleton.myBindPose.myJointCount = count;
            return true;
        }

        // The text of the outermost exception and of each nested one, for the message we rethrow.
        std::string Describe(const std::exception& anError)
        {
            std::string text = anError.what();
            // A nested exception made outside a handler holds nothing; rethrowing it would
            // terminate the program.
            const auto* nested = dynamic_cast<const std::nested_exception*>(&anError);
            if (nested == nullptr || nested->nested_ptr() == nullptr)
                return text;
            try
            {
                nested->rethrow_nested();
            }
            catch (const std::exception& nested)
            {
                text += ": " + Describe(nested);
            }
            catch (...)
            {
            }
            return text;
        }
    }

    ModelFactory& ModelFactory::GetInstance()
    {
        if (ourInstance == nullptr)
            new ModelFactory();
        return *ourInstance;
    }

    void ModelFactory::DestroyInstance()
    {
        delete ourInstance;
    }

    ModelFactory::ModelFactory()
    {
        myWatchedPaths.max_load_factor(1.0f);
        myModelCache.max_load_factor(1.0f);
        myAnimationCache.max_load_factor(1.0f);
        KILNFBXImporter::InitImporter();
        if (CreateCube())
            CreatePlane();
        ourInstance = this;
        gEditorModelLookup = &LookUpEditorModel;
    }

    ModelFactory::~ModelFactory()
    {
        if (ourInstance == this)
        {
            ourInstance = nullptr;
            gEditorModelLookup = nullptr;
        }
        KILNFBXImporter::UninitImporter();
        myModelCache.clear();
        myAnimationCache.clear();
        myWatchedPaths.clear();
    }

    size_t ModelFactory::GetModelsHeldCount() const
    {
        size_t count = 0;
        for (const auto& [path, model] : myModelCache)
            count += model.use_count() > 1 ? 1u : 0u;
        return count;
    }

    size_t ModelFactory::AnimationKeyHash::operator()(const std::pair<std::string, const Model*>& aKey) const
    {
        const size_t pathHash = std::hash<std::string>()(aKey.first);
        const size_t modelHash = std::hash<const Model*>()(aKey.second);
        return pathHash ^ (modelHash + 0x9e3779b97f4a7c15ull + (pathHash << 6) + (pathHash >> 2));
    }

    std::shared_ptr<Model> ModelFactory::GetModel(const std::string& aPath, FailureLine aLine)
    {
        const auto cached = myModelCache.find(aPath);
        if (cached != myModelCache.end())
            return cached->second;
        return LoadModel(aPath, aLine);
    }

    void ModelFactory::WatchModelFile(const std::string& aPath, const std::string& aResolvedPath)
    {
        if (!myWatchedPaths.insert(aPath).second)
            return;
        Engine* engine = Engine::GetInstance();
        FileWatcher* watcher = engine != nullptr ? engine->GetFileWatcher() : nullptr;
        if (watcher == nullptr)
            return;
        // Through the singleton, not this object: the watcher may outlive the factory.
        watcher->WatchFileChange(aResolvedPath, [aPath] {
            if (ModelFactory* factory = ModelFactory::GetInstancePointer())
                factory->OnModelFileChanged(aPath);
        });
    }

    std::shared_ptr<Model> ModelFactory::Refuse(const std::string& aPath, std::string aReason, FailureLine aLine)
    {
        myLastFailure = std::move(aReason);
        if (aLine == FailureLine::Write && myReportedFailures.insert(aPath).second)
            std::fprintf(stderr, "Model \"%s\" is left out: %s\n", aPath.c_str(), myLastFailure.c_str());
        return nullptr;
    }

    std::shared_ptr<Model> ModelFactory::LoadModel(const std::string& aPath, FailureLine aLine)
    {
        const std::string resolved = Settings::ResolveAssetPath(aPath);
        if (resolved.empty())
            return Refuse(aPath, "no such file under the data, game or engine assets", aLine);
        // Watched before the import, so a file that fails now is picked up once fixed.
        WatchModelFile(aPath, resolved);

        KILNFBXImporter::FBXModel imported;
        try
        {
            KILNFBXImporter::LastError.clear();
            if (!KILNFBXImporter::LoadModel(resolved, imported, false, true))
                return Refuse(aPath, "\"" + resolved + "\" cannot be read: " +
                                         (KILNFBXImporter::LastError.empty() ? "the importer refused it" : KILNFBXImporter::LastError), aLine);
        }
        catch (const std::exception& error)
        {
            std::throw_with_nested(std::runtime_error("Cannot load the model \"" + resolved + "\": " + Describe(error)));
        }

        Skeleton skeleton;
        if (!ConvertSkeleton(imported.skeleton, skeleton))
            return Refuse(aPath, "\"" + resolved + "\" has more than " + std::to_string(MAX_ANIMATION_BONES) + " joints", aLine);

        const std::vector<KILNFBXImporter::FBXMesh>& someMeshData = imported.meshes;
        if (!(someMeshData.size() <= MAX_MESHES_PER_MODEL))
        {
            KILN_ASSERT(someMeshData.size() <= MAX_MESHES_PER_MODEL);
            return Refuse(aPath, "\"" + resolved + "\" has more than " + std::to_string(MAX_MESHES_PER_MODEL) + " meshes", aLine);
        }

        std::vector<MeshData> meshes;
        meshes.reserve(someMeshData.size());
        for (const KILNFBXImporter::FBXMesh& source : someMeshData)
        {
            MeshData mesh;
            mesh.myVertices.reserve(source.vertices.size());
            for (const KILNFBXImporter::FBXVertex& vertex : source.vertices)
                mesh.myVertices.push_back(ToEngineVertex(vertex));
            mesh.myIndices = source.indices;
            // An index past the mesh's vertices would make the GPU read outside the buffer.
            for (const uint32_t index : mesh.myIndices)
            {
                if (index >= mesh.myVertices.size())
                    return Refuse(aPath, "\"" + resolved + "\" has a vertex index past its mesh \"" + source.name + "\"", aLine);
            }
            if (!mesh.CreateBuffers())
                return Refuse(aPath, "\"" + resolved + "\": the buffers of mesh \"" + source.name + "\" could not be made", aLine);
            mesh.myName = source.name;
            if (source.materialIndex < imported.materials.size())
                mesh.myMaterialName = imported.materials[source.materialIndex].name;
            mesh.myBounds = ComputeBounds(mesh.myVertices);
            meshes.push_back(std::move(mesh));
        }

        auto model = std::make_shared<Model>();
        model->Init(std::move(meshes), resolved);
        if (!skeleton.myJoints.empty())
            model->GetSkeleton() = std::move(skeleton);
        LoadMeshTextures(resolved, *model);
        myModelCache[aPath] = model;
        myReportedFailures.erase(aPath);
        return model;
    }

    void ModelFactory::OnModelFileChanged(const std::string& aPath)
    {
        myModelCache.erase(aPath);
    }

    ModelInstance ModelFactory::GetModelInstance(const std::string& aPath)
    {
        ModelInstance instance;
        if (const std::shared_ptr<Model> model = GetModel(aPath))
            instance.SetModel(model);
        return instance;
    }

    AnimatedModelInstance ModelFactory::GetAnimatedModelInstance(const std::string& aPath)
    {
        AnimatedModelInstance instance;
        const std::shared_ptr<Model> model = GetModel(aPath);
        if (model != nullptr && model->GetSkeleton().GetJointCount() > 0)
            instance.SetModel(model);
        return instance;
    }

    std::shared_ptr<Animation> ModelFactory::LoadAnimation(const std::string& aPath, const std::shared_ptr<Model>& aModel)
    {
        const std::pair<std::string, const Model*> key(aPath, aModel.get());
        const auto cached = myAnimationCache.find(key);
        if (cached != myAnimationCache.end())
        {
            if (!cached->second.myModel.expired() || aModel == nullptr)
                return cached->second.myAnimation;
            myAnimationCache.erase(cached);
        }

        KILNFBXImporter::FBXAnimation imported;
        try
        {
            if (!KILNFBXImporter::LoadAnimation(aPath, imported))
                return nullptr;
        }
        catch (const std::exception& error)
        {
            std::throw_with_nested(std::runtime_error("Cannot load the animation \"" + aPath + "\": " + Describe(error)));
        }

        auto animation = std::make_shared<Animation>();
        animation->myFrameCount = static_cast<int32_t>(imported.frameCount);
        animation->myFramesPerSecond = imported.framesPerSecond;
        animation->myDuration = static_cast<float>(imported.duration);
        animation->myName = ToWideString(imported.path);
        animation->myFrames.resize(imported.frames.size());

        const Skeleton* skeleton = aModel != nullptr ? &aModel->GetSkeleton() : nullptr;
        const uint64_t jointCount = skeleton != nullptr ? skeleton->GetJointCount() : 0;
        for (size_t f = 0; f < imported.frames.size(); ++f)
        {
            LocalSpacePose& pose = animation->myFrames[f];
            pose.myJointCount = jointCount;
            if (skeleton == nullptr)
                continue;
            for (const auto& [name, matrix] : imported.frames[f].localTransforms)
            {
                const int32_t joint = skeleton->GetJointIndex(name);
                if (joint >= 0 && static_cast<size_t>(joint) < MAX_ANIMATION_BONES)
                    pose.myTransforms[static_cast<size_t>(joint)] = Decomposed(ToMatrix(matrix));
            }
        }

        myAnimationCache[key] = {aModel, animation};
        return animation;
    }

    AnimationPlayer ModelFactory::GetAnimationPlayer(const std::string& aPath, const std::shared_ptr<Model>& aModel)
    {
        AnimationPlayer player;
        const std::string resolved = Settings::ResolveAssetPath(aPath);
        if (resolved.empty())
            return player;
        if (const std::shared_ptr<Animation> animation = LoadAnimation(resolved, aModel))
            player.SetAnimation(animation);
        return player;
    }

    MeshBounds ModelFactory::ComputeBounds(const std::vector<ModelVertex>& someVertices)
    {
        Vector3<float> minimum(FLT_MAX, FLT_MAX, FLT_MAX);
        Vector3<float> maximum(-FLT_MAX, -FLT_MAX, -FLT_MAX);
        for (const ModelVertex& vertex : someVertices)
        {
            minimum.x = std::min(minimum.x, vertex.position[0]);
            minimum.y = std::min(minimum.y, vertex.position[1]);
            minimum.z = std::min(minimum.z, vertex.position[2]);
            maximum.x = std::max(maximum.x, vertex.position[0]);
            maximum.y = std::max(maximum.y, vertex.position[1]);
            maximum.z = std::max(maximum.z, vertex.position[2]);
        }
        MeshBounds bounds;
        bounds.myHalfExtents = (maximum - minimum) * 0.5f;
        bounds.myRadius = bounds.myHalfExtents.Length();
        bounds.myCenter = (maximum + minimum) * 0.5f;
        return bounds;
    }

    void ModelFactory::LoadMeshTextures(const std::string& aPath, Model& aModel)
    {
        TextureManager* textures = GetTextureManager();
        if (textures == nullptr)
            return;

        const size_t dot = aPath.find_last_of('.');
        const std::string base = dot == std::string::npos ? aPath : aPath.substr(0, dot);
        const size_t slash = aPath.find_last_of("/\\");
        const std::string directory = slash == std::string::npos ? std::string() : aPath.substr(0, slash + 1);

        const auto firstOf = [textures](std::initializer_list<std::string> someCandidates, const char* aDefault,
                                        TextureSrgbMode aMode) {
            for (const std::string& candidate : someCandidates)
            {
                if (TextureResource* texture = textures->TryLoadTexture(candidate.c_str(), aMode, false))
                    return texture;
            }
            return textures->GetTexture(aDefault, aMode, false);
        };

        const std::vector<MeshData>& meshes = aModel.GetMeshes();
        TextureSets& sets = aModel.GetTextureSets();
        for (size_t i = 0; i < meshes.size() && i < MAX_MESHES_PER_MODEL; ++i)
        {
            const std::string material = directory + meshes[i].myMaterialName;
            sets[i][0] = firstOf({material + "_C.dds", material + "_D.dds", base + "_C.dds", base + "_D.dds"},
                                 "Textures/T_Default_c.dds", TextureSrgbMode::ForceSrgb);
            sets[i][1] = firstOf({material + "_N.dds", base + "_N.dds"}, "Textures/T_Default_n.dds",
                                 TextureSrgbMode::IgnoreSrgb);
            sets[i][2] = firstOf({material + "_M.dds", base + "_M.dds"}, "Textures/T_Default_m.dds",
                                 TextureSrgbMode::IgnoreSrgb);
            sets[i][3] = firstOf({material + "_FX.dds", base + "_FX.dds"}, "Textures/T_Default_fx.dds",
                                 TextureSrgbMode::IgnoreSrgb);
        }
    }
}

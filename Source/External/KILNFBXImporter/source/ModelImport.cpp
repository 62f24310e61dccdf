#include "ModelImport.h"

#include "ImportHelpers.h"
#include "Importer.h"
#include "SkeletonImport.h"
#include "VertexHash.h"

#include "Platform/fbx/BufferPool.h"
#include "Platform/fbx/GeometryConverter.h"
#include "Platform/fbx/Importer.h"
#include "Platform/fbx/Scene.h"
#include "Platform/runtime/Assert.h"

#include <algorithm>
#include <array>
#include <limits>

namespace KILNFBXImporter
{
    namespace
    {
        namespace Fbx = Plat::Fbx;
        using FbxSystemUnit = Fbx::SystemUnit;

        constexpr const char* SlotProperties[FBXMaterial::SlotCount] = {
            Fbx::SurfaceMaterial::sEmissive,   Fbx::SurfaceMaterial::sAmbient,          Fbx::SurfaceMaterial::sDiffuse,
            Fbx::SurfaceMaterial::sSpecular,   Fbx::SurfaceMaterial::sShininess,        Fbx::SurfaceMaterial::sBump,
            Fbx::SurfaceMaterial::sNormalMap,  Fbx::SurfaceMaterial::sTransparentColor, Fbx::SurfaceMaterial::sReflection,
            Fbx::SurfaceMaterial::sDisplacementColor, Fbx::SurfaceMaterial::sVectorDisplacementColor,
        };

        // The first four (joint, weight) pairs added for a control point.
        struct Influences
        {
            std::array<uint32_t, 4> joints{};
            std::array<float, 4> weights{};
            uint32_t count = 0;

            void Add(uint32_t aJoint, float aWeight)
            {
                if (count < 4)
                {
                    joints[count] = aJoint;
                    weights[count] = aWeight;
                }
                ++count;
            }
        };

        // Direct or index-to-direct read of an element's value for a corner; -1 when
        // its mapping places nothing there.
        template <class T>
        int ValueIndex(const Fbx::LayerElementTemplate<T>& anElement, int aControlPoint, int aPolygonVertex)
        {
            int index;
            if (anElement.GetMappingMode() == Fbx::MappingMode::ByControlPoint)
                index = aControlPoint;
            else if (anElement.GetMappingMode() == Fbx::MappingMode::ByPolygonVertex)
                index = aPolygonVertex;
            else
                return -1;
            switch (anElement.GetReferenceMode())
            {
            case Fbx::ReferenceMode::Direct: return index;
            case Fbx::ReferenceMode::IndexToDirect: return anElement.GetIndexArray().GetAt(index);
            default: throw InvalidReferenceMode();
            }
        }

        // ValueIndex and the read of the value, with the element's modes looked at once per
        // mesh instead of once per corner.
        template <class T>
        class CornerReader
        {
        public:
            using Scalar = typename Fbx::LayerArray<T>::Scalar;

            CornerReader() = default;
            // With aTextureIndex, the diffuse channel's lookup: any reference mode but direct
            // reads through the index array.
            CornerReader(const Fbx::LayerElementTemplate<T>* anElement, bool aTextureIndex) : myElement(anElement)
            {
                if (anElement == nullptr)
                    return;
                if (anElement->GetMappingMode() == Fbx::MappingMode::ByControlPoint)
                    myBy = By::ControlPoint;
                else if (anElement->GetMappingMode() == Fbx::MappingMode::ByPolygonVertex)
                    myBy = By::PolygonVertex;
                const Fbx::ReferenceMode reference = anElement->GetReferenceMode();
                myIndexed = aTextureIndex ? reference != Fbx::ReferenceMode::Direct : reference == Fbx::ReferenceMode::IndexToDirect;
                myInvalid = !aTextureIndex && reference != Fbx::ReferenceMode::Direct && !myIndexed;
            }

            // The value's scalars for a corner, or null when the element places none there.
            const Scalar* Read(int aControlPoint, int aPolygonVertex) const
            {
                if (myBy == By::Nothing)
                    return nullptr;
                if (myInvalid)
                    throw InvalidReferenceMode();
                int index = myBy == By::ControlPoint ? aControlPoint : aPolygonVertex;
                if (myIndexed)
                    index = myElement->GetIndexArray().GetAt(index);
                if (index < 0)
                    return nullptr;
                const Fbx::LayerArray<T>& values = myElement->GetDirectArray();
                if (index >= values.GetCount())
                    Fbx::ThrowLayerIndexOutOfRange(index, values.GetCount());
                return values.Stored(values.StoredIndex(index));
            }

        private:
            enum class By
            {
                Nothing,
                ControlPoint,
                PolygonVertex,
            };
            const Fbx::LayerElementTemplate<T>* myElement = nullptr;
            By myBy = By::Nothing;
            bool myIndexed = false;
            bool myInvalid = false;
        };

        // Vertex -> index of its first copy in the mesh, open addressing over pooled arrays at
        // most half full. A slot holds 32 bits of the vertex's hash and the index (0: empty);
        // vertices whose hashes agree are compared, so only equal vertices share an index.
        class VertexTable
        {
        public:
            explicit VertexTable(Plat::Fbx::BufferPool* aPool) : myPool(aPool) {}
            ~VertexTable() { Plat::Fbx::GiveTo(myPool, mySlots); }
            VertexTable(const VertexTable&) = delete;
            VertexTable& operator=(const VertexTable&) = delete;

            void Reset(size_t aCount)
            {
                size_t capacity = 16;
                while (capacity < 2 * aCount)
                    capacity *= 2;
                if (mySlots.capacity() < capacity)
                {
                    Plat::Fbx::GiveTo(myPool, mySlots);
                    mySlots = Plat::Fbx::TakeFrom<uint64_t>(myPool, capacity);
                }
                mySlots.assign(capacity, 0);
                myCount = 0;
            }

            // Asks for the slot a vertex of that hash starts at, ahead of its Find.
            void Prefetch(uint64_t aHash) const
            {
                __builtin_prefetch(mySlots.data() + (static_cast<size_t>(aHash) & (mySlots.size() - 1)));
            }

            // The index of the vertex equal to aVertex (whose TableHash is aHash) among
            // someVertices, or aNewIndex after recording it; second is true when recorded.
            std::pair<uint32_t, bool> Find(const FBXVertex& aVertex, uint64_t aHash, const std::vector<FBXVertex>& someVertices,
                                           uint32_t aNewIndex)
            {
                if (2 * (myCount + 1) > mySlots.size())
                    Grow(someVertices);
                const uint64_t tag = aHash >> 32;
                const size_t mask = mySlots.size() - 1;
                for (size_t slot = static_cast<size_t>(aHash) & mask;; slot = (slot + 1) & mask)
                {
                    const uint64_t entry = mySlots[slot];
                    if (entry == 0)
                    {
                        mySlots[slot] = (tag << 32) | (static_cast<uint64_t>(aNewIndex) + 1);
                        ++myCount;
                        return {aNewIndex, true};
                    }
                    const uint32_t index = static_cast<uint32_t>(entry) - 1;
                    if ((entry >> 32) == tag && SameVertex(someVertices[index], aVertex))
                        return {index, false};
                }
            }

        private:
            void Grow(const std::vector<FBXVertex>& someVertices)
            {
                std::vector<uint64_t> old = std::move(mySlots);
                mySlots.assign(std::max<size_t>(16, old.size() * 2), 0);
                const size_t mask = mySlots.size() - 1;
                for (uint64_t entry : old)
                {
                    if (entry == 0)
                        continue;
                    const uint64_t hash = TableHash(someVertices[static_cast<uint32_t>(entry) - 1]);
                    size_t slot = static_cast<size_t>(hash) & mask;
                    while (mySlots[slot] != 0)
                        slot = (slot + 1) & mask;
                    mySlots[slot] = entry;
                }
            }

            Plat::Fbx::BufferPool* myPool;
            std::vector<uint64_t> mySlots;
            size_t myCount = 0;
        };

        // Builds one mesh's vertices, merging equal ones when asked. Vertices wait in small
        // batches, so the table's memory for a whole batch is asked for before the first lookup.
        class MeshBuilder
        {
        public:
            MeshBuilder(FBXMesh& aMesh, bool aMerge, VertexTable& aTable) : myMesh(aMesh), myMerge(aMerge), myTable(aTable) {}
            MeshBuilder(const MeshBuilder&) = delete;
            MeshBuilder& operator=(const MeshBuilder&) = delete;

            // The next vertex to fill; it joins the mesh with the next Flush.
            FBXVertex& Next(const FBXVertex& aBlank)
            {
                if (myPending == Batch)
                    Flush();
                return myVertices[myPending++] = aBlank;
            }

            void Flush()
            {
                if (!myMerge)
                {
                    for (int i = 0; i < myPending; ++i)
                    {
                        myMesh.indices.push_back(static_cast<uint32_t>(myMesh.vertices.size()));
                        myMesh.vertices.push_back(myVertices[i]);
                    }
                    myPending = 0;
                    return;
                }
                uint64_t hashes[Batch];
                for (int i = 0; i < myPending; ++i)
                {
                    hashes[i] = TableHash(myVertices[i]);
                    myTable.Prefetch(hashes[i]);
                }
                for (int i = 0; i < myPending; ++i)
                {
                    const uint32_t next = static_cast<uint32_t>(myMesh.vertices.size());
                    const auto [index, added] = myTable.Find(myVertices[i], hashes[i], myMesh.vertices, next);
                    myMesh.indices.push_back(index);
                    if (added)
                        myMesh.vertices.push_back(myVertices[i]);
                }
                myPending = 0;
            }

            void Reserve(size_t aCorners)
            {
                myMesh.vertices.reserve(aCorners);
                myMesh.indices.reserve(aCorners);
                // Written once, front to back, and handed to the caller.
                Plat::Fbx::BufferPool::AdviseLarge(myMesh.vertices.data(), myMesh.vertices.capacity() * sizeof(FBXVertex));
                Plat::Fbx::BufferPool::AdviseLarge(myMesh.indices.data(), myMesh.indices.capacity() * sizeof(uint32_t));
                if (myMerge)
                    myTable.Reset(aCorners);
            }

        private:
            static constexpr int Batch = 16;

            FBXMesh& myMesh;
            bool myMerge;
            VertexTable& myTable;
            FBXVertex myVertices[Batch];
            int myPending = 0;
        };

        void BindSkin(Fbx::Node* aNode, const Fbx::Mesh& aMesh, FBXSkeleton& aSkeleton, std::vector<Influences>& someInfluences)
        {
            const Fbx::AMatrix geometric(aNode->GetGeometricTranslation(Fbx::PivotSet::SourcePivot),
                                         aNode->GetGeometricRotation(Fbx::PivotSet::SourcePivot),
                                         aNode->GetGeometricScaling(Fbx::PivotSet::SourcePivot));
            for (int d = 0; d < aMesh.GetDeformerCount(Fbx::DeformerType::Skin); ++d)
            {
                const Fbx::Skin* skin = aMesh.GetDeformer(d, Fbx::DeformerType::Skin);
                for (int c = 0; c < skin->GetClusterCount(); ++c)
                {
                    const Fbx::Cluster* cluster = skin->GetCluster(c);
                    // A cluster without a link, or linked to a node that is not a joint,
                    // binds nothing.
                    if (cluster->GetLink() == nullptr)
                        continue;
                    const auto joint = aSkeleton.jointIndex.find(ShortName(cluster->GetLink()->GetName()));
                    if (joint == aSkeleton.jointIndex.end())
                        continue;
                    Fbx::AMatrix transform, transformLink;
                    cluster->GetTransformMatrix(transform);
                    cluster->GetTransformLinkMatrix(transformLink);
                    const Fbx::AMatrix bind = (transformLink.Inverse() * transform * geometric).Transpose();
                    aSkeleton.Joints[joint->second].matrix = ConvertMatrix(bind);

                    const int* indices = cluster->GetControlPointIndices();
                    const double* weights = cluster->GetControlPointWeights();
                    for (int k = 0; k < cluster->GetControlPointIndicesCount(); ++k)
                    {
                        const int point = indices[k];
                        if (point >= 0 && point < static_cast<int>(someInfluences.size()))
                            someInfluences[static_cast<size_t>(point)].Add(joint->second, static_cast<float>(weights[k]));
                    }
                }
            }
        }

        uint32_t SceneMaterialIndex(const Fbx::Scene* aScene, const Fbx::SurfaceMaterial* aMaterial)
        {
            for (int i = 0; i < aScene->GetMaterialCount(); ++i)
                if (aScene->GetMaterial(i) == aMaterial)
                    return static_cast<uint32_t>(i);
            return 0;
        }
    }

    size_t GatherMeshNodes(Fbx::Node* aNode, std::vector<Fbx::Node*>& someNodes)
    {
        for (int i = 0; i < aNode->GetChildCount(); ++i)
        {
            Fbx::Node* child = aNode->GetChild(i);
            if (child->GetNodeAttribute() != nullptr &&
                child->GetNodeAttribute()->GetAttributeType() == Fbx::NodeAttribute::EType::Mesh)
                someNodes.push_back(child);
            GatherMeshNodes(child, someNodes);
        }
        return someNodes.size();
    }

    size_t GatherLodGroups(Fbx::Node* aNode, std::vector<Fbx::Node*>& someNodes)
    {
        for (int i = 0; i < aNode->GetChildCount(); ++i)
        {
            Fbx::Node* child = aNode->GetChild(i);
            if (child->GetNodeAttribute() != nullptr &&
                child->GetNodeAttribute()->GetAttributeType() == Fbx::NodeAttribute::EType::LODGroup)
                someNodes.push_back(child);
            else
                GatherLodGroups(child, someNodes);
        }
        return someNodes.size();
    }

    FBXTexture GatherTextures(const Fbx::SurfaceMaterial* aMaterial, const char* aPropertyName)
    {
        FBXTexture texture;
        const Fbx::Property property = aMaterial->FindProperty(aPropertyName);
        if (!property.IsValid() || property.GetSrcObjectCount<Fbx::LayeredTexture>() > 0)
            return texture;
        if (property.GetSrcObjectCount<Fbx::Texture>() > 0)
            if (const auto* file = dynamic_cast<const Fbx::FileTexture*>(property.GetSrcObject<Fbx::Texture>(0)))
            {
                texture.absolutePath = file->GetFileName();
                texture.relativePath = file->GetRelativeFileName();
                const size_t slash = texture.relativePath.rfind('\\');
                texture.fileName = slash == std::string::npos ? texture.relativePath : texture.relativePath.substr(slash + 1);
            }
        return texture;
    }

    void GatherMaterials(const Fbx::SurfaceMaterial* aMaterial, FBXMaterial& anOutMaterial)
    {
        anOutMaterial.name = aMaterial->GetName();
        for (int slot = 0; slot < FBXMaterial::SlotCount; ++slot)
            anOutMaterial.textures[static_cast<size_t>(slot)] = GatherTextures(aMaterial, SlotProperties[slot]);
    }

    void ReadLayerElementVector4(const Fbx::LayerElementTemplate<Fbx::Vector4>* anElement, int aControlPoint,
                                 int aPolygonVertex, float anOut[3])
    {
        if (anElement == nullptr)
            return;
        const int index = ValueIndex(*anElement, aControlPoint, aPolygonVertex);
        if (index < 0)
            return;
        const Fbx::Vector4 value = anElement->GetDirectArray().GetAt(index);
        for (int i = 0; i < 3; ++i)
            anOut[i] = static_cast<float>(value[i]);
    }

    bool LoadMesh(Fbx::Scene* aScene, Fbx::Node* aNode, FBXSkeleton& aSkeleton, std::vector<FBXMesh>& someMeshes,
                  bool aMergeDuplicateVertices)
    {
        const Fbx::Mesh& mesh = *aNode->GetMesh();
        const int materialCount = aNode->GetMaterialCount();
        someMeshes.reserve(someMeshes.size() + static_cast<size_t>(std::max(materialCount, 1)));

        std::vector<Influences> influences;
        if (!aSkeleton.Joints.empty())
        {
            influences.resize(static_cast<size_t>(mesh.GetControlPointsCount()));
            BindSkin(aNode, mesh, aSkeleton, influences);
        }

        const int polygons = mesh.GetPolygonCount();
        const int controlPoints = mesh.GetControlPointsCount();
        const double* points = mesh.myControlPoints.data();
        const int* starts = mesh.myPolygonStarts.data();
        const int* corners = mesh.myPolygonVertices.data();
        const int uvSets = std::min(mesh.GetElementUVCount(), 4);
        const int colorSets = std::min(mesh.GetElementVertexColorCount(), 4);
        CornerReader<Fbx::Vector2> uvReaders[4];
        for (int set = 0; set < uvSets; ++set)
            uvReaders[set] = CornerReader<Fbx::Vector2>(mesh.GetElementUV(set), set == 0);
        CornerReader<Fbx::Color> colorReaders[4];
        for (int set = 0; set < colorSets; ++set)
            colorReaders[set] = CornerReader<Fbx::Color>(mesh.GetElementVertexColor(set), false);
        const CornerReader<Fbx::Vector4> normals(mesh.GetElementNormal(0), false);
        const CornerReader<Fbx::Vector4> tangents(mesh.GetElementTangent(0), false);
        const CornerReader<Fbx::Vector4> binormals(mesh.GetElementBinormal(0), false);
        const Fbx::LayerElementMaterial* materials = materialCount > 0 ? mesh.GetElementMaterial(0) : nullptr;
        const FBXVertex blank{};
        float minimum[3] = {0.0f, 0.0f, 0.0f};
        float maximum[3] = {0.0f, 0.0f, 0.0f};
        VertexTable table(mesh.myPool);

        auto copy3 = [](const double* someValues, float anOut[3]) {
            if (someValues != nullptr)
                for (int i = 0; i < 3; ++i)
                    anOut[i] = static_cast<float>(someValues[i]);
        };

        for (int slot = 0; slot < std::max(materialCount, 1); ++slot)
        {
            FBXMesh out;
            out.name = aNode->GetName();
            out.materialIndex = materialCount > 0 ? SceneMaterialIndex(aScene, aNode->GetMaterial(slot)) : 0;
            MeshBuilder builder(out, aMergeDuplicateVertices, table);
            builder.Reserve(3 * static_cast<size_t>(polygons));

            for (int p = 0; p < polygons; ++p)
            {
                // A polygon whose slot is not this one, or none of the node's, is skipped.
                if (materialCount > 0)
                {
                    int material = 0;
                    if (materials != nullptr)
                    {
                        if (materials->GetMappingMode() == Fbx::MappingMode::ByPolygon)
                            material = materials->GetIndexArray().GetAt(p);
                        else if (materials->GetMappingMode() == Fbx::MappingMode::AllSame)
                            material = materials->GetIndexArray().GetCount() > 0 ? materials->GetIndexArray().GetAt(0) : 0;
                    }
                    if (material != slot)
                        continue;
                }
                const int firstCorner = starts[p];
                if (starts[p + 1] - firstCorner != 3)
                    continue;
                for (int v = 0; v < 3; ++v)
                {
                    const int pv = firstCorner + v;
                    const int cp = corners[pv];
                    FBXVertex& vertex = builder.Next(blank);
                    if (cp >= 0 && cp < controlPoints)
                    {
                        const double* point = points + 3 * static_cast<size_t>(cp);
                        vertex.position[0] = static_cast<float>(point[0]);
                        vertex.position[1] = static_cast<float>(point[1]);
                        vertex.position[2] = static_cast<float>(point[2]);
                        vertex.position[3] = 1.0f;
                    }

                    // Set 0 through the diffuse channel's index, the others through their own.
                    for (int set = 0; set < uvSets; ++set)
                        if (const double* uv = uvReaders[set].Read(cp, pv))
                        {
                            vertex.uvs[set][0] = static_cast<float>(uv[0]);
                            vertex.uvs[set][1] = static_cast<float>(1.0 - uv[1]);
                        }

                    copy3(normals.Read(cp, pv), vertex.normal);
                    copy3(tangents.Read(cp, pv), vertex.tangent);
                    copy3(binormals.Read(cp, pv), vertex.binormal);

                    for (int set = 0; set < colorSets; ++set)
                        if (const double* color = colorReaders[set].Read(cp, pv))
                            for (int i = 0; i < 4; ++i)
                                vertex.colors[set][i] = static_cast<float>(color[i]);

                    if (!influences.empty())
                    {
                        const Influences& found = influences[static_cast<size_t>(cp)];
                        for (uint32_t i = 0; i < std::min(found.count, 4u); ++i)
                        {
                            vertex.boneIndices[i] = found.joints[i];
                            vertex.boneWeights[i] = found.weights[i];
                        }
                    }

                    for (int i = 0; i < 3; ++i)
                    {
                        minimum[i] = std::min(minimum[i], vertex.position[i]);
                        maximum[i] = std::max(maximum[i], vertex.position[i]);
                    }
                }
            }
            builder.Flush();

            if (!out.vertices.empty())
            {
                for (int i = 0; i < 3; ++i)
                {
                    out.bounds.extents[i] = (maximum[i] - minimum[i]) * 0.5f;
                    out.bounds.center[i] = (maximum[i] + minimum[i]) * 0.5f;
                }
                out.bounds.radius = std::max({out.bounds.extents[0], out.bounds.extents[1], out.bounds.extents[2]});
                out.box = MakeBoxFromCenterExtents(out.bounds.center, out.bounds.extents);
                someMeshes.push_back(std::move(out));
            }
        }
        return true;
    }

    bool LoadModel(const std::string& aPath, FBXModel& anOutModel, bool aRegenerateTangents, bool aMergeDuplicateVertices)
    {
        ImportScope scope(nullptr, nullptr);
        Fbx::Importer* importer = OpenImporter(aPath, "Failed to create the FBX Importer! Did you call InitImporter()?", scope);
        if (importer == nullptr)
            return false;
        ImporterState& state = GetImporterState();

        Fbx::Scene* fbxScene = Fbx::Scene::Create(state.manager, "The Scene");
        scope.SetScene(fbxScene);
        if (!importer->Import(fbxScene))
        {
            LastError = "Failed to import the FBX file! Error was: " + importer->GetStatus().GetErrorString() + ".";
            return !importer->GetStatus().Error();
        }

        if (fbxScene->GetGlobalSettings().GetSystemUnit() != FbxSystemUnit::cm)
        {
            FbxSystemUnit::ConversionOptions options;
            options.mConvertRrsNodes = false;
            options.mConvertLimits = true;
            options.mConvertClusters = true;
            options.mConvertLightIntensity = true;
            options.mConvertPhotometricLProperties = true;
            options.mConvertCameraClipPlanes = true;
            FbxSystemUnit::cm.ConvertScene(fbxScene, options);
        }
        KILN_ASSERT(fbxScene->GetGlobalSettings().GetSystemUnit() == FbxSystemUnit::cm);

        fbxScene->ConnectMaterials();
        if (!state.geometryConverter->Triangulate(fbxScene, true, true))
            state.geometryConverter->Triangulate(fbxScene, true, false);

        std::vector<FBXMaterial> materials(static_cast<size_t>(fbxScene->GetMaterialCount()));
        for (int i = 0; i < fbxScene->GetMaterialCount(); ++i)
            GatherMaterials(fbxScene->GetMaterial(i), materials[static_cast<size_t>(i)]);

        std::vector<Fbx::Node*> meshNodes, lodGroupNodes;
        GatherMeshNodes(fbxScene->GetRootNode(), meshNodes);
        GatherLodGroups(fbxScene->GetRootNode(), lodGroupNodes);

        for (Fbx::Node* node : meshNodes)
        {
            Fbx::Mesh* mesh = node->GetMesh();
            if (mesh->GetUVLayerCount() == 0)
                ThrowImportError("Cannot load FBX file! No UV layers are present in the file.");
            const bool keep = mesh->GetElementBinormalCount() > 0 && mesh->GetElementTangentCount() > 0 && !aRegenerateTangents;
            if (!keep)
            {
                Fbx::Status status;
                if (!mesh->GenerateTangentsData(0, false, &status))
                    ThrowImportError("Failed to generate Tangent/BiNormal data for the mesh " + mesh->GetName() +
                                     "! FBX Error was: " + status.GetErrorString());
            }
        }

        state.axisSystem.DeepConvertScene(fbxScene);

        FBXSkeleton skeleton;
        std::vector<FBXJoint> events;
        std::vector<FBXSocket> sockets;
        if (GatherSkeleton(fbxScene->GetRootNode(), skeleton, events, sockets, -1))
        {
            const std::string& first = skeleton.Joints[0].name;
            const size_t colon = first.find(':');
            if (colon != std::string::npos)
                skeleton.name = first.substr(0, colon);
            else
            {
                std::string file = aPath;
                std::replace(file.begin(), file.end(), '/', '\\');
                const size_t slash = file.rfind('\\');
                if (slash != std::string::npos)
                    file = file.substr(slash + 1);
                skeleton.name = file.size() < 4 ? file : file.substr(0, file.size() - 4);
            }
            for (const FBXSocket& socket : sockets)
                skeleton.sockets[socket.name] = socket;
        }

        FBXBounds bounds;
        std::vector<std::vector<FBXLodLevel>> lodGroups;
        for (Fbx::Node* groupNode : lodGroupNodes)
        {
            const Fbx::LodGroup* group = groupNode->GetLodGroup();
            std::vector<FBXLodLevel> levels;
            for (int c = 0; c < groupNode->GetChildCount(); ++c)
            {
                FBXLodLevel level;
                level.level = c;
                if (c > 0)
                {
                    Fbx::Distance threshold;
                    group->GetThreshold(c - 1, threshold);
                    level.distance = threshold.value();
                }
                std::vector<Fbx::Node*> childMeshNodes;
                GatherMeshNodes(groupNode->GetChild(c), childMeshNodes);
                for (Fbx::Node* node : childMeshNodes)
                {
                    const auto it = std::find_if(meshNodes.begin(), meshNodes.end(), [node](const Fbx::Node* n) {
                        return n->GetUniqueID() == node->GetUniqueID();
                    });
                    if (it != meshNodes.end())
                        meshNodes.erase(it);
                    const size_t before = level.meshes.size();
                    LoadMesh(fbxScene, node, skeleton, level.meshes, aMergeDuplicateVertices);
                    for (size_t m = before; m < level.meshes.size(); ++m)
                        bounds = MergeBounds(bounds, level.meshes[m].bounds);
                }
                levels.push_back(std::move(level));
            }
            lodGroups.push_back(std::move(levels));
        }

        std::vector<FBXMesh> meshes;
        for (Fbx::Node* node : meshNodes)
        {
            const size_t before = meshes.size();
            LoadMesh(fbxScene, node, skeleton, meshes, aMergeDuplicateVertices);
            for (size_t m = before; m < meshes.size(); ++m)
                bounds = MergeBounds(bounds, meshes[m].bounds);
        }

        if (!meshes.empty() || !lodGroups.empty())
        {
            anOutModel.path = aPath;
            anOutModel.meshes = std::move(meshes);
            anOutModel.lodGroups = std::move(lodGroups);
            anOutModel.skeleton = std::move(skeleton);
            anOutModel.materials = std::move(materials);
            anOutModel.bounds = bounds;
            anOutModel.box = MakeBoxFromCenterExtents(bounds.center, bounds.extents);
        }
        return !importer->GetStatus().Error();
    }
}

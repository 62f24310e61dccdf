#include "FbxModel.h"

#include "ContentKit/ImageFiles.h"
#include "FbxWriter/BinaryFbxWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <optional>
#include <stdexcept>
#include <tuple>

namespace GameModels
{
    using Plat::Fbx::Document;
    using Plat::Fbx::Element;
    using Plat::Fbx::Value;

    namespace
    {
        constexpr int64_t TICKS_PER_SECOND = 46186158000;
        constexpr int32_t TIME_MODE_30_FPS = 6;
        // Key attributes: linear interpolation with automatic tangents, and the two default
        // tangent weights (1/3 each) packed as 16-bit fixed point.
        constexpr int32_t KEY_LINEAR = 0x4 | 0x100;
        constexpr uint32_t KEY_DEFAULT_WEIGHTS = 218434821;

        // Engine space (left-handed) to the file's right-handed space and back: mirror z.
        Vec3 MirrorZ(const Vec3& v) { return {v.x, v.y, -v.z}; }
        // Mirroring z turns rotations about x and y the other way.
        Vec3 RotationToFile(const Vec3& r) { return {-r.x, -r.y, r.z}; }

        Element Record(std::string aName, std::vector<Value> someValues = {}, std::vector<Element> someChildren = {})
        {
            return Element{std::move(aName), std::move(someValues), std::move(someChildren)};
        }

        Element P(const std::string& aName, const std::string& aType, const std::string& aLabel, const std::string& someFlags,
                  std::vector<Value> someValues)
        {
            std::vector<Value> values{aName, aType, aLabel, someFlags};
            values.insert(values.end(), someValues.begin(), someValues.end());
            return Record("P", std::move(values));
        }

        Element Vector3P(const std::string& aName, const Vec3& v)
        {
            return P(aName, aName, "", "A", {double(v.x), double(v.y), double(v.z)});
        }

        Element LayerElement(const std::string& aType, const std::string& aName, const std::string& aMapping,
                             const std::string& aReference, std::vector<Element> someArrays)
        {
            std::vector<Element> children{Record("Version", {int32_t(101)}), Record("Name", {aName}),
                                          Record("MappingInformationType", {aMapping}),
                                          Record("ReferenceInformationType", {aReference})};
            for (Element& e : someArrays)
                children.push_back(std::move(e));
            return Record(aType, {int32_t(0)}, std::move(children));
        }

        Element LayerEntry(const std::string& aType)
        {
            return Record("LayerElement", {}, {Record("Type", {aType}), Record("TypedIndex", {int32_t(0)})});
        }

        std::vector<double> Translation(const Vec3& v)
        {
            const Vec3 f = MirrorZ(v);
            return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, f.x, f.y, f.z, 1};
        }

        // Unique values in first-seen order, with the index of every entry.
        template <class Key>
        class Indexer
        {
        public:
            int32_t Add(const Key& aKey)
            {
                const auto [it, added] = myIndex.emplace(aKey, int32_t(myOrder.size()));
                if (added)
                    myOrder.push_back(aKey);
                return it->second;
            }
            const std::vector<Key>& Values() const { return myOrder; }

        private:
            std::map<Key, int32_t> myIndex;
            std::vector<Key> myOrder;
        };

        using Key3 = std::tuple<float, float, float>;
        using Key2 = std::tuple<float, float>;
        using Key4 = std::tuple<float, float, float, float>;

        class DocumentBuilder
        {
        public:
            explicit DocumentBuilder(const GameModel& aModel) : myModel(aModel) {}

            Document Build()
            {
                const int64_t meshNode = NewId();
                const int64_t geometry = NewId();
                const int64_t material = NewId();
                const int64_t texture = NewId();

                AddGeometry(geometry);
                myObjects.push_back(Record("Model", {meshNode, "Model::" + myModel.name, std::string("Mesh")},
                                           {Record("Version", {int32_t(232)}),
                                            Record("Properties70", {}, {Vector3P("Lcl Translation", {}),
                                                                        Vector3P("Lcl Rotation", {}),
                                                                        Vector3P("Lcl Scaling", {1, 1, 1})}),
                                            Record("Shading", {true}), Record("Culling", {std::string("CullingOff")})}));
                myObjects.push_back(Record(
                    "Material", {material, "Material::" + myModel.materialName, std::string()},
                    {Record("Version", {int32_t(102)}), Record("ShadingModel", {std::string("lambert")}),
                     Record("MultiLayer", {int32_t(0)}),
                     Record("Properties70", {}, {P("DiffuseColor", "Color", "", "A", {1.0, 1.0, 1.0}),
                                                 P("DiffuseFactor", "Number", "", "A", {1.0})})}));
                const std::string textureFile = MaterialTextureName(myModel);
                myObjects.push_back(Record("Texture", {texture, "Texture::" + myModel.materialName, std::string()},
                                           {Record("Type", {std::string("TextureVideoClip")}), Record("Version", {int32_t(202)}),
                                            Record("TextureName", {"Texture::" + myModel.materialName}),
                                            Record("FileName", {textureFile}), Record("RelativeFilename", {textureFile})}));
                Connect(meshNode, 0);
                Connect(geometry, meshNode);
                Connect(material, meshNode);
                ConnectProperty(texture, material, "DiffuseColor");

                if (!myModel.joints.empty())
                    AddSkeleton(geometry);
                if (myModel.animation.frameCount > 0 && !myModel.joints.empty())
                    AddAnimation();

                Document document;
                document.version = 7400;
                document.binary = true;
                document.root.children = {Header(), GlobalSettings(), Definitions()};
                document.root.children.push_back(Record("Objects", {}, std::move(myObjects)));
                document.root.children.push_back(Record("Connections", {}, std::move(myConnections)));
                if (myTake)
                    document.root.children.push_back(*myTake);
                return document;
            }

        private:
            int64_t NewId() { return myNextId += 7; }

            void Connect(int64_t aChild, int64_t aParent)
            {
                myConnections.push_back(Record("C", {std::string("OO"), aChild, aParent}));
            }
            void ConnectProperty(int64_t aChild, int64_t aParent, const std::string& aProperty)
            {
                myConnections.push_back(Record("C", {std::string("OP"), aChild, aParent, aProperty}));
            }

            Element Header() const
            {
                return Record("FBXHeaderExtension", {},
                              {Record("FBXHeaderVersion", {int32_t(1003)}), Record("FBXVersion", {int32_t(7400)}),
                               Record("Creator", {std::string("Kiln tool_MakeGameModels")})});
            }

            Element GlobalSettings() const
            {
                const int64_t stop = myModel.animation.frameCount > 1
                                         ? TICKS_PER_SECOND * (myModel.animation.frameCount - 1) / myModel.animation.framesPerSecond
                                         : 0;
                return Record(
                    "GlobalSettings", {},
                    {Record("Version", {int32_t(1000)}),
                     Record("Properties70", {},
                            {P("UpAxis", "int", "Integer", "", {int32_t(1)}), P("UpAxisSign", "int", "Integer", "", {int32_t(1)}),
                             P("FrontAxis", "int", "Integer", "", {int32_t(2)}),
                             P("FrontAxisSign", "int", "Integer", "", {int32_t(1)}),
                             P("CoordAxis", "int", "Integer", "", {int32_t(0)}),
                             P("CoordAxisSign", "int", "Integer", "", {int32_t(1)}),
                             P("OriginalUpAxis", "int", "Integer", "", {int32_t(1)}),
                             P("OriginalUpAxisSign", "int", "Integer", "", {int32_t(1)}),
                             P("UnitScaleFactor", "double", "Number", "", {1.0}),
                             P("OriginalUnitScaleFactor", "double", "Number", "", {1.0}),
                             P("TimeMode", "enum", "", "", {TIME_MODE_30_FPS}),
                             P("TimeSpanStart", "KTime", "Time", "", {int64_t(0)}),
                             P("TimeSpanStop", "KTime", "Time", "", {stop}),
                             P("CustomFrameRate", "double", "Number", "", {-1.0})})});
            }

            Element Definitions() const
            {
                std::map<std::string, int32_t> counts;
                for (const Element& object : myObjects)
                    ++counts[object.name];
                std::vector<Element> children{Record("Version", {int32_t(100)}),
                                              Record("Count", {int32_t(myObjects.size() + 1)}),
                                              Record("ObjectType", {std::string("GlobalSettings")}, {Record("Count", {int32_t(1)})})};
                for (const auto& [type, count] : counts)
                    children.push_back(Record("ObjectType", {type}, {Record("Count", {count})}));
                return Record("Definitions", {}, std::move(children));
            }

            void AddGeometry(int64_t anId)
            {
                Indexer<Key3> points;
                Indexer<Key2> uvs;
                Indexer<Key4> colours;
                std::vector<int32_t> polygonVertices, uvIndex, colourIndex;
                std::vector<double> normals;
                for (const Polygon& polygon : myModel.mesh.GetPolygons())
                    for (size_t i = 0; i < polygon.corners.size(); ++i)
                    {
                        const Corner& c = polygon.corners[i];
                        const Vec3 p = MirrorZ(c.position);
                        const int32_t point = points.Add({p.x, p.y, p.z});
                        polygonVertices.push_back(i + 1 == polygon.corners.size() ? -point - 1 : point);
                        const Vec3 n = MirrorZ(c.normal);
                        normals.insert(normals.end(), {double(n.x), double(n.y), double(n.z)});
                        // FBX texture space has v up.
                        uvIndex.push_back(uvs.Add({c.uv.x, 1.0f - c.uv.y}));
                        colourIndex.push_back(colours.Add({c.colour[0], c.colour[1], c.colour[2], c.colour[3]}));
                    }

                std::vector<double> vertices, uvValues, colourValues;
                for (const auto& [x, y, z] : points.Values())
                    vertices.insert(vertices.end(), {double(x), double(y), double(z)});
                for (const auto& [u, v] : uvs.Values())
                    uvValues.insert(uvValues.end(), {double(u), double(v)});
                for (const auto& [r, g, b, a] : colours.Values())
                    colourValues.insert(colourValues.end(), {double(r), double(g), double(b), double(a)});
                myControlPoints = points.Values();

                myObjects.push_back(Record(
                    "Geometry", {anId, "Geometry::" + myModel.name, std::string("Mesh")},
                    {Record("Vertices", {std::move(vertices)}), Record("PolygonVertexIndex", {std::move(polygonVertices)}),
                     Record("GeometryVersion", {int32_t(124)}),
                     LayerElement("LayerElementNormal", "", "ByPolygonVertex", "Direct", {Record("Normals", {std::move(normals)})}),
                     LayerElement("LayerElementColor", "colorSet1", "ByPolygonVertex", "IndexToDirect",
                                  {Record("Colors", {std::move(colourValues)}), Record("ColorIndex", {std::move(colourIndex)})}),
                     LayerElement("LayerElementUV", "map1", "ByPolygonVertex", "IndexToDirect",
                                  {Record("UV", {std::move(uvValues)}), Record("UVIndex", {std::move(uvIndex)})}),
                     LayerElement("LayerElementMaterial", "", "AllSame", "IndexToDirect",
                                  {Record("Materials", {std::vector<int32_t>{0}})}),
                     Record("Layer", {int32_t(0)},
                            {Record("Version", {int32_t(100)}), LayerEntry("LayerElementNormal"), LayerEntry("LayerElementColor"),
                             LayerEntry("LayerElementUV"), LayerEntry("LayerElementMaterial")})}));
            }

            Vec3 BindPosition(int aJoint) const
            {
                Vec3 p;
                for (int j = aJoint; j >= 0; j = myModel.joints[size_t(j)].parent)
                    p += myModel.joints[size_t(j)].translation;
                return p;
            }

            void AddSkeleton(int64_t aGeometry)
            {
                const size_t count = myModel.joints.size();
                std::vector<std::vector<int32_t>> indexes(count);
                std::vector<std::vector<double>> weights(count);
                for (size_t i = 0; i < myControlPoints.size(); ++i)
                {
                    const auto& [x, y, z] = myControlPoints[i];
                    const SkinWeights w = myModel.skin ? myModel.skin(MirrorZ({x, y, z})) : SkinWeights{{0, -1}, {1.0f, 0.0f}};
                    for (size_t k = 0; k < 2; ++k)
                        if (w.joints[k] >= 0 && size_t(w.joints[k]) < count && w.weights[k] > 0.0f)
                        {
                            indexes[size_t(w.joints[k])].push_back(int32_t(i));
                            weights[size_t(w.joints[k])].push_back(double(w.weights[k]));
                        }
                }

                const int64_t skin = NewId();
                myObjects.push_back(Record("Deformer", {skin, std::string("Deformer::Skin"), std::string("Skin")},
                                           {Record("Version", {int32_t(101)}), Record("Link_DeformAcuracy", {50.0})}));
                Connect(skin, aGeometry);
                for (size_t j = 0; j < count; ++j)
                {
                    const ModelJoint& joint = myModel.joints[j];
                    const int64_t node = NewId(), attribute = NewId(), cluster = NewId();
                    myJointIds.push_back(node);
                    myObjects.push_back(Record("Model", {node, "Model::" + joint.name, std::string("LimbNode")},
                                               {Record("Version", {int32_t(232)}),
                                                Record("Properties70", {}, {Vector3P("Lcl Translation", MirrorZ(joint.translation))})}));
                    myObjects.push_back(Record("NodeAttribute", {attribute, std::string("NodeAttribute::"), std::string("LimbNode")},
                                               {Record("Properties70", {}, {P("Size", "double", "Number", "", {10.0})}),
                                                Record("TypeFlags", {std::string("Skeleton")})}));
                    myObjects.push_back(Record("Deformer", {cluster, "SubDeformer::Cluster " + joint.name, std::string("Cluster")},
                                               {Record("Version", {int32_t(100)}), Record("Indexes", {indexes[j]}),
                                                // A cluster stores the mesh's bind matrix relative to its joint, as
                                                // exporters write it: inverse(link) x mesh (the mesh sits at the origin).
                                                Record("Weights", {weights[j]}), Record("Transform", {Translation(BindPosition(int(j)) * -1.0f)}),
                                                Record("TransformLink", {Translation(BindPosition(int(j)))})}));
                    Connect(attribute, node);
                    Connect(node, joint.parent < 0 ? 0 : myJointIds[size_t(joint.parent)]);
                    Connect(cluster, skin);
                    Connect(node, cluster);
                }
            }

            void AddAnimation()
            {
                const ModelAnimation& animation = myModel.animation;
                const int64_t stop = TICKS_PER_SECOND * (animation.frameCount - 1) / animation.framesPerSecond;
                const int64_t stack = NewId(), layer = NewId();
                myObjects.push_back(Record("AnimationStack", {stack, "AnimStack::" + animation.name, std::string()},
                                           {Record("Properties70", {}, {P("LocalStart", "KTime", "Time", "", {int64_t(0)}),
                                                                       P("LocalStop", "KTime", "Time", "", {stop}),
                                                                       P("ReferenceStart", "KTime", "Time", "", {int64_t(0)}),
                                                                       P("ReferenceStop", "KTime", "Time", "", {stop})})}));
                // Readers expect the layer's (here empty) property block.
                myObjects.push_back(Record("AnimationLayer", {layer, std::string("AnimLayer::BaseLayer"), std::string()},
                                           {Record("Properties70")}));
                Connect(layer, stack);

                std::vector<int64_t> times;
                for (int f = 0; f < animation.frameCount; ++f)
                    times.push_back(TICKS_PER_SECOND * f / animation.framesPerSecond);

                for (const JointTrack& track : animation.tracks)
                {
                    if (track.joint < 0 || size_t(track.joint) >= myJointIds.size())
                        continue;
                    std::vector<Vec3> rotations;
                    for (int f = 0; f < animation.frameCount; ++f)
                        rotations.push_back(RotationToFile(
                            track.rotations.empty() ? Vec3{} : track.rotations[std::min(size_t(f), track.rotations.size() - 1)]));
                    const int64_t node = NewId();
                    myObjects.push_back(Record("AnimationCurveNode", {node, std::string("AnimCurveNode::R"), std::string()},
                                               {Record("Properties70", {}, {P("d|X", "Number", "", "A", {double(rotations[0].x)}),
                                                                           P("d|Y", "Number", "", "A", {double(rotations[0].y)}),
                                                                           P("d|Z", "Number", "", "A", {double(rotations[0].z)})})}));
                    Connect(node, layer);
                    ConnectProperty(node, myJointIds[size_t(track.joint)], "Lcl Rotation");
                    for (int axis = 0; axis < 3; ++axis)
                    {
                        std::vector<float> values;
                        for (const Vec3& r : rotations)
                            values.push_back(r[axis]);
                        const int64_t curve = NewId();
                        myObjects.push_back(Record(
                            "AnimationCurve", {curve, std::string("AnimCurve::"), std::string()},
                            {Record("Default", {double(values[0])}), Record("KeyVer", {int32_t(4008)}), Record("KeyTime", {times}),
                             Record("KeyValueFloat", {values}), Record("KeyAttrFlags", {std::vector<int32_t>{KEY_LINEAR}}),
                             Record("KeyAttrDataFloat",
                                    {std::vector<float>{0.0f, 0.0f, std::bit_cast<float>(KEY_DEFAULT_WEIGHTS), 0.0f}}),
                             Record("KeyAttrRefCount", {std::vector<int32_t>{int32_t(values.size())}})}));
                        ConnectProperty(curve, node, axis == 0 ? "d|X" : axis == 1 ? "d|Y" : "d|Z");
                    }
                }

                myTake = Record("Takes", {},
                                {Record("Current", {animation.name}),
                                 Record("Take", {animation.name},
                                        {Record("FileName", {animation.name + ".tak"}),
                                         Record("LocalTime", {int64_t(0), stop}), Record("ReferenceTime", {int64_t(0), stop})})});
            }

            const GameModel& myModel;
            int64_t myNextId = 1000000000;
            std::vector<Element> myObjects;
            std::vector<Element> myConnections;
            std::vector<Key3> myControlPoints;   // file space
            std::vector<int64_t> myJointIds;
            std::optional<Element> myTake;
        };
    }

    std::string MaterialTextureName(const GameModel& aModel) { return aModel.materialName + "_C.dds"; }

    Document BuildFbxDocument(const GameModel& aModel) { return DocumentBuilder(aModel).Build(); }

    bool WriteFbxModel(const GameModel& aModel, const std::filesystem::path& aPath)
    {
        try
        {
            KilnTools::BinaryFbxOptions options;
            options.version = 7400;
            options.compressArrays = true;
            options.keepValueTypes = true;
            // Unchanged files are left alone, so a rebuild does not make the game reload them.
            return ContentKit::WriteFileIfChanged(aPath, KilnTools::WriteBinaryFbx(BuildFbxDocument(aModel), options));
        }
        catch (const std::exception&)
        {
            return false;
        }
    }
}

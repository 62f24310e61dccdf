#include "FbxModelBuilder.h"

#include <fstream>
#include <sstream>

namespace ModelTest
{
    namespace
    {
        constexpr int64_t TICKS_PER_SECOND = 46186158000;

        std::string Join(const std::vector<double>& someValues)
        {
            std::ostringstream out;
            out.precision(9);
            for (size_t i = 0; i < someValues.size(); ++i)
                out << (i ? "," : "") << someValues[i];
            return out.str();
        }

        std::string Array(const char* aName, const std::vector<double>& someValues)
        {
            return std::string("\t\t") + aName + ": *" + std::to_string(someValues.size()) + " {\n\t\t\ta: " + Join(someValues) +
                   "\n\t\t}\n";
        }

        std::string Element(const char* aKind, const char* anArray, const std::vector<double>& someValues)
        {
            return std::string("\t\t") + aKind + ": 0 {\n\t\tVersion: 101\n\t\tName: \"\"\n" +
                   "\t\tMappingInformationType: \"ByVertice\"\n\t\tReferenceInformationType: \"Direct\"\n" +
                   Array(anArray, someValues) + "\t\t}\n";
        }

        std::array<float, 3> GlobalTranslation(const FbxModelSpec& aSpec, int aJoint)
        {
            std::array<float, 3> t = {0.0f, 0.0f, 0.0f};
            for (int j = aJoint; j >= 0; j = aSpec.myJoints[static_cast<size_t>(j)].myParent)
                for (size_t i = 0; i < 3; ++i)
                    t[i] += aSpec.myJoints[static_cast<size_t>(j)].myTranslation[i];
            return t;
        }
    }

    std::string BuildAsciiFbx(const FbxModelSpec& aSpec)
    {
        std::ostringstream objects;
        std::ostringstream connections;
        int64_t nextId = 1000;
        const auto newId = [&nextId] { return nextId++; };
        const auto connect = [&connections](int64_t aChild, int64_t aParent) {
            connections << "\tC: \"OO\"," << aChild << "," << aParent << "\n";
        };

        std::vector<int64_t> materialIds;
        for (const std::string& name : aSpec.myMaterials)
        {
            materialIds.push_back(newId());
            objects << "\tMaterial: " << materialIds.back() << ", \"Material::" << name << "\", \"\" {\n"
                    << "\t\tVersion: 102\n\t\tShadingModel: \"lambert\"\n\t}\n";
        }

        std::vector<int64_t> jointIds;
        for (size_t j = 0; j < aSpec.myJoints.size(); ++j)
        {
            const FbxJointSpec& joint = aSpec.myJoints[j];
            jointIds.push_back(newId());
            const int64_t attribute = newId();
            objects << "\tModel: " << jointIds.back() << ", \"Model::" << joint.myName << "\", \"LimbNode\" {\n"
                    << "\t\tVersion: 232\n\t\tProperties70:  {\n"
                    << "\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\", " << joint.myTranslation[0] << ", "
                    << joint.myTranslation[1] << ", " << joint.myTranslation[2] << "\n\t\t}\n\t}\n"
                    << "\tNodeAttribute: " << attribute << ", \"NodeAttribute::\", \"LimbNode\" {\n"
                    << "\t\tTypeFlags: \"Skeleton\"\n\t}\n";
            connect(attribute, jointIds.back());
            connect(jointIds.back(), joint.myParent < 0 ? 0 : jointIds[static_cast<size_t>(joint.myParent)]);
        }

        for (const FbxMeshSpec& mesh : aSpec.myMeshes)
        {
            const int64_t geometry = newId();
            const int64_t model = newId();
            std::vector<double> positions, normals, tangents, binormals, uvs, colors, polygons;
            for (const auto& p : mesh.myPositions)
            {
                positions.insert(positions.end(), {p[0], p[1], p[2]});
                normals.insert(normals.end(), {0.0, 0.0, -1.0});
                tangents.insert(tangents.end(), {1.0, 0.0, 0.0});
                binormals.insert(binormals.end(), {0.0, 1.0, 0.0});
                uvs.insert(uvs.end(), {p[0] * 0.05, p[1] * 0.05});
            }
            for (const auto& c : mesh.myColors)
                colors.insert(colors.end(), {c[0], c[1], c[2], c[3]});
            for (size_t i = 0; i + 2 < mesh.myTriangles.size(); i += 3)
            {
                polygons.insert(polygons.end(), {double(mesh.myTriangles[i]), double(mesh.myTriangles[i + 1]),
                                                 -double(mesh.myTriangles[i + 2]) - 1.0});
            }
            objects << "\tGeometry: " << geometry << ", \"Geometry::" << mesh.myName << "Shape\", \"Mesh\" {\n"
                    << Array("Vertices", positions) << Array("PolygonVertexIndex", polygons) << "\t\tGeometryVersion: 124\n"
                    << Element("LayerElementNormal", "Normals", normals)
                    << Element("LayerElementTangent", "Tangents", tangents)
                    << Element("LayerElementBinormal", "Binormals", binormals)
                    << Element("LayerElementUV", "UV", uvs);
            if (!colors.empty())
                objects << Element("LayerElementColor", "Colors", colors);
            if (mesh.myMaterial >= 0)
            {
                objects << "\t\tLayerElementMaterial: 0 {\n\t\tVersion: 101\n\t\tName: \"\"\n"
                        << "\t\tMappingInformationType: \"AllSame\"\n\t\tReferenceInformationType: \"IndexToDirect\"\n"
                        << Array("Materials", {0.0}) << "\t\t}\n";
            }
            objects << "\t\tLayer: 0 {\n\t\t\tVersion: 100\n\t\t}\n\t}\n"
                    << "\tModel: " << model << ", \"Model::" << mesh.myName << "\", \"Mesh\" {\n\t\tVersion: 232\n\t}\n";
            connect(geometry, model);
            connect(model, 0);
            if (mesh.myMaterial >= 0)
                connect(materialIds[static_cast<size_t>(mesh.myMaterial)], model);

            if (mesh.mySkin.empty())
                continue;
            const int64_t skin = newId();
            objects << "\tDeformer: " << skin << ", \"Deformer::Skin\", \"Skin\" {\n\t\tVersion: 101\n\t}\n";
            connect(skin, geometry);
            for (size_t j = 0; j < aSpec.myJoints.size(); ++j)
            {
                std::vector<double> indexes, weights;
                for (size_t v = 0; v < mesh.mySkin.size(); ++v)
                {
                    for (const auto& [joint, weight] : mesh.mySkin[v])
                    {
                        if (joint == static_cast<int>(j))
                        {
                            indexes.push_back(double(v));
                            weights.push_back(weight);
                        }
                    }
                }
                if (indexes.empty())
                    continue;
                const std::array<float, 3> t = GlobalTranslation(aSpec, static_cast<int>(j));
                const int64_t cluster = newId();
                objects << "\tDeformer: " << cluster << ", \"SubDeformer::Cluster " << aSpec.myJoints[j].myName
                        << "\", \"Cluster\" {\n\t\tVersion: 100\n"
                        << Array("Indexes", indexes) << Array("Weights", weights)
                        // Stored relative to the link, as exporters write it: the mesh sits at the origin.
                        << Array("Transform", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -t[0], -t[1], -t[2], 1})
                        << Array("TransformLink", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, t[0], t[1], t[2], 1}) << "\t}\n";
                connect(cluster, skin);
                connect(jointIds[j], cluster);
            }
        }

        if (!aSpec.myRotations.empty())
        {
            const int64_t stop = static_cast<int64_t>(static_cast<double>(aSpec.myDurationSeconds) * TICKS_PER_SECOND);
            const int64_t stack = newId();
            const int64_t layer = newId();
            objects << "\tAnimationStack: " << stack << ", \"AnimStack::Take 001\", \"\" {\n\t\tProperties70:  {\n"
                    << "\t\t\tP: \"LocalStop\", \"KTime\", \"Time\", \"\", " << stop << "\n"
                    << "\t\t\tP: \"ReferenceStop\", \"KTime\", \"Time\", \"\", " << stop << "\n\t\t}\n\t}\n"
                    << "\tAnimationLayer: " << layer << ", \"AnimLayer::BaseLayer\", \"\" {\n\t}\n";
            connect(layer, stack);
            for (const FbxRotationSpec& rotation : aSpec.myRotations)
            {
                const int64_t node = newId();
                const int64_t curve = newId();
                objects << "\tAnimationCurveNode: " << node << ", \"AnimCurveNode::R\", \"\" {\n\t\tProperties70:  {\n"
                        << "\t\t\tP: \"d|X\", \"Number\", \"\", \"A\", 0.0\n\t\t\tP: \"d|Y\", \"Number\", \"\", \"A\", 0.0\n"
                        << "\t\t\tP: \"d|Z\", \"Number\", \"\", \"A\", " << rotation.myStartDegrees << "\n\t\t}\n\t}\n"
                        << "\tAnimationCurve: " << curve << ", \"AnimCurve::\", \"\" {\n\t\tDefault: "
                        << rotation.myStartDegrees << "\n\t\tKeyVer: 4008\n"
                        << Array("KeyTime", {0.0, double(stop)})
                        << Array("KeyValueFloat", {rotation.myStartDegrees, rotation.myEndDegrees})
                        << Array("KeyAttrFlags", {260}) << Array("KeyAttrDataFloat", {0, 0, 218434821, 0})
                        << Array("KeyAttrRefCount", {2}) << "\t}\n";
                connect(node, layer);
                connections << "\tC: \"OP\"," << node << "," << jointIds[static_cast<size_t>(rotation.myJoint)]
                            << ", \"Lcl Rotation\"\n"
                            << "\tC: \"OP\"," << curve << "," << node << ", \"d|Z\"\n";
            }
        }

        std::ostringstream file;
        file << "; FBX 7.4.0 project file\n"
             << "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n}\n"
             << "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
             << "\t\tP: \"UpAxis\", \"int\", \"Integer\", \"\", 1\n\t\tP: \"UpAxisSign\", \"int\", \"Integer\", \"\", 1\n"
             << "\t\tP: \"FrontAxis\", \"int\", \"Integer\", \"\", 2\n\t\tP: \"FrontAxisSign\", \"int\", \"Integer\", \"\", 1\n"
             << "\t\tP: \"CoordAxis\", \"int\", \"Integer\", \"\", 0\n\t\tP: \"CoordAxisSign\", \"int\", \"Integer\", \"\", 1\n"
             << "\t\tP: \"UnitScaleFactor\", \"double\", \"Number\", \"\", 1.0\n"
             << "\t\tP: \"TimeMode\", \"enum\", \"\", \"\", 6\n\t}\n}\n"
             << "Objects:  {\n" << objects.str() << "}\n"
             << "Connections:  {\n" << connections.str() << "}\n";
        return file.str();
    }

    std::filesystem::path WriteFbx(const std::filesystem::path& aPath, const FbxModelSpec& aSpec)
    {
        std::filesystem::create_directories(aPath.parent_path());
        std::ofstream(aPath, std::ios::binary) << BuildAsciiFbx(aSpec);
        return aPath;
    }

    FbxMeshSpec Quad(const std::string& aName, float x, float y, float aWidth, float aHeight)
    {
        FbxMeshSpec mesh;
        mesh.myName = aName;
        mesh.myPositions = {{x, y, 0.0f}, {x, y + aHeight, 0.0f}, {x + aWidth, y + aHeight, 0.0f}, {x + aWidth, y, 0.0f}};
        mesh.myTriangles = {0, 1, 2, 0, 2, 3};
        return mesh;
    }

    FbxModelSpec BentBar(float aBendDegrees)
    {
        FbxModelSpec spec;
        spec.myJoints = {{"Root", -1, {0.0f, 0.0f, 0.0f}}, {"Bend", 0, {0.0f, 10.0f, 0.0f}}};
        FbxMeshSpec bar;
        bar.myName = "Bar";
        for (int row = 0; row <= 4; ++row)
        {
            const float y = 5.0f * static_cast<float>(row);
            bar.myPositions.push_back({-1.0f, y, 0.0f});
            bar.myPositions.push_back({1.0f, y, 0.0f});
            const int joint = y < 10.0f ? 0 : 1;
            bar.mySkin.push_back({{joint, 1.0f}});
            bar.mySkin.push_back({{joint, 1.0f}});
        }
        for (uint32_t row = 0; row < 4; ++row)
        {
            const uint32_t a = row * 2;
            bar.myTriangles.insert(bar.myTriangles.end(), {a, a + 2, a + 3, a, a + 3, a + 1});
        }
        spec.myMeshes = {bar};
        spec.myRotations = {{1, aBendDegrees, aBendDegrees}};
        return spec;
    }
}

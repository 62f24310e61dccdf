#include "Support/fbx/SkinnedGridFbx.h"

#include "Support/fbx/BinaryFbxWriter.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace KilnTest
{
    using namespace Plat::Fbx;

    namespace
    {
        Element LayerElement(const std::string& aType, const std::string& aMapping, const std::string& aReference,
                             std::vector<Element> someArrays)
        {
            std::vector<Element> children{Record("Version", {int32_t(101)}), Record("Name", {std::string()}),
                                          Record("MappingInformationType", {aMapping}),
                                          Record("ReferenceInformationType", {aReference})};
            children.insert(children.end(), someArrays.begin(), someArrays.end());
            return Record(aType, {int32_t(0)}, children);
        }

        Element LayerEntry(const std::string& aType)
        {
            return Record("LayerElement", {}, {Record("Type", {aType}), Record("TypedIndex", {int32_t(0)})});
        }

        std::vector<double> Matrix(double x)
        {
            return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, 0, 0, 1};
        }
    }

    Document MakeSkinnedGrid(int aQuadsPerSide, int aJointCount)
    {
        const int n = aQuadsPerSide;
        const int side = n + 1;
        const double size = 100.0;
        std::vector<double> points;
        points.reserve(static_cast<size_t>(side * side * 3));
        for (int z = 0; z < side; ++z)
            for (int x = 0; x < side; ++x)
            {
                points.push_back(size * x / n);
                points.push_back(std::sin(0.3 * x) * std::cos(0.2 * z));
                points.push_back(size * z / n);
            }
        std::vector<int32_t> corners;
        std::vector<double> normals, uvs;
        std::vector<int32_t> uvIndex;
        corners.reserve(static_cast<size_t>(4 * n * n));
        for (int z = 0; z < side; ++z)
            for (int x = 0; x < side; ++x)
            {
                uvs.push_back(static_cast<double>(x) / n);
                uvs.push_back(static_cast<double>(z) / n);
            }
        for (int z = 0; z < n; ++z)
            for (int x = 0; x < n; ++x)
            {
                const int a = z * side + x;
                const int quad[4] = {a, a + side, a + side + 1, a + 1};
                for (int k = 0; k < 4; ++k)
                {
                    corners.push_back(k == 3 ? -quad[k] - 1 : quad[k]);
                    uvIndex.push_back(quad[k]);
                    normals.insert(normals.end(), {0.0, 1.0, 0.0});
                }
            }

        const int64_t geometryId = 1000, meshModelId = 1001, materialId = 1002, skinId = 1003;
        std::vector<Element> objects;
        objects.push_back(Record(
            "Geometry", {geometryId, std::string("Geometry::GridShape"), std::string("Mesh")},
            {Record("Vertices", {points}), Record("PolygonVertexIndex", {corners}), Record("GeometryVersion", {int32_t(124)}),
             LayerElement("LayerElementNormal", "ByPolygonVertex", "Direct", {Record("Normals", {normals})}),
             LayerElement("LayerElementUV", "ByPolygonVertex", "IndexToDirect",
                          {Record("UV", {uvs}), Record("UVIndex", {uvIndex})}),
             LayerElement("LayerElementMaterial", "AllSame", "IndexToDirect", {Record("Materials", {std::vector<int32_t>{0}})}),
             Record("Layer", {int32_t(0)},
                    {Record("Version", {int32_t(100)}), LayerEntry("LayerElementNormal"), LayerEntry("LayerElementUV"),
                     LayerEntry("LayerElementMaterial")})}));
        objects.push_back(Record("Model", {meshModelId, std::string("Model::Grid"), std::string("Mesh")},
                                 {Record("Version", {int32_t(232)}), Record("Properties70")}));
        objects.push_back(Record("Material", {materialId, std::string("Material::GridMaterial"), std::string()},
                                 {Record("Version", {int32_t(102)}), Record("ShadingModel", {std::string("phong")}),
                                  Record("Properties70", {}, {P("DiffuseColor", "Color", {0.8, 0.8, 0.8})})}));
        objects.push_back(Record("Deformer", {skinId, std::string("Deformer::Skin"), std::string("Skin")},
                                 {Record("Version", {int32_t(101)})}));

        std::vector<Element> connections;
        auto oo = [&](int64_t aChild, int64_t aParent) {
            connections.push_back(Record("C", {std::string("OO"), aChild, aParent}));
        };
        oo(meshModelId, 0);
        oo(geometryId, meshModelId);
        oo(materialId, meshModelId);
        oo(skinId, geometryId);

        // Joint j sits at x = j * spacing; each control point goes to its two nearest joints.
        const double spacing = size / std::max(1, aJointCount - 1);
        std::vector<std::vector<int32_t>> indexes(static_cast<size_t>(aJointCount));
        std::vector<std::vector<double>> weights(static_cast<size_t>(aJointCount));
        for (int i = 0; i < side * side; ++i)
        {
            const double x = points[static_cast<size_t>(3 * i)] / spacing;
            const int left = std::clamp(static_cast<int>(x), 0, aJointCount - 1);
            const int right = std::min(left + 1, aJointCount - 1);
            const double t = std::clamp(x - left, 0.0, 1.0);
            indexes[static_cast<size_t>(left)].push_back(i);
            weights[static_cast<size_t>(left)].push_back(1.0 - t);
            if (right != left)
            {
                indexes[static_cast<size_t>(right)].push_back(i);
                weights[static_cast<size_t>(right)].push_back(t);
            }
        }
        for (int j = 0; j < aJointCount; ++j)
        {
            const int64_t jointId = 2000 + 3 * j, attributeId = jointId + 1, clusterId = jointId + 2;
            const std::string name = "Joint" + std::to_string(j);
            objects.push_back(Record(
                "Model", {jointId, "Model::" + name, std::string("LimbNode")},
                {Record("Version", {int32_t(232)}),
                 Record("Properties70", {}, {P("Lcl Translation", "Lcl Translation", {j == 0 ? 0.0 : spacing, 0.0, 0.0})})}));
            objects.push_back(Record("NodeAttribute", {attributeId, std::string("NodeAttribute::"), std::string("LimbNode")},
                                     {Record("TypeFlags", {std::string("Skeleton")})}));
            objects.push_back(Record("Deformer", {clusterId, "SubDeformer::Cluster " + name, std::string("Cluster")},
                                     {Record("Version", {int32_t(100)}), Record("Indexes", {indexes[static_cast<size_t>(j)]}),
                                      Record("Weights", {weights[static_cast<size_t>(j)]}), Record("Transform", {Matrix(-j * spacing)}),
                                      Record("TransformLink", {Matrix(j * spacing)})}));
            oo(jointId, j == 0 ? 0 : jointId - 3);
            oo(attributeId, jointId);
            oo(clusterId, skinId);
            oo(jointId, clusterId);
        }

        Document doc;
        doc.version = 7400;
        doc.root.children = {
            Record("FBXHeaderExtension", {}, {Record("FBXHeaderVersion", {int32_t(1003)}), Record("FBXVersion", {int32_t(7400)})}),
            Record("GlobalSettings", {},
                   {Record("Version", {int32_t(1000)}),
                    Record("Properties70", {}, {P("UnitScaleFactor", "double", {1.0}), P("UpAxis", "int", {int32_t(1)})})}),
            Record("Objects", {}, objects),
            Record("Connections", {}, connections),
        };
        return doc;
    }
}

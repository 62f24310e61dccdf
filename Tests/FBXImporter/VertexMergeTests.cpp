// Merging of duplicate corners, judged by what comes out of a file: two triangles whose
// corners meet at two shared positions through separate control points. Corners equal in
// every attribute become one vertex; a difference in any single attribute keeps them apart.
#include "ImporterTestSupport.h"

#include "ModelImport.h"

#include "Support/fbx/BinaryFbxWriter.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

using namespace KILNFBXImporter;
using namespace KilnTest;
using namespace Plat::Fbx;

namespace
{
    std::vector<double> Identity(double x)
    {
        return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, 0, 0, 1};
    }

    // Control points 3 and 4 repeat points 1 and 2; the second triangle uses them.
    const std::array<std::array<double, 3>, 6> thePoints = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}};
    const std::array<int, 6> theCornerPoints = {0, 1, 2, 3, 5, 4};

    // Every attribute of a corner, as written to the file. By default each depends only on
    // the corner's position, so corners at one position are equal in all of them.
    struct CornerAttributes
    {
        std::array<double, 4> color;
        std::array<std::array<double, 2>, 4> uvs;
        std::array<double, 3> normal;
        std::array<double, 3> tangent;
        std::array<double, 3> binormal;
    };

    CornerAttributes ByPosition(const std::array<double, 3>& aPoint)
    {
        const double x = aPoint[0], y = aPoint[1];
        CornerAttributes a;
        a.color = {0.2 + 0.5 * x, 0.3 + 0.4 * y, 0.6, 1.0};
        for (size_t set = 0; set < 4; ++set)
            a.uvs[set] = {x * 0.5 + 0.1 * double(set), y * 0.5 + 0.05 * double(set)};
        a.normal = {0, 0, 1};
        a.tangent = {1, 0, 0};
        a.binormal = {0, 1, 0};
        return a;
    }

    struct MeshSpec
    {
        std::array<CornerAttributes, 6> corners;
        // Per control point: the weight of joint 0 (joint 1 takes the rest).
        std::array<double, 6> jointZeroWeights;
    };

    MeshSpec EqualCorners()
    {
        MeshSpec spec;
        for (size_t c = 0; c < 6; ++c)
            spec.corners[c] = ByPosition(thePoints[static_cast<size_t>(theCornerPoints[c])]);
        for (size_t p = 0; p < 6; ++p)
            spec.jointZeroWeights[p] = 1.0 - 0.25 * thePoints[p][0] - 0.25 * thePoints[p][1];
        return spec;
    }

    Element Layer(const std::string& aType, int anIndex, std::vector<Element> someArrays)
    {
        std::vector<Element> children{Record("Version", {int32_t(101)}), Record("Name", {std::string("set") + std::to_string(anIndex)}),
                                      Record("MappingInformationType", {std::string("ByPolygonVertex")}),
                                      Record("ReferenceInformationType", {std::string("Direct")})};
        children.insert(children.end(), someArrays.begin(), someArrays.end());
        return Record(aType, {int32_t(anIndex)}, children);
    }

    Document MakeDocument(const MeshSpec& aSpec)
    {
        std::vector<double> points;
        for (const auto& p : thePoints)
            points.insert(points.end(), p.begin(), p.end());
        const std::vector<int32_t> polygons = {0, 1, -3, 3, 5, -5};
        std::vector<double> colors, normals, tangents, binormals;
        std::array<std::vector<double>, 4> uvs;
        for (const CornerAttributes& c : aSpec.corners)
        {
            colors.insert(colors.end(), c.color.begin(), c.color.end());
            normals.insert(normals.end(), c.normal.begin(), c.normal.end());
            tangents.insert(tangents.end(), c.tangent.begin(), c.tangent.end());
            binormals.insert(binormals.end(), c.binormal.begin(), c.binormal.end());
            for (size_t set = 0; set < 4; ++set)
                uvs[set].insert(uvs[set].end(), c.uvs[set].begin(), c.uvs[set].end());
        }
        std::vector<Element> geometry{Record("Vertices", {points}), Record("PolygonVertexIndex", {polygons}),
                                      Record("GeometryVersion", {int32_t(124)}),
                                      Layer("LayerElementNormal", 0, {Record("Normals", {normals})}),
                                      Layer("LayerElementTangent", 0, {Record("Tangents", {tangents})}),
                                      Layer("LayerElementBinormal", 0, {Record("Binormals", {binormals})}),
                                      Layer("LayerElementColor", 0, {Record("Colors", {colors})})};
        for (int set = 0; set < 4; ++set)
            geometry.push_back(Layer("LayerElementUV", set, {Record("UV", {uvs[static_cast<size_t>(set)]})}));

        const int64_t geometryId = 10, meshId = 11, skinId = 12;
        std::vector<Element> objects{
            Record("Geometry", {geometryId, std::string("Geometry::PairShape"), std::string("Mesh")}, geometry),
            Record("Model", {meshId, std::string("Model::Pair"), std::string("Mesh")}, {Record("Version", {int32_t(232)})}),
            Record("Deformer", {skinId, std::string("Deformer::Skin"), std::string("Skin")}, {Record("Version", {int32_t(101)})})};
        std::vector<Element> connections{Record("C", {std::string("OO"), meshId, int64_t(0)}),
                                         Record("C", {std::string("OO"), geometryId, meshId}),
                                         Record("C", {std::string("OO"), skinId, geometryId})};
        for (int j = 0; j < 2; ++j)
        {
            const int64_t jointId = 100 + 3 * j, attributeId = jointId + 1, clusterId = jointId + 2;
            std::vector<double> weights;
            for (double w : aSpec.jointZeroWeights)
                weights.push_back(j == 0 ? w : 1.0 - w);
            const std::string name = "Joint" + std::to_string(j);
            objects.push_back(Record("Model", {jointId, "Model::" + name, std::string("LimbNode")},
                                     {Record("Version", {int32_t(232)}),
                                      Record("Properties70", {}, {P("Lcl Translation", "Lcl Translation", {double(j), 0.0, 0.0})})}));
            objects.push_back(Record("NodeAttribute", {attributeId, std::string("NodeAttribute::"), std::string("LimbNode")},
                                     {Record("TypeFlags", {std::string("Skeleton")})}));
            objects.push_back(Record("Deformer", {clusterId, "SubDeformer::Cluster " + name, std::string("Cluster")},
                                     {Record("Version", {int32_t(100)}),
                                      Record("Indexes", {std::vector<int32_t>{0, 1, 2, 3, 4, 5}}), Record("Weights", {weights}),
                                      Record("Transform", {Identity(0.0)}), Record("TransformLink", {Identity(double(j))})}));
            connections.push_back(Record("C", {std::string("OO"), jointId, j == 0 ? int64_t(0) : jointId - 3}));
            connections.push_back(Record("C", {std::string("OO"), attributeId, jointId}));
            connections.push_back(Record("C", {std::string("OO"), clusterId, skinId}));
            connections.push_back(Record("C", {std::string("OO"), jointId, clusterId}));
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

    class VertexMerge : public ImporterTest
    {
    protected:
        // The vertex count of the one mesh the spec's file imports to.
        size_t VertexCount(const MeshSpec& aSpec, bool aMerge = true)
        {
            const auto path = myFolder / ("pair" + std::to_string(myFileCount++) + ".fbx");
            WriteWholeFile(path, WriteBinaryFbx(MakeDocument(aSpec), {}));
            FBXModel model;
            EXPECT_TRUE(LoadModel(path.string(), model, false, aMerge)) << LastError;
            EXPECT_EQ(model.meshes.size(), 1u);
            if (model.meshes.size() != 1)
                return 0;
            EXPECT_EQ(model.meshes[0].indices.size(), 6u);
            return model.meshes[0].vertices.size();
        }

        int myFileCount = 0;
    };
}

TEST_F(VertexMerge, CornersEqualInEveryAttributeBecomeOneVertex)
{
    EXPECT_EQ(VertexCount(EqualCorners()), 4u);
    EXPECT_EQ(VertexCount(EqualCorners(), false), 6u);
}

TEST_F(VertexMerge, CornersThatShareAPositionButDifferInOneAttributeStayApart)
{
    // Each change touches only corner 3, at the position of corner 1.
    const std::vector<std::pair<std::string, std::function<void(MeshSpec&)>>> changes = {
        {"colour red", [](MeshSpec& s) { s.corners[3].color[0] += 0.25; }},
        {"colour alpha", [](MeshSpec& s) { s.corners[3].color[3] = 0.5; }},
        {"uv set 0", [](MeshSpec& s) { s.corners[3].uvs[0][0] += 0.25; }},
        {"uv set 1", [](MeshSpec& s) { s.corners[3].uvs[1][1] += 0.25; }},
        {"uv set 2", [](MeshSpec& s) { s.corners[3].uvs[2][0] += 0.25; }},
        {"uv set 3", [](MeshSpec& s) { s.corners[3].uvs[3][1] += 0.25; }},
        {"normal", [](MeshSpec& s) { s.corners[3].normal = {0.0, 0.6, 0.8}; }},
        {"tangent", [](MeshSpec& s) { s.corners[3].tangent = {0.8, 0.0, 0.6}; }},
        {"binormal", [](MeshSpec& s) { s.corners[3].binormal = {0.0, 0.8, 0.6}; }},
        {"weights", [](MeshSpec& s) { s.jointZeroWeights[3] = 0.1; }},
    };
    for (const auto& [name, change] : changes)
    {
        MeshSpec spec = EqualCorners();
        change(spec);
        EXPECT_EQ(VertexCount(spec), 5u) << name;
    }
}

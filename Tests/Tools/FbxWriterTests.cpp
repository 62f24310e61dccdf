// The binary FBX writer against the project's reader: what one writes the other reads
// back record for record, value for value, and the generator's documents come back as
// the scenes they describe.
#include "FbxModel.h"
#include "GameModelSet.h"

#include "Support/fbx/BinaryFbxWriter.h"

#include "Platform/fbx/Document.h"
#include "Platform/fbx/FormatError.h"

#include <gtest/gtest.h>

#include <string>

using Plat::Fbx::Document;
using Plat::Fbx::Element;
using Plat::Fbx::Value;
using KilnTest::Record;

namespace
{
    // A document holding every value type the format has, nested records, an empty record
    // and an empty array.
    Document EveryValueType()
    {
        Document document;
        document.version = 7400;
        document.root.children = {
            Record("FBXHeaderExtension", {}, {Record("FBXVersion", {int32_t(7400)})}),
            Record("Scalars", {int16_t(-7), true, int32_t(-123456), 1.5f, -2.25, int64_t(1) << 40, std::string("text"),
                               Plat::Fbx::RawBytes{std::string("\0\1\2raw", 6)}}),
            Record("Arrays", {std::vector<float>{0.5f, -1.0f}, std::vector<double>{1e-9, 3.0, -4.5},
                              std::vector<int64_t>{-1, int64_t(1) << 50}, std::vector<int32_t>{1, -2, 3},
                              std::vector<uint8_t>{0, 1, 255}, std::vector<double>{}}),
            Record("Objects", {},
                   {Record("Model", {int64_t(42), std::string("Model::Name"), std::string("Mesh")},
                           {Record("Properties70", {}, {Record("P", {std::string("Lcl Translation"), std::string("Lcl Translation"),
                                                                     std::string(), std::string("A"), 1.0, 2.0, 3.0})}),
                            Record("Empty")})}),
            Record("Connections", {}, {Record("C", {std::string("OO"), int64_t(42), int64_t(0)})}),
        };
        return document;
    }

    KilnTools::BinaryFbxOptions Typed(uint32_t aVersion, bool aCompress)
    {
        KilnTools::BinaryFbxOptions options;
        options.version = aVersion;
        options.compressArrays = aCompress;
        options.keepValueTypes = true;
        return options;
    }
}

TEST(FbxWriter, EveryValueTypeRoundTripsThroughTheReaderInEachForm)
{
    const Document original = EveryValueType();
    for (const auto& [version, compress] : {std::pair{7400u, false}, {7400u, true}, {7500u, false}, {7500u, true}})
    {
        SCOPED_TRACE(std::to_string(version) + (compress ? " compressed" : ""));
        const std::string bytes = KilnTools::WriteBinaryFbx(original, Typed(version, compress));
        ASSERT_EQ(std::string_view(bytes).substr(0, 21), std::string_view("Kaydara FBX Binary  \0", 21));
        const Document read = Plat::Fbx::ReadDocument(bytes);
        EXPECT_TRUE(read.binary);
        EXPECT_EQ(read.version, version);
        EXPECT_EQ(read.root, original.root);
    }
}

TEST(FbxWriter, AsciiValuesAreNarrowedToTheTypesExportersWrite)
{
    // As the ASCII reader hands them over: 64-bit integers and double arrays.
    Document document;
    document.version = 7400;
    document.root.children = {
        Record("Objects", {}, {Record("AnimationCurve", {int64_t(7), std::string("AnimCurve::"), std::string()},
                                      {Record("KeyVer", {int64_t(4008)}), Record("KeyTime", {std::vector<int64_t>{0, 46186158000}}),
                                       Record("KeyValueFloat", {std::vector<double>{0.5, 1.5}})})}),
        Record("Connections", {}, {Record("C", {std::string("OO"), int64_t(7), int64_t(0)})})};
    const Document read = Plat::Fbx::ReadDocument(KilnTools::WriteBinaryFbx(document, {}));
    const Element& curve = read.root.FindChild("Objects")->children.at(0);
    EXPECT_EQ(curve.values.at(0).TypeCode(), 'L');   // ids stay 64-bit
    EXPECT_EQ(curve.FindChildValue("KeyVer")->TypeCode(), 'I');
    EXPECT_EQ(curve.FindChildValue("KeyTime")->TypeCode(), 'l');
    EXPECT_EQ(curve.FindChildValue("KeyValueFloat")->TypeCode(), 'f');
    EXPECT_EQ(curve.FindChildValue("KeyValueFloat")->ToDoubles(), (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(read.root.FindChild("Connections")->children.at(0).values.at(1).TypeCode(), 'L');
}

TEST(FbxWriter, ATruncatedFileIsRefusedByTheReader)
{
    const std::string bytes = KilnTools::WriteBinaryFbx(EveryValueType(), Typed(7400, true));
    for (size_t cut : {size_t(30), bytes.size() / 2, bytes.size() - 200})
        EXPECT_THROW(Plat::Fbx::ReadDocument(std::string_view(bytes).substr(0, cut)), Plat::Fbx::FormatError) << cut;
}

TEST(FbxWriter, GeneratedModelsRoundTripAsTheDocumentsTheyWereBuiltFrom)
{
    for (const GameModels::ModelFile& file : GameModels::AllGameModels())
    {
        SCOPED_TRACE(file.path);
        const Document built = GameModels::BuildFbxDocument(file.model);
        const Document read = Plat::Fbx::ReadDocument(KilnTools::WriteBinaryFbx(built, Typed(7400, true)));
        EXPECT_EQ(read.version, 7400u);
        EXPECT_EQ(read.root, built.root);
    }
}

TEST(FbxWriter, ModelDocumentsDeclareCentimetresYUpAndMirrorDepth)
{
    // A single quad facing the camera (normal -z in engine space) at depth z = 10.
    GameModels::GameModel model;
    model.name = "Quad";
    model.mesh.SetCell(GameModels::LevelCell(2, GameModels::Role::Accent));
    model.mesh.AddFace({{-1, 0, 10}, {1, 0, 10}, {1, 2, 10}, {-1, 2, 10}}, {0, 0, -1});
    const Document document = GameModels::BuildFbxDocument(model);

    const Element* settings = document.root.FindChild("GlobalSettings")->FindChild("Properties70");
    auto property = [&](const std::string& aName) -> const Value& {
        for (const Element& p : settings->children)
            if (p.values.at(0).AsString() == aName)
                return p.values.at(4);
        ADD_FAILURE() << aName;
        static const Value none;
        return none;
    };
    EXPECT_EQ(property("UnitScaleFactor").AsDouble(), 1.0);
    EXPECT_EQ(property("UpAxis").AsInt64(), 1);
    EXPECT_EQ(property("FrontAxis").AsInt64(), 2);
    EXPECT_EQ(property("FrontAxisSign").AsInt64(), 1);

    const Element& geometry = document.root.FindChild("Objects")->children.at(0);
    ASSERT_EQ(geometry.name, "Geometry");
    const std::vector<double> points = geometry.FindChild("Vertices")->values.at(0).ToDoubles();
    ASSERT_EQ(points.size(), 12u);
    for (size_t i = 2; i < points.size(); i += 3)
        EXPECT_EQ(points[i], -10.0);   // right-handed: z towards the viewer
    const std::vector<double> normals = geometry.FindChild("LayerElementNormal")->FindChild("Normals")->values.at(0).ToDoubles();
    for (size_t i = 2; i < normals.size(); i += 3)
        EXPECT_EQ(normals[i], 1.0);
    // One quad; its last corner is marked by a negative index.
    const std::vector<int64_t> corners = geometry.FindChild("PolygonVertexIndex")->values.at(0).ToInt64s();
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_LT(corners[3], 0);
    // UVs point at the cell's centre, with v up as FBX has it.
    const std::vector<double> uvs = geometry.FindChild("LayerElementUV")->FindChild("UV")->values.at(0).ToDoubles();
    ASSERT_EQ(uvs.size(), 2u);
    EXPECT_NEAR(uvs[0], 5.5 / GameModels::ATLAS_COLUMNS, 1e-6);
    EXPECT_NEAR(uvs[1], 1.0 - 1.5 / GameModels::ATLAS_ROWS, 1e-6);
}

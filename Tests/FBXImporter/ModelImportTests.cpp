#include "ImporterTestSupport.h"

#include "ModelImport.h"
#include "VertexHash.h"

#include "Support/fbx/SkinnedGridFbx.h"

#include "Platform/fbx/Object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <set>

using namespace KILNFBXImporter;
using namespace KilnTest;

namespace
{
    FBXModel Load(const std::filesystem::path& aPath, bool aMerge = true, bool aRegenerate = false)
    {
        FBXModel model;
        EXPECT_TRUE(LoadModel(aPath.string(), model, aRegenerate, aMerge)) << LastError;
        return model;
    }

    float Dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
}

TEST_F(ImporterTest, CubeGivesTwentyFourDistinctCornersWithItsMaterialInEveryForm)
{
    for (FbxForm form : AllFbxForms)
    {
        SCOPED_TRACE(FormName(form));
        const FBXModel model = Load(FixtureInForm("cube.fbx", form, myFolder));
        ASSERT_EQ(model.meshes.size(), 1u);
        const FBXMesh& mesh = model.meshes[0];
        EXPECT_EQ(mesh.name, "Cube");
        EXPECT_EQ(mesh.vertices.size(), 24u); // 4 per face: per-face normals split the 8 corners
        EXPECT_EQ(mesh.indices.size(), 36u);
        EXPECT_EQ(mesh.materialIndex, 0u);
        for (uint32_t index : mesh.indices)
            EXPECT_LT(index, mesh.vertices.size());

        ASSERT_EQ(model.materials.size(), 1u);
        const FBXMaterial& material = model.materials[0];
        EXPECT_EQ(material.name, "CubeMaterial");
        const FBXTexture& diffuse = material.textures[FBXMaterial::Diffuse];
        EXPECT_EQ(diffuse.fileName, "cube_diffuse.png");
        EXPECT_EQ(diffuse.absolutePath, "C:\\Art\\textures\\cube_diffuse.png");
        EXPECT_EQ(diffuse.relativePath, "..\\textures\\cube_diffuse.png");
        // No backslash: the whole relative name.
        EXPECT_EQ(material.textures[FBXMaterial::Specular].fileName, "cube_spec.dds");
        // A layered texture leaves its slot empty even though a file texture sits inside.
        EXPECT_EQ(material.textures[FBXMaterial::NormalMap], FBXTexture{});
        EXPECT_EQ(material.textures[FBXMaterial::Emissive], FBXTexture{});

        EXPECT_TRUE(model.skeleton.Joints.empty());
        EXPECT_TRUE(model.skeleton.name.empty());
        EXPECT_EQ(model.path, FixtureInForm("cube.fbx", form, myFolder).string());
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_FLOAT_EQ(model.bounds.extents[i], 1.0f);
            EXPECT_FLOAT_EQ(model.bounds.center[i], 0.0f);
            EXPECT_FLOAT_EQ(model.box.min[i], -1.0f);
            EXPECT_FLOAT_EQ(model.box.max[i], 1.0f);
        }
        EXPECT_FLOAT_EQ(model.bounds.radius, 1.0f);
        EXPECT_EQ(model.box.isValid, 1u);
    }
}

TEST_F(ImporterTest, CubeVerticesCarryOutwardNormalsTangentFramesFlippedUVsAndColours)
{
    const FBXModel model = Load(FbxFixture("cube.fbx"));
    ASSERT_EQ(model.meshes.size(), 1u);
    for (const FBXVertex& v : model.meshes[0].vertices)
    {
        EXPECT_FLOAT_EQ(v.position[3], 1.0f);
        // Per-face normals point away from the centre, also after the mirror into DirectX axes.
        EXPECT_NEAR(Dot3(v.normal, v.position), 1.0f, 1e-5f);
        EXPECT_NEAR(Dot3(v.tangent, v.tangent), 1.0f, 1e-4f);
        EXPECT_NEAR(Dot3(v.binormal, v.binormal), 1.0f, 1e-4f);
        EXPECT_NEAR(Dot3(v.tangent, v.normal), 0.0f, 1e-5f);
        EXPECT_NEAR(Dot3(v.binormal, v.normal), 0.0f, 1e-5f);
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ(v.boneIndices[i], 0u);
            EXPECT_EQ(v.boneWeights[i], 0.0f);
        }
    }
    // The file's corner (1, 1, 1) lands at z = -1; its colour is (1, 1, 1, 1).
    const FBXVertex* corner = FindVertex(model.meshes[0], 1.0f, 1.0f, -1.0f);
    ASSERT_NE(corner, nullptr);
    EXPECT_FLOAT_EQ(corner->colors[0][0], 1.0f);
    EXPECT_FLOAT_EQ(corner->colors[0][1], 1.0f);
    EXPECT_FLOAT_EQ(corner->colors[0][2], 1.0f);
    EXPECT_FLOAT_EQ(corner->colors[0][3], 1.0f);
    EXPECT_FLOAT_EQ(corner->colors[1][3], 0.0f); // a missing colour set stays zero
    // The file's first corner (-1, -1, 1) on the front face has UV (0.375, 0): v is flipped.
    bool found = false;
    for (const FBXVertex& v : model.meshes[0].vertices)
        if (Near(v.position[0], -1) && Near(v.position[1], -1) && Near(v.position[2], -1) && Near(v.normal[2], -1))
        {
            found = true;
            EXPECT_FLOAT_EQ(v.uvs[0][0], 0.375f);
            EXPECT_FLOAT_EQ(v.uvs[0][1], 1.0f);
            EXPECT_FLOAT_EQ(v.uvs[1][0], 0.0f);
        }
    EXPECT_TRUE(found);
}

TEST_F(ImporterTest, WithoutMergingEveryCornerIsItsOwnVertex)
{
    const FBXModel model = Load(FbxFixture("cube.fbx"), false);
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].vertices.size(), 36u);
    for (uint32_t i = 0; i < 36; ++i)
        EXPECT_EQ(model.meshes[0].indices[i], i);
}

TEST_F(ImporterTest, TwoMaterialsSplitTheNodeIntoMeshesIndexedIntoTheSceneList)
{
    for (FbxForm form : AllFbxForms)
    {
        SCOPED_TRACE(FormName(form));
        const FBXModel model = Load(FixtureInForm("two_materials.fbx", form, myFolder));
        ASSERT_EQ(model.materials.size(), 2u);
        EXPECT_EQ(model.materials[0].name, "Stone"); // scene order, not the node's
        EXPECT_EQ(model.materials[1].name, "Grass");
        EXPECT_EQ(model.materials[1].textures[FBXMaterial::Diffuse].fileName, "grass.png");
        EXPECT_EQ(model.materials[1].textures[FBXMaterial::Diffuse].absolutePath, "D:\\grass.png");

        ASSERT_EQ(model.meshes.size(), 2u);
        // Slot 0 of the node is Grass (scene index 1) and owns the first quad.
        EXPECT_EQ(model.meshes[0].name, "Floor");
        EXPECT_EQ(model.meshes[1].name, "Floor");
        EXPECT_EQ(model.meshes[0].materialIndex, 1u);
        EXPECT_EQ(model.meshes[1].materialIndex, 0u);
        for (const FBXMesh& mesh : model.meshes)
        {
            EXPECT_EQ(mesh.vertices.size(), 4u);
            EXPECT_EQ(mesh.indices.size(), 6u);
        }
        for (const FBXVertex& v : model.meshes[0].vertices)
            EXPECT_LE(v.position[0], 1.0f);
        for (const FBXVertex& v : model.meshes[1].vertices)
            EXPECT_GE(v.position[0], 1.0f);
        // Bounds keep running across a node's slots: the second box still reaches x = 0.
        EXPECT_FLOAT_EQ(model.meshes[0].box.max[0], 1.0f);
        EXPECT_FLOAT_EQ(model.meshes[1].box.min[0], 0.0f);
        EXPECT_FLOAT_EQ(model.meshes[1].box.max[0], 2.0f);
        EXPECT_FLOAT_EQ(model.meshes[1].box.max[2], 1.0f); // z was 0 to -1 before the mirror
    }
}

TEST_F(ImporterTest, PolygonsOfNoMaterialOfTheNodeAreSkipped)
{
    // The second quad names slot 5 (or -1) of a node that has two: only the first quad loads.
    const std::string text = ReadWholeFile(FbxFixture("two_materials.fbx"));
    for (const std::string slot : {"5", "-1"})
    {
        SCOPED_TRACE(slot);
        const auto path = WriteTextFile(myFolder, "stray_slot.fbx", Replaced(text, "Materials: *2 {\n\t\t\t\ta: 0,1", "Materials: *2 {\n\t\t\t\ta: 0," + slot));
        for (FbxForm form : {FbxForm::Ascii, FbxForm::Binary7500Zlib})
        {
            SCOPED_TRACE(FormName(form));
            const std::filesystem::path file =
                form == FbxForm::Ascii ? path : myFolder / ("stray_slot_" + FormName(form) + ".fbx");
            if (form != FbxForm::Ascii)
                ConvertToBinaryFbx(path, file, BinaryFbxOptions{7500, true});
            const FBXModel model = Load(file);
            ASSERT_EQ(model.meshes.size(), 1u);
            EXPECT_EQ(model.meshes[0].materialIndex, 1u);
            EXPECT_EQ(model.meshes[0].indices.size(), 6u);
            for (const FBXVertex& v : model.meshes[0].vertices)
                EXPECT_LE(v.position[0], 1.0f);
        }
    }
}

TEST_F(ImporterTest, AsciiRecordsWeDoNotReadMayHoldAnything)
{
    // An embedded texture whose content starts on the next line, long and odd values, and
    // blank characters of every kind between values.
    const std::string cube = ReadWholeFile(FbxFixture("cube.fbx"));
    const std::string extra = "\tVideo: 1999, \"Video::Embedded\", \"Clip\" {\n\t\tType: \"Clip\"\n\t\tContent: , \n"
                              "\"" + std::string(5000, 'A') + "\",\n\"QUFB\"\n"
                              "\t\tOdd: 1.#INF,\v-1.#IND\f, @, :, 7 8\n\t}\n";
    const auto path = WriteTextFile(myFolder, "odd_records.fbx", Replaced(cube, "Objects:  {\n", "Objects:  {\n" + extra));
    const FBXModel plain = Load(FbxFixture("cube.fbx"));
    const FBXModel odd = Load(path);
    ASSERT_EQ(odd.meshes.size(), 1u);
    EXPECT_EQ(odd.meshes[0].vertices.size(), plain.meshes[0].vertices.size());
    EXPECT_EQ(odd.meshes[0].indices, plain.meshes[0].indices);
}

TEST_F(ImporterTest, UVLayerWithoutValuesCountsAsAbsent)
{
    const std::string cube = ReadWholeFile(FbxFixture("cube.fbx"));
    const std::string emptyLayer = "\t\tLayerElementUV: 1 {\n\t\t\tVersion: 101\n\t\t\tName: \"empty\"\n"
                                   "\t\t\tMappingInformationType: \"ByPolygonVertex\"\n"
                                   "\t\t\tReferenceInformationType: \"IndexToDirect\"\n"
                                   "\t\t\tUV: *0 {\n\t\t\t\ta: \n\t\t\t}\n\t\t\tUVIndex: *0 {\n\t\t\t\ta: \n\t\t\t}\n\t\t}\n";
    // Beside a real layer, the empty one is not a second UV set.
    const size_t material = cube.find("\t\tLayerElementMaterial:");
    std::string extra = cube;
    extra.insert(material, emptyLayer);
    for (FbxForm form : {FbxForm::Ascii, FbxForm::Binary7400Zlib})
    {
        SCOPED_TRACE(FormName(form));
        const auto ascii = WriteTextFile(myFolder, "extra_uv.fbx", extra);
        const std::filesystem::path file = form == FbxForm::Ascii ? ascii : myFolder / "extra_uv_bin.fbx";
        if (form != FbxForm::Ascii)
            ConvertToBinaryFbx(ascii, file, BinaryFbxOptions{7400, true});
        const FBXModel model = Load(file);
        ASSERT_EQ(model.meshes.size(), 1u);
        EXPECT_EQ(model.meshes[0].vertices.size(), 24u);
        for (const FBXVertex& v : model.meshes[0].vertices)
            EXPECT_EQ(v.uvs[1][0], 0.0f);
    }

    // As the only layer, it leaves the mesh without UVs.
    const size_t uvStart = cube.find("\t\tLayerElementUV: 0 {");
    std::string onlyEmpty = cube;
    onlyEmpty.replace(uvStart, material - uvStart, emptyLayer);
    FBXModel model;
    try
    {
        LoadModel(WriteTextFile(myFolder, "empty_uv.fbx", onlyEmpty).string(), model, false, true);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "Cannot load FBX file! No UV layers are present in the file.");
    }
}

TEST_F(ImporterTest, EachUVSetIsReadThroughItsOwnIndexArray)
{
    const FBXModel model = Load(FbxFixture("two_materials.fbx"));
    ASSERT_EQ(model.meshes.size(), 2u);
    // File corner (0, 0, 0): set 0 UV (0, 0), set 1 through its own index 0: (0.1, 0.1).
    const FBXVertex* origin = FindVertex(model.meshes[0], 0, 0, 0);
    ASSERT_NE(origin, nullptr);
    EXPECT_FLOAT_EQ(origin->uvs[0][0], 0.0f);
    EXPECT_FLOAT_EQ(origin->uvs[0][1], 1.0f);
    EXPECT_FLOAT_EQ(origin->uvs[1][0], 0.1f);
    EXPECT_FLOAT_EQ(origin->uvs[1][1], 0.9f);
    // File corner (1, 0, 0) in the first quad: set 1 index 1 -> (0.9, 0.9).
    const FBXVertex* second = FindVertex(model.meshes[0], 1, 0, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_FLOAT_EQ(second->uvs[1][0], 0.9f);
    EXPECT_FLOAT_EQ(second->uvs[1][1], 0.1f);
    // Normals by control point, mirrored: (0, 1, 0) stays.
    EXPECT_FLOAT_EQ(origin->normal[1], 1.0f);
}

TEST_F(ImporterTest, SkinKeepsTheFirstFourInfluencesInClusterOrderAsRead)
{
    const FBXModel model = Load(FbxFixture("skinned.fbx"));
    ASSERT_EQ(model.meshes.size(), 1u);
    const FBXMesh& mesh = model.meshes[0];
    EXPECT_EQ(mesh.vertices.size(), 8u);
    EXPECT_EQ(mesh.indices.size(), 18u);

    // Control point 0 has five pairs: Hips 0.1, Hips 0.2, Spine 0.3, Spine 0.15, Head 0.25.
    const FBXVertex* first = FindVertex(mesh, -1.0f, 0.0f, 0.0f);
    ASSERT_NE(first, nullptr);
    const uint32_t joints[4] = {0, 0, 1, 1};
    const float weights[4] = {0.1f, 0.2f, 0.3f, 0.15f};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(first->boneIndices[i], joints[i]) << i;
        EXPECT_FLOAT_EQ(first->boneWeights[i], weights[i]) << i;
    }
    // Control point 2 (y = 10): Hips 0.5 then Spine 0.5, the rest zero.
    const FBXVertex* middle = FindVertex(mesh, -1.0f, 10.0f, 0.0f);
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(middle->boneIndices[0], 0u);
    EXPECT_EQ(middle->boneIndices[1], 1u);
    EXPECT_FLOAT_EQ(middle->boneWeights[0], 0.5f);
    EXPECT_FLOAT_EQ(middle->boneWeights[1], 0.5f);
    EXPECT_EQ(middle->boneWeights[2], 0.0f);
    const FBXVertex* top = FindVertex(mesh, 1.0f, 30.0f, 0.0f);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->boneIndices[0], 2u);
    EXPECT_FLOAT_EQ(top->boneWeights[0], 1.0f);
}

TEST_F(ImporterTest, SkeletonHasParentsChildrenShortNamesBindMatricesAndSockets)
{
    for (FbxForm form : AllFbxForms)
    {
        SCOPED_TRACE(FormName(form));
        const FBXModel model = Load(FixtureInForm("skinned.fbx", form, myFolder));
        const FBXSkeleton& skeleton = model.skeleton;
        EXPECT_EQ(skeleton.name, "rig"); // text before the first ':' of joint 0
        ASSERT_EQ(skeleton.Joints.size(), 3u);
        const char* names[3] = {"rig:Hips", "rig:Spine", "rig:Head"};
        const char* shortNames[3] = {"Hips", "Spine", "Head"};
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_EQ(skeleton.Joints[static_cast<size_t>(i)].name, names[i]);
            EXPECT_EQ(skeleton.Joints[static_cast<size_t>(i)].shortName, shortNames[i]);
            EXPECT_EQ(skeleton.Joints[static_cast<size_t>(i)].parent, i - 1);
            EXPECT_EQ(skeleton.jointIndex.at(shortNames[i]), static_cast<uint32_t>(i));
        }
        EXPECT_EQ(skeleton.Joints[0].children, std::vector<int32_t>{1});
        EXPECT_EQ(skeleton.Joints[1].children, std::vector<int32_t>{2});
        EXPECT_TRUE(skeleton.Joints[2].children.empty());

        // Bind matrix = inverse(link) x transform x geometric, transposed: the joints sit at
        // (0, 10k, 3) in the file (z mirrored to -3) and the mesh has a geometric offset (2, 0, 0).
        for (int i = 0; i < 3; ++i)
        {
            const FBXMatrix& m = skeleton.Joints[static_cast<size_t>(i)].matrix;
            EXPECT_NEAR(m(0, 3), 2.0f, 1e-5f);
            EXPECT_NEAR(m(1, 3), -10.0f * static_cast<float>(i), 1e-5f);
            EXPECT_NEAR(m(2, 3), 3.0f, 1e-5f);
            EXPECT_NEAR(m(3, 0), 0.0f, 1e-6f);
            EXPECT_NEAR(m(3, 3), 1.0f, 1e-6f);
            for (int r = 0; r < 3; ++r)
                EXPECT_NEAR(m(r, r), 1.0f, 1e-6f);
        }

        // One socket under the head, at its global position at time 0; events are dropped.
        ASSERT_EQ(skeleton.sockets.size(), 1u);
        const FBXSocket& socket = skeleton.sockets.at("weapon_skt");
        EXPECT_EQ(socket.parent, 2);
        EXPECT_EQ(socket.name, "weapon_skt");
        EXPECT_TRUE(socket.shortName.empty());
        EXPECT_NEAR(socket.matrix(3, 0), 0.0f, 1e-5f);
        EXPECT_NEAR(socket.matrix(3, 1), 25.0f, 1e-5f);
        EXPECT_NEAR(socket.matrix(3, 2), -3.0f, 1e-5f);
    }
}

TEST_F(ImporterTest, LodGroupLevelsHoldTheirMeshesWithThresholdDistances)
{
    for (FbxForm form : AllFbxForms)
    {
        SCOPED_TRACE(FormName(form));
        const FBXModel model = Load(FixtureInForm("lod.fbx", form, myFolder));
        ASSERT_EQ(model.lodGroups.size(), 1u);
        const auto& levels = model.lodGroups[0];
        ASSERT_EQ(levels.size(), 2u);
        EXPECT_EQ(levels[0].level, 0);
        EXPECT_EQ(levels[0].distance, 0.0f);
        ASSERT_EQ(levels[0].meshes.size(), 1u);
        EXPECT_EQ(levels[0].meshes[0].name, "Rock_hi");
        EXPECT_EQ(levels[1].level, 1);
        EXPECT_EQ(levels[1].distance, 100.0f);
        ASSERT_EQ(levels[1].meshes.size(), 1u);
        EXPECT_EQ(levels[1].meshes[0].name, "Rock_lo");
        // The plain list holds only the mesh outside the group.
        ASSERT_EQ(model.meshes.size(), 1u);
        EXPECT_EQ(model.meshes[0].name, "Ground");
        // The model's bounds cover every level: z runs to -2 after the mirror.
        EXPECT_FLOAT_EQ(model.box.min[2], -2.0f);
        EXPECT_FLOAT_EQ(model.box.max[0], 1.0f);
    }
}

TEST_F(ImporterTest, FileWithoutMeshesReturnsTrueAndLeavesTheRecordAlone)
{
    FBXModel model;
    model.path = "untouched";
    model.skeleton.name = "untouched";
    EXPECT_TRUE(LoadModel(FbxFixture("no_mesh.fbx").string(), model, false, true));
    EXPECT_EQ(model.path, "untouched");
    EXPECT_EQ(model.skeleton.name, "untouched");
    EXPECT_TRUE(model.skeleton.Joints.empty());
}

TEST_F(ImporterTest, AsciiAndBothBinaryLayoutsGiveIdenticalModels)
{
    for (const char* name : {"cube.fbx", "two_materials.fbx", "skinned.fbx", "lod.fbx"})
    {
        SCOPED_TRACE(name);
        const FBXModel reference = Load(FbxFixture(name));
        for (FbxForm form : AllFbxForms)
        {
            SCOPED_TRACE(FormName(form));
            const FBXModel other = Load(FixtureInForm(name, form, myFolder));
            ASSERT_EQ(other.meshes.size(), reference.meshes.size());
            for (size_t m = 0; m < reference.meshes.size(); ++m)
            {
                const FBXMesh& a = reference.meshes[m];
                const FBXMesh& b = other.meshes[m];
                ASSERT_EQ(a.vertices.size(), b.vertices.size());
                EXPECT_EQ(std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(FBXVertex)), 0);
                EXPECT_EQ(a.indices, b.indices);
                EXPECT_EQ(a.materialIndex, b.materialIndex);
                EXPECT_EQ(a.bounds, b.bounds);
                EXPECT_EQ(a.box, b.box);
            }
            EXPECT_EQ(other.materials, reference.materials);
            ASSERT_EQ(other.skeleton.Joints.size(), reference.skeleton.Joints.size());
            for (size_t j = 0; j < reference.skeleton.Joints.size(); ++j)
                EXPECT_EQ(other.skeleton.Joints[j].matrix, reference.skeleton.Joints[j].matrix);
            EXPECT_EQ(other.bounds, reference.bounds);
            EXPECT_EQ(other.lodGroups.size(), reference.lodGroups.size());
        }
    }
}

TEST_F(ImporterTest, MetresAreConvertedToCentimetres)
{
    const std::string text = ReadWholeFile(FbxFixture("cube.fbx"));
    const auto path = WriteTextFile(myFolder, "cube_m.fbx",
                                    Replaced(text, "\"UnitScaleFactor\", \"double\", \"Number\", \"\", 1.0",
                                             "\"UnitScaleFactor\", \"double\", \"Number\", \"\", 100.0"));
    const FBXModel model = Load(path);
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_NE(FindVertex(model.meshes[0], 100.0f, 100.0f, -100.0f), nullptr);
    EXPECT_FLOAT_EQ(model.bounds.extents[0], 100.0f);
    // Normals are directions: unchanged in length.
    EXPECT_NEAR(Dot3(model.meshes[0].vertices[0].normal, model.meshes[0].vertices[0].normal), 1.0f, 1e-5f);
}

TEST_F(ImporterTest, ZUpFileIsTurnedIntoTheDirectXAxes)
{
    // Z up, front -Y: the file's point (x, y, z) becomes (x, z, y).
    std::string text = ReadWholeFile(FbxFixture("two_materials.fbx"));
    text = Replaced(text, "\"UpAxis\", \"int\", \"Integer\", \"\", 1", "\"UpAxis\", \"int\", \"Integer\", \"\", 2");
    text = Replaced(text, "\"FrontAxis\", \"int\", \"Integer\", \"\", 2", "\"FrontAxis\", \"int\", \"Integer\", \"\", 1");
    text = Replaced(text, "\"FrontAxisSign\", \"int\", \"Integer\", \"\", 1",
                    "\"FrontAxisSign\", \"int\", \"Integer\", \"\", -1");
    const FBXModel model = Load(WriteTextFile(myFolder, "zup.fbx", text));
    ASSERT_EQ(model.meshes.size(), 2u);
    const FBXVertex* corner = FindVertex(model.meshes[1], 2.0f, -1.0f, 0.0f); // file (2, 0, -1)
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(corner->normal[2], 1.0f, 1e-6f); // file normal (0, 1, 0)
}

TEST_F(ImporterTest, CornersThatDifferOnlyInTheSignOfZeroShareAVertex)
{
    FBXVertex a;
    a.position[0] = 1.0f;
    a.normal[1] = 0.0f;
    FBXVertex b = a;
    b.normal[1] = -0.0f;
    b.uvs[2][0] = -0.0f;
    b.boneWeights[1] = -0.0f; // weights are floats too
    EXPECT_EQ(VertexHash(a), VertexHash(b));
    EXPECT_TRUE(SameVertex(a, b));
    // Bone indices are integers: the bit pattern of -0.0f is a different index.
    FBXVertex c = a;
    c.boneIndices[0] = 0x80000000u;
    EXPECT_NE(VertexHash(a), VertexHash(c));
    EXPECT_FALSE(SameVertex(a, c));
    b.boneIndices[3] = 1;
    EXPECT_NE(VertexHash(a), VertexHash(b));
    EXPECT_FALSE(SameVertex(a, b));
}

TEST_F(ImporterTest, TheMergeTableHashAgreesWithSameVertexAndSpreads)
{
    // Vertices SameVertex calls equal hash alike, whichever float field holds a negative zero;
    // 20,000 random distinct vertices (and their one-field neighbours) hash apart.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    std::set<uint64_t> hashes;
    for (int n = 0; n < 20000; ++n)
    {
        // The 37 floats before the bone indices, then the 4 weights.
        float fields[45];
        for (float& f : fields)
            f = random() % 3 == 0 ? 0.0f : value(random);
        FBXVertex v, negated;
        std::memcpy(&v, fields, sizeof(FBXVertex));
        std::fill(std::begin(v.boneIndices), std::end(v.boneIndices), 0u);
        v.boneIndices[n % 4] = static_cast<uint32_t>(random() % 64);
        for (float& f : fields)
            f = f == 0.0f ? -0.0f : f;
        std::memcpy(&negated, fields, sizeof(FBXVertex));
        std::copy(std::begin(v.boneIndices), std::end(v.boneIndices), negated.boneIndices);
        ASSERT_TRUE(SameVertex(v, negated));
        EXPECT_EQ(TableHash(v), TableHash(negated));
        EXPECT_TRUE(hashes.insert(TableHash(v)).second);
        FBXVertex moved = v;
        moved.binormal[2] = std::nextafter(moved.binormal[2], 10.0f);
        EXPECT_NE(TableHash(moved), TableHash(v));
    }
}

TEST_F(ImporterTest, RecycledMemoryLeavesNoTraceInLaterLoads)
{
    // The importer keeps the arrays of a load for the next; a model loads the same whatever
    // was loaded before it, merged or not, with the pool cold or warm.
    const std::string terrain = (myFolder / "terrain.fbx").string();
    ConvertToBinaryFbx(FbxFixture("corpus/blender_terrain.fbx"), terrain, BinaryFbxOptions{7400, true});
    const std::string skinned = FbxFixture("corpus/blender_skinned.fbx").string();
    auto same = [](const FBXModel& a, const FBXModel& b) {
        if (a.meshes.size() != b.meshes.size() || a.skeleton.Joints.size() != b.skeleton.Joints.size() ||
            std::memcmp(&a.bounds, &b.bounds, sizeof(FBXBounds)) != 0)
            return false;
        for (size_t m = 0; m < a.meshes.size(); ++m)
        {
            const FBXMesh& x = a.meshes[m];
            const FBXMesh& y = b.meshes[m];
            if (x.indices != y.indices || x.vertices.size() != y.vertices.size() ||
                std::memcmp(x.vertices.data(), y.vertices.data(), x.vertices.size() * sizeof(FBXVertex)) != 0)
                return false;
        }
        for (size_t j = 0; j < a.skeleton.Joints.size(); ++j)
            if (!(a.skeleton.Joints[j].matrix == b.skeleton.Joints[j].matrix))
                return false;
        return true;
    };
    for (bool merge : {true, false})
    {
        FBXModel coldTerrain, coldSkinned, warmTerrain, warmSkinned;
        ASSERT_TRUE(LoadModel(terrain, coldTerrain, false, merge)) << LastError;
        UninitImporter();
        InitImporter();
        ASSERT_TRUE(LoadModel(skinned, coldSkinned, false, merge)) << LastError;
        FBXAnimation clip;
        ASSERT_TRUE(LoadAnimation(skinned, clip)) << LastError;
        ASSERT_TRUE(LoadModel(terrain, warmTerrain, false, merge)) << LastError;
        ASSERT_TRUE(LoadModel(skinned, warmSkinned, false, merge)) << LastError;
        ASSERT_FALSE(coldTerrain.meshes.empty());
        ASSERT_FALSE(coldSkinned.skeleton.Joints.empty());
        EXPECT_TRUE(same(coldTerrain, warmTerrain)) << merge;
        EXPECT_TRUE(same(coldSkinned, warmSkinned)) << merge;
    }
    EXPECT_GT(GetImporterState().manager->GetBufferPool().GetHeldBytes(), 0u);
}

TEST_F(ImporterTest, MergingStaysNearLinearOnALargeGrid)
{
    // 200 x 200 quads: every interior corner is shared by six triangle corners.
    std::string points, indices, uvs;
    const int n = 200;
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
        {
            points += (points.empty() ? "" : ",") + std::to_string(x) + "," + std::to_string(y) + ",0";
            uvs += (uvs.empty() ? "" : ",") + std::to_string(x / double(n)) + "," + std::to_string(y / double(n));
        }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
        {
            const int a = y * (n + 1) + x;
            indices += (indices.empty() ? "" : ",") + std::to_string(a) + "," + std::to_string(a + 1) + "," +
                       std::to_string(a + n + 2) + "," + std::to_string(-(a + n + 1) - 1);
        }
    const int cps = (n + 1) * (n + 1);
    const std::string doc =
        "; FBX 7.4.0 project file\nFBXHeaderExtension: {\n FBXVersion: 7400\n}\nObjects: {\n"
        " Geometry: 10, \"Geometry::Grid\", \"Mesh\" {\n  Vertices: *" + std::to_string(3 * cps) + " { a: " + points + " }\n"
        "  PolygonVertexIndex: *" + std::to_string(4 * n * n) + " { a: " + indices + " }\n"
        "  LayerElementNormal: 0 { MappingInformationType: \"AllSame\" ReferenceInformationType: \"Direct\" Normals: *3 { a: 0,0,1 } }\n"
        "  LayerElementUV: 0 { MappingInformationType: \"ByVertice\" ReferenceInformationType: \"Direct\" UV: *" +
        std::to_string(2 * cps) + " { a: " + uvs + " } }\n }\n"
        " Model: 11, \"Model::Grid\", \"Mesh\" {\n }\n}\nConnections: {\n C: \"OO\",11,0\n C: \"OO\",10,11\n}\n";
    const FBXModel model = Load(WriteTextFile(myFolder, "grid.fbx", doc));
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].vertices.size(), static_cast<size_t>(cps));
    EXPECT_EQ(model.meshes[0].indices.size(), static_cast<size_t>(6 * n * n));
}

TEST_F(ImporterTest, GeneratedSkinnedGridLoadsWithNormalisedPairsOfWeights)
{
    // The benchmark's scene, small: 8 x 8 quads skinned to 4 joints, written as binary 7500.
    const auto path = myFolder / "grid.fbx";
    WriteWholeFile(path, WriteBinaryFbx(MakeSkinnedGrid(8, 4), BinaryFbxOptions{7500, true}));
    const FBXModel model = Load(path);
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].vertices.size(), 81u);
    EXPECT_EQ(model.meshes[0].indices.size(), 3u * 128u);
    ASSERT_EQ(model.skeleton.Joints.size(), 4u);
    EXPECT_EQ(model.skeleton.Joints[3].parent, 2);
    for (const FBXVertex& v : model.meshes[0].vertices)
    {
        EXPECT_NEAR(v.boneWeights[0] + v.boneWeights[1] + v.boneWeights[2] + v.boneWeights[3], 1.0f, 1e-5f);
        for (int i = 0; i < 4; ++i)
            EXPECT_LT(v.boneIndices[i], 4u);
    }
    // Joint 2 sits at x = 66.67 cm: its bind matrix moves it back to the origin.
    EXPECT_NEAR(model.skeleton.Joints[2].matrix(0, 3), -200.0f / 3.0f, 1e-3f);
}

#include "forge/engine/Engine.h"
#include "forge/filewatcher/FileWatcher.h"
#include "forge/model/ModelFactory.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TextureResource.h"

#include "ModelTestSupport.h"
#include "Support/Polling.h"
#include "Support/ScopedEngine.h"
#include "Support/fbx/BinaryFbxWriter.h"

#include "Platform/image/DdsWriter.h"
#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <new>
#include <regex>
#include <stdexcept>

using namespace ModelTest;
namespace fs = std::filesystem;

namespace
{
    std::string FileName(const Kiln::TextureResource* aTexture)
    {
        return aTexture != nullptr ? fs::path(aTexture->myName).filename().string() : std::string("<null>");
    }

    void WriteDds(const fs::path& aPath)
    {
        Plat::Image::ImageData image = Plat::Image::MakeImage(Plat::Image::DxgiFormat::R8G8B8A8_Unorm, 2, 2, 1, 1, false);
        ASSERT_TRUE(Plat::Image::WriteDdsFile(aPath, image, Plat::Image::DdsHeaderKind::Legacy));
    }

    // Records the assertion reports made while it lives.
    class AssertionRecorder
    {
    public:
        AssertionRecorder()
        {
            Plat::Runtime::SetAssertionHandler([this](const Plat::Runtime::AssertionReport& aReport) {
                myExpressions.push_back(aReport.expression);
            });
        }
        ~AssertionRecorder() { Plat::Runtime::SetAssertionHandler({}); }
        std::vector<std::string> myExpressions;
    };

    const Kiln::ModelVertex* VertexAt(const Kiln::MeshData& aMesh, float x, float y)
    {
        for (const Kiln::ModelVertex& v : aMesh.myVertices)
            if (v.position[0] == x && v.position[1] == y)
                return &v;
        return nullptr;
    }

    class ModelFactoryFiles : public ModelFactoryTest
    {
    protected:
        // Runs frames until aDone holds; the engine's frame runs the file watcher's callbacks.
        bool FramesUntil(const std::function<bool()>& aDone)
        {
            return KilnTest::PollUntil([] { Kiln::Engine::GetInstance()->BeginFrame(); }, aDone);
        }
    };
}

TEST_F(ModelFactoryTest, TheCubeIsBuiltFaceByFaceWithItsColoursAndDefaultTextures)
{
    const auto cube = myFactory->GetModel("Cube");
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->GetPath(), "Cube");
    ASSERT_EQ(cube->GetMeshes().size(), 1u);
    const Kiln::MeshData& mesh = cube->GetMeshes()[0];
    ASSERT_EQ(mesh.myVertexCount, 24u);
    ASSERT_EQ(mesh.myIndexCount, 36u);
    EXPECT_EQ(mesh.myStride, 180u);
    EXPECT_NE(mesh.myVertexBuffer, nullptr);
    EXPECT_NE(mesh.myIndexBuffer, nullptr);

    struct Face
    {
        float corners[4][3];
        float normal[3], tangent[3], binormal[3], color[4];
    };
    const Face faces[6] = {
        {{{50, -50, 50}, {50, 50, 50}, {-50, 50, 50}, {-50, -50, 50}}, {0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {1, 1, 1, 1}},
        {{{-50, -50, 50}, {-50, 50, 50}, {-50, 50, -50}, {-50, -50, -50}}, {-1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0, 1}},
        {{{-50, -50, -50}, {-50, 50, -50}, {50, 50, -50}, {50, -50, -50}}, {0, 0, -1}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0, 1}},
        {{{50, -50, -50}, {50, 50, -50}, {50, 50, 50}, {50, -50, 50}}, {1, 0, 0}, {0, 0, -1}, {0, -1, 0}, {0, 0, 1, 1}},
        {{{50, 50, 50}, {50, 50, -50}, {-50, 50, -50}, {-50, 50, 50}}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 1, 0, 1}},
        {{{-50, -50, 50}, {-50, -50, -50}, {50, -50, -50}, {50, -50, 50}}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1, 1}},
    };
    const float uvs[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (size_t f = 0; f < 6; ++f)
    {
        for (size_t c = 0; c < 4; ++c)
        {
            const Kiln::ModelVertex& v = mesh.myVertices[f * 4 + c];
            SCOPED_TRACE("face " + std::to_string(f) + " corner " + std::to_string(c));
            for (size_t i = 0; i < 3; ++i)
            {
                EXPECT_EQ(v.position[i], faces[f].corners[c][i]);
                EXPECT_EQ(v.normal[i], faces[f].normal[i]);
                EXPECT_EQ(v.tangent[i], faces[f].tangent[i]);
                EXPECT_EQ(v.binormal[i], faces[f].binormal[i]);
            }
            EXPECT_EQ(v.position[3], 1.0f);
            for (size_t i = 0; i < 4; ++i)
            {
                EXPECT_EQ(v.colors[0][i], faces[f].color[i]);
                EXPECT_EQ(v.colors[1][i], 0.0f);
                EXPECT_EQ(v.boneIndices[i], 0u);
                EXPECT_EQ(v.boneWeights[i], 0.0f);
            }
            EXPECT_EQ(v.uvs[0][0], uvs[c][0]);
            EXPECT_EQ(v.uvs[0][1], uvs[c][1]);
            EXPECT_EQ(v.uvs[1][0], 0.0f);
        }
        const std::vector<uint32_t> expected = {uint32_t(4 * f), uint32_t(4 * f + 1), uint32_t(4 * f + 2),
                                                uint32_t(4 * f), uint32_t(4 * f + 2), uint32_t(4 * f + 3)};
        EXPECT_EQ(std::vector<uint32_t>(mesh.myIndices.begin() + std::ptrdiff_t(6 * f), mesh.myIndices.begin() + std::ptrdiff_t(6 * f + 6)),
                  expected);
    }

    EXPECT_EQ(mesh.myBounds.myCenter, Kiln::Vector3<float>(0, 0, 0));
    EXPECT_EQ(mesh.myBounds.myHalfExtents, Kiln::Vector3<float>(50, 50, 50));
    EXPECT_FLOAT_EQ(mesh.myBounds.myRadius, std::sqrt(3.0f) * 50.0f);

    const Kiln::TextureSet& textures = cube->GetTextureSets()[0];
    EXPECT_EQ(FileName(textures[0]), "T_Default_c.dds");
    EXPECT_EQ(textures[0]->myMode, Kiln::TextureSrgbMode::ForceSrgb);
    EXPECT_EQ(FileName(textures[1]), "T_Default_n.dds");
    EXPECT_EQ(textures[1]->myMode, Kiln::TextureSrgbMode::IgnoreSrgb);
    EXPECT_EQ(FileName(textures[2]), "T_Default_m.dds");
    EXPECT_EQ(FileName(textures[3]), "T_Default_fx.dds");
    EXPECT_FALSE(textures[0]->myIsPlaceholder);
    EXPECT_EQ(cube->GetTextureSets()[1][0], nullptr);
}

TEST_F(ModelFactoryTest, ThePlaneIsOneUpFacingQuad)
{
    const auto plane = myFactory->GetModel("Plane");
    ASSERT_NE(plane, nullptr);
    ASSERT_EQ(plane->GetMeshes().size(), 1u);
    const Kiln::MeshData& mesh = plane->GetMeshes()[0];
    EXPECT_EQ(mesh.myIndices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    const float corners[4][3] = {{-50, 0, 50}, {50, 0, 50}, {50, 0, -50}, {-50, 0, -50}};
    const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    ASSERT_EQ(mesh.myVertices.size(), 4u);
    for (size_t c = 0; c < 4; ++c)
    {
        const Kiln::ModelVertex& v = mesh.myVertices[c];
        EXPECT_EQ(v.position[0], corners[c][0]);
        EXPECT_EQ(v.position[1], corners[c][1]);
        EXPECT_EQ(v.position[2], corners[c][2]);
        EXPECT_EQ(v.position[3], 1.0f);
        EXPECT_EQ(v.uvs[0][0], uvs[c][0]);
        EXPECT_EQ(v.uvs[0][1], uvs[c][1]);
        EXPECT_EQ(v.normal[1], 1.0f);
        EXPECT_EQ(v.tangent[0], 1.0f);
        EXPECT_EQ(v.binormal[2], 1.0f);
        EXPECT_EQ(v.colors[0][3], 1.0f);
        EXPECT_EQ(v.colors[3][0], 0.0f);
    }
    EXPECT_EQ(mesh.myBounds.myHalfExtents, Kiln::Vector3<float>(50, 0, 50));
    EXPECT_EQ(myFactory->GetModelCacheSize(), 2u);
}

TEST_F(ModelFactoryTest, AModelFileLoadsIntoGpuMeshesWithFloatBonesAndItsSkeleton)
{
    const fs::path path = WriteFbx(TempPath("bar.fbx"), BentBar(90.0f));
    const auto model = myFactory->GetModel(path.string());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetPath(), path.string());
    EXPECT_EQ(myFactory->GetModel(path.string()), model);

    const Kiln::Skeleton& skeleton = model->GetSkeleton();
    ASSERT_EQ(skeleton.GetJointCount(), 2u);
    EXPECT_EQ(skeleton.myJointNames, (std::vector<std::string>{"Root", "Bend"}));
    EXPECT_EQ(skeleton.GetJointIndex("Bend"), 1);
    EXPECT_EQ(skeleton.myJoints[1].myParent, 0);
    EXPECT_EQ(skeleton.myJoints[0].myChildren, std::vector<int32_t>{1});
    // The inverse bind moves the joint's position (0, 10, 0) to the origin; the bind pose
    // is the joint's own placement.
    EXPECT_EQ(skeleton.myJoints[1].myInverseBind.GetPosition(), Kiln::Vector3<float>(0, -10, 0));
    EXPECT_EQ(skeleton.myBindPose.myTransforms[1].myTranslation, Kiln::Vector3<float>(0, 10, 0));
    EXPECT_EQ(skeleton.myBindPose.myJointCount, 2u);

    ASSERT_EQ(model->GetMeshes().size(), 1u);
    const Kiln::MeshData& mesh = model->GetMeshes()[0];
    EXPECT_EQ(mesh.myName, "Bar");
    EXPECT_EQ(mesh.myVertexCount, 10u);
    EXPECT_EQ(mesh.myIndexCount, 24u);
    const Kiln::ModelVertex* top = VertexAt(mesh, 1.0f, 20.0f);
    const Kiln::ModelVertex* bottom = VertexAt(mesh, 1.0f, 0.0f);
    ASSERT_TRUE(top != nullptr && bottom != nullptr);
    EXPECT_EQ(BoneIndex(*top, 0), 1.0f);
    EXPECT_EQ(top->boneWeights[0], 1.0f);
    EXPECT_EQ(BoneIndex(*bottom, 0), 0.0f);
    EXPECT_EQ(mesh.myBounds.myCenter, Kiln::Vector3<float>(0, 10, 0));
    EXPECT_EQ(mesh.myBounds.myHalfExtents, Kiln::Vector3<float>(1, 10, 0));
}

TEST_F(ModelFactoryTest, BinaryFbxLoadsLikeItsAsciiForm)
{
    const fs::path ascii = WriteFbx(TempPath("bar.fbx"), BentBar(0.0f));
    const fs::path binary = TempPath("bar_binary.fbx");
    KilnTest::ConvertToBinaryFbx(ascii, binary, {7500, true});
    const auto fromAscii = myFactory->GetModel(ascii.string());
    const auto fromBinary = myFactory->GetModel(binary.string());
    ASSERT_TRUE(fromAscii && fromBinary);
    EXPECT_NE(fromAscii, fromBinary);
    ASSERT_EQ(fromBinary->GetMeshes().size(), 1u);
    EXPECT_EQ(fromBinary->GetMeshes()[0].myIndices, fromAscii->GetMeshes()[0].myIndices);
    EXPECT_EQ(fromBinary->GetSkeleton().myJointNames, fromAscii->GetSkeleton().myJointNames);
}

TEST_F(ModelFactoryTest, ZeroSumVertexColoursLoadAsWhite)
{
    FbxModelSpec spec;
    FbxMeshSpec quad = Quad("Quad", 0, 0, 10, 10);
    quad.myColors = {{0, 0, 0, 0}, {0.5f, -0.5f, 0, 0}, {0, 0, 0, 0.1f}, {0.2f, 0.3f, 0.4f, 1}};
    spec.myMeshes = {quad};
    const auto model = myFactory->GetModel(WriteFbx(TempPath("colors.fbx"), spec).string());
    ASSERT_NE(model, nullptr);
    const Kiln::MeshData& mesh = model->GetMeshes()[0];
    const auto color = [&](float x, float y) {
        const Kiln::ModelVertex* v = VertexAt(mesh, x, y);
        return v ? std::vector<float>(v->colors[0], v->colors[0] + 4) : std::vector<float>{};
    };
    EXPECT_EQ(color(0, 0), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(color(0, 10), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(color(10, 10), (std::vector<float>{0, 0, 0, 0.1f}));
    EXPECT_EQ(color(10, 0), (std::vector<float>{0.2f, 0.3f, 0.4f, 1}));
    // Colour sets the file does not have are zero, so white.
    EXPECT_EQ(VertexAt(mesh, 10, 0)->colors[2][0], 1.0f);
}

TEST_F(ModelFactoryTest, AMissingFileGivesNoModelAndNoWatch)
{
    EXPECT_EQ(myFactory->GetModel("models/does_not_exist.fbx"), nullptr);
    EXPECT_FALSE(myFactory->IsWatched("models/does_not_exist.fbx"));
    EXPECT_EQ(myFactory->GetModelInstance("models/does_not_exist.fbx").GetModel(), nullptr);
    EXPECT_EQ(myFactory->GetModelCacheSize(), 2u);
}

TEST_F(ModelFactoryTest, AFileThatFailsToImportIsWatchedAndRetriedOnEveryCall)
{
    const fs::path path = TempPath("later.fbx");
    std::ofstream(path) << "not an fbx file";
    EXPECT_EQ(myFactory->GetModel(path.string()), nullptr);
    EXPECT_TRUE(myFactory->IsWatched(path.string()));
    EXPECT_EQ(myFactory->GetModelCacheSize(), 2u);

    WriteFbx(path, BentBar(0.0f));
    EXPECT_NE(myFactory->GetModel(path.string()), nullptr);
}

TEST_F(ModelFactoryTest, BrokenContentThrowsAnErrorNamingTheFile)
{
    FbxModelSpec spec;
    spec.myMeshes = {Quad("Quad", 0, 0, 1, 1)};
    std::string text = BuildAsciiFbx(spec);
    text = std::regex_replace(text, std::regex("LayerElementUV: 0 \\{[^}]*\\}[^}]*\\}"), "");
    const fs::path path = TempPath("no_uv.fbx");
    std::ofstream(path, std::ios::binary) << text;
    try
    {
        myFactory->GetModel(path.string());
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        const std::string message = error.what();
        EXPECT_NE(message.find(path.string()), std::string::npos) << message;
        EXPECT_NE(message.find("No UV layers"), std::string::npos) << message;
        EXPECT_THROW(std::rethrow_if_nested(error), std::runtime_error);
    }
    EXPECT_EQ(myFactory->GetModelCacheSize(), 2u);
}

TEST_F(ModelFactoryTest, ModelsBeyondTheMeshOrJointLimitsAreRefused)
{
    AssertionRecorder assertions;
    FbxModelSpec fiveMeshes;
    for (int i = 0; i < 5; ++i)
        fiveMeshes.myMeshes.push_back(Quad("Quad" + std::to_string(i), float(i) * 2, 0, 1, 1));
    EXPECT_EQ(myFactory->GetModel(WriteFbx(TempPath("five.fbx"), fiveMeshes).string()), nullptr);

    FbxModelSpec manyJoints;
    for (int i = 0; i < 129; ++i)
        manyJoints.myJoints.push_back({"J" + std::to_string(i), i - 1, {0.0f, 1.0f, 0.0f}});
    manyJoints.myMeshes = {Quad("Quad", 0, 0, 1, 1)};
    EXPECT_EQ(myFactory->GetModel(WriteFbx(TempPath("joints.fbx"), manyJoints).string()), nullptr);

    EXPECT_EQ(assertions.myExpressions,
              (std::vector<std::string>{"someMeshData.size() <= MAX_MESHES_PER_MODEL",
                                        "false && \"More joints in animation than defined in EngingeDefines.h\""}));
    EXPECT_EQ(myFactory->GetModelCacheSize(), 2u);

    // Exactly at the limits loads.
    fiveMeshes.myMeshes.pop_back();
    manyJoints.myJoints.pop_back();
    const auto four = myFactory->GetModel(WriteFbx(TempPath("four.fbx"), fiveMeshes).string());
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->GetMeshes().size(), 4u);
    const auto joints = myFactory->GetModel(WriteFbx(TempPath("joints128.fbx"), manyJoints).string());
    ASSERT_NE(joints, nullptr);
    EXPECT_EQ(joints->GetSkeleton().GetJointCount(), 128u);
}

TEST_F(ModelFactoryTest, InstancesShareTheModelAndAnimatedOnesNeedJoints)
{
    FbxModelSpec spec;
    spec.myMeshes = {Quad("Quad", 0, 0, 1, 1)};
    const std::string plain = WriteFbx(TempPath("plain.fbx"), spec).string();
    const std::string bar = WriteFbx(TempPath("bar.fbx"), BentBar(0.0f)).string();

    const Kiln::ModelInstance instance = myFactory->GetModelInstance(plain);
    ASSERT_NE(instance.GetModel(), nullptr);
    EXPECT_EQ(instance.GetTransform(), Kiln::Matrix4x4<float>());
    EXPECT_EQ(instance.GetTextureSets(), instance.GetModel()->GetTextureSets());
    EXPECT_EQ(myFactory->GetAnimatedModelInstance(plain).GetModel(), nullptr);

    const Kiln::AnimatedModelInstance animated = myFactory->GetAnimatedModelInstance(bar);
    EXPECT_EQ(animated.GetModel(), myFactory->GetModel(bar));
    EXPECT_EQ(animated.GetBones()[0], Kiln::Matrix4x4<float>());
}

TEST_F(ModelFactoryTest, TexturesAreFoundByMaterialNameThenModelNameThenDefaults)
{
    FbxModelSpec spec;
    spec.myMaterials = {"Wood"};
    spec.myMeshes = {Quad("Board", 0, 0, 1, 1)};
    spec.myMeshes[0].myMaterial = 0;
    const fs::path crate = WriteFbx(TempPath("crate.fbx"), spec);
    WriteDds(TempPath("Wood_D.dds"));
    WriteDds(TempPath("crate_C.dds"));    // the material's _D comes before the model's _C
    WriteDds(TempPath("crate_N.dds"));
    WriteDds(TempPath("Wood_FX.dds"));
    const auto model = myFactory->GetModel(crate.string());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetMeshes()[0].myMaterialName, "Wood");
    const Kiln::TextureSet& set = model->GetTextureSets()[0];
    EXPECT_EQ(FileName(set[0]), "Wood_D.dds");
    EXPECT_EQ(set[0]->myMode, Kiln::TextureSrgbMode::ForceSrgb);
    EXPECT_EQ(FileName(set[1]), "crate_N.dds");
    EXPECT_EQ(set[1]->myMode, Kiln::TextureSrgbMode::IgnoreSrgb);
    EXPECT_EQ(FileName(set[2]), "T_Default_m.dds");
    EXPECT_EQ(FileName(set[3]), "Wood_FX.dds");

    // Without materials the material name is empty: the model's own name decides.
    spec.myMaterials.clear();
    spec.myMeshes[0].myMaterial = -1;
    const auto plain = myFactory->GetModel(WriteFbx(TempPath("plain.fbx"), spec).string());
    WriteDds(TempPath("plain_D.dds"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetMeshes()[0].myMaterialName, "");
    EXPECT_EQ(FileName(plain->GetTextureSets()[0][0]), "T_Default_c.dds");   // written after the load
    myFactory->OnModelFileChanged(TempPath("plain.fbx"));
    EXPECT_EQ(FileName(myFactory->GetModel(TempPath("plain.fbx"))->GetTextureSets()[0][0]), "plain_D.dds");
}

TEST_F(ModelFactoryTest, TheTextureBaseEndsAtTheLastDotWhereverItStands)
{
    FbxModelSpec spec;
    spec.myMeshes = {Quad("Quad", 0, 0, 1, 1)};
    // No '.' in the file name: the base is the whole path.
    const fs::path noDot = WriteFbx(TempPath("bare"), spec);
    WriteDds(TempPath("bare_C.dds"));
    const auto bare = myFactory->GetModel(noDot.string());
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(FileName(bare->GetTextureSets()[0][0]), "bare_C.dds");

    // The only '.' in a folder name: the base ends before it, beside that folder.
    const fs::path inFolder = WriteFbx(TempPath("v1.2/model"), spec);
    WriteDds(TempPath("v1_N.dds"));
    const auto model = myFactory->GetModel(inFolder.string());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(FileName(model->GetTextureSets()[0][1]), "v1_N.dds");
}

TEST_F(ModelFactoryTest, ClipsAreCachedPerPathAndModel)
{
    const std::string first = WriteFbx(TempPath("a.fbx"), BentBar(90.0f)).string();
    const std::string second = WriteFbx(TempPath("b.fbx"), BentBar(90.0f)).string();
    const auto modelA = myFactory->GetModel(first);
    const auto modelB = myFactory->GetModel(second);
    ASSERT_TRUE(modelA && modelB);

    const auto clip = myFactory->LoadAnimation(first, modelA);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(myFactory->LoadAnimation(first, modelA), clip);
    const auto other = myFactory->LoadAnimation(first, modelB);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, clip);
    EXPECT_EQ(myFactory->GetAnimationCacheSize(), 2u);

    EXPECT_EQ(clip->myFrameCount, 31);
    EXPECT_EQ(clip->myFramesPerSecond, 30.0f);
    EXPECT_EQ(clip->myDuration, 1.0f);
    EXPECT_EQ(clip->myName, Kiln::ToWideString(first));
    ASSERT_EQ(clip->myFrames.size(), 31u);
    const Kiln::Transform& bend = clip->myFrames[15].myTransforms[1];
    EXPECT_NEAR(bend.myRotation.w, std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(bend.myRotation.z, std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(bend.myTranslation.y, 10.0f, 1e-5f);

    // A file that does not import gives no clip and no entry.
    EXPECT_EQ(myFactory->LoadAnimation(TempPath("none.fbx"), modelA), nullptr);
    EXPECT_EQ(myFactory->GetAnimationCacheSize(), 2u);
}

TEST_F(ModelFactoryTest, AClipIsMatchedToTheModelsJointsByName)
{
    FbxModelSpec modelSpec = BentBar(0.0f);
    modelSpec.myJoints.push_back({"Extra", 1, {0.0f, 5.0f, 0.0f}});
    modelSpec.myRotations.clear();
    const auto model = myFactory->GetModel(WriteFbx(TempPath("model.fbx"), modelSpec).string());
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->GetSkeleton().GetJointCount(), 3u);

    FbxModelSpec clipSpec = BentBar(0.0f);
    clipSpec.myMeshes.clear();
    clipSpec.myJoints.push_back({"Other", 0, {7.0f, 0.0f, 0.0f}});
    clipSpec.myRotations = {{1, 0.0f, 90.0f}, {2, 45.0f, 45.0f}};
    const auto clip = myFactory->LoadAnimation(WriteFbx(TempPath("clip.fbx"), clipSpec).string(), model);
    ASSERT_NE(clip, nullptr);
    for (const Kiln::LocalSpacePose& frame : clip->myFrames)
    {
        EXPECT_EQ(frame.myJointCount, 3u);
        EXPECT_EQ(frame.myTransforms[2], Kiln::Transform{});   // "Extra" is not in the clip
        EXPECT_EQ(frame.myTransforms[3], Kiln::Transform{});   // "Other" is not in the model
    }
    EXPECT_NEAR(clip->myFrames[30].myTransforms[1].myRotation.z, std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(clip->myFrames[0].myTransforms[1].myTranslation.y, 10.0f, 1e-5f);
}

TEST_F(ModelFactoryTest, AClipCachedForAModelThatDiedIsNotHandedToANewModel)
{
    const std::string path = WriteFbx(TempPath("bar.fbx"), BentBar(90.0f)).string();
    // Both models live in one block of memory, one after the other, as an allocator that
    // hands a freed block out again would place them: the second has the first's address.
    void* block = ::operator new(sizeof(Kiln::Model), std::align_val_t{alignof(Kiln::Model)});
    const auto makeInBlock = [block] {
        return std::shared_ptr<Kiln::Model>(new (block) Kiln::Model(), [](Kiln::Model* aModel) { aModel->~Model(); });
    };
    auto model = makeInBlock();
    const auto first = myFactory->LoadAnimation(path, model);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->myFrames[0].myJointCount, 0u);
    model.reset();

    auto reused = makeInBlock();
    reused->GetSkeleton() = myFactory->GetModel(path)->GetSkeleton();
    const auto second = myFactory->LoadAnimation(path, reused);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->myFrames[0].myJointCount, 2u);
    reused.reset();
    ::operator delete(block, std::align_val_t{alignof(Kiln::Model)});
}

TEST_F(ModelFactoryTest, APlayerIsCreatedBoundToTheClipOfAnAssetPath)
{
    const std::string path = WriteFbx(TempPath("bar.fbx"), BentBar(90.0f)).string();
    const auto model = myFactory->GetModel(path);
    const Kiln::AnimationPlayer player = myFactory->GetAnimationPlayer(path, model);
    ASSERT_NE(player.GetAnimation(), nullptr);
    EXPECT_EQ(player.GetAnimation(), myFactory->LoadAnimation(path, model));
    EXPECT_EQ(player.GetState(), Kiln::AnimationPlayer::STATE_CREATED);
    EXPECT_FALSE(player.IsLooping());
    EXPECT_EQ(player.GetFramesPerSecond(), 30.0f);
    EXPECT_EQ(player.GetTime(), 0.0f);

    const Kiln::AnimationPlayer none = myFactory->GetAnimationPlayer("animations/missing.fbx", model);
    EXPECT_EQ(none.GetAnimation(), nullptr);
}

TEST_F(ModelFactoryFiles, AChangedFileReloadsOnTheNextRequestWhileOldInstancesKeepTheOldModel)
{
    const fs::path path = WriteFbx(TempPath("live.fbx"), BentBar(0.0f));
    const Kiln::ModelInstance before = myFactory->GetModelInstance(path.string());
    ASSERT_NE(before.GetModel(), nullptr);
    EXPECT_TRUE(myFactory->IsWatched(path.string()));
    const std::shared_ptr<Kiln::Model> old = before.GetModel();

    FbxModelSpec changed;
    changed.myMeshes = {Quad("Quad", 0, 0, 3, 3)};
    WriteFbx(path, changed);
    KilnTest::TouchAhead(path, 10);
    ASSERT_TRUE(FramesUntil([&] { return myFactory->GetModelCacheSize() == 2u; }));

    const auto reloaded = myFactory->GetModel(path.string());
    ASSERT_NE(reloaded, nullptr);
    EXPECT_NE(reloaded, old);
    EXPECT_EQ(reloaded->GetMeshes()[0].myVertexCount, 4u);
    EXPECT_EQ(before.GetModel(), old);
    EXPECT_EQ(before.GetModel()->GetMeshes()[0].myVertexCount, 10u);
}

TEST_F(ModelFactoryFiles, AWatchOutlivingTheFactoryDoesNothing)
{
    const fs::path path = WriteFbx(TempPath("live.fbx"), BentBar(0.0f));
    ASSERT_NE(myFactory->GetModel(path.string()), nullptr);
    Kiln::ModelFactory::DestroyInstance();
    EXPECT_EQ(Kiln::ModelFactory::GetInstancePointer(), nullptr);
    KilnTest::TouchAhead(path, 10);
    ASSERT_TRUE(KilnTest::WaitForAWholeScan(*Kiln::Engine::GetInstance()->GetFileWatcher()));
    Kiln::Engine::GetInstance()->BeginFrame();
    EXPECT_EQ(Kiln::ModelFactory::GetInstancePointer(), nullptr);
}

TEST(ModelFactoryLifetime, MadeOnFirstUseAndDeletedFirstWhenTheEngineShutsDown)
{
    auto engine = std::make_unique<KilnTest::ScopedEngine>();
    ASSERT_TRUE(engine->Started());
    EXPECT_EQ(Kiln::ModelFactory::GetInstancePointer(), nullptr);
    Kiln::ModelFactory& factory = Kiln::ModelFactory::GetInstance();
    EXPECT_EQ(Kiln::ModelFactory::GetInstancePointer(), &factory);
    EXPECT_EQ(&Kiln::ModelFactory::GetInstance(), &factory);
    const std::shared_ptr<Kiln::Model> cube = factory.GetModel("Cube");
    engine.reset();
    EXPECT_EQ(Kiln::ModelFactory::GetInstancePointer(), nullptr);
    // Holders keep their models past the factory.
    EXPECT_EQ(cube->GetMeshes().size(), 1u);
}

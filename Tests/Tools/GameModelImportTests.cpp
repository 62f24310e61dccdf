// The generated game models, read back from the runtime tree through the model factory
// (and so the importer) as the game reads them: meshes, sizes and pivots the level objects'
// boxes assume, textures that resolve, and the skinned cocoon's joints and animation.
#include "GameModelSet.h"
#include "ModelPaths.h"
#include "Palette.h"

#include "forge/model/ModelFactory.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TextureResource.h"

#include "Support/ScopedEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace
{
    class GameModelImport : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myEngine.Started());
            myFactory = &Kiln::ModelFactory::GetInstance();
        }
        void TearDown() override { Kiln::ModelFactory::DestroyInstance(); }

        std::shared_ptr<Kiln::Model> Load(std::string_view aPath)
        {
            std::shared_ptr<Kiln::Model> model = myFactory->GetModel(std::string(aPath));
            EXPECT_NE(model, nullptr) << aPath;
            return model;
        }

        // The bounds of the first mesh, which the level objects size their boxes by.
        static const Kiln::MeshBounds& Bounds(const Kiln::Model& aModel) { return aModel.GetMeshes().at(0).myBounds; }

        // Width, height and the lowest point of a standing model, with its x centre.
        static void ExpectStanding(const Kiln::Model& aModel, float aWidth, float aHeight, const std::string& aWhat,
                                   float aWidthTolerance = 0.01f)
        {
            SCOPED_TRACE(aWhat);
            const Kiln::MeshBounds& b = Bounds(aModel);
            EXPECT_NEAR(b.myHalfExtents.x * 2.0f, aWidth, aWidthTolerance);
            EXPECT_NEAR(b.myHalfExtents.y * 2.0f, aHeight, 0.01f);
            EXPECT_NEAR(b.myCenter.y - b.myHalfExtents.y, 0.0f, 0.01f);   // stands on its origin
            EXPECT_NEAR(b.myCenter.x, 0.0f, 0.01f);                       // x symmetric
            EXPECT_GT(b.myHalfExtents.z, 5.0f);
        }

        static std::string Key(const std::string& aKey) { return GameModels::LevelModelPath(aKey); }

        KilnTest::ScopedEngine myEngine;
        Kiln::ModelFactory* myFactory = nullptr;
    };
}

TEST_F(GameModelImport, EveryModelLoadsAsOneTexturedMeshWithTriangles)
{
    const std::vector<GameModels::ModelFile> files = GameModels::AllGameModels();
    ASSERT_EQ(files.size(), 3u + 30u + 3u + 1u);
    for (const GameModels::ModelFile& file : files)
    {
        SCOPED_TRACE(file.path);
        EXPECT_FALSE(Kiln::Settings::ResolveAssetPath(file.path).empty());
        const std::shared_ptr<Kiln::Model> model = Load(file.path);
        if (model == nullptr)
            continue;
        ASSERT_EQ(model->GetMeshes().size(), 1u);
        const Kiln::MeshData& mesh = model->GetMeshes()[0];
        EXPECT_GT(mesh.myIndexCount, 30u);
        EXPECT_EQ(mesh.myIndexCount % 3, 0u);
        EXPECT_EQ(mesh.myMaterialName, "M_ColorAtlas01");
        // The colour texture beside the model, not the placeholder checker.
        const Kiln::TextureResource* albedo = model->GetTextureSets()[0][0];
        ASSERT_NE(albedo, nullptr);
        EXPECT_FALSE(albedo->myIsPlaceholder);
        EXPECT_NE(albedo->myName.find("M_ColorAtlas01_C.dds"), std::string::npos) << albedo->myName;
        EXPECT_EQ(albedo->myWidth, uint32_t(GameModels::ATLAS_COLUMNS * GameModels::ATLAS_CELL_PIXELS));
    }
    // The atlas the world gives the floor tiles.
    const std::string atlas = Kiln::Settings::ResolveAssetPath(GameModels::COLOR_ATLAS);
    EXPECT_FALSE(atlas.empty());
}

TEST_F(GameModelImport, FloorTilesAre100By100CentredOnTheirOrigin)
{
    for (int set = 1; set <= 3; ++set)
    {
        const std::string path = GameModels::FloorTileModel(set);
        SCOPED_TRACE(path);
        const std::shared_ptr<Kiln::Model> model = Load(path);
        ASSERT_NE(model, nullptr);
        const Kiln::MeshBounds& b = Bounds(*model);
        EXPECT_NEAR(b.myHalfExtents.x, 50.0f, 0.01f);
        EXPECT_NEAR(b.myHalfExtents.y, 50.0f, 0.01f);
        EXPECT_NEAR(b.myCenter.x, 0.0f, 0.01f);
        EXPECT_NEAR(b.myCenter.y, 0.0f, 0.01f);
        EXPECT_NEAR(b.myHalfExtents.z, 50.0f, 0.01f);   // some depth, centred too
        EXPECT_NEAR(b.myCenter.z, 0.0f, 0.01f);
    }
}

TEST_F(GameModelImport, PropsStandOnTheirOriginAtTheSizesTheBoxesAssume)
{
    for (int set = 1; set <= 3; ++set)
    {
        const std::string n = std::to_string(set);
        for (const char* door : {"closedModelLevel", "openModelLevel"})
            if (const auto model = Load(Key(door + n)))
                ExpectStanding(*model, 100, 300, door + n);
        if (const auto model = Load(Key("unPressedModelLevel" + n)))
            ExpectStanding(*model, 120, 32, "unpressed " + n);
        if (const auto model = Load(Key("pressedModelLevel" + n)))
            ExpectStanding(*model, 120, 17, "pressed " + n);
        if (const auto model = Load(Key("wholeModelLevel" + n)))
            ExpectStanding(*model, 150, 300, "wall " + n);
        if (const auto model = Load(Key("WholeModelLevel" + n)))
            ExpectStanding(*model, 114, 140, "vase " + n, 0.5f);   // a lathe: its width depends on the facets
        for (const char* checkpoint : {"offModelLevel", "onModelLevel"})
            if (const auto model = Load(Key(checkpoint + n)))
            {
                ExpectStanding(*model, 68, 462, checkpoint + n);
                // Inside the 84-wide trigger box above the position.
                EXPECT_LE(Bounds(*model).myHalfExtents.x, 42.0f);
            }
        // The broken pieces lie on the ground, lower than what they were.
        for (const auto& [whole, broken] : {std::pair{"wholeModelLevel", "brokenModelLevel"}, {"WholeModelLevel", "BrokenModelLevel"}})
        {
            const auto before = Load(Key(whole + n));
            const auto after = Load(Key(broken + n));
            ASSERT_TRUE(before && after);
            const Kiln::MeshBounds& b = Bounds(*after);
            EXPECT_GT(b.myCenter.y - b.myHalfExtents.y, -8.0f) << broken << n;
            EXPECT_LT(b.myCenter.y + b.myHalfExtents.y, 0.5f * 2.0f * Bounds(*before).myHalfExtents.y) << broken << n;
        }
    }
}

TEST_F(GameModelImport, OpenAndClosedDoorsAreTheSameShape)
{
    // The world passes the open model where the closed one belongs, so either file must
    // serve as either door.
    for (int set = 1; set <= 3; ++set)
    {
        const auto closed = Load(Key("closedModelLevel" + std::to_string(set)));
        const auto open = Load(Key("openModelLevel" + std::to_string(set)));
        ASSERT_TRUE(closed && open);
        const Kiln::MeshData& a = closed->GetMeshes()[0];
        const Kiln::MeshData& b = open->GetMeshes()[0];
        ASSERT_EQ(a.myVertices.size(), b.myVertices.size());
        EXPECT_EQ(a.myIndices, b.myIndices);
        EXPECT_EQ(std::memcmp(a.myVertices.data(), b.myVertices.data(), a.myVertices.size() * sizeof(Kiln::ModelVertex)), 0);
    }
}

TEST_F(GameModelImport, FacesWindTowardsTheirNormalsAndSampleCellCentres)
{
    // Front faces are the ones the engine draws: every triangle's winding must agree with
    // its normals, or the face would be culled where it should show. Every UV sits on a
    // cell centre of the model's level set or of the shared row.
    for (const GameModels::ModelFile& file : GameModels::AllGameModels())
    {
        SCOPED_TRACE(file.path);
        const std::shared_ptr<Kiln::Model> model = Load(file.path);
        if (model == nullptr)
            continue;
        const Kiln::MeshData& mesh = model->GetMeshes()[0];
        int wrong = 0;
        for (size_t i = 0; i + 2 < mesh.myIndices.size(); i += 3)
        {
            const Kiln::ModelVertex* v[3] = {&mesh.myVertices[mesh.myIndices[i]], &mesh.myVertices[mesh.myIndices[i + 1]],
                                             &mesh.myVertices[mesh.myIndices[i + 2]]};
            GameModels::Vec3 p[3], n;
            for (int k = 0; k < 3; ++k)
            {
                p[k] = {v[k]->position[0], v[k]->position[1], v[k]->position[2]};
                n += GameModels::Vec3{v[k]->normal[0], v[k]->normal[1], v[k]->normal[2]};
            }
            const GameModels::Vec3 face = GameModels::Cross(p[1] - p[0], p[2] - p[0]);
            if (GameModels::Length(face) > 1e-3f && GameModels::Dot(face, n) <= 0.0f)
                ++wrong;
        }
        EXPECT_EQ(wrong, 0);

        std::set<int> rows;
        for (const Kiln::ModelVertex& v : mesh.myVertices)
        {
            const float column = v.uvs[0][0] * GameModels::ATLAS_COLUMNS - 0.5f;
            const float row = v.uvs[0][1] * GameModels::ATLAS_ROWS - 0.5f;
            EXPECT_NEAR(column, std::round(column), 1e-3f);
            EXPECT_NEAR(row, std::round(row), 1e-3f);
            rows.insert(int(std::round(row)));
            const float length = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2]);
            EXPECT_NEAR(length, 1.0f, 1e-3f);
        }
        const size_t digit = file.path.find("_Level_");
        if (digit != std::string::npos)
        {
            const int levelRow = file.path[digit + 7] - '1';
            for (int row : rows)
                EXPECT_TRUE(row == levelRow || row == GameModels::SHARED_ROW) << row;
            EXPECT_TRUE(rows.count(levelRow));
        }
    }
}

TEST_F(GameModelImport, StaticModelsHaveNoJointsAndTheCocoonLoopsItsSway)
{
    for (const GameModels::ModelFile& file : GameModels::AllGameModels())
    {
        if (file.path.find("SK_") != std::string::npos)
            continue;
        const auto model = Load(file.path);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->GetSkeleton().GetJointCount(), 0u) << file.path;
    }

    const std::string path(GameModels::ANIMATED_DECORATION_MODELS[0]);
    Kiln::AnimatedModelInstance cocoon = myFactory->GetAnimatedModelInstance(path);
    ASSERT_NE(cocoon.GetModel(), nullptr);
    const Kiln::Skeleton& skeleton = cocoon.GetModel()->GetSkeleton();
    ASSERT_EQ(skeleton.GetJointCount(), 4u);
    EXPECT_EQ(skeleton.myJointNames, (std::vector<std::string>{"Cocoon_Anchor", "Cocoon_Thread", "Cocoon_Mid", "Cocoon_Body"}));
    EXPECT_EQ(skeleton.myJoints[3].myParent, 2);
    // The body joint's bind pose sits 124 below the hang point.
    EXPECT_NEAR(skeleton.myBindPose.myTransforms[3].myTranslation.y, -124.0f, 0.01f);

    // Every vertex is held by its joints with weights summing to one.
    for (const Kiln::ModelVertex& v : cocoon.GetModel()->GetMeshes()[0].myVertices)
        ASSERT_NEAR(v.boneWeights[0] + v.boneWeights[1] + v.boneWeights[2] + v.boneWeights[3], 1.0f, 1e-4f);

    const Kiln::AnimationPlayer player =
        myFactory->GetAnimationPlayer(path, cocoon.GetModel());
    const std::shared_ptr<Kiln::Animation> clip = player.GetAnimation();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->myFrameCount, 91);
    EXPECT_FLOAT_EQ(clip->myFramesPerSecond, 30.0f);
    EXPECT_NEAR(clip->myDuration, 3.0f, 1e-4f);
    ASSERT_EQ(clip->myFrames.size(), 91u);
    // The last frame repeats the first, so the loop has no seam; between them the joints turn.
    for (size_t j = 0; j < 4; ++j)
    {
        const Kiln::Quaternion& first = clip->myFrames.front().myTransforms[j].myRotation;
        const Kiln::Quaternion& last = clip->myFrames.back().myTransforms[j].myRotation;
        EXPECT_NEAR(std::fabs(first.w * last.w + first.x * last.x + first.y * last.y + first.z * last.z), 1.0f, 1e-4f) << j;
    }
    const Kiln::Quaternion& quarter = clip->myFrames[22].myTransforms[1].myRotation;
    EXPECT_GT(std::fabs(quarter.z), 0.02f);   // about 4 degrees about z
    EXPECT_NEAR(clip->myFrames[22].myTransforms[0].myRotation.w, 1.0f, 1e-5f);   // the anchor stays
}

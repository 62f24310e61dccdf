// Seeded mutation runs over the generated binaries and the ASCII fixtures: whatever the
// bytes, the readers either build a scene or report a format error, and every service
// run on a built scene stays within its data (ASan watches the reads).
#include "Platform/fbx/Document.h"
#include "Platform/fbx/FormatError.h"
#include "Platform/fbx/GeometryConverter.h"
#include "Platform/fbx/Scene.h"
#include "Platform/fbx/SceneBuilder.h"

#include "Support/fbx/FbxMutator.h"
#include "Support/fbx/FbxTestFiles.h"

#include <gtest/gtest.h>

using namespace Plat::Fbx;
using namespace KilnTest;

namespace
{
    const char* Fixtures[] = {"cube.fbx", "two_materials.fbx", "skinned.fbx", "animated.fbx", "lod.fbx", "no_mesh.fbx"};

    // Runs every scene service once; returns the text of any unexpected exception.
    std::string Exercise(const std::string& someBytes)
    {
        Manager* manager = Manager::Create();
        std::string problem;
        try
        {
            const Document document = ReadDocument(someBytes);
            Scene* scene = Scene::Create(manager, "The Scene");
            BuildScene(document, *scene);
            scene->ConnectMaterials();
            SystemUnit::cm.ConvertScene(scene);
            GeometryConverter(manager).Triangulate(scene, true, false);
            for (int i = 0; i < scene->GetGeometryCount(); ++i)
                scene->GetGeometry(i)->GenerateTangentsData(0, true);
            AxisSystem(AxisSystem::EPreDefinedAxisSystem::DirectX).DeepConvertScene(scene);
            for (int i = 0; i < scene->GetNodeCount(); ++i)
            {
                const Node* node = scene->GetNode(i);
                node->EvaluateLocalTransform(Time(Time::TicksPerSecond / 3));
                if (const Mesh* mesh = node->GetMesh())
                    for (int p = 0; p < mesh->GetPolygonCount(); ++p)
                        for (int v = 0; v < mesh->GetPolygonSize(p); ++v)
                            mesh->GetTextureUVIndex(p, v);
            }
        }
        catch (const FormatError&)
        {
        }
        catch (const std::exception& error)
        {
            problem = error.what();
        }
        manager->Destroy();
        return problem;
    }
}

TEST(FbxFuzz, TenThousandMutatedBinariesNeverCrashTheReader)
{
    TempFolder folder;
    std::vector<std::string> seeds;
    for (const char* name : Fixtures)
        for (FbxForm form : {FbxForm::Binary7400, FbxForm::Binary7400Zlib, FbxForm::Binary7500, FbxForm::Binary7500Zlib})
            seeds.push_back(ReadWholeFile(FixtureInForm(name, form, folder)));

    FbxMutator mutator(20261208);
    int rejected = 0;
    for (int i = 0; i < 10000; ++i)
    {
        const std::string bytes = mutator.Mutate(seeds[mutator.Pick(seeds.size())]);
        const std::string problem = Exercise(bytes);
        ASSERT_TRUE(problem.empty()) << "mutation " << i << ": " << problem;
        try
        {
            ReadDocument(bytes);
        }
        catch (const FormatError&)
        {
            ++rejected;
        }
    }
    // The mutations do reach the checks (most break the file), and some survive them.
    EXPECT_GT(rejected, 1000);
    EXPECT_LT(rejected, 10000);
}

TEST(FbxFuzz, MutatedAsciiNeverCrashesTheReader)
{
    std::vector<std::string> seeds;
    for (const char* name : Fixtures)
        seeds.push_back(ReadWholeFile(FbxFixture(name)));
    FbxMutator mutator(7);
    for (int i = 0; i < 3000; ++i)
    {
        const std::string problem = Exercise(mutator.Mutate(seeds[mutator.Pick(seeds.size())]));
        ASSERT_TRUE(problem.empty()) << "mutation " << i << ": " << problem;
    }
}

// FBX import of a generated 100,000-triangle skinned mesh (binary 7400, zlib arrays):
// our LoadModel beside Assimp 5.2 doing the comparable work (triangulate, merge equal
// vertices, tangents, at most four weights, left-handed axes), then the ratio.
#include "Importer.h"

#include "Support/fbx/BinaryFbxWriter.h"
#include "Support/fbx/SkinnedGridFbx.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace
{
    std::string& InputPath()
    {
        static std::string path;
        return path;
    }

    void KilnLoadModel(benchmark::State& aState)
    {
        KILNFBXImporter::InitImporter();
        size_t vertices = 0;
        for (auto _ : aState)
        {
            KILNFBXImporter::FBXModel model;
            if (!KILNFBXImporter::LoadModel(InputPath(), model, false, true))
            {
                aState.SkipWithError(KILNFBXImporter::LastError.c_str());
                break;
            }
            vertices = model.meshes.empty() ? 0 : model.meshes[0].vertices.size();
            benchmark::DoNotOptimize(model);
        }
        aState.counters["vertices"] = static_cast<double>(vertices);
        KILNFBXImporter::UninitImporter();
    }

    void AssimpReadFile(benchmark::State& aState)
    {
        size_t vertices = 0;
        for (auto _ : aState)
        {
            Assimp::Importer importer;
            const aiScene* scene = importer.ReadFile(
                InputPath(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_CalcTangentSpace |
                                 aiProcess_LimitBoneWeights | aiProcess_ConvertToLeftHanded);
            if (scene == nullptr || scene->mNumMeshes == 0)
            {
                aState.SkipWithError(importer.GetErrorString());
                break;
            }
            vertices = scene->mMeshes[0]->mNumVertices;
            benchmark::DoNotOptimize(scene);
        }
        aState.counters["vertices"] = static_cast<double>(vertices);
    }

    // Keeps each benchmark's mean real time so the ratio can be printed at the end.
    class RatioReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
                if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                    myMilliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            ConsoleReporter::ReportRuns(someRuns);
        }

        std::map<std::string, double> myMilliseconds;
    };
}

BENCHMARK(KilnLoadModel)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(AssimpReadFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);

int main(int argc, char** argv)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kiln_fbx_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    InputPath() = (folder / "skinned_grid.fbx").string();
    // 224 x 224 quads = 100,352 triangles, skinned to 16 joints.
    KilnTest::WriteWholeFile(InputPath(),
                             KilnTest::WriteBinaryFbx(KilnTest::MakeSkinnedGrid(224, 16), KilnTest::BinaryFbxOptions{7400, true}));
    std::printf("input: %s (%ju bytes, 100352 triangles)\n", InputPath().c_str(),
                static_cast<uintmax_t>(std::filesystem::file_size(InputPath())));

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto kiln = reporter.myMilliseconds.find("KilnLoadModel");
    const auto assimp = reporter.myMilliseconds.find("AssimpReadFile");
    if (kiln != reporter.myMilliseconds.end() && assimp != reporter.myMilliseconds.end())
        std::printf("LoadModel %.1f ms, Assimp %.1f ms, ratio (ours / Assimp) %.2f\n", kiln->second, assimp->second,
                    kiln->second / assimp->second);
    std::filesystem::remove_all(folder);
    return 0;
}

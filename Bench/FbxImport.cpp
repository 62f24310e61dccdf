// FBX import of three files beside Assimp 5.2 reading the same file with the post-processing
// our import does (triangulate, merge equal vertices, tangents; plus at most four weights and
// left-handed axes), then the ratio per file:
// - a generated 100,000-triangle skinned grid (our own writer, binary 7400, zlib arrays);
// - Blender's terrain tile from the test corpus repeated 32 times in its geometry: 102,400
//   triangles with every record Blender writes (written back as binary 7400, zlib arrays);
// - Blender's skinned, animated arm from the corpus: LoadModel against Assimp with that
//   post-processing, LoadAnimation against a plain Assimp read (animation needs none), and
//   both loads together against the one post-processed Assimp read that returns everything.
#include "Importer.h"

#include "Support/fbx/BinaryFbxWriter.h"
#include "Support/fbx/FbxTestFiles.h"
#include "Support/fbx/SkinnedGridFbx.h"

#include "Platform/fbx/Document.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <unistd.h>

namespace
{
    namespace Fbx = Plat::Fbx;

    // Each benchmark's time is the median of this many runs of at least half a second, each
    // after a warm-up.
    constexpr int Repetitions = 5;

    struct Input
    {
        std::string label;
        std::string path;
        bool animated = false;
    };

    enum class Part
    {
        Model,
        Animation,
    };

    // The importer is set up once for all benchmarks, as the model factory sets it up once
    // for the game.
    void KilnImport(benchmark::State& aState, const Input& anInput, Part aPart)
    {
        size_t triangles = 0;
        for (auto _ : aState)
        {
            if (aPart == Part::Model)
            {
                KILNFBXImporter::FBXModel model;
                if (!KILNFBXImporter::LoadModel(anInput.path, model, false, true))
                {
                    aState.SkipWithError(KILNFBXImporter::LastError.c_str());
                    break;
                }
                triangles = 0;
                for (const KILNFBXImporter::FBXMesh& mesh : model.meshes)
                    triangles += mesh.indices.size() / 3;
                benchmark::DoNotOptimize(model);
            }
            else
            {
                KILNFBXImporter::FBXAnimation clip;
                if (!KILNFBXImporter::LoadAnimation(anInput.path, clip))
                {
                    aState.SkipWithError(KILNFBXImporter::LastError.c_str());
                    break;
                }
                benchmark::DoNotOptimize(clip);
            }
        }
        if (aPart == Part::Model)
            aState.counters["triangles"] = static_cast<double>(triangles);
    }

    // With aPart Model, the post-processing our model import does; for the animation alone
    // nothing needs post-processing, so Assimp only reads.
    void AssimpImport(benchmark::State& aState, const Input& anInput, Part aPart)
    {
        const unsigned flags = aPart == Part::Animation ? 0u
                                                        : aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                                              aiProcess_CalcTangentSpace | aiProcess_LimitBoneWeights |
                                                              aiProcess_ConvertToLeftHanded;
        size_t triangles = 0;
        for (auto _ : aState)
        {
            Assimp::Importer importer;
            const aiScene* scene = importer.ReadFile(anInput.path, flags);
            if (scene == nullptr || scene->mNumMeshes == 0 || (anInput.animated && scene->mNumAnimations == 0))
            {
                aState.SkipWithError(importer.GetErrorString());
                break;
            }
            triangles = 0;
            for (unsigned m = 0; m < scene->mNumMeshes; ++m)
                triangles += scene->mMeshes[m]->mNumFaces;
            benchmark::DoNotOptimize(scene);
        }
        if (aPart == Part::Model)
            aState.counters["triangles"] = static_cast<double>(triangles);
    }

    // Repeats the first mesh geometry of a document aCopies times along X, shifting every
    // index array so the copies are separate meshes in one.
    void TileGeometry(Fbx::Document& aDocument, int aCopies, double aStep)
    {
        Fbx::Element* objects = nullptr;
        for (Fbx::Element& e : aDocument.root.children)
            if (e.name == "Objects")
                objects = &e;
        if (objects == nullptr)
            throw std::runtime_error("no Objects");
        for (Fbx::Element& geometry : objects->children)
        {
            if (geometry.name != "Geometry" || geometry.values.size() < 3 || geometry.values[2].AsString() != "Mesh")
                continue;
            auto tile = [aCopies](Fbx::Value& aValue, auto anAdjust) {
                std::visit(
                    [&](auto& v) {
                        using T = std::decay_t<decltype(v)>;
                        if constexpr (requires { v.data(); typename T::value_type; } && !std::is_same_v<T, std::string>)
                        {
                            const T one = v;
                            for (int k = 1; k < aCopies; ++k)
                                for (size_t i = 0; i < one.size(); ++i)
                                    v.push_back(static_cast<typename T::value_type>(anAdjust(double(one[i]), k, i)));
                        }
                    },
                    aValue.GetStorage());
            };
            auto same = [](double x, int, size_t) { return x; };
            auto child = [](Fbx::Element& anOwner, std::string_view aName) -> Fbx::Element* {
                for (Fbx::Element& c : anOwner.children)
                    if (c.name == aName && !c.values.empty())
                        return &c;
                return nullptr;
            };

            Fbx::Element* vertices = child(geometry, "Vertices");
            Fbx::Element* polygons = child(geometry, "PolygonVertexIndex");
            if (vertices == nullptr || polygons == nullptr)
                throw std::runtime_error("mesh without vertices");
            const double points = static_cast<double>(vertices->values[0].ArraySize() / 3);
            const double corners = static_cast<double>(polygons->values[0].ArraySize());
            tile(vertices->values[0], [aStep](double x, int k, size_t i) { return i % 3 == 0 ? x + k * aStep : x; });
            tile(polygons->values[0], [points](double x, int k, size_t) { return x < 0 ? x - k * points : x + k * points; });
            if (Fbx::Element* edges = child(geometry, "Edges"))
                tile(edges->values[0], [corners](double x, int k, size_t) { return x + k * corners; });

            for (Fbx::Element& layer : geometry.children)
            {
                if (layer.name.rfind("LayerElement", 0) != 0)
                    continue;
                const Fbx::Value* mapping = layer.FindChildValue("MappingInformationType");
                if (mapping != nullptr && mapping->AsString() == "AllSame")
                    continue;
                const size_t stride = layer.name == "LayerElementUV" ? 2 : layer.name == "LayerElementColor" ? 4 : 3;
                double directCount = 0;
                for (Fbx::Element& c : layer.children)
                    if (c.values.size() == 1 && c.values[0].IsArray() && c.name.find("Index") == std::string::npos &&
                        c.name != "Materials" && c.name.back() != 'W')
                        directCount = static_cast<double>(c.values[0].ArraySize() / stride);
                for (Fbx::Element& c : layer.children)
                {
                    if (c.values.size() != 1 || !c.values[0].IsArray())
                        continue;
                    if (c.name.find("Index") != std::string::npos)
                        tile(c.values[0], [directCount](double x, int k, size_t) { return x + k * directCount; });
                    else
                        tile(c.values[0], same);
                }
            }
            return;
        }
        throw std::runtime_error("no mesh geometry");
    }

    // Keeps each benchmark's median real time over its repetitions so the ratios can be
    // printed at the end.
    class RatioReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
                if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                    myMilliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            ConsoleReporter::ReportRuns(someRuns);
        }

        std::map<std::string, double> myMilliseconds;
    };
}

int main(int argc, char** argv)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kiln_fbx_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const KilnTest::BinaryFbxOptions binary{7400, true};

    std::vector<Input> inputs;
    // 224 x 224 quads = 100,352 triangles, skinned to 16 joints.
    inputs.push_back({"skinned_grid", (folder / "skinned_grid.fbx").string()});
    KilnTest::WriteWholeFile(inputs.back().path, KilnTest::WriteBinaryFbx(KilnTest::MakeSkinnedGrid(224, 16), binary));

    Fbx::Document terrain = Fbx::ReadDocument(KilnTest::ReadWholeFile(KilnTest::FbxFixture("corpus/blender_terrain.fbx")));
    TileGeometry(terrain, 32, 25.0);
    inputs.push_back({"blender_terrain_x32", (folder / "blender_terrain_x32.fbx").string()});
    KilnTest::WriteWholeFile(inputs.back().path, KilnTest::WriteBinaryFbx(terrain, KilnTest::BinaryFbxOptions{7400, true, true}));

    inputs.push_back({"blender_skinned", KilnTest::FbxFixture("corpus/blender_skinned.fbx").string(), true});

    for (const Input& input : inputs)
    {
        std::printf("input %s: %s (%ju bytes)\n", input.label.c_str(), input.path.c_str(),
                    static_cast<uintmax_t>(std::filesystem::file_size(input.path)));
        for (Part part : {Part::Model, Part::Animation})
        {
            if (part == Part::Animation && !input.animated)
                continue;
            const std::string suffix = (part == Part::Model ? "/model/" : "/animation/") + input.label;
            benchmark::RegisterBenchmark(("Kiln" + suffix).c_str(), KilnImport, input, part)
                ->Unit(benchmark::kMillisecond)
                ->MinWarmUpTime(0.2)
                ->MinTime(0.5)
                ->Repetitions(Repetitions)
                ->ReportAggregatesOnly();
            benchmark::RegisterBenchmark(("Assimp" + suffix).c_str(), AssimpImport, input, part)
                ->Unit(benchmark::kMillisecond)
                ->MinWarmUpTime(0.2)
                ->MinTime(0.5)
                ->Repetitions(Repetitions)
                ->ReportAggregatesOnly();
        }
    }

    // Repetitions of all benchmarks run interleaved in random order (unless the command line
    // says otherwise), so a shared machine's changing load falls on both importers alike.
    std::vector<char*> arguments(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(arguments.begin(), arguments.end(),
                     [](const char* anArgument) { return std::string_view(anArgument).starts_with("--benchmark_enable_random_interleaving"); }))
        arguments.insert(arguments.begin() + 1, interleave.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RatioReporter reporter;
    KILNFBXImporter::InitImporter();
    benchmark::RunSpecifiedBenchmarks(&reporter);
    KILNFBXImporter::UninitImporter();
    benchmark::Shutdown();

    // Assimp's median time over ours: above 1 we are faster.
    const auto& ms = reporter.myMilliseconds;
    auto time = [&ms](const std::string& aName) {
        const auto found = ms.find(aName);
        return found == ms.end() ? 0.0 : found->second;
    };
    for (const Input& input : inputs)
    {
        const double model = time("Kiln/model/" + input.label), assimpModel = time("Assimp/model/" + input.label);
        if (model > 0.0 && assimpModel > 0.0)
            std::printf("%s: LoadModel %.2f ms, Assimp (post-processed) %.2f ms, Assimp / ours %.2f\n", input.label.c_str(),
                        model, assimpModel, assimpModel / model);
        if (!input.animated)
            continue;
        const double animation = time("Kiln/animation/" + input.label), assimpRead = time("Assimp/animation/" + input.label);
        if (animation > 0.0 && assimpRead > 0.0)
            std::printf("%s: LoadAnimation %.2f ms, Assimp (read only) %.2f ms, Assimp / ours %.2f\n", input.label.c_str(),
                        animation, assimpRead, assimpRead / animation);
        if (model > 0.0 && animation > 0.0 && assimpModel > 0.0)
            std::printf("%s: LoadModel + LoadAnimation %.2f ms, one post-processed Assimp read %.2f ms, Assimp / ours %.2f\n",
                        input.label.c_str(), model + animation, assimpModel, assimpModel / (model + animation));
    }
    std::filesystem::remove_all(folder);
    return 0;
}

// Loading a generated scene folder of 5,000 object files, each naming one of 50 object
// definitions, through LoadScene, the definition scan and the merge of every object:
// beside it, the floor any loader of these files has to pay, reading each file and
// parsing it with nlohmann json alone. After the runs, one line gives both rates in
// objects per second and their ratio.
#include "forge/scene/GameAssetsRoot.h"
#include "forge/scene/ObjectDefinitionManager.h"
#include "forge/scene/SceneSerialize.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
    namespace fs = std::filesystem;

    constexpr int OBJECT_COUNT = 5000;
    constexpr int DEFINITION_COUNT = 50;
    constexpr const char* SCENE_PATH = "levels/Bench.ksc";

    void WriteText(const fs::path& aFile, const std::string& aText)
    {
        fs::create_directories(aFile.parent_path());
        std::ofstream(aFile, std::ios::binary) << aText;
    }

    // A folder like a level's: definitions with a mix of property types, objects with a
    // transform matrix and a few per-instance values.
    struct GeneratedAssets
    {
        fs::path myRoot = fs::temp_directory_path() / ("kiln-scene-bench-" + std::to_string(::getpid()));
        std::vector<fs::path> myObjectFiles;

        GeneratedAssets()
        {
            std::mt19937 random(7);
            std::uniform_real_distribution<float> coordinate(-5000.0f, 5000.0f);
            for (int d = 0; d < DEFINITION_COUNT; ++d)
            {
                const std::string properties = R"([
                    {"name": "Speed", "group": "Movement", "description": "Units per second", "is-dynamic": false, "is-per-instance": true, "type": "Float", "value": 100},
                    {"name": "Health", "is-dynamic": false, "is-per-instance": true, "type": "Int", "value": 3},
                    {"name": "Solid", "is-dynamic": false, "is-per-instance": false, "type": "Bool", "value": true},
                    {"name": "Size", "is-dynamic": false, "is-per-instance": true, "type": "Float2", "value": [64, 64]},
                    {"name": "Tint", "is-dynamic": false, "is-per-instance": true, "type": "Color", "value": [1, 1, 1, 1]},
                    {"name": "Tag", "is-dynamic": false, "is-per-instance": true, "type": "StringId", "value": "enemy"},
                    {"name": "Model", "is-dynamic": false, "is-per-instance": true, "type": "Model", "value": {"path": "models/def.fbx", "textures": [["t_c.dds", "t_n.dds", "", ""]]}},
                    {"name": "Sprite", "is-dynamic": false, "is-per-instance": false, "type": "Sprite", "value": {"textures": ["s.dds", "", "", ""], "size": [32, 32], "pivot": [0.5, 1]}}
                ])";
                WriteText(myRoot / "objects" / ("group" + std::to_string(d % 5)) / ("KOB_Bench" + std::to_string(d) + ".kob"),
                          R"({"parent-object-definition": "", "properties": )" + properties + "}");
            }
            const fs::path folder = myRoot / (std::string(SCENE_PATH) + ".leveldata");
            char guid[37];
            for (int i = 0; i < OBJECT_COUNT; ++i)
            {
                std::snprintf(guid, sizeof(guid), "%08x-1c2d-4e5f-8a9b-%012x", 0xBE000000u + static_cast<unsigned>(i), i * 7919u);
                const std::string object = "{\"name\": \"Object " + std::to_string(i) +
                                           "\", \"path\": \"Group" + std::to_string(i % 20) +
                                           "\", \"object-definition\": \"KOB_Bench" + std::to_string(i % DEFINITION_COUNT) +
                                           "\", \"transform\": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, " +
                                           std::to_string(coordinate(random)) + ", " + std::to_string(coordinate(random)) +
                                           ", 0, 1], \"properties\": [" +
                                           R"({"name": "Speed", "type": "Float", "value": 250},)"
                                           R"({"name": "Tag", "type": "StringId", "value": "boss"},)"
                                           R"({"name": "Model", "type": "Model", "value": {"path": "models/own.fbx"}}]})";
                myObjectFiles.push_back(folder / guid);
                WriteText(myObjectFiles.back(), object);
            }
            theRoot = myRoot;
            Kiln::impl::gGameAssetsPathSource = [] { return theRoot; };
        }

        ~GeneratedAssets()
        {
            std::error_code ignored;
            fs::remove_all(myRoot, ignored);
        }

        static inline fs::path theRoot;
    };

    GeneratedAssets& GetAssets()
    {
        static GeneratedAssets assets;
        return assets;
    }

    void BM_LoadSceneAndMerge(benchmark::State& aState)
    {
        const GeneratedAssets& assets = GetAssets();
        std::size_t merged = 0;
        for (auto _ : aState)
        {
            Kiln::Scene scene;
            Kiln::LoadScene(SCENE_PATH, scene);
            Kiln::ObjectDefinitionManager definitions;
            definitions.LoadDefinitions(assets.myRoot.string().c_str());
            std::vector<Kiln::PropertyDefinition> properties;
            for (const auto& [id, object] : scene.myObjects)
            {
                properties.clear();
                Kiln::MergeObjectDefinitionProperties(*object, definitions, properties);
                merged += properties.size();
            }
            benchmark::DoNotOptimize(merged);
            if (scene.myObjects.size() != OBJECT_COUNT)
            {
                aState.SkipWithError("the scene did not load every object");
            }
        }
        aState.SetItemsProcessed(aState.iterations() * OBJECT_COUNT);
    }

    void BM_ReadAndParseOnly_NlohmannJson(benchmark::State& aState)
    {
        const GeneratedAssets& assets = GetAssets();
        for (auto _ : aState)
        {
            std::size_t keys = 0;
            for (const fs::path& file : assets.myObjectFiles)
            {
                std::ifstream in(file, std::ios::binary);
                keys += nlohmann::json::parse(in).size();
            }
            benchmark::DoNotOptimize(keys);
        }
        aState.SetItemsProcessed(aState.iterations() * OBJECT_COUNT);
    }

    class RateReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
            {
                const auto found = run.counters.find("items_per_second");
                if (found != run.counters.end() && run.run_type == Run::RT_Iteration)
                {
                    myRates[run.run_name.function_name] = found->second.value;
                }
            }
            ConsoleReporter::ReportRuns(someRuns);
        }

        std::map<std::string, double> myRates;
    };
}

BENCHMARK(BM_LoadSceneAndMerge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndParseOnly_NlohmannJson)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ours = reporter.myRates.find("BM_LoadSceneAndMerge");
    const auto peer = reporter.myRates.find("BM_ReadAndParseOnly_NlohmannJson");
    if (ours != reporter.myRates.end() && peer != reporter.myRates.end())
    {
        std::printf("LoadScene + definitions + merge: %.0f objects/s; read + nlohmann parse only: %.0f objects/s; ratio %.2f\n",
                    ours->second, peer->second, ours->second / peer->second);
    }
    return 0;
}

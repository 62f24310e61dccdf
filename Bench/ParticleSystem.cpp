// The particle system at 1280 x 720 offscreen: 10,000 live particles in 4 texture groups,
// kept in steady state by four emitters (lifetime 2 s, 1,260 births per second each at a
// fixed 60 Hz step). Measured per frame: the update (emitters and registry), the draw
// (one batch per group, finished with glFinish) and heap allocations. Beside it, the same
// particles drawn as plain, prepared sprites through the sprite drawer, so the ratio shows
// what the particle system itself adds to drawing.
//
// Run headless: SDL_VIDEODRIVER=offscreen ./bench_ParticleSystem
#include "ParticleEmitter.h"
#include "ParticleRegistry.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include "Platform/image/DdsWriter.h"

#include "Support/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
    constexpr int RENDER_WIDTH = 1280;
    constexpr int RENDER_HEIGHT = 720;
    constexpr int GROUPS = 4;
    constexpr float STEP = 1.0f / 60.0f;
    constexpr int BIRTHS_PER_BURST = 21; // per emitter and frame: 1,260 a second
    constexpr float LIFETIME = 2.0f;     // so each emitter keeps about 2,520 alive
    constexpr int WARM_UP_FRAMES = 180;

    // The engine, four group textures and four emitters, made once for every run.
    class ParticleBench
    {
    public:
        static ParticleBench* Get()
        {
            static ParticleBench bench;
            return bench.myStarted ? &bench : nullptr;
        }

        ~ParticleBench()
        {
            ParticleRegistry::GetInstance().Clear();
            myEmitters.clear();
            if (Kiln::Engine::GetInstance() != nullptr)
                Kiln::Engine::DestroyInstance();
            std::error_code ignored;
            std::filesystem::remove_all(myFolder, ignored);
        }

        void StepEmittersAndRegistry()
        {
            for (ParticleEmitter& emitter : myEmitters)
                emitter.Update(STEP);
            ParticleRegistry::GetInstance().Update(STEP);
        }

        std::vector<ParticleEmitter>& Emitters() { return myEmitters; }
        Kiln::TextureResource* GroupTexture(int aGroup) const { return myTextures[static_cast<size_t>(aGroup)]; }

    private:
        ParticleBench()
        {
            myStarted = KilnBench::StartOffscreenEngine(RENDER_WIDTH, RENDER_HEIGHT);
            if (!myStarted)
                return;

            myFolder = std::filesystem::temp_directory_path() / ("kiln_particle_bench_" + std::to_string(::getpid()));
            std::filesystem::create_directories(myFolder);
            for (int group = 0; group < GROUPS; ++group)
            {
                // A soft disc in one of four tints.
                Plat::Image::ImageData image = Plat::Image::MakeImage(Plat::Image::DxgiFormat::R8G8B8A8_Unorm, 32, 32, 1, 1, false);
                for (uint32_t y = 0; y < 32; ++y)
                {
                    for (uint32_t x = 0; x < 32; ++x)
                    {
                        const float dx = (static_cast<float>(x) + 0.5f) / 16.0f - 1.0f;
                        const float dy = (static_cast<float>(y) + 0.5f) / 16.0f - 1.0f;
                        const float d = std::sqrt(dx * dx + dy * dy);
                        uint8_t* texel = image.bytes.data() + (y * 32 + x) * 4;
                        texel[0] = group == 0 ? 255 : 120;
                        texel[1] = group == 1 ? 255 : 120;
                        texel[2] = group == 2 ? 255 : 120;
                        texel[3] = d < 1.0f ? static_cast<uint8_t>((1.0f - d) * 255.0f) : 0;
                    }
                }
                const std::filesystem::path file = myFolder / ("group" + std::to_string(group) + ".dds");
                Plat::Image::WriteDdsFile(file, image, Plat::Image::DdsHeaderKind::Dx10);

                ParticleEmitterSettings settings;
                settings.myTexturePath = Kiln::StringRegistry::RegisterOrGetString(file.string());
                settings.myPosition = {RENDER_WIDTH * (0.2f + 0.2f * static_cast<float>(group)), RENDER_HEIGHT * 0.5f, 0.0f};
                settings.mySize = {24.0f, 24.0f};
                settings.mySpawnAmount = BIRTHS_PER_BURST;
                settings.mySpawnFrequency = STEP;
                settings.myLifetimeInterval = {LIFETIME, LIFETIME};
                settings.mySpeedInterval = {50.0f, 300.0f};
                settings.myAngleInterval = {0.0f, 360.0f};
                settings.myDampingInterval = {0.2f, 0.8f};
                settings.myStartScaleInterval = {0.5f, 1.5f};
                settings.myColorStart = {1.0f, 1.0f, 1.0f, 1.0f};
                settings.myColorEnd = {1.0f, 0.5f, 0.2f, 0.0f};
                settings.myXOffsetInterval = {-40.0f, 40.0f};
                settings.myYOffsetInterval = {-40.0f, 40.0f};
                settings.myScaleEnd = 0.2f;
                settings.myIsAlphaBlend = group != 3; // one additive group
                myEmitters.emplace_back(settings);
                myTextures.push_back(Kiln::Engine::GetInstance()->GetTextureManager()->GetTexture(
                    file.string().c_str(), Kiln::TextureSrgbMode::ForceSrgb, false));
            }
            for (int frame = 0; frame < WARM_UP_FRAMES; ++frame)
                StepEmittersAndRegistry();
            // The driver builds its shader and blend variants on first use: not measured.
            Kiln::Engine& engine = *Kiln::Engine::GetInstance();
            for (int frame = 0; frame < 3; ++frame)
            {
                engine.BeginFrame();
                ParticleRegistry::GetInstance().Render(*engine.GetGraphicsEngine()->GetSpriteDrawer());
                glFinish();
            }
        }

        bool myStarted = false;
        std::filesystem::path myFolder;
        std::vector<ParticleEmitter> myEmitters;
        std::vector<Kiln::TextureResource*> myTextures;
    };

    void Report(benchmark::State& aState, uint64_t anAllocations)
    {
        const double frames = static_cast<double>(std::max<benchmark::IterationCount>(1, aState.iterations()));
        aState.counters["particles"] = static_cast<double>(ParticleRegistry::GetInstance().GetParticleCount());
        aState.counters["allocs_per_frame"] = static_cast<double>(anAllocations) / frames;
    }

    // Emitters and registry, one 60 Hz step per iteration.
    void BM_ParticleUpdate(benchmark::State& aState)
    {
        ParticleBench* bench = ParticleBench::Get();
        if (bench == nullptr)
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        uint64_t allocations = 0;
        for (auto _ : aState)
        {
            const uint64_t before = KilnBench::AllocationCount();
            bench->StepEmittersAndRegistry();
            allocations += KilnBench::AllocationCount() - before;
        }
        Report(aState, allocations);
        aState.counters["births_per_frame"] = static_cast<double>(GROUPS * BIRTHS_PER_BURST);
    }

    // The same particles as prepared sprite instances, grouped as the registry groups them.
    struct PlainGroup
    {
        Kiln::SpriteSharedData myShared;
        uint32_t myBlend = 1;
        std::vector<Kiln::Sprite2DInstanceData> myInstances;
    };

    std::vector<PlainGroup> SnapshotAsSprites(const ParticleBench& aBench)
    {
        std::vector<PlainGroup> groups;
        int index = 0;
        for (const auto& [path, particles] : ParticleRegistry::GetInstance().GetGroups())
        {
            PlainGroup& group = groups.emplace_back();
            group.myShared.myTextures[0] = aBench.GroupTexture(index++);
            group.myBlend = !particles.empty() && particles.front()->IsAlphaBlend() ? 1u : 2u;
            for (const std::unique_ptr<Particle>& particle : particles)
            {
                Kiln::Sprite2DInstanceData& instance = group.myInstances.emplace_back();
                instance.myPosition = {particle->GetPosition().x, particle->GetPosition().y};
                instance.mySize = particle->GetCurrentSize();
                instance.myColor = particle->GetCurrentColor();
            }
        }
        return groups;
    }

    // Per group the same state changes and one batch as the registry, without building the
    // instances or looking the texture up.
    void DrawPlain(const std::vector<PlainGroup>& someGroups)
    {
        Kiln::Engine& engine = *Kiln::Engine::GetInstance();
        Kiln::SpriteDrawer& drawer = *engine.GetGraphicsEngine()->GetSpriteDrawer();
        Kiln::GraphicsStateStack& states = *engine.GetGraphicsEngine()->GetGraphicsStateStack();
        for (const PlainGroup& group : someGroups)
        {
            states.Push();
            states.SetBlendState(group.myBlend);
            states.SetDepthStencilState(1u);
            {
                Kiln::SpriteBatchScope batch = drawer.BeginBatch(group.myShared);
                batch.Draw(group.myInstances.data(), group.myInstances.size());
            }
            states.Pop();
        }
    }

    double Seconds(std::chrono::steady_clock::time_point aStart)
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - aStart).count();
    }

    // Each iteration draws two frames of the same particles: one through the registry, one
    // as plain sprites, each finished with glFinish. Alternating them keeps a loaded
    // machine's drift out of the ratio.
    void BM_ParticleDrawBesidePlainSprites(benchmark::State& aState)
    {
        ParticleBench* bench = ParticleBench::Get();
        if (bench == nullptr)
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        Kiln::Engine& engine = *Kiln::Engine::GetInstance();
        Kiln::SpriteDrawer& drawer = *engine.GetGraphicsEngine()->GetSpriteDrawer();
        const std::vector<PlainGroup> plain = SnapshotAsSprites(*bench);

        uint64_t allocations = 0;
        double particleSeconds = 0.0, particleSubmit = 0.0, plainSeconds = 0.0, plainSubmit = 0.0;
        for (auto _ : aState)
        {
            engine.BeginFrame();
            auto start = std::chrono::steady_clock::now();
            const uint64_t before = KilnBench::AllocationCount();
            ParticleRegistry::GetInstance().Render(drawer);
            allocations += KilnBench::AllocationCount() - before;
            particleSubmit += Seconds(start);
            glFinish();
            particleSeconds += Seconds(start);

            engine.BeginFrame();
            start = std::chrono::steady_clock::now();
            DrawPlain(plain);
            plainSubmit += Seconds(start);
            glFinish();
            plainSeconds += Seconds(start);
        }
        const double frames = static_cast<double>(std::max<benchmark::IterationCount>(1, aState.iterations()));
        Report(aState, allocations);
        aState.counters["particle_ms"] = 1000.0 * particleSeconds / frames;
        aState.counters["particle_submit_ms"] = 1000.0 * particleSubmit / frames;
        aState.counters["plain_ms"] = 1000.0 * plainSeconds / frames;
        aState.counters["plain_submit_ms"] = 1000.0 * plainSubmit / frames;
        aState.counters["ratio"] = plainSeconds > 0.0 ? particleSeconds / plainSeconds : 0.0;
    }

    class Reporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
            {
                if (run.error_occurred || run.iterations == 0)
                    continue;
                myMilliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
                for (const auto& [name, counter] : run.counters)
                    myCounters[name] = counter.value;
            }
            ConsoleReporter::ReportRuns(someRuns);
        }

        std::map<std::string, double> myMilliseconds;
        std::map<std::string, double> myCounters;
    };
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("ParticleUpdate", BM_ParticleUpdate)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("ParticleDrawBesidePlainSprites", BM_ParticleDrawBesidePlainSprites)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(5.0);

    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double update = reporter.myMilliseconds["ParticleUpdate"];
    std::printf("\n%d particles in %d groups at %d x %d, per frame:\n", static_cast<int>(ParticleRegistry::GetInstance().GetParticleCount()),
                GROUPS, RENDER_WIDTH, RENDER_HEIGHT);
    std::printf("  update (emitters and registry): %.3f ms\n", update);
    std::printf("  draw through the registry:      %.3f ms (%.3f ms submitting, the rest glFinish)\n", reporter.myCounters["particle_ms"],
                reporter.myCounters["particle_submit_ms"]);
    std::printf("  the same as prepared sprites:   %.3f ms (%.3f ms submitting); registry / plain = %.2fx\n",
                reporter.myCounters["plain_ms"], reporter.myCounters["plain_submit_ms"], reporter.myCounters["ratio"]);
    std::printf("  births: %d per frame, %d per second at 60 Hz\n", GROUPS * BIRTHS_PER_BURST, GROUPS * BIRTHS_PER_BURST * 60);
    benchmark::Shutdown();
    return 0;
}

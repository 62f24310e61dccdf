// Sprite throughput: the same textured, coloured, rotated sprites drawn at 1280 x 720
// offscreen through the engine's sprite drawer and through SDL2's own batched renderer
// on the same OpenGL driver, each frame finished on the GPU (glFinish). On software GL
// rasterising dominates the wall time, so the CPU time the drawing thread spends per
// sprite is reported beside it. Also the CPU cost of writing one 112-byte instance
// record, beside a plain 112-byte copy.
//
// Run headless: SDL_VIDEODRIVER=offscreen ./bench_SpriteDrawing
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteDrawer.h"
#include "forge/drawers/SpriteInstanceRecord.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/Texture.h"

#include <SDL2/SDL.h>
#include "Support/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace
{
    constexpr int RENDER_WIDTH = 1280;
    constexpr int RENDER_HEIGHT = 720;
    constexpr int TEXTURE_SIZE = 64;
    constexpr float PI = 3.14159265358979f;

    // One sprite of the test scene, in the engine's sprite space (y up, origin bottom-left).
    struct SceneSprite
    {
        float x, y;         // centre
        float w, h;
        float rotation;     // radians, counter-clockwise
        float r, g, b, a;
    };

    std::vector<SceneSprite> MakeScene(size_t aCount)
    {
        std::mt19937 random(1234);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        std::vector<SceneSprite> scene(aCount);
        for (SceneSprite& s : scene)
        {
            s.x = unit(random) * RENDER_WIDTH;
            s.y = unit(random) * RENDER_HEIGHT;
            s.w = 16.0f + unit(random) * 32.0f;
            s.h = 16.0f + unit(random) * 32.0f;
            s.rotation = unit(random) * 2.0f * PI;
            s.r = 0.25f + 0.75f * unit(random);
            s.g = 0.25f + 0.75f * unit(random);
            s.b = 0.25f + 0.75f * unit(random);
            s.a = 0.5f + 0.5f * unit(random);
        }
        return scene;
    }

    // RGBA texels of a soft disc with a ring, so sampling and blending do real work.
    std::vector<uint32_t> MakeTexture()
    {
        std::vector<uint32_t> texels(TEXTURE_SIZE * TEXTURE_SIZE);
        for (int y = 0; y < TEXTURE_SIZE; ++y)
        {
            for (int x = 0; x < TEXTURE_SIZE; ++x)
            {
                const float dx = (x + 0.5f) / TEXTURE_SIZE - 0.5f, dy = (y + 0.5f) / TEXTURE_SIZE - 0.5f;
                const float d = std::sqrt(dx * dx + dy * dy) * 2.0f;
                const uint32_t alpha = d < 1.0f ? static_cast<uint32_t>((1.0f - d * d) * 255.0f) : 0u;
                const uint32_t ring = (d > 0.6f && d < 0.75f) ? 80u : 255u;
                texels[static_cast<size_t>(y * TEXTURE_SIZE + x)] = ring | (ring << 8) | (255u << 16) | (alpha << 24);
            }
        }
        return texels;
    }

    Kiln::Sprite2DInstanceData ToInstance(const SceneSprite& s)
    {
        Kiln::Sprite2DInstanceData d;
        d.myPosition = {s.x, s.y};
        d.myPivot = {0.5f, 0.5f};
        d.mySize = {s.w, s.h};
        d.myColor = {s.r, s.g, s.b, s.a};
        d.myRotation = s.rotation;
        return d;
    }

    // CPU time of the calling thread, in nanoseconds: what drawing costs this thread,
    // without the time it waits for the rasteriser's threads.
    int64_t ThreadCpuNanoseconds()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

    void Report(benchmark::State& aState, size_t aSpritesPerFrame, uint64_t anAllocations, const char* aCounterName,
                int64_t aCpuNanoseconds)
    {
        const double frames = static_cast<double>(std::max<benchmark::IterationCount>(1, aState.iterations()));
        aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations()) * static_cast<int64_t>(aSpritesPerFrame));
        aState.counters[aCounterName] = static_cast<double>(anAllocations) / frames;
        aState.counters["cpu_ns_per_sprite"] = static_cast<double>(aCpuNanoseconds) / (frames * static_cast<double>(aSpritesPerFrame));
    }

    // ---- CPU cost of one instance record ----------------------------------------------

    constexpr size_t CPU_BATCH = 1024;

    void BM_WriteInstanceRecord(benchmark::State& aState)
    {
        const auto scene = MakeScene(CPU_BATCH);
        std::vector<Kiln::Sprite2DInstanceData> instances;
        for (const SceneSprite& s : scene)
            instances.push_back(ToInstance(s));
        std::vector<Kiln::SpriteInstanceRecord> records(CPU_BATCH);
        const Kiln::Matrix4x4f world;
        for (auto _ : aState)
        {
            for (size_t i = 0; i < CPU_BATCH; ++i)
                Kiln::WriteSpriteInstance(records[i], instances[i], world, true);
            benchmark::DoNotOptimize(records.data());
            benchmark::ClobberMemory();
        }
        aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations() * CPU_BATCH));
    }

    void BM_Copy112Bytes(benchmark::State& aState)
    {
        std::vector<Kiln::SpriteInstanceRecord> source(CPU_BATCH), records(CPU_BATCH);
        std::memset(source.data(), 1, source.size() * sizeof(Kiln::SpriteInstanceRecord));
        for (auto _ : aState)
        {
            for (size_t i = 0; i < CPU_BATCH; ++i)
            {
                benchmark::DoNotOptimize(&source[i]);
                std::memcpy(&records[i], &source[i], sizeof(Kiln::SpriteInstanceRecord));
            }
            benchmark::DoNotOptimize(records.data());
            benchmark::ClobberMemory();
        }
        aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations() * CPU_BATCH));
    }

    // ---- SDL2's renderer --------------------------------------------------------------

    struct SdlRendererSetup
    {
        SDL_Window* window = nullptr;
        SDL_Renderer* renderer = nullptr;
        SDL_Texture* sprite = nullptr;
        SDL_Texture* target = nullptr;

        bool Create()
        {
            SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
            SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
            SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
                return false;
            window = SDL_CreateWindow("bench", 0, 0, RENDER_WIDTH, RENDER_HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            if (window == nullptr)
                return false;
            renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
            if (renderer == nullptr)
                return false;
            SDL_RendererInfo info{};
            SDL_GetRendererInfo(renderer, &info);
            if (std::strcmp(info.name, "opengl") != 0)
                return false;
            const auto texels = MakeTexture();
            sprite = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, TEXTURE_SIZE, TEXTURE_SIZE);
            target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, RENDER_WIDTH, RENDER_HEIGHT);
            if (sprite == nullptr || target == nullptr)
                return false;
            SDL_UpdateTexture(sprite, nullptr, texels.data(), TEXTURE_SIZE * 4);
            SDL_SetTextureBlendMode(sprite, SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(sprite, SDL_ScaleModeLinear);
            return SDL_SetRenderTarget(renderer, target) == 0;
        }

        ~SdlRendererSetup()
        {
            if (target)
                SDL_DestroyTexture(target);
            if (sprite)
                SDL_DestroyTexture(sprite);
            if (renderer)
                SDL_DestroyRenderer(renderer);
            if (window)
                SDL_DestroyWindow(window);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }

        void BeginFrame()
        {
            SDL_SetRenderDrawColor(renderer, 3, 153, 176, 255);
            SDL_RenderClear(renderer);
        }

        void EndFrame()
        {
            SDL_RenderFlush(renderer);
            glFinish();
        }
    };

    uint8_t ToByte(float aValue) { return static_cast<uint8_t>(std::lround(std::clamp(aValue, 0.0f, 1.0f) * 255.0f)); }

    // One SDL_RenderCopyExF per sprite; SDL queues them and draws the batch at flush.
    void BM_SdlRenderCopyEx(benchmark::State& aState)
    {
        const size_t count = static_cast<size_t>(aState.range(0));
        const auto scene = MakeScene(count);
        SdlRendererSetup sdl;
        if (!sdl.Create())
        {
            aState.SkipWithError(("SDL renderer: " + std::string(SDL_GetError())).c_str());
            return;
        }
        uint64_t allocations = 0;
        int64_t cpu = 0;
        for (auto _ : aState)
        {
            const uint64_t before = KilnBench::AllocationCount();
            const int64_t cpuBefore = ThreadCpuNanoseconds();
            sdl.BeginFrame();
            for (const SceneSprite& s : scene)
            {
                SDL_SetTextureColorMod(sdl.sprite, ToByte(s.r), ToByte(s.g), ToByte(s.b));
                SDL_SetTextureAlphaMod(sdl.sprite, ToByte(s.a));
                const SDL_FRect dst{s.x - s.w * 0.5f, RENDER_HEIGHT - s.y - s.h * 0.5f, s.w, s.h};
                const SDL_FPoint centre{s.w * 0.5f, s.h * 0.5f};
                SDL_RenderCopyExF(sdl.renderer, sdl.sprite, nullptr, &dst, -s.rotation * 180.0 / PI, &centre, SDL_FLIP_NONE);
            }
            sdl.EndFrame();
            cpu += ThreadCpuNanoseconds() - cpuBefore;
            allocations += KilnBench::AllocationCount() - before;
        }
        Report(aState, count, allocations, "allocs_per_frame", cpu);
    }

    // All sprites as one SDL_RenderGeometry call (corners rotated on the CPU).
    void BM_SdlRenderGeometry(benchmark::State& aState)
    {
        const size_t count = static_cast<size_t>(aState.range(0));
        const auto scene = MakeScene(count);
        SdlRendererSetup sdl;
        if (!sdl.Create())
        {
            aState.SkipWithError(("SDL renderer: " + std::string(SDL_GetError())).c_str());
            return;
        }
        std::vector<SDL_Vertex> vertices(count * 4);
        std::vector<int> indices(count * 6);
        for (size_t i = 0; i < count; ++i)
        {
            const int base = static_cast<int>(i * 4);
            const int quad[6] = {0, 1, 2, 2, 1, 3};
            for (int k = 0; k < 6; ++k)
                indices[i * 6 + static_cast<size_t>(k)] = base + quad[k];
        }
        uint64_t allocations = 0;
        int64_t cpu = 0;
        for (auto _ : aState)
        {
            const uint64_t before = KilnBench::AllocationCount();
            const int64_t cpuBefore = ThreadCpuNanoseconds();
            sdl.BeginFrame();
            for (size_t i = 0; i < count; ++i)
            {
                const SceneSprite& s = scene[i];
                const float c = std::cos(s.rotation), sn = std::sin(s.rotation);
                const SDL_Color color{ToByte(s.r), ToByte(s.g), ToByte(s.b), ToByte(s.a)};
                const float corners[4][2] = {{-0.5f, 0.5f}, {0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, -0.5f}};
                for (int k = 0; k < 4; ++k)
                {
                    const float lx = corners[k][0] * s.w, ly = corners[k][1] * s.h;
                    SDL_Vertex& v = vertices[i * 4 + static_cast<size_t>(k)];
                    v.position = {s.x + lx * c - ly * sn, RENDER_HEIGHT - (s.y + lx * sn + ly * c)};
                    v.color = color;
                    v.tex_coord = {corners[k][0] + 0.5f, 0.5f - corners[k][1]};
                }
            }
            SDL_RenderGeometry(sdl.renderer, sdl.sprite, vertices.data(), static_cast<int>(vertices.size()), indices.data(),
                               static_cast<int>(indices.size()));
            sdl.EndFrame();
            cpu += ThreadCpuNanoseconds() - cpuBefore;
            allocations += KilnBench::AllocationCount() - before;
        }
        Report(aState, count, allocations, "allocs_per_frame", cpu);
    }

    // ---- the engine's sprite drawer ---------------------------------------------------

    // One engine for every run of the drawer benchmarks; started after SDL's runs have
    // released their GL context, stopped at exit.
    class BenchEngine
    {
    public:
        static BenchEngine* Get()
        {
            static BenchEngine engine;
            return engine.myStarted ? &engine : nullptr;
        }
        ~BenchEngine()
        {
            myTexture.reset();
            if (Kiln::Engine::GetInstance() != nullptr)
                Kiln::Engine::DestroyInstance();
        }

        Kiln::Texture* GetTexture() const { return myTexture.get(); }

    private:
        BenchEngine()
        {
            myStarted = KilnBench::StartOffscreenEngine(RENDER_WIDTH, RENDER_HEIGHT);
            if (!myStarted)
                return;

            const auto texels = MakeTexture();
            Plat::Gpu::Texture2DDesc desc;
            desc.width = TEXTURE_SIZE;
            desc.height = TEXTURE_SIZE;
            desc.format = Plat::Gpu::Format::R8G8B8A8_UNORM;
            desc.bindFlags = Plat::Gpu::Bind::ShaderResource;
            Plat::Gpu::SubresourceData data;
            data.sysMem = texels.data();
            data.sysMemPitch = TEXTURE_SIZE * 4;
            const auto texture = Kiln::DX11::Device->CreateTexture2D(desc, &data);
            myTexture = std::make_unique<Kiln::Texture>(Kiln::DX11::Device->CreateShaderResourceView(texture.get()));
        }

        bool myStarted = false;
        std::unique_ptr<Kiln::Texture> myTexture;
    };

    void BM_SpriteDrawer(benchmark::State& aState)
    {
        const size_t count = static_cast<size_t>(aState.range(0));
        BenchEngine* bench = BenchEngine::Get();
        if (bench == nullptr)
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        Kiln::Engine& engine = *Kiln::Engine::GetInstance();
        Kiln::SpriteDrawer& drawer = *engine.GetGraphicsEngine()->GetSpriteDrawer();
        std::vector<Kiln::Sprite2DInstanceData> instances;
        for (const SceneSprite& s : MakeScene(count))
            instances.push_back(ToInstance(s));
        Kiln::SpriteSharedData shared;
        shared.myTextures[0] = bench->GetTexture();

        uint64_t allocations = 0;
        int64_t cpu = 0;
        for (auto _ : aState)
        {
            const int64_t cpuBefore = ThreadCpuNanoseconds();
            engine.BeginFrame();
            const uint64_t before = KilnBench::AllocationCount();
            {
                Kiln::SpriteBatchScope batch = drawer.BeginBatch(shared);
                batch.Draw(instances.data(), instances.size());
            }
            allocations += KilnBench::AllocationCount() - before;
            glFinish();
            cpu += ThreadCpuNanoseconds() - cpuBefore;
        }
        Report(aState, count, allocations, "allocs_per_batch", cpu);
    }

    // ---- summary ----------------------------------------------------------------------

    // Prints the usual table and keeps each run's sprites per second for the summary.
    class SummaryReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
            {
                if (run.error_occurred || run.iterations == 0 || run.real_accumulated_time <= 0.0)
                    continue;
                const auto items = run.counters.find("items_per_second");
                if (items != run.counters.end())
                    myRates[run.benchmark_name()] = items->second.value;
                const auto cpu = run.counters.find("cpu_ns_per_sprite");
                if (cpu != run.counters.end())
                    myCpu[run.benchmark_name()] = cpu->second.value;
            }
            ConsoleReporter::ReportRuns(someRuns);
        }

        double Rate(const std::string& aName) const
        {
            const auto it = myRates.find(aName);
            return it != myRates.end() ? it->second : 0.0;
        }

        double CpuPerSprite(const std::string& aName) const
        {
            const auto it = myCpu.find(aName);
            return it != myCpu.end() ? it->second : 0.0;
        }

    private:
        std::map<std::string, double> myRates;
        std::map<std::string, double> myCpu;
    };

    void PrintSummary(const SummaryReporter& aReporter)
    {
        std::printf("\nSprites per second at %d x %d, each frame finished with glFinish:\n", RENDER_WIDTH, RENDER_HEIGHT);
        std::printf("%10s %18s %18s %18s %10s\n", "sprites", "Kiln SpriteDrawer", "SDL RenderCopyExF", "SDL RenderGeometry",
                    "ratio");
        for (int n : {10000, 100000})
        {
            const std::string suffix = "/" + std::to_string(n) + "/real_time";
            const double ours = aReporter.Rate("SpriteDrawer" + suffix);
            const double copyEx = aReporter.Rate("SDL_RenderCopyExF" + suffix);
            const double geometry = aReporter.Rate("SDL_RenderGeometry" + suffix);
            const double sdlBest = std::max(copyEx, geometry);
            std::printf("%10d %18.0f %18.0f %18.0f %9.2fx\n", n, ours, copyEx, geometry, sdlBest > 0 ? ours / sdlBest : 0.0);
        }
        std::printf("\nCPU time of the drawing thread per sprite, in ns (rasteriser threads not counted):\n");
        std::printf("%10s %18s %18s %18s %10s\n", "sprites", "Kiln SpriteDrawer", "SDL RenderCopyExF", "SDL RenderGeometry",
                    "ratio");
        for (int n : {10000, 100000})
        {
            const std::string suffix = "/" + std::to_string(n) + "/real_time";
            const double ours = aReporter.CpuPerSprite("SpriteDrawer" + suffix);
            const double copyEx = aReporter.CpuPerSprite("SDL_RenderCopyExF" + suffix);
            const double geometry = aReporter.CpuPerSprite("SDL_RenderGeometry" + suffix);
            const double sdlBest = copyEx > 0 && geometry > 0 ? std::min(copyEx, geometry) : std::max(copyEx, geometry);
            std::printf("%10d %18.1f %18.1f %18.1f %9.2fx\n", n, ours, copyEx, geometry, ours > 0 ? sdlBest / ours : 0.0);
        }
        std::printf("(ratios: the sprite drawer over SDL's faster path, higher is better)\n");
        const double write = aReporter.Rate("WriteInstanceRecord");
        const double copy = aReporter.Rate("Copy112Bytes");
        if (write > 0 && copy > 0)
            std::printf("CPU per instance: %.2f ns written by the drawer, %.2f ns for a plain 112-byte copy\n", 1e9 / write,
                        1e9 / copy);
    }
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("WriteInstanceRecord", BM_WriteInstanceRecord);
    benchmark::RegisterBenchmark("Copy112Bytes", BM_Copy112Bytes);
    // SDL's runs come first: each makes and drops its own GL context before the engine starts.
    for (int n : {10000, 100000})
    {
        benchmark::RegisterBenchmark("SDL_RenderCopyExF", BM_SdlRenderCopyEx)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("SDL_RenderGeometry", BM_SdlRenderGeometry)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    for (int n : {10000, 100000})
        benchmark::RegisterBenchmark("SpriteDrawer", BM_SpriteDrawer)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}

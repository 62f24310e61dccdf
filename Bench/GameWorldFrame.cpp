// One level as the game plays it, offscreen at 1280 x 720: the world loads "levels\Level1.ksc"
// a batch per frame behind its loading screen, then 600 frames are stepped (1/60 s each) and
// drawn while the player runs right. Reported: the load time and the frames it took, the
// median and 99th-percentile times of GameWorld::Update, of GameWorld::Render and of the
// engine's end of frame (where the GL driver finishes the drawing and presents), and the
// heap allocations per frame after the first second, with particle births counted apart.
//
// The level is the generated one when the game assets hold it (or the assets folder given
// as the first argument, e.g. a tree with the levels built); otherwise a synthetic level of
// a few hundred objects, written by this program over the generated definitions, models and
// textures: a long floor, walkers on ledges above, hands, grass, decorations, models, pots,
// checkpoints, emitters, a background and an exit beyond the run.
//
// No library in Debian's packages runs this game's frame, so there is no peer: the figures
// are read against the 16.7 ms of a 60 Hz frame.
//
// Run headless: SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./bench_GameWorldFrame [game assets]
// With KILN_BENCH_SCREENSHOT=<file.ppm> the 300th frame is also written as a picture.
#include "AnimationLibrary.h"
#include "GameWorld.h"
#include "InputEvent.h"
#include "Particle.h"
#include "ParticleRegistry.h"
#include "Player.h"
#include "SeekingParticle.h"
#include "Sound.h"
#include "State.h"

#include "Support/BenchSupport.h"
#include "Support/ScopedEngine.h"

#include "forge/engine/Engine.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/settings/Settings.h"

#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
    namespace fs = std::filesystem;
    using Clock = std::chrono::steady_clock;
    using Json = nlohmann::json;

    constexpr const char* LEVEL = "levels\\Level1.ksc";
    constexpr int FRAMES = 600;
    constexpr float STEP = 1.0f / 60.0f;

    fs::path gSceneRoot;

    void WriteJson(const fs::path& aFile, const Json& aDocument)
    {
        fs::create_directories(aFile.parent_path());
        std::ofstream(aFile) << aDocument.dump(1);
    }

    // A level of a few hundred objects over the generated content, in a folder of its own
    // that also holds copies of the generated object definitions.
    class SyntheticLevel
    {
    public:
        explicit SyntheticLevel(const fs::path& aGeneratedRoot)
            : myRoot(fs::temp_directory_path() / ("kiln-world-bench-" + std::to_string(::getpid())))
        {
            fs::remove_all(myRoot);
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(aGeneratedRoot))
            {
                if (entry.is_regular_file() && entry.path().extension() == ".kob")
                {
                    fs::create_directories(myRoot / "objectdefinitions");
                    fs::copy_file(entry.path(), myRoot / "objectdefinitions" / entry.path().filename());
                }
            }

            Add("Hero", "KOB_Player", {0, 50, 0});
            // A floor of 200-wide tiles from -1000 to 13000, its top at y = 0.
            for (int i = 0; i < 70; ++i)
                Add("Floor", "KOB_Level1_FloorTile", {-1000.0f + 200.0f * static_cast<float>(i), -50.0f, 0.0f}, {}, {2, 1, 1});
            // Ledges 900 up, each with a walker; hands hanging from a ceiling above them.
            for (int i = 0; i < 12; ++i)
            {
                const float x = 500.0f + 1000.0f * static_cast<float>(i);
                Add("Ledge", "KOB_Level1_FloorTile", {x, 850.0f, 0.0f}, {}, {8, 1, 1});
                Add("Walker", "KOB_Enemy1", {x, 955.0f, 0.0f});
                Add("Hands", "KOB_EnemyHands", {x + 300.0f, 1600.0f, 0.0f}, {0, 0, 180});
            }
            const char* grass[] = {"KOB_Grass_1", "KOB_Grass_2", "KOB_Grass_3", "KOB_Grass_4"};
            for (int i = 0; i < 80; ++i)
                Add("Grass", grass[i % 4], {-800.0f + 160.0f * static_cast<float>(i), 40.0f, 60.0f});
            for (int i = 0; i < 60; ++i)
                Add("Decal", "KOB_Decal_Sprite", {-900.0f + 230.0f * static_cast<float>(i), 400.0f + 150.0f * static_cast<float>(i % 3), 300.0f});
            for (int i = 0; i < 40; ++i)
                Add("Rock", "KOB_StaticModel", {-700.0f + 330.0f * static_cast<float>(i), 0.0f, 250.0f});
            for (int i = 0; i < 6; ++i)
            {
                Add("Pot", "KOB_BreakableVase", {1800.0f + 2000.0f * static_cast<float>(i), 0.0f, 150.0f});
                Add("Checkpoint", "KOB_Checkpoint", {2500.0f + 2000.0f * static_cast<float>(i), 0.0f, 200.0f});
                Add("Motes", "KOB_ParticleEmitter", {2000.0f * static_cast<float>(i), 300.0f, 100.0f});
            }
            Add("Sky", "KOB_ParallaxBackground", {0, 0, 0});
            Add("Exit", "KOB_LevelTransition", {12800.0f, 0.0f, 0.0f});
        }
        ~SyntheticLevel()
        {
            std::error_code ignored;
            fs::remove_all(myRoot, ignored);
        }

        const fs::path& GetRoot() const { return myRoot; }
        int GetObjectCount() const { return myCount; }

    private:
        void Add(const std::string& aName, const std::string& aDefinition, const std::vector<float>& aPosition,
                 const std::vector<float>& aRotation = {0, 0, 0}, const std::vector<float>& aScale = {1, 1, 1})
        {
            char guid[40];
            std::snprintf(guid, sizeof guid, "be4c0000-0000-4000-8000-%012d", ++myCount);
            WriteJson(myRoot / "levels" / "Level1.ksc.leveldata" / guid,
                      Json{{"name", aName},
                           {"object-definition", aDefinition},
                           {"translation", aPosition},
                           {"rotation", aRotation.empty() ? std::vector<float>{0, 0, 0} : aRotation},
                           {"scale", aScale},
                           {"properties", Json::array()}});
        }

        fs::path myRoot;
        int myCount = 0;
    };

    double Percentile(std::vector<double> someValues, double aFraction)
    {
        if (someValues.empty())
            return 0.0;
        std::sort(someValues.begin(), someValues.end());
        const size_t index = std::min(someValues.size() - 1, static_cast<size_t>(aFraction * static_cast<double>(someValues.size())));
        return someValues[index];
    }

    // The back buffer (B, G, R, A, top row first) as a binary PPM.
    void WritePpm(const char* aPath, const std::vector<uint8_t>& someBgra, uint32_t aWidth, uint32_t aHeight)
    {
        std::ofstream file(aPath, std::ios::binary);
        file << "P6 " << aWidth << " " << aHeight << " 255\n";
        for (size_t i = 0; i + 3 < someBgra.size(); i += 4)
        {
            const char rgb[3] = {static_cast<char>(someBgra[i + 2]), static_cast<char>(someBgra[i + 1]), static_cast<char>(someBgra[i])};
            file.write(rgb, 3);
        }
    }

    double Millis(Clock::duration aDuration)
    {
        return std::chrono::duration<double, std::milli>(aDuration).count();
    }
}

int main(int argc, char** argv)
{
    const fs::path bin = Plat::Runtime::ExecutableDirectory();
    const fs::path generated = argc > 1 ? fs::path(argv[1]) : bin / "assets" / "game";
    // The engine's settings, pointing the game assets at the chosen tree.
    const std::string settingsName = "world_bench_" + std::to_string(::getpid()) + ".json";
    WriteJson(bin / "settings" / settingsName,
              Json{{"assets_path",
                    {{"engine", (bin / "assets" / "engine").string()}, {"game", generated.string()}, {"cooked", (bin / "assets" / "cooked").string()}}}});

    KilnTest::ScopedEngine engine([&](Kiln::EngineConfiguration& aConfig) {
        Kiln::LoadSettings(settingsName);
        aConfig.myWindowSize = {1280, 720};
        aConfig.myRenderSize = {1280, 720};
        aConfig.myBorderless = true;
        aConfig.myDebugFeatures = 0;
    });
    fs::remove(bin / "settings" / settingsName);
    if (!engine.Started())
    {
        std::printf("the engine did not start\n");
        return 1;
    }
    // Particle objects are counted apart from the frame's other allocations.
    KilnBench::CountSizesApart(sizeof(Particle), sizeof(SeekingParticle));
    // Controllers and sounds from the generated tree, as the game loads them at start.
    AnimationLibrary::GetInstance();
    Sound::GetInstance().Init();
    ParticleRegistry::GetInstance();

    const bool hasLevel = fs::is_directory(generated / "levels" / "Level1.ksc.leveldata");
    std::unique_ptr<SyntheticLevel> synthetic;
    if (!hasLevel)
    {
        synthetic = std::make_unique<SyntheticLevel>(generated);
        gSceneRoot = synthetic->GetRoot();
        Kiln::impl::gGameAssetsPathSource = [] { return gSceneRoot; };
        std::printf("level: synthetic, %d objects (no generated \"%s\" in %s)\n", synthetic->GetObjectCount(), LEVEL, generated.string().c_str());
    }
    else
    {
        std::printf("level: generated \"%s\" from %s\n", LEVEL, generated.string().c_str());
    }

    // The engine's own frame, for reference: clear, present.
    std::vector<double> emptyFrames;
    for (int frame = 0; frame < 60; ++frame)
    {
        const Clock::time_point start = Clock::now();
        (*engine).BeginFrame();
        (*engine).EndFrame();
        emptyFrames.push_back(Millis(Clock::now() - start));
    }
    std::printf("empty engine frame (clear and present): median %.2f ms\n", Percentile(emptyFrames, 0.5));

    State state = State::Playing;
    {
        auto world = std::make_unique<GameWorld>();
        const Clock::time_point loadStart = Clock::now();
        world->Init(LEVEL, state);
        int loadFrames = 0;
        std::vector<double> loadFrameTimes;
        while (!world->IsLevelLoaded())
        {
            const Clock::time_point frameStart = Clock::now();
            (*engine).BeginFrame();
            world->Update(STEP);
            world->Render();
            (*engine).EndFrame();
            loadFrameTimes.push_back(Millis(Clock::now() - frameStart));
            ++loadFrames;
        }
        const double loadMillis = Millis(Clock::now() - loadStart);
        std::printf("load: %.1f ms over %d frames (longest frame %.1f ms, median %.1f ms)\n", loadMillis, loadFrames,
                    *std::max_element(loadFrameTimes.begin(), loadFrameTimes.end()), Percentile(loadFrameTimes, 0.5));

        Player* player = world->GetPlayer();
        if (player == nullptr)
        {
            std::printf("the level has no player\n");
            return 1;
        }
        const float startX = player->GetPosition().x;
        player->HandleInput({Action::Right, true});

        std::vector<double> updates, renders, ends, totals;
        uint64_t steadyAllocations = 0;
        uint64_t steadyParticles = 0;
        uint64_t maxFrameAllocations = 0;
        int framesWithAllocations = 0;
        for (int frame = 0; frame < FRAMES && state == State::Playing; ++frame)
        {
            const bool steady = frame >= 60;
            // This thread's allocations over the frame, less the screenshot's.
            const KilnBench::ThreadAllocations before = KilnBench::ThreadAllocationCounts();
            KilnBench::ThreadAllocations screenshot;

            const Clock::time_point start = Clock::now();
            (*engine).BeginFrame();
            world->Update(STEP);
            const Clock::time_point updated = Clock::now();
            world->Render();
            const Clock::time_point rendered = Clock::now();
            if (frame == 300 && std::getenv("KILN_BENCH_SCREENSHOT") != nullptr)
            {
                screenshot = KilnBench::ThreadAllocationCounts();
                WritePpm(std::getenv("KILN_BENCH_SCREENSHOT"), engine.ReadBackBuffer(), 1280, 720);
                const KilnBench::ThreadAllocations written = KilnBench::ThreadAllocationCounts();
                screenshot = {written.myAll - screenshot.myAll, written.mySizesApart - screenshot.mySizesApart};
            }
            (*engine).EndFrame();
            const Clock::time_point ended = Clock::now();
            const KilnBench::ThreadAllocations after = KilnBench::ThreadAllocationCounts();

            updates.push_back(Millis(updated - start));
            renders.push_back(Millis(rendered - updated));
            ends.push_back(Millis(ended - rendered));
            totals.push_back(Millis(ended - start));
            if (steady)
            {
                const uint64_t particles = after.mySizesApart - before.mySizesApart - screenshot.mySizesApart;
                const uint64_t made = after.myAll - before.myAll - screenshot.myAll - particles;
                steadyAllocations += made;
                steadyParticles += particles;
                maxFrameAllocations = std::max(maxFrameAllocations, made);
                framesWithAllocations += made > 0 ? 1 : 0;
            }
        }
        const int steadyFrames = std::max<int>(1, static_cast<int>(totals.size()) - 60);
        std::printf("ran %zu frames; the player went from x %.0f to %.0f\n", totals.size(), startX, player->GetPosition().x);
        std::printf("update:     median %6.2f ms, 99th percentile %6.2f ms\n", Percentile(updates, 0.5), Percentile(updates, 0.99));
        std::printf("render:     median %6.2f ms, 99th percentile %6.2f ms\n", Percentile(renders, 0.5), Percentile(renders, 0.99));
        std::printf("end frame:  median %6.2f ms, 99th percentile %6.2f ms (driver finishing the drawing, present)\n", Percentile(ends, 0.5),
                    Percentile(ends, 0.99));
        std::printf("whole frame: median %6.2f ms, 99th percentile %6.2f ms (goal: median under 16.7 ms)\n", Percentile(totals, 0.5),
                    Percentile(totals, 0.99));
        std::printf("allocations after the first second: %.2f per frame (%d of %d frames allocate, at most %llu in one), "
                    "particle births %.2f per frame\n",
                    static_cast<double>(steadyAllocations) / steadyFrames, framesWithAllocations, steadyFrames,
                    static_cast<unsigned long long>(maxFrameAllocations), static_cast<double>(steadyParticles) / steadyFrames);
        std::printf("particles alive at the end: %zu\n", ParticleRegistry::GetInstance().GetParticleCount());
    }
    Kiln::impl::gGameAssetsPathSource = nullptr;
    ParticleRegistry::GetInstance().Clear();
    return 0;
}

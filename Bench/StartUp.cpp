// Start-up of the Game program, headless (SDL offscreen, no audio device).
//
// 1. Seconds from starting the process until its first frame has begun, and the user CPU
//    seconds the run took, over several runs (median, lowest, highest). The frame is told
//    from outside: the engine's file watcher reloads a changed watched texture only inside
//    Engine::BeginFrame.
// 2. In this process, the game manager from its start through the splash screen into the
//    main menu, at real frame times: the splash's first frame (the driver's first draws),
//    then its frame times while start-up still loads behind it (median, 99th percentile,
//    longest), and the time from the beginning of the splash's last frame to the end of the
//    main menu's first.
// No peer: the figures are compared with themselves before and after a change.
//
// Run: ./bench_StartUp [runs]   (from build/bin; copies Game and its assets to a temp folder)
#include "GameManager.h"
#include "InputMapper.h"
#include "ParticleRegistry.h"
#include "Sound.h"
#include "StartupLoader.h"
#include "State.h"

#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"

#include "Platform/runtime/Paths.h"
#include "Support/ChildProcess.h"
#include "Support/FrameProbe.h"
#include "Support/ScopedEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;

// The game manager's frame steps, as the game's tests reach them.
class GameManagerTestAccess
{
public:
    static State& StateOf(GameManager& aManager) { return aManager.myState; }
    static void BeginRun(GameManager& aManager) { aManager.BeginRun(); }
    static bool RunFrame(GameManager& aManager, float aDeltaTime) { return aManager.RunFrame(aDeltaTime); }
    static bool StartupDone(GameManager& aManager) { return !aManager.myStartup || aManager.myStartup->IsDone(); }
};

namespace
{
    using Clock = std::chrono::steady_clock;

    double Millis(Clock::duration aDuration) { return std::chrono::duration<double, std::milli>(aDuration).count(); }

    // The splash screen played in this process, as Go starts the game (but at 1280 x 720).
    int MeasureTheSplash()
    {
        KilnTest::ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) {
            aConfig.myWindowSize = {1280, 720};
            aConfig.myRenderSize = {1280, 720};
            aConfig.myBorderless = true;
            aConfig.myDebugFeatures = 0;
        });
        if (!engine.Started())
        {
            std::printf("splash: the engine did not start\n");
            return 1;
        }
        Sound::GetInstance().BeginInit();
        ParticleRegistry::GetInstance();
        int result = 0;
        {
            GameManager manager;
            manager.Init("scene.ksc");
            GameManagerTestAccess::BeginRun(manager);
            std::vector<double> loading;
            double lastSplash = 0.0;
            double firstFrame = -1.0;
            double transition = -1.0;
            float deltaTime = 0.0f;
            Clock::time_point splashLastBegan{};
            // The splash lasts 9.5 s of frame time; a hang guard of a minute of frames.
            for (int frame = 0; frame < 100000; ++frame)
            {
                const bool loadingBefore = !GameManagerTestAccess::StartupDone(manager);
                const State before = GameManagerTestAccess::StateOf(manager);
                const Clock::time_point began = Clock::now();
                engine->BeginFrame();
                GameManagerTestAccess::RunFrame(manager, deltaTime);
                engine->EndFrame();
                const Clock::time_point ended = Clock::now();
                deltaTime = std::chrono::duration<float>(ended - began).count();
                const State after = GameManagerTestAccess::StateOf(manager);
                if (before == State::Splashscreen && after == State::Splashscreen && loadingBefore)
                {
                    if (firstFrame < 0.0)
                        firstFrame = Millis(ended - began);
                    else
                        loading.push_back(Millis(ended - began));
                }
                if (before == State::Splashscreen && after == State::MainMenu)
                {
                    splashLastBegan = began;
                    lastSplash = Millis(ended - began);
                }
                else if (before == State::MainMenu && splashLastBegan != Clock::time_point{})
                {
                    transition = Millis(ended - splashLastBegan);
                    break;
                }
            }
            if (transition < 0.0)
            {
                std::printf("splash: the main menu did not come\n");
                result = 1;
            }
            else
            {
                std::sort(loading.begin(), loading.end());
                // The level path the game prints ends without a line break.
                std::printf("\n");
                if (firstFrame >= 0.0)
                    std::printf("splash: its first frame %.1f ms (the driver compiles the shaders of its first draws)\n",
                                firstFrame);
                if (!loading.empty())
                {
                    const size_t p99 = std::min(loading.size() - 1, static_cast<size_t>(static_cast<double>(loading.size()) * 0.99));
                    std::printf("splash: the frames after it while start-up loads behind it: %zu, median %.1f ms, "
                                "99th percentile %.1f ms, longest %.1f ms\n",
                                loading.size(), loading[loading.size() / 2], loading[p99], loading.back());
                }
                else
                {
                    std::printf("splash: start-up was done before the first frame\n");
                }
                std::printf("splash: its last frame %.1f ms; from its beginning to the end of the main menu's first frame "
                            "%.1f ms\n",
                            lastSplash, transition);
            }
        }
        Sound::GetInstance().WaitForDecoding();
        return result;
    }

    double ChildrenUserSeconds()
    {
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) * 1e-6;
    }

    void Report(const char* aName, std::vector<double> someValues)
    {
        std::sort(someValues.begin(), someValues.end());
        std::printf("%s: median %.3f s, lowest %.3f, highest %.3f (%zu runs)\n", aName, someValues[someValues.size() / 2],
                    someValues.front(), someValues.back(), someValues.size());
    }
}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    const fs::path bin = Plat::Runtime::ExecutableDirectory();
    const fs::path root = fs::temp_directory_path() / ("kiln_startup_" + std::to_string(std::random_device()()));
    fs::create_directories(root / "bin" / "settings");
    fs::copy_file(bin / "Game", root / "bin" / "Game");
    fs::copy_file(bin / "settings" / "Game.json", root / "bin" / "settings" / "Game.json");
    fs::copy(bin / "assets", root / "bin" / "assets", fs::copy_options::recursive);
    // A copy under data/ shadows the asset roots: the one file the probe watches.
    const fs::path watched = root / "bin" / "data" / "Textures" / "whiteCubeMap.dds";
    fs::create_directories(watched.parent_path());
    fs::copy_file(bin / "assets" / "engine" / "Textures" / "whiteCubeMap.dds", watched);

    std::vector<double> firstFrame;
    std::vector<double> userCpu;
    for (int run = 0; run < runs; ++run)
    {
        KilnTest::FrameProbe probe;
        if (!probe.Watch(watched))
            break;
        KilnTest::ChildProcess game;
        KilnTest::ChildProcess::Options options;
        options.myProgram = root / "bin" / "Game";
        options.myWorkingDirectory = root / "bin";
        const double cpuBefore = ChildrenUserSeconds();
        if (!game.Start(options))
            break;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        const auto running = [&] { return game.IsRunning(); };
        if (!probe.WaitForStartupRead(deadline, running) || !probe.WaitForFrame(deadline, running))
        {
            std::printf("run %d: no frame within 60 s\n", run);
            break;
        }
        firstFrame.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - game.GetStartTime()).count());
        game.Kill();
        userCpu.push_back(ChildrenUserSeconds() - cpuBefore);
    }
    fs::remove_all(root);
    if (firstFrame.empty())
        return 1;
    Report("start-up: process start to the first frame begun", firstFrame);
    Report("start-up: user CPU of the process until then", userCpu);
    return MeasureTheSplash();
}

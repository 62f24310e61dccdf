// Start-up of the Game program, headless (SDL offscreen, no audio device): seconds from
// starting the process until its first frame has begun, and the user CPU seconds the run
// took, over several runs (median, lowest, highest). The frame is told from outside: the
// engine's file watcher reloads a changed watched texture only inside Engine::BeginFrame.
// No peer: the figure is compared with itself before and after a change.
//
// Run: ./bench_StartUp [runs]   (from build/bin; copies Game and its assets to a temp folder)
#include "Platform/runtime/Paths.h"
#include "Support/ChildProcess.h"
#include "Support/FrameProbe.h"

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

namespace
{
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
    return 0;
}

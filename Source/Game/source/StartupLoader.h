#pragma once
// What start-up loads behind the splash screen, a little each frame, so that the first
// frame comes early and the splash plays smoothly: steps run in the order they were added
// (so their messages come in that order), each once it can run without waiting. The
// textures the steps will ask for are read and decoded on worker threads first and made
// into GPU textures a few a frame; the steps then find them cached.
#include <atomic>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace Kiln
{
    class TextureManager;
}

class StartupLoader
{
public:
    StartupLoader() = default;
    ~StartupLoader();
    StartupLoader(const StartupLoader&) = delete;
    StartupLoader& operator=(const StartupLoader&) = delete;

    // aReady says whether the step can run now without waiting; none: it always can.
    void Add(std::function<void()> aStep, std::function<bool()> aReady = {});

    // Reads, on a worker thread, the texture paths named in these scene folders (and
    // someMorePaths), then has aTextures read them ahead (sRGB forced, as the menus and the
    // sprite sheets ask). Steps wait until those textures are made.
    void PrefetchTextures(Kiln::TextureManager& aTextures, const std::vector<std::string>& someScenePaths,
                          const std::vector<std::string>& someMorePaths);

    // One frame's share: makes up to aMaxBytes of read-ahead textures, then runs ready steps
    // until aSeconds have passed (at least one when one is ready).
    void Update(size_t aMaxBytes, double aSeconds);

    // Runs every step left, waiting where a step must.
    void Finish();

    bool IsDone() const { return mySteps.empty(); }

    // The textures read ahead are all made (or none were asked for): a step that asks for
    // them then finds them cached.
    bool TexturesReady() const;

    // Every texture path (a string ending in ".dds") in the object files of a scene folder.
    static std::vector<std::string> ListSceneTextures(const std::filesystem::path& aFolder);

private:
    struct Step
    {
        std::function<void()> run;
        std::function<bool()> ready;
    };

    void JoinLister();

    std::deque<Step> mySteps;
    Kiln::TextureManager* myTextures = nullptr;
    std::thread myLister;
    size_t myOutstanding = 0;
    std::atomic<bool> myListed{true};
};

#include "StartupLoader.h"

#include "ThreadOrHere.h"

#include "forge/texture/TextureManager.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <set>

namespace
{
    bool IsTexturePath(const std::string& aText)
    {
        constexpr std::string_view extension = ".dds";
        if (aText.size() <= extension.size())
            return false;
        return std::equal(extension.begin(), extension.end(), aText.end() - static_cast<std::ptrdiff_t>(extension.size()),
                          [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    }

    void CollectTexturePaths(const nlohmann::json& aValue, std::vector<std::string>& somePaths)
    {
        if (aValue.is_string())
        {
            const std::string& text = aValue.get_ref<const std::string&>();
            if (IsTexturePath(text))
                somePaths.push_back(text);
        }
        else if (aValue.is_structured())
        {
            for (const nlohmann::json& element : aValue)
                CollectTexturePaths(element, somePaths);
        }
    }
}

StartupLoader::~StartupLoader()
{
    JoinLister();
}

void StartupLoader::Add(std::function<void()> aStep, std::function<bool()> aReady)
{
    mySteps.push_back({std::move(aStep), std::move(aReady)});
}

std::vector<std::string> StartupLoader::ListSceneTextures(const std::filesystem::path& aFolder)
{
    // Only a hint of what the steps will ask for: a file that cannot be read here is read
    // (and reported) by its step.
    std::vector<std::string> paths;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(aFolder, error), end; !error && entry != end; entry.increment(error))
    {
        if (entry->path().has_extension() || !entry->is_regular_file(error))
            continue;
        std::ifstream file(entry->path(), std::ios::binary);
        const nlohmann::json object = nlohmann::json::parse(file, nullptr, false);
        if (!object.is_discarded())
            CollectTexturePaths(object, paths);
    }
    return paths;
}

void StartupLoader::PrefetchTextures(Kiln::TextureManager& aTextures, const std::vector<std::string>& someScenePaths,
                                     const std::vector<std::string>& someMorePaths)
{
    JoinLister();
    myTextures = &aTextures;
    myTextures->MakePrefetchedOnWorkers();
    myListed = false;
    const auto list = [this, someScenePaths, someMorePaths] {
        std::vector<std::string> paths = someMorePaths;
        for (const std::string& folder : someScenePaths)
        {
            std::vector<std::string> found = ListSceneTextures(folder);
            paths.insert(paths.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
        }
        std::set<std::string> seen;
        paths.erase(std::remove_if(paths.begin(), paths.end(), [&](const std::string& aPath) { return !seen.insert(aPath).second; }),
                    paths.end());
        myTextures->PrefetchTextures(paths, Kiln::TextureSrgbMode::ForceSrgb);
        myListed = true;
    };
    myLister = RunOnAThreadOrHere(list);
}

bool StartupLoader::TexturesReady() const
{
    return myTextures == nullptr || (myListed && myOutstanding == 0);
}

void StartupLoader::Update(size_t aMaxBytes, double aSeconds)
{
    if (myTextures != nullptr)
        myOutstanding = myTextures->UploadPrefetched(aMaxBytes);
    const auto start = std::chrono::steady_clock::now();
    while (!mySteps.empty())
    {
        Step& step = mySteps.front();
        if (step.ready && !step.ready())
            break;
        const std::function<void()> run = std::move(step.run);
        mySteps.pop_front();
        run();
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= aSeconds)
            break;
    }
}

void StartupLoader::Finish()
{
    // Files still being read are waited for by the requests that need them.
    JoinLister();
    while (!mySteps.empty())
    {
        const std::function<void()> run = std::move(mySteps.front().run);
        mySteps.pop_front();
        run();
    }
}

void StartupLoader::JoinLister()
{
    if (myLister.joinable())
        myLister.join();
}

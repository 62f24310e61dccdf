// Generates the game's levels from their text maps: every <name>.txt in the levels folder
// becomes the scene folder its "scene" line names, under the game assets, and the
// decoration sprites the levels place are drawn beside them.
// Usage: tool_MakeLevels <levels folder> <game assets folder> [<stamp file>]
#include "LevelArt.h"
#include "LevelBuilder.h"
#include "LevelMap.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (argc < 3 || argc > 4)
    {
        std::fprintf(stderr, "usage: %s <levels folder> <game assets folder> [<stamp file>]\n", argv[0]);
        return 2;
    }
    const fs::path source = argv[1], gameRoot = argv[2];
    std::error_code error;
    std::vector<fs::path> maps;
    for (const fs::directory_entry& entry : fs::directory_iterator(source, error))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            maps.push_back(entry.path());
    if (error || maps.empty())
    {
        std::fprintf(stderr, "MakeLevels: no level maps (*.txt) in %s\n", source.string().c_str());
        return 1;
    }
    std::sort(maps.begin(), maps.end());

    // Every map is checked before anything is written, so a broken one leaves the levels as
    // they were.
    std::vector<LevelGen::BuiltLevel> levels;
    std::map<std::string, std::string> scenes;   // scene path -> map file
    for (const fs::path& file : maps)
    {
        try
        {
            const LevelGen::LevelMap map = LevelGen::LoadLevelMap(file.string());
            const LevelGen::Directive* scene = map.FindDirective("scene");
            const auto [first, added] = scenes.emplace(scene->argument, file.string());
            if (!added)
                throw LevelGen::LevelError(map.file, scene->pos, "scene " + scene->argument + " is also written by " + first->second);
            levels.push_back(LevelGen::BuildLevel(map));
        }
        catch (const LevelGen::LevelError& anError)
        {
            std::fprintf(stderr, "%s\n", anError.what());
            return 1;
        }
    }
    size_t objects = 0;
    for (const LevelGen::BuiltLevel& level : levels)
    {
        std::string writeError;
        if (!level.scene.Write(gameRoot, &writeError))
        {
            std::fprintf(stderr, "MakeLevels: %s: %s\n", level.scene.ScenePath().c_str(), writeError.c_str());
            return 1;
        }
        objects += level.scene.Objects().size();
    }
    std::string artError;
    if (!LevelGen::Art::WriteDecorations(gameRoot, &artError))
    {
        std::fprintf(stderr, "MakeLevels: %s\n", artError.c_str());
        return 1;
    }
    if (argc == 4)
        std::ofstream(argv[3]) << objects << "\n";
    std::printf("MakeLevels: %zu levels, %zu objects\n", levels.size(), objects);
    return 0;
}

#include "GameModelSet.h"

#include "ModelPaths.h"

#include <iostream>
#include <set>

namespace GameModels
{
    namespace
    {
        // The level-set digit that ends a per-level key ("closedModelLevel2" -> 2).
        int LevelSetOf(const std::string& aKey) { return aKey.back() - '0'; }

        bool KeyStartsWith(std::string_view aKey, std::string_view aPrefix) { return aKey.substr(0, aPrefix.size()) == aPrefix; }

        GameModel ModelForKey(const ModelKeyPath& anEntry)
        {
            const int set = LevelSetOf(anEntry.key);
            const std::string& key = anEntry.key;
            if (anEntry.definition == "KOB_LockedDoor")
                return MakeLockedDoor(set);
            if (anEntry.definition == "KOB_Button")
                return MakeDoorButton(set, KeyStartsWith(key, "pressed"));
            if (anEntry.definition == "KOB_BreakableWall")
                return MakeBreakableWall(set, KeyStartsWith(key, "broken"));
            if (anEntry.definition == "KOB_BreakableVase")
                return MakeVase(set, KeyStartsWith(key, "Broken"));
            return MakeCheckpoint(set, KeyStartsWith(key, "on"));
        }
    }

    std::vector<ModelFile> AllGameModels()
    {
        std::vector<ModelFile> files;
        for (int set = 1; set <= LEVEL_SET_COUNT; ++set)
            files.push_back({FloorTileModel(set), MakeFloorTile(set)});
        for (const ModelKeyPath& entry : LevelModelKeys())
            files.push_back({entry.path, ModelForKey(entry)});
        GameModel (*const decorations[])() = {MakeMushroomCluster, MakeTreeStump, MakeCrystalCluster};
        for (size_t i = 0; i < STATIC_DECORATION_MODELS.size(); ++i)
            files.push_back({std::string(STATIC_DECORATION_MODELS[i]), decorations[i]()});
        files.push_back({std::string(ANIMATED_DECORATION_MODELS[0]), MakeHangingCocoon()});
        return files;
    }

    int WriteGameModels(const std::filesystem::path& aGameAssetsRoot)
    {
        int failures = 0;
        auto report = [&failures](const std::filesystem::path& aPath) {
            std::cerr << "tool_MakeGameModels: cannot write " << aPath.string() << "\n";
            ++failures;
        };

        const std::filesystem::path atlas = aGameAssetsRoot / COLOR_ATLAS;
        if (!WriteColourAtlas(atlas))
            report(atlas);

        std::set<std::filesystem::path> textures;
        for (const ModelFile& file : AllGameModels())
        {
            const std::filesystem::path path = aGameAssetsRoot / file.path;
            if (!WriteFbxModel(file.model, path))
                report(path);
            textures.insert(path.parent_path() / MaterialTextureName(file.model));
        }
        for (const std::filesystem::path& texture : textures)
            if (!WriteColourAtlas(texture))
                report(texture);
        return failures;
    }
}

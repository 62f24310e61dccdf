#pragma once
// The game's generated models: what each one looks like, and the list of files the
// generator writes (paths as in ModelPaths.h).
#include "FbxModel.h"

#include <filesystem>
#include <string>
#include <vector>

namespace GameModels
{
    // aLevelSet is 1, 2 or 3 throughout.
    GameModel MakeFloorTile(int aLevelSet);
    // Open and closed doors share this shape: the world hands the open model in as the
    // closed one, so the two must look alike.
    GameModel MakeLockedDoor(int aLevelSet);
    GameModel MakeDoorButton(int aLevelSet, bool aPressed);
    GameModel MakeBreakableWall(int aLevelSet, bool aBroken);
    GameModel MakeVase(int aLevelSet, bool aBroken);
    // Drawn without lighting, so the light is baked into the vertex colours.
    GameModel MakeCheckpoint(int aLevelSet, bool aLit);

    GameModel MakeMushroomCluster();
    GameModel MakeTreeStump();
    GameModel MakeCrystalCluster();
    // Skinned to a chain of four joints, with a looping three-second sway.
    GameModel MakeHangingCocoon();

    struct ModelFile
    {
        std::string path;   // relative to the game assets root
        GameModel model;
    };

    // Every model file the game opens, in ModelPaths.h's names.
    std::vector<ModelFile> AllGameModels();

    // Writes the atlas, every model, and beside the models the atlas again under the
    // material's colour-texture name, so each model finds its colours by itself.
    // Returns the number of files that failed (0 on success); names them on stderr.
    int WriteGameModels(const std::filesystem::path& aGameAssetsRoot);
}

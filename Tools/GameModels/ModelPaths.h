#pragma once
// Where tool_MakeGameModels writes the game's models and colour atlas, relative to the
// game assets root, and which object-definition key each per-level model belongs to.
// The level objects' files are the ones ContentKit/ContentPaths.h names for the object
// definitions, so the two generators cannot drift apart; the decorations are listed here.
//
// Pivots (model units = world units = cm): floor tiles are 100 x 100 (x, y) centred on
// their origin; every other model stands on its origin (lowest point y = 0, x symmetric).
// Doors: 100 x 300; open and closed doors have the same shape and bounds. Buttons: 120
// across, 32 high (pressed 17). Breakable walls: 150 x 300. Vases: 114 x 140.
// Checkpoints (lantern posts): 68 x 462. The hanging cocoon hangs from its origin.
#include "ContentKit/ContentPaths.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace GameModels
{
    inline const std::string COLOR_ATLAS = ContentKit::Paths::ColorAtlas;

    // Floor tile of level set N (1..3).
    inline std::string FloorTileModel(int aLevelSet) { return ContentKit::Paths::FloorTileModel(aLevelSet); }

    struct ModelKeyPath
    {
        std::string definition;  // object definition name
        std::string key;         // "Model" property key
        std::string path;        // model file
    };

    // Every per-level "Model" key of the level objects, with its file.
    inline std::vector<ModelKeyPath> LevelModelKeys()
    {
        namespace P = ContentKit::Paths;
        struct Kind
        {
            const char* definition;
            const char* key;
            std::string (*path)(int);
        };
        const Kind kinds[] = {
            {"KOB_LockedDoor", "closedModelLevel", P::DoorClosedModel},
            {"KOB_LockedDoor", "openModelLevel", P::DoorOpenModel},
            {"KOB_Button", "unPressedModelLevel", P::ButtonUnpressedModel},
            {"KOB_Button", "pressedModelLevel", P::ButtonPressedModel},
            {"KOB_BreakableWall", "wholeModelLevel", P::WallWholeModel},
            {"KOB_BreakableWall", "brokenModelLevel", P::WallBrokenModel},
            {"KOB_BreakableVase", "WholeModelLevel", P::VaseWholeModel},
            {"KOB_BreakableVase", "BrokenModelLevel", P::VaseBrokenModel},
            {"KOB_Checkpoint", "offModelLevel", P::CheckpointOffModel},
            {"KOB_Checkpoint", "onModelLevel", P::CheckpointOnModel},
        };
        std::vector<ModelKeyPath> keys;
        for (const Kind& kind : kinds)
            for (int set = 1; set <= 3; ++set)
                keys.push_back({kind.definition, kind.key + std::to_string(set), kind.path(set)});
        return keys;
    }

    // The file of a per-level model key ("closedModelLevel1", ...); empty when unknown.
    inline std::string LevelModelPath(std::string_view aKey)
    {
        for (const ModelKeyPath& entry : LevelModelKeys())
            if (entry.key == aKey)
                return entry.path;
        return {};
    }

    // Scene decorations: static ones for a "model" key, skinned and looping ones (joints
    // and an animation stack in the file) for an "animodel" key.
    inline constexpr std::array<std::string_view, 3> STATIC_DECORATION_MODELS = {
        "models/environment assets/decorations/SM_MushroomCluster.fbx",
        "models/environment assets/decorations/SM_TreeStump.fbx",
        "models/environment assets/decorations/SM_CrystalCluster.fbx",
    };
    inline constexpr std::array<std::string_view, 1> ANIMATED_DECORATION_MODELS = {
        "models/environment assets/decorations/SK_HangingCocoon.fbx",
    };
}

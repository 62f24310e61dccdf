#pragma once
// Where tool_MakeGameModels writes the game's models and colour atlas, relative to the
// game assets root, and which object-definition key each per-level model belongs to.
// Header-only, so the content generator can point its definitions at the same files.
//
// Pivots (model units = world units = cm): floor tiles are 100 x 100 (x, y) centred on
// their origin; every other model stands on its origin (lowest point y = 0, x symmetric).
// Doors: 100 x 300; open and closed doors have the same shape and bounds. Buttons: 120
// across, 32 high (pressed 17). Breakable walls: 150 x 300. Vases: 114 x 140.
// Checkpoints (lantern posts): 68 x 462. The hanging cocoon hangs from its origin.
#include <array>
#include <string_view>

namespace GameModels
{
    inline constexpr std::string_view COLOR_ATLAS = "textures/asset textures/T_ColorAtlas01.dds";

    // Rule B of the floor tiles: index N - 1.
    inline constexpr std::array<std::string_view, 3> FLOOR_TILE_MODELS = {
        "models/environment assets/platform/SM_FloorTile_Level_1.fbx",
        "models/environment assets/platform/SM_FloorTile_Level_2.fbx",
        "models/environment assets/platform/SM_FloorTile_Level_3.fbx",
    };

    struct ModelKeyPath
    {
        std::string_view definition;  // object definition name
        std::string_view key;         // "Model" property key
        std::string_view path;        // model file
    };

    // Every per-level "Model" key of the level objects.
    inline constexpr std::array<ModelKeyPath, 30> LEVEL_MODEL_KEYS = {{
        {"KOB_LockedDoor", "closedModelLevel1", "models/environment assets/props/SM_LockedDoor_Closed_Level_1.fbx"},
        {"KOB_LockedDoor", "closedModelLevel2", "models/environment assets/props/SM_LockedDoor_Closed_Level_2.fbx"},
        {"KOB_LockedDoor", "closedModelLevel3", "models/environment assets/props/SM_LockedDoor_Closed_Level_3.fbx"},
        {"KOB_LockedDoor", "openModelLevel1", "models/environment assets/props/SM_LockedDoor_Open_Level_1.fbx"},
        {"KOB_LockedDoor", "openModelLevel2", "models/environment assets/props/SM_LockedDoor_Open_Level_2.fbx"},
        {"KOB_LockedDoor", "openModelLevel3", "models/environment assets/props/SM_LockedDoor_Open_Level_3.fbx"},
        {"KOB_Button", "unPressedModelLevel1", "models/environment assets/props/SM_DoorButton_Unpressed_Level_1.fbx"},
        {"KOB_Button", "unPressedModelLevel2", "models/environment assets/props/SM_DoorButton_Unpressed_Level_2.fbx"},
        {"KOB_Button", "unPressedModelLevel3", "models/environment assets/props/SM_DoorButton_Unpressed_Level_3.fbx"},
        {"KOB_Button", "pressedModelLevel1", "models/environment assets/props/SM_DoorButton_Pressed_Level_1.fbx"},
        {"KOB_Button", "pressedModelLevel2", "models/environment assets/props/SM_DoorButton_Pressed_Level_2.fbx"},
        {"KOB_Button", "pressedModelLevel3", "models/environment assets/props/SM_DoorButton_Pressed_Level_3.fbx"},
        {"KOB_BreakableWall", "wholeModelLevel1", "models/environment assets/props/SM_BreakableWall_Whole_Level_1.fbx"},
        {"KOB_BreakableWall", "wholeModelLevel2", "models/environment assets/props/SM_BreakableWall_Whole_Level_2.fbx"},
        {"KOB_BreakableWall", "wholeModelLevel3", "models/environment assets/props/SM_BreakableWall_Whole_Level_3.fbx"},
        {"KOB_BreakableWall", "brokenModelLevel1", "models/environment assets/props/SM_BreakableWall_Broken_Level_1.fbx"},
        {"KOB_BreakableWall", "brokenModelLevel2", "models/environment assets/props/SM_BreakableWall_Broken_Level_2.fbx"},
        {"KOB_BreakableWall", "brokenModelLevel3", "models/environment assets/props/SM_BreakableWall_Broken_Level_3.fbx"},
        {"KOB_BreakableVase", "WholeModelLevel1", "models/environment assets/props/SM_Vase_Whole_Level_1.fbx"},
        {"KOB_BreakableVase", "WholeModelLevel2", "models/environment assets/props/SM_Vase_Whole_Level_2.fbx"},
        {"KOB_BreakableVase", "WholeModelLevel3", "models/environment assets/props/SM_Vase_Whole_Level_3.fbx"},
        {"KOB_BreakableVase", "BrokenModelLevel1", "models/environment assets/props/SM_Vase_Broken_Level_1.fbx"},
        {"KOB_BreakableVase", "BrokenModelLevel2", "models/environment assets/props/SM_Vase_Broken_Level_2.fbx"},
        {"KOB_BreakableVase", "BrokenModelLevel3", "models/environment assets/props/SM_Vase_Broken_Level_3.fbx"},
        {"KOB_Checkpoint", "offModelLevel1", "models/environment assets/props/SM_Checkpoint_Off_Level_1.fbx"},
        {"KOB_Checkpoint", "offModelLevel2", "models/environment assets/props/SM_Checkpoint_Off_Level_2.fbx"},
        {"KOB_Checkpoint", "offModelLevel3", "models/environment assets/props/SM_Checkpoint_Off_Level_3.fbx"},
        {"KOB_Checkpoint", "onModelLevel1", "models/environment assets/props/SM_Checkpoint_On_Level_1.fbx"},
        {"KOB_Checkpoint", "onModelLevel2", "models/environment assets/props/SM_Checkpoint_On_Level_2.fbx"},
        {"KOB_Checkpoint", "onModelLevel3", "models/environment assets/props/SM_Checkpoint_On_Level_3.fbx"},
    }};

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

    // The path of a per-level model key ("closedModelLevel1", ...); empty when unknown.
    constexpr std::string_view LevelModelPath(std::string_view aKey)
    {
        for (const ModelKeyPath& entry : LEVEL_MODEL_KEYS)
            if (entry.key == aKey)
                return entry.path;
        return {};
    }
}

#pragma once
// Every sprite-sheet controller scene of the game, loaded once at first use and kept by
// path text for the rest of the run. Controllers copy their states from here and share
// the sheets.
#include "AnimationControllerData.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

class AnimationLibrary
{
public:
    // The controller scenes LoadAll reads, in order.
    static constexpr const char* CONTROLLER_PATHS[] = {
        "animations\\controllers\\A_Hands_Idle.ksc",
        "animations\\controllers\\A_Hands_Dangling.ksc",
        "animations\\controllers\\A_Chasing_Hands.ksc",
        "animations\\controllers\\A_Passive_Enemy.ksc",
        "animations\\controllers\\A_Player.ksc",
        "animations\\controllers\\A_Upgrade.ksc",
        "animations\\controllers\\Level 1\\Grass\\A_Grass_1.ksc",
        "animations\\controllers\\Level 1\\Grass\\A_Grass_2.ksc",
        "animations\\controllers\\Level 1\\Grass\\A_Grass_3.ksc",
        "animations\\controllers\\Level 1\\Grass\\A_Grass_4.ksc",
        "animations\\controllers\\Level 2\\Grass\\A_Grass_1.ksc",
        "animations\\controllers\\Level 2\\Grass\\A_Grass_2.ksc",
        "animations\\controllers\\Level 2\\Grass\\A_Grass_3.ksc",
        "animations\\controllers\\Level 2\\Grass\\A_Grass_4.ksc",
        "animations\\controllers\\A_Particle_Test.ksc",
        "animations\\controllers\\A_Land_VFX.ksc",
        "animations\\controllers\\A_Dash_VFX.ksc",
        "animations\\controllers\\A_Damage_Dash_VFX.ksc",
    };

    // Cells of one sheet at most (a 64 x 64 grid); each controller copy keeps a table of them.
    static constexpr int32_t MAX_SHEET_CELLS = 4096;

    // The library, with every controller of CONTROLLER_PATHS loaded: those not loaded yet
    // are loaded now (all of them on the first call).
    static AnimationLibrary* GetInstance();
    // Start-up loads them one a frame: the next controller not loaded yet; false once all are.
    static bool LoadNextController();
    // Loads the controllers of CONTROLLER_PATHS not loaded yet, in order.
    void LoadAll();
    // Reads one controller scene through the scene loader. Missing or mistyped keys, a state
    // that both loops and waits, a grid without cells or above MAX_SHEET_CELLS, sheet ids
    // other than 0 to N - 1 and a state naming no sheet throw ContentError naming the
    // object's file, the object and the key.
    void LoadController(const std::string& aPath);

    // The entry of aPath, created empty when the library has none.
    AnimationControllerData& GetData(std::string_view aPath);
    // Null when aPath was never loaded.
    const AnimationControllerData* FindData(std::string_view aPath) const;
    std::size_t GetControllerCount() const { return myControllers.size(); }

    // Drops the entry of aPath. Controllers initialised from it must be gone (tests).
    void Unload(std::string_view aPath);

private:
    AnimationLibrary() = default;
    static AnimationLibrary& Library();

    std::size_t myLoadedCount = 0;

    std::map<std::string, AnimationControllerData, std::less<>> myControllers;
};

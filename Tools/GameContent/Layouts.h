#pragma once
// The sprite-sheet layouts: which texture, which grid and which cells each animation state
// uses. The art code draws into these cells and the controller scenes name them, so both
// read them from here.
#include <string>
#include <vector>

namespace GameContent
{
    struct StateLayout
    {
        const char* name;
        int start;
        int end;        // inclusive
        double fps;
        bool loop;
        bool transition;
    };

    struct SheetLayout
    {
        std::string texture;
        int columns;
        int rows;
        int cellSize;   // pixels; cells are square because every quad that shows them is
    };

    struct ControllerLayout
    {
        std::string path;                 // as the game names it
        SheetLayout sheet;                // every controller here uses one sheet (id 0)
        std::vector<StateLayout> states;  // ids are the positions in this list
        // Allowed transitions as (from, to) positions; empty with allToAll = every pair.
        std::vector<std::pair<int, int>> paths;
        bool allToAll = false;
    };

    namespace Sheets
    {
        // The hero and the loading-screen moth share one 8 x 8 sheet: the run cycle fills
        // cells 0-13 (the moth plays those 14 cells), feet touching down on cells 0 and 7.
        inline const SheetLayout Moth{"sprites/player character/S_mothboi.dds", 8, 8, 128};
        inline constexpr int RunStart = 0, RunEnd = 13;
        inline constexpr int IdleStart = 16, IdleEnd = 23;
        inline constexpr int JumpStartStart = 24, JumpStartEnd = 27;
        inline constexpr int JumpIdleStart = 28, JumpIdleEnd = 31;
        inline constexpr int JumpEndStart = 32, JumpEndEnd = 35;
        inline constexpr int DoubleJumpStart = 36, DoubleJumpEnd = 41;
        inline constexpr int DashStart = 42, DashEnd = 47;
        inline constexpr int UpgradeStart = 48, UpgradeEnd = 59;

        inline const SheetLayout HandsIdle{"sprites/enemies/S_Hands_Idle.dds", 4, 4, 256};
        inline const SheetLayout HandsDangling{"sprites/enemies/S_Hands_Dangling.dds", 4, 4, 256};
        inline const SheetLayout ChasingHands{"sprites/enemies/S_Chasing_Hands.dds", 4, 4, 256};
        inline const SheetLayout PassiveEnemy{"sprites/enemies/S_Passive_Enemy.dds", 4, 4, 256};
        // The upgrade character: hovering on cells 0-7, falling asleep on 8-15.
        inline const SheetLayout Upgrade{"sprites/NPC/S_Upgrade_NPC.dds", 4, 4, 256};
        inline constexpr int UpgradeIdleEnd = 7, UpgradeFallStart = 8, UpgradeFallEnd = 15;

        // aLevel 1 or 2, aKind 1..4.
        inline SheetLayout Grass(int aLevel, int aKind)
        {
            return {"sprites/environment/Level " + std::to_string(aLevel) + "/Grass/S_Grass_" + std::to_string(aKind) + ".dds",
                    4, 4, 128};
        }

        // Animated particles: square sheets on square grids, the last cell left empty so a
        // finished effect disappears. The paths are spelled as the player's emitters spell
        // them, so the particle group and the controller share one texture.
        inline const SheetLayout Landing{"sprites\\VFX\\S_VFX_Landing.dds", 4, 4, 128};
        inline const SheetLayout DashDust{"sprites\\VFX\\S_VFX_DashDust.dds", 4, 4, 128};
        inline const SheetLayout DamageDash{"sprites\\VFX\\S_VFX_Dash.dds", 4, 4, 128};
        inline const SheetLayout ParticleTest{"sprites/VFX/S_VFX_Particle_Test.dds", 4, 4, 64};
    }

    // The eighteen controllers in the order the game loads them.
    std::vector<ControllerLayout> ControllerLayouts();
}

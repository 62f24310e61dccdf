#pragma once
// Turns a parsed level map into the scene objects the game loads: merged floor boxes, the
// player, enemies, props, decorations and the level's background, each placed on its cell
// as Assets/Levels/README.md describes. Content errors throw LevelError naming the cell or
// the table line.
#include "LevelMap.h"

#include "ContentKit/SceneFiles.h"

#include <map>
#include <string>
#include <vector>

namespace LevelGen
{
    inline constexpr double CELL = 100.0;

    // One placed object, for checks and tests.
    struct Placement
    {
        std::string kind;         // legend kind ("floor", "enemy", "upgrade", ...)
        std::string definition;   // object definition written
        double x = 0.0, y = 0.0;  // world position
        double width = 0.0, height = 0.0;   // floor boxes, chase areas and exits
        int index = 0;            // door/button index, upgrade type, tutorial card
        SourcePos pos;            // map cell (or header line)
    };

    struct BuiltLevel
    {
        ContentKit::SceneFolder scene{""};
        std::vector<Placement> placements;

        // Objects written per definition name.
        std::map<std::string, int> CountByDefinition() const;
        int CountOfKind(const std::string& aKind) const;
        const Placement* FirstOfKind(const std::string& aKind) const;
    };

    BuiltLevel BuildLevel(const LevelMap& aLevel);

    // Cell geometry: column c spans x [c*100, c*100+100); the bottom map row spans y [0, 100).
    double CellLeft(int aColumn);
    double CellBottom(const LevelMap& aLevel, int aRow);
}

#pragma once
// The colour atlas every generated model samples: one row of solid cells per level set
// (the colours that set's models are built from) and one row of colours they share.
// Models pick a cell by pointing all the UVs of a face at the cell's centre.
#include "Geometry.h"

#include <array>
#include <cstdint>
#include <filesystem>

namespace GameModels
{
    // The colours of one level set, one atlas column each.
    enum class Role : int
    {
        StoneLight = 0,
        StoneDark,
        Wood,
        WoodDark,
        Metal,
        Accent,   // moss, ember, crystal
        Ground,   // what covers the top of the floor tiles
        Glow,     // a lit lantern, a pressed button
        Clay,
        ClayDark,
        Count,
    };

    // The shared row.
    enum class Shared : int
    {
        White = 0,
        Soot,
        GlassOff,
        Flame,
        MushroomCap,
        MushroomStem,
        Silk,
        SilkDark,
        Leaf,
        Count,
    };

    struct Rgb8
    {
        uint8_t r = 0;
        uint8_t g = 0;
        uint8_t b = 0;
    };

    // A palette cell: row and column in the atlas.
    struct Cell
    {
        int row = 0;
        int column = 0;
    };

    constexpr int LEVEL_SET_COUNT = 3;
    constexpr int ATLAS_COLUMNS = 16;
    constexpr int ATLAS_ROWS = 4;
    constexpr int ATLAS_CELL_PIXELS = 8;
    constexpr int SHARED_ROW = 3;

    // aLevelSet 1..3.
    Cell LevelCell(int aLevelSet, Role aRole);
    Cell SharedCell(Shared aColour);

    // The cell's colour as stored in the atlas (sRGB bytes).
    Rgb8 CellColour(const Cell& aCell);

    // The cell's centre in the engine's texture space (v down from the top row).
    Vec2 CellCentreUv(const Cell& aCell);

    // Writes the atlas as an sRGB RGBA8 DDS (unless the file already holds it); false when
    // the file cannot be written.
    bool WriteColourAtlas(const std::filesystem::path& aPath);
}

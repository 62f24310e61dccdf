#include "Palette.h"

#include "ContentKit/Canvas.h"
#include "ContentKit/ImageFiles.h"

#include <algorithm>

namespace GameModels
{
    namespace
    {
        constexpr Rgb8 Hex(uint32_t aColour)
        {
            return {uint8_t(aColour >> 16), uint8_t(aColour >> 8), uint8_t(aColour)};
        }

        // Columns in Role order. Set 1: a mossy dusk forest; set 2: an ember-lit cavern;
        // set 3: cold ruins with crystals.
        constexpr std::array<std::array<Rgb8, int(Role::Count)>, LEVEL_SET_COUNT> LEVEL_COLOURS = {{
            {Hex(0x9A9C8A), Hex(0x5E6152), Hex(0x8E5E36), Hex(0x5B3A22), Hex(0x7C8288), Hex(0x6E9E3A), Hex(0x86B24A),
             Hex(0xFFD36E), Hex(0xB8693E), Hex(0x7A3F25)},
            {Hex(0xA27A66), Hex(0x6B4438), Hex(0x7E4B2E), Hex(0x4C2B1C), Hex(0xB08A4E), Hex(0xE0662C), Hex(0xB98B5C),
             Hex(0xFF9E40), Hex(0xC9874E), Hex(0x8A4A2A)},
            {Hex(0x9298B8), Hex(0x525675), Hex(0x6E6178), Hex(0x40364A), Hex(0xA8B2C6), Hex(0x6CCDE8), Hex(0xC0C8E8),
             Hex(0x8CEBFF), Hex(0x8C7FB0), Hex(0x56497A)},
        }};

        constexpr std::array<Rgb8, int(Shared::Count)> SHARED_COLOURS = {
            Hex(0xF2EEE4), Hex(0x1E1A1C), Hex(0x3A3C46), Hex(0xFFE08A), Hex(0xC4483A),
            Hex(0xE6DCC2), Hex(0xDCD4C2), Hex(0xA89E8A), Hex(0x4E7A34)};

        // Unused cells: mid grey, so a stray UV shows as a dull patch rather than black.
        constexpr Rgb8 UNUSED = Hex(0x808080);
    }

    Cell LevelCell(int aLevelSet, Role aRole)
    {
        return {std::clamp(aLevelSet, 1, LEVEL_SET_COUNT) - 1, int(aRole)};
    }

    Cell SharedCell(Shared aColour) { return {SHARED_ROW, int(aColour)}; }

    Rgb8 CellColour(const Cell& aCell)
    {
        if (aCell.row >= 0 && aCell.row < LEVEL_SET_COUNT && aCell.column >= 0 && aCell.column < int(Role::Count))
            return LEVEL_COLOURS[size_t(aCell.row)][size_t(aCell.column)];
        if (aCell.row == SHARED_ROW && aCell.column >= 0 && aCell.column < int(Shared::Count))
            return SHARED_COLOURS[size_t(aCell.column)];
        return UNUSED;
    }

    Vec2 CellCentreUv(const Cell& aCell)
    {
        return {(float(aCell.column) + 0.5f) / float(ATLAS_COLUMNS), (float(aCell.row) + 0.5f) / float(ATLAS_ROWS)};
    }

    bool WriteColourAtlas(const std::filesystem::path& aPath)
    {
        constexpr int width = ATLAS_COLUMNS * ATLAS_CELL_PIXELS, height = ATLAS_ROWS * ATLAS_CELL_PIXELS;
        ContentKit::Canvas atlas(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const Rgb8 c = CellColour({y / ATLAS_CELL_PIXELS, x / ATLAS_CELL_PIXELS});
                atlas.At(x, y) = {float(c.r) / 255.0f, float(c.g) / 255.0f, float(c.b) / 255.0f, 1.0f};
            }
        // Solid cells sampled at their centres: no mips, so no level blends neighbours.
        ContentKit::DdsOptions options;
        options.mips = false;
        options.bleedColor = false;
        return ContentKit::WriteDds(aPath, atlas, options);
    }
}

#pragma once
// The decoration sprites the levels place ("sprite" objects), drawn by tool_MakeLevels.
// Paths are relative to the game assets.
#include <filesystem>
#include <string>

namespace LevelGen::Art
{
    inline constexpr const char* Vines = "sprites/Decorations/S_Deco_Vines.dds";
    inline constexpr const char* Runestone = "sprites/Decorations/S_Deco_Runestone.dds";
    inline constexpr const char* BossShade = "sprites/Decorations/S_Deco_BossShade.dds";

    // Writes the three textures under aGameRoot; false with anError on failure.
    bool WriteDecorations(const std::filesystem::path& aGameRoot, std::string* anError);
}

#pragma once
// The game's levels in play order, and what each one needs: the page entry that starts it,
// the model set of its objects and its music. The game manager's chain, the level-select
// page, the level objects' factories and the music all read this one list.
#include <cstdint>
#include <iterator>
#include <string_view>

namespace Levels
{
    enum class Music
    {
        Level1Theme,
        Level2Theme,
        Level3Theme,
        // No theme: only the boss loop, silent until the player nears.
        BossLoopOnly,
    };

    struct Level
    {
        // The scene path, as the game manager holds it and the world loads it.
        const char* myPath;
        // The level-select entry that starts it; null when the page has none.
        const char* myMenuLabel;
        // The digit appended to per-level model keys; 0 takes each rule's fallback.
        int32_t myModelSet;
        Music myMusic;
    };

    inline constexpr Level All[] = {
        {"levels\\Level1.ksc", "1. Level 1", 1, Music::Level1Theme},
        {"levels\\Level2.ksc", "2. Level 2", 2, Music::Level2Theme},
        {"levels\\Level3.ksc", "3. Level 3", 3, Music::Level3Theme},
        // Finishing the last level starts the outro video.
        {"levels\\Level_Outro.ksc", nullptr, 0, Music::BossLoopOnly},
    };

    constexpr const Level& First() { return All[0]; }
    constexpr const Level& Outro() { return All[std::size(All) - 1]; }

    // The level of that path, compared whole and exactly; null for any other path.
    inline const Level* Find(std::string_view aPath)
    {
        for (const Level& level : All)
        {
            if (aPath == level.myPath)
                return &level;
        }
        return nullptr;
    }

    // The level that a level-select entry starts; null for any other entry.
    inline const Level* FindByMenuLabel(std::string_view aLabel)
    {
        for (const Level& level : All)
        {
            if (level.myMenuLabel != nullptr && aLabel == level.myMenuLabel)
                return &level;
        }
        return nullptr;
    }

    // The level played after aLevel (one of All); null after the last.
    inline const Level* Next(const Level& aLevel)
    {
        const Level* next = &aLevel + 1;
        return next != std::end(All) ? next : nullptr;
    }
}

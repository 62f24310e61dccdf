#pragma once
// The textures tool_MakeUiContent draws that other content (the levels) names: the
// interact prompts, the tutorial cards and the level backgrounds. Paths are relative to the
// game assets, spelled as scenes should write them.
#include "ContentKit/ContentPaths.h"

#include <array>
#include <string>

namespace UiPaths
{
    // Interact prompts (KOB_Interact_Text): square icons. Tutorial cards (KOB_Tutorial_Text),
    // 2:1: a card's Sprite names page 1 in slot 0 (colour) and page 2 in slot 1 (normal), once
    // for "keyboardsprite" and once for "controllersprite". The definitions name the same files.
    using ContentKit::Paths::InteractPromptController;
    using ContentKit::Paths::InteractPromptKeyboard;
    using ContentKit::Paths::TutorialCard;

    // One background per level (KOB_ParallaxBackground "sprite"): square and tiling both
    // ways, lit trunks over a darkness a layering shader treats as see-through, so it can
    // stack copies at several sizes.
    inline constexpr const char* ParallaxLevel1 = "sprites/Backgrounds/S_BG_Parallax_Level1.dds";
    inline constexpr const char* ParallaxLevel2 = "sprites/Backgrounds/S_BG_Parallax_Level2.dds";
    inline constexpr const char* ParallaxLevel3 = "sprites/Backgrounds/S_BG_Parallax_Level3.dds";
    inline constexpr const char* ParallaxOutro = "sprites/Backgrounds/S_BG_Parallax_Outro.dds";

    // Each level's background with fade colours in its palette ("fadeBackgroundColor",
    // "fadeForgroundColor", RGBA 0..1): a suggestion that keeps the lit models in the
    // background's mood.
    struct LevelBackground
    {
        const char* scene;
        const char* texture;
        std::array<double, 4> fadeBackground;
        std::array<double, 4> fadeForeground;
    };

    inline const std::array<LevelBackground, 4>& LevelBackgrounds()
    {
        static const std::array<LevelBackground, 4> backgrounds = {{
            {"levels\\Level1.ksc", ParallaxLevel1, {0.07, 0.08, 0.2, 1.0}, {0.62, 0.64, 0.9, 1.0}},
            {"levels\\Level2.ksc", ParallaxLevel2, {0.16, 0.07, 0.1, 1.0}, {0.92, 0.62, 0.5, 1.0}},
            {"levels\\Level3.ksc", ParallaxLevel3, {0.04, 0.12, 0.14, 1.0}, {0.5, 0.86, 0.82, 1.0}},
            {"levels\\Level_Outro.ksc", ParallaxOutro, {0.12, 0.04, 0.05, 1.0}, {1.0, 0.62, 0.32, 1.0}},
        }};
        return backgrounds;
    }
}

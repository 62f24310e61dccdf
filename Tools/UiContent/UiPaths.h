#pragma once
// The textures tool_MakeUiContent draws that other content (the levels) names: the
// interact prompts, the tutorial cards and the level backgrounds. Paths are relative to the
// game assets, spelled as scenes should write them.
#include <array>
#include <string>

namespace UiPaths
{
    // Interact prompts (KOB_Interact_Text): square icons, an "E" key cap and a "Y" pad button.
    inline constexpr const char* InteractPromptKeyboard = "sprites/UI/Prompts/S_UI_Prompt_Key_E.dds";
    inline constexpr const char* InteractPromptController = "sprites/UI/Prompts/S_UI_Prompt_Pad_Y.dds";

    // Tutorial cards (KOB_Tutorial_Text), 2:1: anUpgrade 1 double jump, 2 dash, 3 dash attack;
    // aPage 1 or 2. A card's Sprite names page 1 in slot 0 (colour) and page 2 in slot 1
    // (normal), once for "keyboardsprite" and once for "controllersprite".
    inline std::string TutorialCard(int anUpgrade, int aPage, bool aController)
    {
        static const char* const names[] = {"DoubleJump", "Dash", "DashAttack"};
        const int index = anUpgrade >= 1 && anUpgrade <= 3 ? anUpgrade - 1 : 0;
        return std::string("sprites/UI/Tutorial/S_UI_Card_") + names[index] + "_" + std::to_string(aPage == 2 ? 2 : 1) +
               (aController ? "_Controller.dds" : "_Keyboard.dds");
    }

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

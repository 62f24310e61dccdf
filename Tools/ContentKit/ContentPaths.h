#pragma once
// Paths that several content generators share: the textures the game-content generator
// draws (so levels and menus can point at them) and the model files the object definitions
// name (so the model generator writes exactly these). Paths are relative to the game assets.
#include <string>

namespace ContentKit::Paths
{
    // Object definitions live here.
    inline constexpr const char* ObjectDefinitions = "objectdefinitions";

    // Controller scenes, as the game names them (the library key is this exact text).
    inline constexpr const char* PlayerController = "animations\\controllers\\A_Player.ksc";
    inline constexpr const char* UpgradeController = "animations\\controllers\\A_Upgrade.ksc";
    // Grass controllers: aLevel 1 or 2, aKind 1..4.
    inline std::string GrassController(int aLevel, int aKind)
    {
        return "animations\\controllers\\Level " + std::to_string(aLevel) + "\\Grass\\A_Grass_" + std::to_string(aKind) + ".ksc";
    }

    // Textures drawn by tool_MakeGameContent.
    inline constexpr const char* LoadingBackground = "sprites/UI/Menu BG/S_UI_Loading_BG.dds";
    inline constexpr const char* MothSheet = "sprites/player character/S_mothboi.dds";
    inline constexpr const char* Darktangle = "sprites/particles/S_Darktangle.dds";
    inline constexpr const char* Dustcloud = "sprites/particles/S_Dustcloud.dds";
    inline constexpr const char* Ember = "sprites/particles/S_Ember.dds";
    inline constexpr const char* WallDebris = "sprites/particles/S_WallDebris.dds";
    inline constexpr const char* UpgradeNpcSheet = "sprites/NPC/S_Upgrade_NPC.dds";
    inline constexpr const char* ParallaxForest = "sprites/Backgrounds/S_BG_Forest.dds";
    // Drawn by tool_MakeUiContent: interact prompts (an "E" key cap, a "Y" pad button) and the
    // tutorial cards, anUpgrade 1 double jump, 2 dash, 3 dash attack; aPage 1 or 2.
    inline constexpr const char* InteractPromptKeyboard = "sprites/UI/Prompts/S_UI_Prompt_Key_E.dds";
    inline constexpr const char* InteractPromptController = "sprites/UI/Prompts/S_UI_Prompt_Pad_Y.dds";
    inline std::string TutorialCard(int anUpgrade, int aPage, bool aController)
    {
        static const char* const names[] = {"DoubleJump", "Dash", "DashAttack"};
        const int index = anUpgrade >= 1 && anUpgrade <= 3 ? anUpgrade - 1 : 0;
        return std::string("sprites/UI/Tutorial/S_UI_Card_") + names[index] + "_" + std::to_string(aPage == 2 ? 2 : 1) +
               (aController ? "_Controller.dds" : "_Keyboard.dds");
    }
    // Plain defaults for definition keys whose art a scene normally supplies.
    inline constexpr const char* DecalDefault = "sprites/Decals/S_Decal_Moth.dds";
    inline constexpr const char* TriggerOutline = "sprites/Debug/S_TriggerBox.dds";
    inline constexpr const char* ButtonDefault = "sprites/UI/Defaults/S_UI_Button.dds";
    inline constexpr const char* MenuBackgroundDefault = "sprites/UI/Defaults/S_UI_Background.dds";
    inline constexpr const char* SliderBarDefault = "sprites/UI/Defaults/S_UI_SliderBar.dds";
    inline constexpr const char* SliderHandleDefault = "sprites/UI/Defaults/S_UI_SliderHandle.dds";

    // Models the definitions name (rule A or B level N is appended by the caller: 1..3).
    inline std::string LevelModel(const char* aFolder, const char* aStem, int aLevel)
    {
        return std::string("models/environment assets/") + aFolder + "/" + aStem + "_Level_" + std::to_string(aLevel) + ".fbx";
    }
    inline std::string FloorTileModel(int aLevel) { return LevelModel("platform", "SM_FloorTile", aLevel); }
    inline std::string DoorClosedModel(int aLevel) { return LevelModel("door", "SM_Door_Closed", aLevel); }
    inline std::string DoorOpenModel(int aLevel) { return LevelModel("door", "SM_Door_Open", aLevel); }
    inline std::string ButtonUnpressedModel(int aLevel) { return LevelModel("button", "SM_Button_Unpressed", aLevel); }
    inline std::string ButtonPressedModel(int aLevel) { return LevelModel("button", "SM_Button_Pressed", aLevel); }
    inline std::string WallWholeModel(int aLevel) { return LevelModel("breakable wall", "SM_BreakableWall_Whole", aLevel); }
    inline std::string WallBrokenModel(int aLevel) { return LevelModel("breakable wall", "SM_BreakableWall_Broken", aLevel); }
    inline std::string VaseWholeModel(int aLevel) { return LevelModel("vase", "SM_Vase_Whole", aLevel); }
    inline std::string VaseBrokenModel(int aLevel) { return LevelModel("vase", "SM_Vase_Broken", aLevel); }
    inline std::string CheckpointOffModel(int aLevel) { return LevelModel("checkpoint", "SM_Checkpoint_Off", aLevel); }
    inline std::string CheckpointOnModel(int aLevel) { return LevelModel("checkpoint", "SM_Checkpoint_On", aLevel); }
    // A skinned, animated model for "animodel" decorations (looped from the first frame).
    inline constexpr const char* AnimatedModelDefault = "models/environment assets/decorations/SK_HangingCocoon.fbx";
    // The colour atlas every floor tile samples.
    inline constexpr const char* ColorAtlas = "textures/asset textures/T_ColorAtlas01.dds";
}

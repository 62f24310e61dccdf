#pragma once
// The five menu pages: where every button, picture and slider sits on the 1600 x 900
// reference screen (y up, positions are centres) and which texture it shows. The page
// writer and the art both read this, so a button's picture is drawn for its own label.
#include "UiContent.h"

#include "ContentKit/Geometry.h"

#include <string>
#include <vector>

namespace UiContent
{
    // Reference sizes of a button: the quad and, inside it, the plate the label sits on.
    // The label's baseline is the quad's centre line and its text starts at the centre, so
    // the plate rises higher above the centre than it reaches below (capitals stand about
    // 30 pixels tall, descenders drop 9). The quad leaves room around the plate for the dark
    // ground under the background's opening.
    namespace ButtonShape
    {
        inline constexpr float Height = 124.0f;
        inline constexpr float PlateTop = 44.0f;      // above the centre line
        inline constexpr float PlateBottom = 24.0f;   // below it
        inline constexpr float PlateLead = 30.0f;     // plate starts this far left of the centre
        inline constexpr float GemInset = 34.0f;      // the gem's centre, right of the quad's left end
        inline constexpr float TexelsPerPixel = 2.0f;
    }

    // Textures of the menus (the cursor's path is the one the game opens).
    namespace MenuPaths
    {
        inline constexpr const char* Cursor = "sprites\\UI\\Text\\S_UI_MenuCursor.dds";
        inline constexpr const char* MainBackground = "sprites/UI/Menu BG/S_UI_MainMenu_BG.dds";
        inline constexpr const char* MainBackgroundEnding = "sprites/UI/Menu BG/S_UI_MainMenu_BG_Dawn.dds";
        inline constexpr const char* Title = "sprites/UI/Menu/S_UI_Title.dds";
        inline constexpr const char* SliderBar = "sprites/UI/Menu/S_UI_SliderBar.dds";
        inline constexpr const char* SliderHandle = "sprites/UI/Menu/S_UI_SliderHandle.dds";
        inline constexpr const char* CreditsText = "sprites/UI/Menu/S_UI_Credits_Text.dds";
        // The other pages' backgrounds: "sprites/UI/Menu BG/S_UI_<aPageKey>_BG.dds".
        std::string Background(const std::string& aPageKey);
        // "sprites/UI/Menu/S_UI_Heading_<aKey>.dds"
        std::string Heading(const std::string& aKey);
        // "sprites/UI/Menu/Buttons/S_UI_Button_<aPageKey>_<anIndex>.dds", anIndex from 1.
        std::string Button(const std::string& aPageKey, int anIndex);
        // A small picture of a level's woods for the level select, aLevel 1..3.
        std::string LevelThumbnail(int aLevel);
    }

    struct ButtonPlace
    {
        std::string label;
        std::string texture;
        float x = 0.0f, y = 0.0f;
        float halfWidth = 0.0f;   // of the quad
        float plateRight = 0.0f;  // where the plate ends, right of the centre
    };

    // A background or decal: one picture, centred at (x, y), width x height reference pixels.
    struct PicturePlace
    {
        std::string definition;   // "KOB_Background" or "KOB_Decal"
        std::string name;
        std::string texture;
        std::string texture2;     // backgrounds: the art after the ending (slot 1)
        float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
    };

    struct SliderPlace
    {
        std::string name;
        int soundType = 0;
        float x = 0.0f, y = 0.0f;
        float scale = 1.0f;
    };

    struct PageLayout
    {
        std::string scene;   // as the game names it, "scenes\\mainmenu.ksc"
        std::string key;     // names its textures, "MainMenu"
        std::vector<ButtonPlace> buttons;
        std::vector<PicturePlace> pictures;
        std::vector<SliderPlace> sliders;
    };

    struct MenuPages
    {
        std::vector<PageLayout> pages;
        const PageLayout* Find(const std::string& aScene) const;
    };

    // Reference sizes of the page pictures (decals and headings).
    namespace PictureSize
    {
        inline constexpr float TitleWidth = 1000.0f, TitleHeight = 300.0f;
        inline constexpr float HeadingWidth = 800.0f, HeadingHeight = 150.0f;
        inline constexpr float ThumbnailWidth = 260.0f, ThumbnailHeight = 130.0f;
        inline constexpr float CreditsWidth = 900.0f, CreditsHeight = 560.0f;
        inline constexpr float BarWidth = 420.0f, BarHeight = 44.0f;
        inline constexpr float HandleSize = 56.0f;
    }

    // What of the screen a button needs clear of the background (its plate, thread and gem,
    // with a little margin), in reference pixels with y down (as pictures are drawn).
    Path ButtonOpening(const ButtonPlace& aButton);

    // The page layouts; button widths follow the labels as aLabelFont measures them.
    MenuPages BuildMenuPages(const Font& aLabelFont);
    // The scene folder of one page, with every per-instance value set.
    SceneFolder ToScene(const PageLayout& aPage);
    void WriteMenuPages(Output& anOutput, const MenuPages& somePages);
}

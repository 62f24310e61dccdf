#pragma once
// Where a menu page puts its buttons on the screen, and what they look like, read from the
// page's scene folder the way the game lays it out: positions in a 1600 x 900 frame with y
// up, scaled to the screen; a button's drawn size is its sprite's size times the scaled
// scale; the cursor sits 20 pixels left of the selected button, centred on its middle.
#include "EndToEnd/Screenshot.h"

#include <filesystem>
#include <string>
#include <vector>

namespace KilnE2E
{
    struct MenuButtonLayout
    {
        std::string label;
        // Screen pixels, top-left origin.
        Rect bounds;
        // The most common colour of the button picture's opaque pixels (sRGB, 0..255).
        Rgb colour;
    };

    class MenuPage
    {
    public:
        // aGameAssets: the game's asset root (bin/assets/game); aPage: "mainmenu", "pausemenu", ...
        // Empty (no buttons) when the folder cannot be read.
        static MenuPage Read(const std::filesystem::path& aGameAssets, const std::string& aPage, int aScreenWidth, int aScreenHeight);

        const std::vector<MenuButtonLayout>& GetButtons() const { return myButtons; }
        // The index of the button with aLabel, or -1.
        int Find(const std::string& aLabel) const;
        // Where the cursor is drawn when button anIndex is selected.
        Rect CursorArea(int anIndex) const;
        // The cursor picture's most common opaque colour.
        const Rgb& GetCursorColour() const { return myCursorColour; }
        const std::string& GetError() const { return myError; }

    private:
        std::vector<MenuButtonLayout> myButtons;
        int myCursorWidth = 0;
        int myCursorHeight = 0;
        Rgb myCursorColour;
        std::string myError;
    };

    // The most common colour (in steps of 16 per channel, then averaged within the step) of
    // a DDS picture's pixels whose alpha is above half; false when the file cannot be read as
    // 8-bit RGBA.
    bool DominantColour(const std::filesystem::path& aDdsFile, Rgb& anOut, int* aWidth = nullptr, int* aHeight = nullptr);
}

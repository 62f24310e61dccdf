#pragma once
// Where a menu page puts its buttons on the screen, read from the page's scene folder the
// way the game lays it out: positions in a 1600 x 900 frame with y up, scaled to the
// screen; a button's drawn size is its sprite's size times the scaled scale; the cursor
// is drawn at a fifth of its picture's size, centred 20 pixels left of the selected
// button's left edge at the button's middle height.
#include "EndToEnd/Picture.h"
#include "EndToEnd/Screenshot.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace KilnE2E
{
    struct MenuButtonLayout
    {
        std::string label;
        // Screen pixels, top-left origin.
        Rect bounds;
        std::shared_ptr<Picture> picture;
    };

    class MenuPage
    {
    public:
        // aGameAssets: the game's asset root (bin/assets/game); aPage: "mainmenu", "pausemenu", ...
        // GetError tells why when the page cannot be read.
        static MenuPage Read(const std::filesystem::path& aGameAssets, const std::string& aPage, int aScreenWidth, int aScreenHeight);

        const std::string& GetName() const { return myName; }
        const std::vector<MenuButtonLayout>& GetButtons() const { return myButtons; }
        // The index of the button labelled aLabel, or -1.
        int Find(const std::string& aLabel) const;
        // Where the cursor is drawn while button anIndex is selected.
        Rect CursorArea(int anIndex) const;
        const Picture& GetCursor() const { return myCursor; }
        const std::string& GetError() const { return myError; }

    private:
        std::string myName;
        std::vector<MenuButtonLayout> myButtons;
        Picture myCursor;
        std::string myError;
    };

    // How the page shows on a capture: for each button the share of its picture found in
    // place, and for each cursor place the share of the cursor picture found there.
    struct MenuMatch
    {
        std::vector<float> buttons;
        std::vector<float> cursor;
        std::string Describe(const MenuPage& aPage) const;
    };
    MenuMatch MatchMenu(const Screenshot& aShot, const MenuPage& aPage);

    // The page is on screen, its cursor on button aSelected and on no other: most of every
    // button picture is in place and the cursor picture only at the selected one.
    bool ShowsMenu(const Screenshot& aShot, const MenuPage& aPage, int aSelected);
}

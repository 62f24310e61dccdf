#pragma once
// Shared by the parts of the interface-content generator: the art store, the fonts and
// the pieces of drawing every screen uses. The palette, the pen and the file output are the
// game-content generator's, so menus, cards and backgrounds share the game's one mood (a
// dark forest at night: deep blues and violets, pale moth fluff, warm ember accents).
#include "GameContent/Drawing.h"
#include "GameContent/GameContent.h"

#include "ContentKit/Canvas.h"
#include "ContentKit/SceneFiles.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace UiContent
{
    using namespace ContentKit;
    using GameContent::Output;
    using GameContent::Pen;
    namespace Palette = GameContent::Palette;

    // The game's name, on the splash logo, the main page and the credits.
    inline constexpr const char* GameTitle = "KILN";
    inline constexpr const char* GameSubtitle = "a tale of moths and embers";

    // The logo the splash screen opens by name.
    inline constexpr const char* SplashLogoPath = "sprites/Splashscreen/S_UI_KILNlogo.dds";

    // Menu labels: the engine's UI face at 30 points on a 100 dpi grid.
    inline constexpr float LabelPixelSize = 30.0f * 100.0f / 72.0f;

    // Writes textures through the game-content output and keeps a copy of each when
    // previews are wanted (to composite the pages as the game draws them). Thread-safe.
    class Art
    {
    public:
        Art(Output& anOutput, bool aKeepCopies);

        void Texture(const std::string& aPath, const Canvas& aCanvas);
        // The canvas written under aPath (either separator), or null.
        const Canvas* Find(const std::string& aPath) const;
        Output& Out() { return myOutput; }
        const std::filesystem::path& Root() const { return myOutput.Root(); }

    private:
        Output& myOutput;
        bool myKeep;
        std::map<std::string, Canvas> myCopies;
        mutable std::mutex myMutex;
    };

    // A regular and a bold face. FreeType faces are not shared between threads: every
    // painter opens its own.
    struct Fonts
    {
        Font regular{DefaultFontPath(false)};
        Font bold{DefaultFontPath(true)};
    };

    // The width a menu label takes on screen: the engine widens every space by a quarter of
    // the "x" glyph's width.
    float LabelWidth(const Font& aFont, const std::string& aLabel);

    // Text centred on aCentreX with its baseline at aBaseline, over a soft dark shadow so it
    // reads on any ground; returns its width.
    float ShadowedText(Canvas& aCanvas, const Font& aFont, const std::string& aText, float aCentreX, float aBaseline, float aSize,
                       const Paint& aPaint, float aShadow = 0.8f);
    // Text centred on aCentreX, filled from aTop to aBottom (a gradient over the capitals),
    // with an ink rim of anOutline pixels and a soft glow of aGlowColor behind it.
    void GlowingText(Canvas& aCanvas, const Font& aFont, const std::string& aText, float aCentreX, float aBaseline, float aSize, Color aTop,
                     Color aBottom, float anOutline, Color aGlowColor, float aGlowRadius, float aGlowStrength = 0.8f);

    // A moth seen from above, head towards aHeading (radians, 0 = right), wings spread by
    // aSpread (0 folded back like an arrow head, 1 wide open). aSize is the wing span.
    void DrawMoth(Canvas& aCanvas, Vec2 aCentre, float aSize, float aHeading, float aSpread, Color aWing, Color aWingLight, Color aBody,
                  float anOutline);
    // A soft additive light.
    void Glow(Canvas& aCanvas, Vec2 aCentre, float aRadius, Color aColor, float aStrength);
    // Fireflies: glowing dots with a bright core, scattered by aSeed over the rectangle.
    void Fireflies(Canvas& aCanvas, float x, float y, float aWidth, float aHeight, int aCount, uint64_t aSeed, Color aColor, float aScale = 1.0f);

    // The parts of the generator.
    struct MenuPages;
    void WriteMenuArt(Art& anArt, const MenuPages& somePages);
    void WriteMenuBackgrounds(Art& anArt, const MenuPages& somePages);
    void WriteSplash(Art& anArt);
    void WritePrompts(Art& anArt);
    void WriteParallax(Art& anArt);
    // Composites of every page at 1600 x 900 and of each background under the layering shader.
    void WritePreviews(const Art& anArt, const MenuPages& somePages, const std::filesystem::path& aFolder);
}

#pragma once
// What the end-to-end run looks for on a capture of a level in play.
#include "EndToEnd/Picture.h"
#include "EndToEnd/Screenshot.h"

#include <string>

namespace KilnE2E
{
    // The game lights a level with one warm light centred on the hero, over art that is
    // otherwise cool (blue and violet): the warmth (red over blue) of the capture, weighed
    // by position, finds the hero on screen.
    struct HeroSighting
    {
        // Centre of the warmth, pixels.
        float x = 0.0f;
        float y = 0.0f;
        // Share of all warmth within 0.3 screen heights of that centre.
        float concentration = 0.0f;
        // Light, cool pixels (the moth's pale body) right around the light's centre.
        int bodyPixels = 0;

        std::string Describe() const;
    };
    HeroSighting FindHero(const Screenshot& aShot);

    // The hero is drawn within a tenth of the screen's width of its middle and somewhat
    // below its middle (the follow camera looks ahead and above), under its light.
    bool HeroNearCentre(const HeroSighting& aSighting, int aScreenWidth, int aScreenHeight);

    // A translucent veil (aVeil stretched over aPlace) lies over something that gives light:
    // the share of aRegion's pixels brighter than the veil over black would be, whether the
    // veil is blended in linear light or in sRGB.
    float ShareLitThroughVeil(const Screenshot& aShot, const Picture& aVeil, const Rect& aPlace, const Rect& aRegion);


    // How far the picture in aBand moved sideways from aBefore to anAfter, pixels (negative:
    // to the left), up to aLimit: the shift that best lines up the two captures' columns of
    // brightness. The scenery moves left on screen while the view follows a hero running right.
    int HorizontalShift(const Screenshot& aBefore, const Screenshot& anAfter, const Rect& aBand, int aLimit);
}

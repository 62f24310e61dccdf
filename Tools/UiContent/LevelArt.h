#pragma once
// The woods of each level: the tiling background layer the level draws behind everything,
// and, for the previews, the picture a layering shader makes of it.
#include "UiContent.h"

#include <string>

namespace UiContent
{
    struct LevelLook
    {
        std::string name;                  // shown on the level select
        Color deep, fog;                   // the dark between the trunks, top to bottom
        Color treeDark, tree, treeLight;   // the lit trunks, shadow to rim
        Color leaf, leafLight;             // foliage
        Color glow;                        // fireflies and embers
        uint64_t seed;
    };

    // aLevel 1..3, 4 = the outro.
    const LevelLook& LookOf(int aLevel);

    // The background texture: aSize x aSize, tiling both ways: the deep woods, columns of lit
    // trunks with branches and foliage over darkness. A layering shader stacks copies of it
    // at several sizes and treats the dark as see-through, so trunks of every copy show.
    Canvas ParallaxLayer(int aLevel, int aSize);
    // What a level's background looks like on a aWidth x aHeight screen under the layering
    // shader: the square layer drawn screen-wide from the bottom, seen three times (far,
    // middle, near) and scrolled by aScroll (a fraction of one repetition).
    Canvas LevelPicture(const Canvas& aLayer, int aWidth, int aHeight, float aScroll);
}

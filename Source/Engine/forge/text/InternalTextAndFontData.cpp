#include "forge/text/InternalTextAndFontData.h"

#include "forge/graphics/Texture.h"

namespace Kiln
{
    InternalTextAndFontData::InternalTextAndFontData() = default;
    InternalTextAndFontData::~InternalTextAndFontData() = default;
}

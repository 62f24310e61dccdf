#include "forge/text/InternalTextAndFontData.h"

namespace Kiln
{
    InternalTextAndFontData::InternalTextAndFontData() = default;
    InternalTextAndFontData::~InternalTextAndFontData() = default;
}

#pragma once
// A cached, named texture owned by the texture manager. Callers keep plain pointers; a
// reload replaces the view inside the same object, so those pointers stay valid.
#include "forge/graphics/Texture.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <string>

namespace Kiln
{
    // How a texture's sRGB-ness is taken: as stored in the file, forced on, or ignored.
    enum class TextureSrgbMode : uint32_t
    {
        AsStored = 0,
        ForceSrgb = 1,
        IgnoreSrgb = 2,
    };

    class TextureResource : public Texture
    {
    public:
        TextureSrgbMode myMode = TextureSrgbMode::AsStored;
        std::string myName = "undefined";   // the resolved file (the request path for placeholders)
        std::string myPath;                 // the request path as given (empty for placeholders)
        Vector2<float> mySize;              // pixel size divided by the render height
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
        bool myIsPlaceholder = false;
    };
}

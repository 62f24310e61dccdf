#pragma once
// What every instance of one sprite batch shares.
#include <array>

namespace Kiln
{
    class Texture;
    class SpriteShader;

    struct SpriteSharedData
    {
        // Colour, normal, material and effect textures; a null one is replaced by a default.
        std::array<Texture*, 4> myTextures{};
        // Null draws with the sprite drawer's default shader.
        SpriteShader* myCustomShader = nullptr;
    };
}

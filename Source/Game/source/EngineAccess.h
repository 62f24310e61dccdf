#pragma once
// The running engine's services as the game's objects reach them: null while no engine
// runs (tests build much of the game without one).

namespace Kiln
{
    class GraphicsEngine;
    class TextureResource;
}

Kiln::GraphicsEngine* GetGraphicsEngine();
// aPath through the texture manager as an sRGB colour texture.
Kiln::TextureResource* GetColourTexture(const char* aPath);

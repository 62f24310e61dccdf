#pragma once
// What a window creator does for a window that a swap chain will present to:
//   1. SDL's video subsystem is initialised (SDL_Init(SDL_INIT_VIDEO)).
//   2. Call Plat::Gpu::PrepareWindowCreation() right before SDL_CreateWindow: it sets
//      SDL's GL attributes (OpenGL 4.5 core, no debug context, double buffered, no
//      window depth buffer: depth lives in the layer's own textures).
//   3. Create the window with WindowCreationFlags() in its flags (SDL_WINDOW_OPENGL).
//   4. Destroy the window only after the device, context, swap chain and every object
//      created from them are released.
#include <cstdint>

namespace Plat::Gpu
{
    void PrepareWindowCreation();
    uint32_t WindowCreationFlags();
}

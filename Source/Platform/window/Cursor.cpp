#include "Platform/window/Cursor.h"

#include "Platform/window/impl/NativeWindow.h"

#include <SDL.h>

namespace Plat::Window
{
    int ShowCursor(bool aShow)
    {
        static int counter = 0;
        counter += aShow ? 1 : -1;
        if (impl::EnsureVideo())
            SDL_ShowCursor(counter >= 0 ? SDL_ENABLE : SDL_DISABLE);
        return counter;
    }
}

#include "Platform/window/Desktop.h"

#include "Platform/window/impl/NativeWindow.h"

#include <SDL.h>

namespace Plat::Window
{
    HWND GetDesktopWindow()
    {
        return &impl::DesktopWindow();
    }

    int GetSystemMetrics(int anIndex)
    {
        if ((anIndex != SM_CXSCREEN && anIndex != SM_CYSCREEN) || !impl::EnsureVideo())
            return 0;
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
            return 0;
        return anIndex == SM_CXSCREEN ? mode.w : mode.h;
    }
}

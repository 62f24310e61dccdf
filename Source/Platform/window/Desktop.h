#pragma once
// The desktop: a window handle whose rectangle is the primary display, and the screen
// size metrics.
#include "Platform/window/Messages.h"

namespace Plat::Window
{
    constexpr int SM_CXSCREEN = 0;
    constexpr int SM_CYSCREEN = 1;

    // A handle that GetWindowRect and GetClientRect accept; it cannot be destroyed or shown.
    HWND GetDesktopWindow();

    // SM_CXSCREEN / SM_CYSCREEN: the primary display's desktop mode in pixels. Any other
    // index, or no display, gives 0.
    int GetSystemMetrics(int anIndex);
}

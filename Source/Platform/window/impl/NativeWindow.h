#pragma once
// The record behind a window handle, and the layer-wide state the window files share.
#include "Platform/window/Messages.h"

#include <vector>

struct SDL_Window;

namespace Plat::Window
{
    struct NativeWindow
    {
        SDL_Window* sdl = nullptr;
        uint32_t sdlId = 0;
        WNDPROC procedure = nullptr;
        DWORD style = 0;
        DWORD exStyle = 0;
        LONG_PTR userData = 0;
        bool live = false;
        bool destroying = false;
        bool desktop = false;
        // The icon set on the SDL window: 8-bit RGBA, top row first.
        int iconWidth = 0;
        int iconHeight = 0;
        std::vector<uint8_t> iconRgba;
    };

    namespace impl
    {
        // Starts SDL's video and event subsystems once; false when SDL cannot start them.
        bool EnsureVideo();
        bool IsVideoStarted();
        // SDL's events may only be pumped on the thread that started video.
        bool IsVideoThread();
        DWORD TicksNow();

        NativeWindow& DesktopWindow();
        // Live windows in creation order.
        std::vector<HWND> LiveWindows();

        // Frame sizes (left, top, right, bottom) of a window, zero when none is known.
        Rect FrameOf(const NativeWindow& aWindow);

        // Message-queue internals used by the window and event files.
        void DropQueuedMessages(HWND aWindow);
        void PostRawInput(HWND aWindow, WPARAM aWParam, const RawMouse& aMouse);
        // Last known cursor position in screen coordinates.
        Point& CursorScreenPosition();
    }
}

#pragma once
// Top-level windows over SDL2: classes, creation, adoption by handle, geometry, the
// per-window user-data slot and destruction, shaped after the Win32 calls they stand in for.
//
// Sizes: as in Win32, a window's outer size is its client area plus its frame. The frame
// is what the window manager reports through SDL (none under the offscreen driver or a
// bare X server); popup windows have none. Every window is created with SDL_WINDOW_OPENGL
// so the gpu layer can render into it.
#include "Platform/window/Messages.h"

#include <string>
#include <vector>

struct SDL_Window;

namespace Plat::Window
{
    // Window styles (values as in Win32).
    constexpr DWORD WS_OVERLAPPED = 0x00000000;
    constexpr DWORD WS_POPUP = 0x80000000;
    constexpr DWORD WS_VISIBLE = 0x10000000;
    constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
    constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
    constexpr DWORD WS_CAPTION = 0x00C00000;
    constexpr DWORD WS_SYSMENU = 0x00080000;
    constexpr DWORD WS_THICKFRAME = 0x00040000;
    constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
    constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
    constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
    constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

    // Class styles.
    constexpr UINT CS_VREDRAW = 0x0001;
    constexpr UINT CS_HREDRAW = 0x0002;

    // ShowWindow commands.
    constexpr int SW_HIDE = 0;
    constexpr int SW_SHOWNORMAL = 1;
    constexpr int SW_SHOWMINIMIZED = 2;
    constexpr int SW_MAXIMIZE = 3;
    constexpr int SW_SHOW = 5;
    constexpr int SW_MINIMIZE = 6;
    constexpr int SW_RESTORE = 9;
    constexpr int SW_SHOWDEFAULT = 10;

    // SetWindowPos flags.
    constexpr UINT SWP_NOSIZE = 0x0001;
    constexpr UINT SWP_NOMOVE = 0x0002;
    constexpr UINT SWP_NOZORDER = 0x0004;
    constexpr UINT SWP_NOACTIVATE = 0x0010;
    constexpr UINT SWP_NOOWNERZORDER = 0x0200;

    // System cursors a class can name.
    enum class SystemCursor
    {
        None,
        Arrow,   // IDC_ARROW
    };

    // A window class. The icon is a resource number of the executable: resource N is the
    // picture "resources/N.bmp" in the executable's folder (drawn at build time). Without
    // that file the window keeps SDL's default icon.
    struct WindowClass
    {
        UINT size = sizeof(WindowClass);
        UINT style = 0;
        WNDPROC procedure = nullptr;
        int classExtraBytes = 0;
        int windowExtraBytes = 0;
        HINSTANCE instance = nullptr;
        int iconResource = 0;
        int smallIconResource = 0;
        SystemCursor cursor = SystemCursor::None;
        intptr_t backgroundBrush = 0;
        std::wstring menuName;
        std::wstring className;
    };

    // The executable's module token (never null).
    HINSTANCE GetModuleHandle();

    // Registers a class by name. False when the name is empty or already registered
    // (the first registration stays), as Win32 refuses a duplicate.
    bool RegisterClass(const WindowClass& aClass);
    bool UnregisterClass(const std::wstring& aClassName);

    // Creates a top-level window of a registered class. aWidth and aHeight are the outer
    // size; the client area is that minus the frame. WS_POPUP gives a borderless window,
    // WS_THICKFRAME a resizable one, WS_VISIBLE shows it at once. The class procedure
    // receives WM_CREATE before this returns. Null when the class is unknown or SDL
    // cannot make the window.
    HWND CreateWindow(DWORD anExStyle, const std::wstring& aClassName, const std::wstring& aTitle, DWORD aStyle,
                      int aX, int aY, int aWidth, int aHeight, HINSTANCE anInstance);

    // Hides the window, sends WM_DESTROY to its procedure and drops its queued messages;
    // the handle is invalid afterwards. The hidden SDL window is kept until the process
    // ends, so a GL context made for it can still be torn down safely later.
    bool DestroyWindow(HWND aWindow);

    // True for a live window (not destroyed); the desktop window counts as live.
    bool IsWindow(HWND aWindow);

    bool ShowWindow(HWND aWindow, int aCommand);

    // Moves and/or sizes the window; the size is the outer size, as in Win32.
    bool SetWindowPos(HWND aWindow, int aX, int aY, int aWidth, int aHeight, UINT aFlags);

    // Client rectangle: (0, 0, client width, client height).
    bool GetClientRect(HWND aWindow, Rect& aRect);
    // Outer rectangle in screen coordinates. For the desktop window: the primary display.
    bool GetWindowRect(HWND aWindow, Rect& aRect);
    // Grows a client rectangle to the outer rectangle a window of this style would have.
    bool AdjustWindowRect(Rect& aRect, DWORD aStyle, DWORD anExStyle);

    // The per-window slot that Win32 calls GWLP_USERDATA. Set returns the previous value.
    LONG_PTR SetWindowUserData(HWND aWindow, LONG_PTR aValue);
    LONG_PTR GetWindowUserData(HWND aWindow);

    // Full screen at the desktop's resolution, or back to the windowed size.
    bool SetFullscreen(HWND aWindow, bool aFullscreen);
    bool IsFullscreen(HWND aWindow);
    bool IsMaximized(HWND aWindow);

    std::wstring GetWindowTitle(HWND aWindow);
    // The style and extended style the window was created with (0 for a dead handle).
    DWORD GetWindowStyle(HWND aWindow);
    DWORD GetWindowExStyle(HWND aWindow);

    // The icon a window was given, as 8-bit RGBA rows, top row first; empty when it has
    // none of ours.
    struct IconPicture
    {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
    };
    IconPicture GetWindowIcon(HWND aWindow);

    // The SDL window behind a handle (for the gpu layer); null for dead or desktop handles.
    SDL_Window* GetSdlWindow(HWND aWindow);
    // The handle of an SDL window id; null when no live window has it.
    HWND FindWindowBySdlId(uint32_t anId);
}

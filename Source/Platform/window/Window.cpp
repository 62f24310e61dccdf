#include "Platform/window/Window.h"

#include "Platform/gpu/WindowSetup.h"
#include "Platform/runtime/Paths.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/impl/NativeWindow.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <map>
#include <memory>

namespace Plat::Window
{
    namespace
    {
        std::map<std::wstring, WindowClass>& Classes()
        {
            static std::map<std::wstring, WindowClass> classes;
            return classes;
        }

        // Every window record ever made. Records (and their SDL windows) are kept after
        // DestroyWindow so that stale handles are recognised as dead instead of dangling.
        std::vector<std::unique_ptr<NativeWindow>>& Records()
        {
            static std::vector<std::unique_ptr<NativeWindow>> records;
            return records;
        }

        // Gives the window its class's icon resource, the picture resources/<N>.bmp in the
        // executable's folder; a missing or unreadable picture leaves SDL's default icon.
        void SetIcon(NativeWindow& aWindow, int anIconResource)
        {
            if (anIconResource == 0)
                return;
            const std::filesystem::path file =
                Runtime::ExecutableDirectory() / "resources" / (std::to_string(anIconResource) + ".bmp");
            SDL_Surface* loaded = SDL_LoadBMP(file.string().c_str());
            if (loaded == nullptr)
                return;
            SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
            SDL_FreeSurface(loaded);
            if (rgba == nullptr)
                return;
            SDL_SetWindowIcon(aWindow.sdl, rgba);
            aWindow.iconWidth = rgba->w;
            aWindow.iconHeight = rgba->h;
            aWindow.iconRgba.resize(static_cast<size_t>(rgba->w) * static_cast<size_t>(rgba->h) * 4);
            for (int y = 0; y < rgba->h; ++y)
                std::memcpy(aWindow.iconRgba.data() + static_cast<size_t>(y) * static_cast<size_t>(rgba->w) * 4,
                            static_cast<const uint8_t*>(rgba->pixels) + static_cast<ptrdiff_t>(y) * rgba->pitch,
                            static_cast<size_t>(rgba->w) * 4);
            SDL_FreeSurface(rgba);
        }

        NativeWindow* Live(HWND aWindow)
        {
            if (aWindow == nullptr)
                return nullptr;
            if (aWindow == &impl::DesktopWindow())
                return aWindow;
            for (const auto& record : Records())
            {
                if (record.get() == aWindow)
                    return record->live ? aWindow : nullptr;
            }
            return nullptr;
        }

        Rect DisplayBounds()
        {
            SDL_Rect bounds{0, 0, 0, 0};
            if (impl::EnsureVideo())
                SDL_GetDisplayBounds(0, &bounds);
            return {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
        }
    }

    namespace impl
    {
        NativeWindow& DesktopWindow()
        {
            static NativeWindow desktop = [] {
                NativeWindow w;
                w.live = true;
                w.desktop = true;
                w.style = WS_POPUP | WS_VISIBLE;
                return w;
            }();
            return desktop;
        }

        std::vector<HWND> LiveWindows()
        {
            std::vector<HWND> out;
            for (const auto& record : Records())
            {
                if (record->live)
                    out.push_back(record.get());
            }
            return out;
        }

        Rect FrameOf(const NativeWindow& aWindow)
        {
            Rect frame;
            if (aWindow.sdl == nullptr || (aWindow.style & WS_POPUP) != 0)
                return frame;
            int top = 0, left = 0, bottom = 0, right = 0;
            if (SDL_GetWindowBordersSize(aWindow.sdl, &top, &left, &bottom, &right) == 0)
                frame = {left, top, right, bottom};
            return frame;
        }
    }

    HINSTANCE GetModuleHandle()
    {
        static const char module = 0;
        return &module;
    }

    bool RegisterClass(const WindowClass& aClass)
    {
        if (aClass.className.empty() || aClass.procedure == nullptr)
            return false;
        return Classes().emplace(aClass.className, aClass).second;
    }

    bool UnregisterClass(const std::wstring& aClassName)
    {
        return Classes().erase(aClassName) > 0;
    }

    HWND CreateWindow(DWORD anExStyle, const std::wstring& aClassName, const std::wstring& aTitle, DWORD aStyle,
                      int aX, int aY, int aWidth, int aHeight, HINSTANCE /*anInstance*/)
    {
        const auto found = Classes().find(aClassName);
        if (found == Classes().end() || !impl::EnsureVideo())
            return nullptr;

        Uint32 flags = SDL_WINDOW_OPENGL | Gpu::WindowCreationFlags();
        if ((aStyle & WS_POPUP) != 0)
            flags |= SDL_WINDOW_BORDERLESS;
        if ((aStyle & WS_THICKFRAME) != 0)
            flags |= SDL_WINDOW_RESIZABLE;
        if ((aStyle & WS_VISIBLE) == 0)
            flags |= SDL_WINDOW_HIDDEN;

        const std::string title = Runtime::ToNarrow(aTitle);
        Gpu::PrepareWindowCreation();
        SDL_Window* sdl = SDL_CreateWindow(title.c_str(), aX, aY, std::max(1, aWidth), std::max(1, aHeight), flags);
        if (sdl == nullptr)
        {
            std::fprintf(stderr, "Window: SDL_CreateWindow failed: %s\n", SDL_GetError());
            return nullptr;
        }

        auto record = std::make_unique<NativeWindow>();
        record->sdl = sdl;
        record->sdlId = SDL_GetWindowID(sdl);
        record->procedure = found->second.procedure;
        record->style = aStyle;
        record->exStyle = anExStyle;
        record->live = true;
        SetIcon(*record, found->second.iconResource);
        HWND handle = record.get();
        Records().push_back(std::move(record));

        // The size asked for is the outer size: take the frame off the client area when
        // the window manager already reports one.
        const Rect frame = impl::FrameOf(*handle);
        const int frameW = frame.left + frame.right;
        const int frameH = frame.top + frame.bottom;
        if (frameW > 0 || frameH > 0)
            SDL_SetWindowSize(sdl, std::max(1, aWidth - frameW), std::max(1, aHeight - frameH));

        SendMessage(handle, WM_CREATE, 0, 0);
        return handle;
    }

    bool DestroyWindow(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop || window->destroying)
            return false;
        window->destroying = true;
        SDL_HideWindow(window->sdl);
        SendMessage(window, WM_DESTROY, 0, 0);
        window->live = false;
        window->destroying = false;
        impl::DropQueuedMessages(window);
        return true;
    }

    IconPicture GetWindowIcon(HWND aWindow)
    {
        IconPicture picture;
        if (const NativeWindow* window = Live(aWindow))
        {
            picture.width = window->iconWidth;
            picture.height = window->iconHeight;
            picture.rgba = window->iconRgba;
        }
        return picture;
    }

    bool IsWindow(HWND aWindow)
    {
        return Live(aWindow) != nullptr;
    }

    bool ShowWindow(HWND aWindow, int aCommand)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return false;
        const bool wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
        switch (aCommand)
        {
        case SW_HIDE:
            SDL_HideWindow(window->sdl);
            break;
        case SW_MAXIMIZE:
            SDL_ShowWindow(window->sdl);
            SDL_MaximizeWindow(window->sdl);
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            SDL_ShowWindow(window->sdl);
            SDL_MinimizeWindow(window->sdl);
            break;
        case SW_RESTORE:
            SDL_ShowWindow(window->sdl);
            SDL_RestoreWindow(window->sdl);
            break;
        default:
            SDL_ShowWindow(window->sdl);
            break;
        }
        return wasVisible;
    }

    bool SetWindowPos(HWND aWindow, int aX, int aY, int aWidth, int aHeight, UINT aFlags)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return false;
        const Rect frame = impl::FrameOf(*window);
        if ((aFlags & SWP_NOSIZE) == 0)
        {
            const int clientW = std::max(1, aWidth - frame.left - frame.right);
            const int clientH = std::max(1, aHeight - frame.top - frame.bottom);
            SDL_SetWindowSize(window->sdl, clientW, clientH);
        }
        if ((aFlags & SWP_NOMOVE) == 0)
            SDL_SetWindowPosition(window->sdl, aX + frame.left, aY + frame.top);
        return true;
    }

    bool GetClientRect(HWND aWindow, Rect& aRect)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr)
            return false;
        if (window->desktop)
        {
            const Rect bounds = DisplayBounds();
            aRect = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
            return true;
        }
        int w = 0, h = 0;
        SDL_GetWindowSize(window->sdl, &w, &h);
        aRect = {0, 0, w, h};
        return true;
    }

    bool GetWindowRect(HWND aWindow, Rect& aRect)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr)
            return false;
        if (window->desktop)
        {
            aRect = DisplayBounds();
            return true;
        }
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(window->sdl, &x, &y);
        SDL_GetWindowSize(window->sdl, &w, &h);
        const Rect frame = impl::FrameOf(*window);
        aRect = {x - frame.left, y - frame.top, x + w + frame.right, y + h + frame.bottom};
        return true;
    }

    bool AdjustWindowRect(Rect& aRect, DWORD aStyle, DWORD /*anExStyle*/)
    {
        if ((aStyle & WS_POPUP) != 0)
            return true;
        // A frame is only known once the window manager has framed a window; use the
        // frame of a live framed window, or none.
        for (HWND window : impl::LiveWindows())
        {
            const Rect frame = impl::FrameOf(*window);
            if (frame.left + frame.top + frame.right + frame.bottom > 0)
            {
                aRect.left -= frame.left;
                aRect.top -= frame.top;
                aRect.right += frame.right;
                aRect.bottom += frame.bottom;
                break;
            }
        }
        return true;
    }

    LONG_PTR SetWindowUserData(HWND aWindow, LONG_PTR aValue)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return 0;
        const LONG_PTR previous = window->userData;
        window->userData = aValue;
        return previous;
    }

    LONG_PTR GetWindowUserData(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        return window != nullptr ? window->userData : 0;
    }

    bool SetFullscreen(HWND aWindow, bool aFullscreen)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return false;
        return SDL_SetWindowFullscreen(window->sdl, aFullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
    }

    bool IsFullscreen(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return false;
        return (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
    }

    bool IsMaximized(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return false;
        return (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MAXIMIZED) != 0;
    }

    std::wstring GetWindowTitle(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        if (window == nullptr || window->desktop)
            return {};
        return Runtime::ToWide(SDL_GetWindowTitle(window->sdl));
    }

    DWORD GetWindowStyle(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        return window != nullptr ? window->style : 0;
    }

    DWORD GetWindowExStyle(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        return window != nullptr ? window->exStyle : 0;
    }

    SDL_Window* GetSdlWindow(HWND aWindow)
    {
        NativeWindow* window = Live(aWindow);
        return window != nullptr ? window->sdl : nullptr;
    }

    HWND FindWindowBySdlId(uint32_t anId)
    {
        for (const auto& record : Records())
        {
            if (record->live && record->sdlId == anId)
                return record.get();
        }
        return nullptr;
    }
}

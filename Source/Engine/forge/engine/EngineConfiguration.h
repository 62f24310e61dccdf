#pragma once
// The start-up record of the engine: filled from the settings file, edited by the program
// entry, copied into the engine when it starts.
#include "forge/engine/DebugFeature.h"
#include "forge/math/Color.h"
#include "forge/math/Vector.h"

#include "Platform/window/Messages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Kiln
{
    using HWND = Plat::Window::HWND;
    using HINSTANCE = Plat::Window::HINSTANCE;

    // Called first for every window message; a non-zero result sends the message straight
    // to the default window procedure.
    using WindowMessageHook =
        std::function<Plat::Window::LRESULT(HWND, Plat::Window::UINT, Plat::Window::WPARAM, Plat::Window::LPARAM)>;

    // Nothing calls these; they are kept in the engine's callback lists.
    using EngineCallback = std::function<void()>;

    struct EngineConfiguration
    {
        WindowMessageHook myWinProcCallback;
        EngineCallback myCallback1;
        EngineCallback myCallback2;
        // Requested client-area size; after a resize the engine's copy holds the outer size.
        Vector2<uint32_t> myWindowSize{1280, 720};
        // Where a created window's top-left corner goes, in screen coordinates: the origin of
        // the display it is sized for, which need not be at (0, 0).
        Vector2<int32_t> myWindowPosition{0, 0};
        // The size the game lays out against; the back-buffer size after every resize.
        Vector2<uint32_t> myRenderSize{1280, 720};
        uint32_t myDebugFeatures = DebugFeature::Fps | DebugFeature::Mem;
        Color myClearColor{3.0f / 255.0f, 153.0f / 255.0f, 176.0f / 255.0f, 1.0f};
        // Null: the window creates its own and points this at its handle; otherwise the
        // window adopts the handle this points to.
        HWND* myHwnd = nullptr;
        HINSTANCE myHInstance = nullptr;
        std::wstring myApplicationName = L"Kiln";
        bool myEnableVSync = false;
        bool myStartInFullScreen = false;
        bool myStartMaximized = false;
        bool myBorderless = false;
        // 0 off, 1 low, 2 medium, 3 high; the swap chain is made without multisampling.
        uint32_t myMultisampling = 0;
        // Pictures the first frame shows (asset paths, asked for with sRGB forced, as sprites
        // are): read and made into textures on worker threads while the engine starts.
        std::vector<std::string> myFirstFrameTextures;
    };
}

#pragma once
// The engine's one top-level window: created (or adopted) at engine start, with a window
// procedure that lets the configuration's hook see every message first.
#include "forge/engine/EngineConfiguration.h"
#include "forge/math/Vector.h"

#include "Platform/window/Window.h"

namespace Kiln
{
    class WindowsWindow
    {
    public:
        WindowsWindow();
        // Releases the hook and detaches from the native window, which stays open.
        ~WindowsWindow();
        WindowsWindow(const WindowsWindow&) = delete;
        WindowsWindow& operator=(const WindowsWindow&) = delete;

        // anInstance receives the module handle; aHwndSlot, when it points at a handle,
        // names a window to adopt, and otherwise is pointed at this window's handle.
        // Always returns true: a window that could not be made shows up as a null handle
        // when the graphics start.
        bool Init(const EngineConfiguration& aConfiguration, HINSTANCE& anInstance, HWND*& aHwndSlot);

        // Destroys the native window.
        void Close();

        static Plat::Window::LRESULT WndProc(HWND aWindow, Plat::Window::UINT aMessage, Plat::Window::WPARAM aWParam,
                                             Plat::Window::LPARAM aLParam);

        HWND GetHandle() const { return myHandle; }
        Vector2<uint32_t> GetRequestedSize() const { return myRequestedSize; }
        // The outer size after the client-area fix-up.
        Vector2<uint32_t> GetWindowSize() const { return myWindowSize; }

    private:
        HWND myHandle = nullptr;
        Plat::Window::WindowClass myWindowClass;
        WindowMessageHook myWindowMessageHook;
        Vector2<uint32_t> myRequestedSize;
        Vector2<uint32_t> myWindowSize;
    };
}

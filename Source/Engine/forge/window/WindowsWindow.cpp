#include "forge/window/WindowsWindow.h"

#include "forge/engine/Engine.h"

#include "Platform/window/MessageQueue.h"

namespace Kiln
{
    namespace
    {
        namespace W = Plat::Window;

        constexpr int ApplicationIconResource = 101;
        constexpr intptr_t BackgroundBrush = 4 + 1;  // system colour 4, plus one, as a brush
        const wchar_t* const ClassName = L"WindowClass1";
    }

    WindowsWindow::WindowsWindow() = default;

    WindowsWindow::~WindowsWindow()
    {
        myWindowMessageHook = nullptr;
        // The native window outlives this object: make its procedure stop reaching it.
        if (myHandle != nullptr && W::GetWindowUserData(myHandle) == reinterpret_cast<W::LONG_PTR>(this))
            W::SetWindowUserData(myHandle, 0);
    }

    bool WindowsWindow::Init(const EngineConfiguration& aConfiguration, HINSTANCE& anInstance, HWND*& aHwndSlot)
    {
        myWindowMessageHook = aConfiguration.myWinProcCallback;

        anInstance = W::GetModuleHandle();

        myWindowClass = {};
        myWindowClass.size = sizeof(W::WindowClass);
        myWindowClass.style = W::CS_HREDRAW | W::CS_VREDRAW;
        myWindowClass.procedure = &WindowsWindow::WndProc;
        myWindowClass.classExtraBytes = 0;
        myWindowClass.windowExtraBytes = 0;
        myWindowClass.instance = anInstance;
        myWindowClass.iconResource = ApplicationIconResource;
        myWindowClass.smallIconResource = ApplicationIconResource;
        myWindowClass.cursor = W::SystemCursor::Arrow;
        myWindowClass.backgroundBrush = BackgroundBrush;
        myWindowClass.className = ClassName;
        W::RegisterClass(myWindowClass);

        const bool popup = aConfiguration.myBorderless || aConfiguration.myStartInFullScreen;
        const W::DWORD style = popup ? (W::WS_POPUP | W::WS_VISIBLE | W::WS_CLIPSIBLINGS | W::WS_CLIPCHILDREN)
                                     : W::WS_OVERLAPPEDWINDOW;

        const Vector2<uint32_t> size = aConfiguration.myWindowSize;
        if (aHwndSlot != nullptr && *aHwndSlot != nullptr)
        {
            myHandle = *aHwndSlot;
        }
        else
        {
            const Vector2<int32_t> origin = aConfiguration.myWindowPosition;
            myHandle = W::CreateWindow(W::WS_EX_APPWINDOW, ClassName, aConfiguration.myApplicationName, style, origin.x,
                                       origin.y, static_cast<int>(size.x), static_cast<int>(size.y), anInstance);
            const bool maximize = aConfiguration.myStartInFullScreen || aConfiguration.myStartMaximized;
            W::ShowWindow(myHandle, maximize ? W::SW_MAXIMIZE : W::SW_SHOWDEFAULT);
            aHwndSlot = &myHandle;
        }

        W::SetWindowUserData(myHandle, reinterpret_cast<W::LONG_PTR>(this));

        myRequestedSize = size;
        myWindowSize = size;
        if (aConfiguration.myBorderless)
            return true;

        // The configured size is the client area: grow the window by its frame. The frame
        // is measured on the window itself, so an adopted window of another size also ends
        // up with the configured client area.
        W::Rect client, outer;
        W::GetClientRect(myHandle, client);
        W::GetWindowRect(myHandle, outer);
        const int dw = (outer.right - outer.left) - (client.right - client.left);
        const int dh = (outer.bottom - outer.top) - (client.bottom - client.top);
        const int width = static_cast<int>(size.x) + dw;
        const int height = static_cast<int>(size.y) + dh;
        W::SetWindowPos(myHandle, 0, 0, width, height, W::SWP_NOZORDER | W::SWP_NOMOVE | W::SWP_NOOWNERZORDER);
        myWindowSize = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
        return true;
    }

    void WindowsWindow::Close()
    {
        W::DestroyWindow(myHandle);
    }

    W::LRESULT WindowsWindow::WndProc(HWND aWindow, W::UINT aMessage, W::WPARAM aWParam, W::LPARAM aLParam)
    {
        auto* window = reinterpret_cast<WindowsWindow*>(W::GetWindowUserData(aWindow));
        if (window != nullptr && window->myWindowMessageHook)
        {
            if (window->myWindowMessageHook(aWindow, aMessage, aWParam, aLParam) != 0)
                return W::DefWindowProc(aWindow, aMessage, aWParam, aLParam);
        }

        if (aMessage == W::WM_DESTROY)
        {
            W::PostQuitMessage(0);
            return 0;
        }
        if (aMessage == W::WM_SIZE)
        {
            if (Engine* engine = Engine::GetInstance())
                engine->SetResizePending();
        }
        return W::DefWindowProc(aWindow, aMessage, aWParam, aLParam);
    }
}

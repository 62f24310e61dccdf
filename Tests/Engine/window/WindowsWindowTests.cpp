#include "forge/engine/EngineConfiguration.h"
#include "forge/window/WindowsWindow.h"

#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <gtest/gtest.h>

#include <memory>

namespace W = Plat::Window;

namespace
{
    struct Made
    {
        std::unique_ptr<Kiln::WindowsWindow> window = std::make_unique<Kiln::WindowsWindow>();
        Kiln::EngineConfiguration config;
        ~Made()
        {
            if (W::IsWindow(window->GetHandle()))
                window->Close();
            window.reset();
            W::Message m;
            while (W::PeekMessage(m, nullptr, 0, 0, W::PM_REMOVE) && m.message != W::WM_QUIT)
            {
            }
        }
        bool Init() { return window->Init(config, config.myHInstance, config.myHwnd); }
    };

    bool QuitPosted()
    {
        W::Message m;
        while (W::PeekMessage(m, nullptr, 0, 0, W::PM_REMOVE))
            if (m.message == W::WM_QUIT)
                return true;
        return false;
    }
}

TEST(WindowsWindow, AWindowedWindowGetsAClientAreaOfTheConfiguredSize)
{
    Made made;
    made.config.myApplicationName = L"windowed";
    ASSERT_TRUE(made.Init());
    ASSERT_NE(made.config.myHwnd, nullptr);
    const W::HWND handle = *made.config.myHwnd;
    EXPECT_EQ(handle, made.window->GetHandle());
    EXPECT_NE(made.config.myHInstance, nullptr);
    EXPECT_EQ(W::GetWindowStyle(handle), W::WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(W::GetWindowExStyle(handle), W::WS_EX_APPWINDOW);
    EXPECT_EQ(W::GetWindowTitle(handle), L"windowed");

    W::Rect client, outer;
    W::GetClientRect(handle, client);
    W::GetWindowRect(handle, outer);
    EXPECT_EQ(client.right, 1280);
    EXPECT_EQ(client.bottom, 720);
    // The stored size is the outer one: the client area plus whatever frame there is.
    EXPECT_EQ(made.window->GetWindowSize(), Kiln::Vector2<uint32_t>(outer.right - outer.left, outer.bottom - outer.top));
    EXPECT_GE(made.window->GetWindowSize().x, 1280u);
    EXPECT_EQ(made.window->GetRequestedSize(), Kiln::Vector2<uint32_t>(1280, 720));
}

TEST(WindowsWindow, TheWindowShowsTheApplicationIcon)
{
    Made made;
    ASSERT_TRUE(made.Init());
    const W::IconPicture icon = W::GetWindowIcon(made.window->GetHandle());
    EXPECT_EQ(icon.width, 64);
    EXPECT_EQ(icon.height, 64);
    EXPECT_EQ(icon.rgba.size(), 64u * 64u * 4u);
}

TEST(WindowsWindow, BorderlessAndFullScreenWindowsArePopupsOnTheirDisplay)
{
    {
        // The game's window: as large as a display right of the origin, and on it.
        Made made;
        made.config.myBorderless = true;
        made.config.myWindowSize = {640, 360};
        made.config.myWindowPosition = {1920, 40};
        ASSERT_TRUE(made.Init());
        const W::HWND handle = made.window->GetHandle();
        EXPECT_EQ(W::GetWindowStyle(handle), W::WS_POPUP | W::WS_VISIBLE | W::WS_CLIPSIBLINGS | W::WS_CLIPCHILDREN);
        EXPECT_EQ(W::GetWindowStyle(handle), 0x96000000u);
        EXPECT_EQ(made.window->GetWindowSize(), Kiln::Vector2<uint32_t>(640, 360));
        W::Rect client, outer;
        W::GetClientRect(handle, client);
        EXPECT_EQ(client.right, 640);
        EXPECT_EQ(client.bottom, 360);
        W::GetWindowRect(handle, outer);
        EXPECT_EQ(outer.left, 1920);
        EXPECT_EQ(outer.top, 40);
    }
    {
        Made made;
        made.config.myStartInFullScreen = true;
        made.config.myWindowSize = {500, 300};
        ASSERT_TRUE(made.Init());
        EXPECT_EQ(W::GetWindowStyle(made.window->GetHandle()), 0x96000000u);
        // Not borderless: the fix-up runs, and a popup has no frame to add.
        EXPECT_EQ(made.window->GetWindowSize(), Kiln::Vector2<uint32_t>(500, 300));
    }
}

TEST(WindowsWindow, AnAdoptedWindowIsUsedAsItIs)
{
    W::WindowClass windowClass;
    windowClass.procedure = &Kiln::WindowsWindow::WndProc;
    windowClass.className = L"WindowClass1";
    W::RegisterClass(windowClass);
    W::HWND existing = W::CreateWindow(0, L"WindowClass1", L"host", W::WS_POPUP, 0, 0, 200, 100, W::GetModuleHandle());
    ASSERT_NE(existing, nullptr);

    Made made;
    made.config.myHwnd = &existing;
    made.config.myWindowSize = {300, 150};
    ASSERT_TRUE(made.Init());
    EXPECT_EQ(made.window->GetHandle(), existing);
    EXPECT_EQ(made.config.myHwnd, &existing);
    EXPECT_EQ(W::GetWindowTitle(existing), L"host");
    EXPECT_EQ(W::GetWindowUserData(existing), reinterpret_cast<W::LONG_PTR>(made.window.get()));
    // Not borderless: the fix-up gives the client area the configured size.
    W::Rect client;
    W::GetClientRect(existing, client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 150);

    // Dropping the window object detaches it; the native window stays.
    made.window.reset();
    EXPECT_TRUE(W::IsWindow(existing));
    EXPECT_EQ(W::GetWindowUserData(existing), 0);
    W::DestroyWindow(existing);
    made.window = std::make_unique<Kiln::WindowsWindow>();
}

TEST(WindowsWindow, TheProcedurePostsQuitOnWmDestroyUnlessTheHookTakesIt)
{
    {
        Made made;
        made.config.myBorderless = true;
        ASSERT_TRUE(made.Init());
        QuitPosted();
        made.window->Close();
        EXPECT_TRUE(QuitPosted());
    }
    {
        Made made;
        made.config.myBorderless = true;
        int destroys = 0;
        made.config.myWinProcCallback = [&destroys](W::HWND, W::UINT aMessage, W::WPARAM, W::LPARAM) -> W::LRESULT {
            if (aMessage == W::WM_DESTROY)
                ++destroys;
            return aMessage == W::WM_DESTROY ? 1 : 0;
        };
        ASSERT_TRUE(made.Init());
        QuitPosted();
        made.window->Close();
        EXPECT_EQ(destroys, 1);
        EXPECT_FALSE(QuitPosted());
    }
}

TEST(WindowsWindow, WmSizeWithoutAnEngineOnlyGetsDefaultHandling)
{
    Made made;
    made.config.myBorderless = true;
    ASSERT_TRUE(made.Init());
    EXPECT_EQ(W::SendMessage(made.window->GetHandle(), W::WM_SIZE, W::SIZE_RESTORED, W::MAKELPARAM(10, 10)), 0);
    EXPECT_TRUE(W::IsWindow(made.window->GetHandle()));
}

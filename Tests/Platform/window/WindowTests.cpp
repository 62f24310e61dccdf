#include "Platform/window/Cursor.h"
#include "Platform/window/Desktop.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace Plat::Window;

namespace
{
    int& CreateCount()
    {
        static int count = 0;
        return count;
    }

    LRESULT CountingProcedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
    {
        if (aMessage == WM_CREATE)
            ++CreateCount();
        return DefWindowProc(aWindow, aMessage, aWParam, aLParam);
    }

    void RegisterTestClass()
    {
        WindowClass windowClass;
        windowClass.procedure = &CountingProcedure;
        windowClass.className = L"WindowTestClass";
        RegisterClass(windowClass);
    }
}

TEST(Window, ClassesRegisterOnceAndUnknownClassesMakeNoWindow)
{
    RegisterTestClass();
    WindowClass again;
    again.procedure = &CountingProcedure;
    again.className = L"WindowTestClass";
    EXPECT_FALSE(RegisterClass(again));
    WindowClass unnamed;
    unnamed.procedure = &CountingProcedure;
    EXPECT_FALSE(RegisterClass(unnamed));
    EXPECT_EQ(CreateWindow(0, L"NoSuchClass", L"x", WS_POPUP, 0, 0, 10, 10, GetModuleHandle()), nullptr);
    EXPECT_NE(GetModuleHandle(), nullptr);
}

TEST(Window, CreationSendsWmCreateAndKeepsStyleTitleAndSize)
{
    RegisterTestClass();
    CreateCount() = 0;
    HWND window = CreateWindow(WS_EX_APPWINDOW, L"WindowTestClass", L"Mot\u00E5 title", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                               GetModuleHandle());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CreateCount(), 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(GetWindowStyle(window), WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetWindowExStyle(window), WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindowTitle(window), L"Mot\u00E5 title");
    ASSERT_NE(GetSdlWindow(window), nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(GetSdlWindow(window)) & SDL_WINDOW_OPENGL);
    EXPECT_TRUE(SDL_GetWindowFlags(GetSdlWindow(window)) & SDL_WINDOW_RESIZABLE);
    EXPECT_EQ(FindWindowBySdlId(SDL_GetWindowID(GetSdlWindow(window))), window);

    // Client plus frame is the outer size (the frame is whatever the window manager adds).
    Rect client, outer;
    ASSERT_TRUE(GetClientRect(window, client));
    ASSERT_TRUE(GetWindowRect(window, outer));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_LE(client.right, 300);
    EXPECT_LE(client.bottom, 200);
    EXPECT_EQ(outer.right - outer.left, 300);
    EXPECT_EQ(outer.bottom - outer.top, 200);

    // SetWindowPos takes the outer size.
    ASSERT_TRUE(SetWindowPos(window, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(GetWindowRect(window, outer));
    EXPECT_EQ(outer.right - outer.left, 500);
    EXPECT_EQ(outer.bottom - outer.top, 400);

    Rect adjusted{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(adjusted, WS_POPUP, 0));
    EXPECT_EQ(adjusted.right, 640);
    EXPECT_EQ(adjusted.bottom, 480);

    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetSdlWindow(window), nullptr);
    EXPECT_FALSE(GetClientRect(window, client));
}

TEST(Window, PopupWindowsAreBorderlessWithClientEqualToOuterSize)
{
    RegisterTestClass();
    HWND window = CreateWindow(0, L"WindowTestClass", L"popup", WS_POPUP | WS_VISIBLE, 0, 0, 256, 128, GetModuleHandle());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(GetSdlWindow(window)) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(GetSdlWindow(window)) & SDL_WINDOW_SHOWN);
    Rect client, outer;
    GetClientRect(window, client);
    GetWindowRect(window, outer);
    EXPECT_EQ(client.right, 256);
    EXPECT_EQ(client.bottom, 128);
    EXPECT_EQ(outer.right - outer.left, 256);
    EXPECT_EQ(outer.bottom - outer.top, 128);
    DestroyWindow(window);
}

TEST(Window, UserDataSlotHoldsAValuePerWindow)
{
    RegisterTestClass();
    HWND a = CreateWindow(0, L"WindowTestClass", L"a", WS_POPUP, 0, 0, 8, 8, GetModuleHandle());
    HWND b = CreateWindow(0, L"WindowTestClass", L"b", WS_POPUP, 0, 0, 8, 8, GetModuleHandle());
    EXPECT_EQ(SetWindowUserData(a, 1234), 0);
    EXPECT_EQ(SetWindowUserData(a, 99), 1234);
    EXPECT_EQ(GetWindowUserData(a), 99);
    EXPECT_EQ(GetWindowUserData(b), 0);
    DestroyWindow(a);
    EXPECT_EQ(GetWindowUserData(a), 0);
    DestroyWindow(b);
}

TEST(Window, TheClassIconResourceIsThePictureBesideTheExecutable)
{
    WindowClass withIcon;
    withIcon.procedure = &CountingProcedure;
    withIcon.className = L"IconTestClass";
    withIcon.iconResource = 101;
    RegisterClass(withIcon);
    WindowClass missing = withIcon;
    missing.className = L"MissingIconTestClass";
    missing.iconResource = 999;
    RegisterClass(missing);

    HWND window = CreateWindow(0, L"IconTestClass", L"icon", WS_POPUP, 0, 0, 50, 50, GetModuleHandle());
    ASSERT_NE(window, nullptr);
    const IconPicture icon = GetWindowIcon(window);
    ASSERT_EQ(icon.width, 64);
    ASSERT_EQ(icon.height, 64);
    ASSERT_EQ(icon.rgba.size(), 64u * 64u * 4u);
    const auto at = [&](int x, int y) { return icon.rgba.data() + (static_cast<size_t>(y) * 64 + static_cast<size_t>(x)) * 4; };
    // The moth: clear corners, an opaque dark body down the middle, warm wings either side.
    EXPECT_EQ(at(0, 0)[3], 0);
    EXPECT_EQ(at(63, 63)[3], 0);
    EXPECT_EQ(at(32, 30)[3], 255);
    EXPECT_LT(at(32, 30)[0], 100);
    for (const int x : {8, 56})
    {
        const uint8_t* wing = at(x, 30);
        EXPECT_EQ(wing[3], 255) << x;
        EXPECT_GT(wing[0], wing[2] + 60) << x;
    }
    DestroyWindow(window);

    // No icon of ours without the picture, nor for a class without an icon.
    HWND plain = CreateWindow(0, L"MissingIconTestClass", L"no icon", WS_POPUP, 0, 0, 50, 50, GetModuleHandle());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(GetWindowIcon(plain).width, 0);
    EXPECT_TRUE(GetWindowIcon(plain).rgba.empty());
    DestroyWindow(plain);
    RegisterTestClass();
    HWND noIcon = CreateWindow(0, L"WindowTestClass", L"none", WS_POPUP, 0, 0, 50, 50, GetModuleHandle());
    EXPECT_TRUE(GetWindowIcon(noIcon).rgba.empty());
    DestroyWindow(noIcon);
}

TEST(Desktop, DesktopWindowIsThePrimaryDisplay)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_EQ(GetSystemMetrics(77), 0);

    Rect desktop;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), desktop));
    EXPECT_EQ(desktop.right - desktop.left, width);
    EXPECT_EQ(desktop.bottom - desktop.top, height);
    EXPECT_FALSE(DestroyWindow(GetDesktopWindow()));
    EXPECT_TRUE(IsWindow(GetDesktopWindow()));
}

TEST(Cursor, DisplayCounterGoesDownOnHideAndUpOnShow)
{
    const int start = ShowCursor(true) - 1;
    EXPECT_EQ(ShowCursor(false), start);
    EXPECT_EQ(ShowCursor(false), start - 1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), start - 1 >= 0 ? SDL_ENABLE : SDL_DISABLE);
    EXPECT_EQ(ShowCursor(true), start);
}

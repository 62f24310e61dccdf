#include "Go.h"

#include "forge/input/InputManager.h"

#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>

namespace W = Plat::Window;

namespace
{
    bool QuitPosted()
    {
        W::Message m;
        bool quit = false;
        while (W::PeekMessage(m, nullptr, 0, 0, W::PM_REMOVE))
            quit = quit || m.message == W::WM_QUIT;
        return quit;
    }
}

TEST(GoInputHook, MessagesReachTheInputManagerOnceItIsPublished)
{
    QuitPosted();
    Kiln::InputManager input(nullptr);
    ASSERT_EQ(gInputManager, nullptr);
    GoWindowMessageHook(nullptr, W::WM_KEYDOWN, 'W', 0);
    input.Update();
    EXPECT_FALSE(input.IsKeyPressed('W')) << "nothing is forwarded while no input manager is published";

    gInputManager = &input;
    EXPECT_EQ(GoWindowMessageHook(nullptr, W::WM_KEYDOWN, 'W', 0), 0);
    EXPECT_EQ(GoWindowMessageHook(nullptr, W::WM_MOUSEMOVE, 0, W::MAKELPARAM(12, 34)), 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyPressed('W'));
    EXPECT_EQ(input.GetMousePosition(), (Kiln::Vector2<float>{12.0f, 34.0f}));
    EXPECT_FALSE(QuitPosted());

    // WM_DESTROY is not an input message, so the hook still ends the loop.
    EXPECT_EQ(GoWindowMessageHook(nullptr, W::WM_DESTROY, 0, 0), 0);
    EXPECT_TRUE(QuitPosted());
    gInputManager = nullptr;
}

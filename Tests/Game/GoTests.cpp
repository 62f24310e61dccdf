#include "Go.h"
#include "Timer.h"

#include "forge/engine/Engine.h"

#include "Support/ScopedEngine.h"

#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace W = Plat::Window;

namespace
{
    bool TakeQuit()
    {
        W::Message m;
        while (W::PeekMessage(m, nullptr, 0, 0, W::PM_REMOVE))
        {
            if (m.message == W::WM_QUIT)
                return true;
        }
        return false;
    }
}

TEST(GoWindowMessageHook, PostsQuitOnWmDestroyOnlyAndAlwaysReturnsZero)
{
    TakeQuit();
    EXPECT_EQ(GoWindowMessageHook(nullptr, W::WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(GoWindowMessageHook(nullptr, W::WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(TakeQuit());
    EXPECT_EQ(GoWindowMessageHook(nullptr, W::WM_DESTROY, 0, 0), 0);
    EXPECT_TRUE(TakeQuit());
}

TEST(GoWindowMessageHook, ClosingTheWindowEndsTheEngineLoop)
{
    KilnTest::ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) {
        aConfig.myWinProcCallback = [](Kiln::HWND aWindow, W::UINT aMessage, W::WPARAM aWParam, W::LPARAM aLParam) {
            return GoWindowMessageHook(aWindow, aMessage, aWParam, aLParam);
        };
    });
    ASSERT_TRUE(engine.Started());
    int frames = 0;
    while (engine->BeginFrame())
    {
        engine->EndFrame();
        if (++frames == 3)
            W::PostMessage(engine.Window(), W::WM_CLOSE, 0, 0);
        ASSERT_LT(frames, 100);
    }
    EXPECT_EQ(frames, 3);
    EXPECT_FALSE(W::IsWindow(engine.Window()));
    EXPECT_FALSE(engine->BeginFrame());
}

TEST(Timer, DeltaIsZeroBeforeTheFirstUpdateThenTheLastFramesLength)
{
    Timer timer;
    EXPECT_EQ(timer.GetDeltaTime(), 0.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    timer.Update();
    EXPECT_GE(timer.GetDeltaTime(), 0.019f);
    EXPECT_LT(timer.GetDeltaTime(), 1.0f);
    timer.Update();
    EXPECT_LT(timer.GetDeltaTime(), 0.019f);
}

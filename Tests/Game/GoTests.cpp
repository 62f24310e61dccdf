#include "Go.h"
#include "Timer.h"

#include "forge/engine/Engine.h"

#include "Support/ScopedEngine.h"

#include "Platform/runtime/Assert.h"
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
            if (m.message == W::WM_QUIT)
                return true;
        return false;
    }
}

TEST(Go, TheWindowIsBorderlessAndTheDesktopsSizeWhereverTheDesktopLiesWithOnlyTheFileWatcherAndAHookThatQuitsOnWmDestroy)
{
    // A primary display right of another, one left of and above the origin, and one at it.
    const std::pair<W::Rect, Kiln::Vector2<uint32_t>> cases[] = {
        {{1920, 0, 3840, 1080}, {1920, 1080}}, {{-1280, -200, 0, 520}, {1280, 720}}, {{0, 0, 1024, 600}, {1024, 600}}};
    for (const auto& [desktop, size] : cases)
    {
        Kiln::EngineConfiguration config;
        config.myWindowSize = config.myRenderSize = {800, 450};
        config.myBorderless = false;
        config.myDebugFeatures = Kiln::DebugFeature::Fps;
        ConfigureForTheDesktop(config, desktop);
        EXPECT_EQ(config.myWindowSize, size) << desktop.left;
        EXPECT_EQ(config.myWindowPosition, Kiln::Vector2<int32_t>(desktop.left, desktop.top)) << "on the desktop's display";
        EXPECT_EQ(config.myRenderSize, size) << desktop.left;
        EXPECT_TRUE(config.myBorderless);
        EXPECT_EQ(config.myDebugFeatures, Kiln::DebugFeature::Filewatcher);
        // Go's hook: it always returns 0 and posts the quit message on WM_DESTROY only.
        TakeQuit();
        ASSERT_TRUE(config.myWinProcCallback);
        EXPECT_EQ(config.myWinProcCallback(nullptr, W::WM_KEYDOWN, 'A', 0), 0);
        EXPECT_EQ(config.myWinProcCallback(nullptr, W::WM_CLOSE, 0, 0), 0);
        EXPECT_FALSE(TakeQuit());
        EXPECT_EQ(config.myWinProcCallback(nullptr, W::WM_DESTROY, 0, 0), 0);
        EXPECT_TRUE(TakeQuit());
    }
}

TEST(Go, TheSettingsLoadPutsBackTheAssertionHandlerItFound)
{
    KilnTest::ScopedEngine engine; // already running: Go's own start fails right after the settings load
    ASSERT_TRUE(engine.Started());
    int reports = 0;
    const auto previous = Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport&) { ++reports; });
    EXPECT_THROW(Go("scene.ksc"), EngineStartFailure);
    KILN_ASSERT(reports < 0);
    Plat::Runtime::SetAssertionHandler(previous);
    EXPECT_EQ(reports, 1) << "the caller's handler no longer listens";
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
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::duration aDuration) { return std::chrono::duration<double>(aDuration).count(); };

    Timer timer;
    EXPECT_EQ(timer.GetDeltaTime(), 0.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto firstBefore = Clock::now();
    timer.Update();
    const auto firstAfter = Clock::now();
    EXPECT_GE(timer.GetDeltaTime(), 0.019f);

    // The next delta spans the two updates only, not the time since construction:
    // bracketed by clock reads taken around both calls.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto secondBefore = Clock::now();
    timer.Update();
    const auto secondAfter = Clock::now();
    EXPECT_GE(timer.GetDeltaTime(), seconds(secondBefore - firstAfter) - 1e-6);
    EXPECT_LE(timer.GetDeltaTime(), seconds(secondAfter - firstBefore) + 1e-6);
}

// The real game in a real (virtual) X display, driven with key presses and checked on
// screen captures.
#include "EndToEnd/GameSession.h"

#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace KilnE2E;

namespace
{
    std::filesystem::path WorkFolder()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return Plat::Runtime::ExecutableDirectory().parent_path() / "e2e" / (std::string(info->test_suite_name()) + "." + info->name());
    }
}

TEST(EndToEnd, Explore)
{
    GameSession game(WorkFolder());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(Scaled(60s)));
    for (int i = 0; i < 40; ++i)
    {
        const auto t = Clock::now();
        Screenshot s = game.Capture();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - game.GetStartTime()).count();
        std::printf("%lld ms: mean %.1f bright %.3f\n", (long long)ms, s.Mean(s.Whole()).Luma(), s.BrightShare(s.Whole(), 30));
        s.SavePng(WorkFolder() / ("shot" + std::to_string(i) + ".png"), 320);
    }
    game.GetProcess().Signal(SIGTERM);
    EXPECT_EQ(game.GetProcess().WaitForExit(5s), 0);
}

#include "forge/engine/Engine.h"
#include "forge/engine/StepTimer.h"

#include <gtest/gtest.h>

#include <memory>

using Kiln::StepTimer;

namespace
{
    // A counter the test advances by hand, at 10 MHz unless told otherwise.
    struct FakeClock
    {
        std::shared_ptr<uint64_t> now = std::make_shared<uint64_t>(1000);
        uint64_t frequency = 10'000'000;

        StepTimer::Counter Counter() const
        {
            auto shared = now;
            return {[shared] { return *shared; }, frequency};
        }
        void Advance(uint64_t aCounts) const { *now += aCounts; }
    };
}

TEST(StepTimer, VariableStepReportsEachFrameOnceAndClampsLongPauses)
{
    FakeClock clock;
    clock.frequency = 1'000'000'000;  // nanoseconds, like the monotonic clock
    StepTimer timer(clock.Counter());
    int updates = 0;

    clock.Advance(16'000'000);
    timer.Tick([&] { ++updates; });
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(timer.GetElapsedTicks(), 160'000u);
    EXPECT_EQ(timer.GetFrameCount(), 1u);

    // A three-second stall counts as a tenth of a second.
    clock.Advance(3'000'000'000);
    timer.Tick([&] { ++updates; });
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(timer.GetElapsedTicks(), 1'000'000u);
    EXPECT_DOUBLE_EQ(timer.GetElapsedSeconds(), 0.1);
    EXPECT_EQ(timer.GetTotalTicks(), 1'160'000u);
    EXPECT_EQ(timer.GetLeftOverTicks(), 0u);
}

TEST(StepTimer, FixedStepSnapsNearTargetFramesAndCarriesTheRest)
{
    FakeClock clock;
    StepTimer timer(clock.Counter());
    timer.SetFixedTimeStep(true);
    int updates = 0;

    clock.Advance(166'000);  // within 2500 ticks of 166,666
    timer.Tick([&] { ++updates; });
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(timer.GetElapsedTicks(), 166'666u);
    EXPECT_EQ(timer.GetLeftOverTicks(), 0u);

    clock.Advance(400'000);
    timer.Tick([&] { ++updates; });
    EXPECT_EQ(updates, 3);
    EXPECT_EQ(timer.GetLeftOverTicks(), 66'668u);
    EXPECT_EQ(timer.GetTotalTicks(), 3u * 166'666u);

    // Too short for a step: no update, the time is kept.
    clock.Advance(50'000);
    timer.Tick([&] { ++updates; });
    EXPECT_EQ(updates, 3);
    EXPECT_EQ(timer.GetLeftOverTicks(), 116'668u);
}

TEST(StepTimer, FramesPerSecondUpdatesOncePerAccumulatedSecond)
{
    FakeClock clock;
    StepTimer timer(clock.Counter());
    for (int i = 0; i < 59; ++i)
    {
        clock.Advance(clock.frequency / 60);
        timer.Tick({});
    }
    EXPECT_EQ(timer.GetFramesPerSecond(), 0u);
    clock.Advance(clock.frequency / 60 + 100);
    timer.Tick({});
    EXPECT_EQ(timer.GetFramesPerSecond(), 60u);

    // The next second's count starts over; a slow second reports fewer frames. Raw
    // counter time counts, so long (clamped) frames still end the second on time.
    for (int i = 0; i < 3; ++i)
    {
        clock.Advance(clock.frequency / 2);
        timer.Tick({});
    }
    EXPECT_EQ(timer.GetFramesPerSecond(), 2u);
}

TEST(AspectRatios, LandscapeAndPortraitRenderSizes)
{
    const auto portrait = Kiln::AspectRatios::FromRenderSize({720, 1280});
    EXPECT_FLOAT_EQ(portrait.myAspectRatio, 1280.0f / 720.0f);
    EXPECT_FLOAT_EQ(portrait.myInverseAspectRatio, 0.5625f);
    EXPECT_FLOAT_EQ(portrait.myAspectRatioVector.x, 1280.0f / 720.0f);
    EXPECT_FLOAT_EQ(portrait.myAspectRatioVector.y, 1.0f);
    EXPECT_FLOAT_EQ(portrait.myInverseAspectRatioVector.x, 0.5625f);
    EXPECT_FLOAT_EQ(portrait.myInverseAspectRatioVector.y, 1.0f);

    const auto landscape = Kiln::AspectRatios::FromRenderSize({1280, 720});
    EXPECT_FLOAT_EQ(landscape.myAspectRatioVector.x, 1.0f);
    EXPECT_FLOAT_EQ(landscape.myAspectRatioVector.y, 1280.0f / 720.0f);
    EXPECT_FLOAT_EQ(landscape.myInverseAspectRatioVector.y, 0.5625f);

    const auto square = Kiln::AspectRatios::FromRenderSize({500, 500});
    EXPECT_FLOAT_EQ(square.myAspectRatio, 1.0f);
    EXPECT_FLOAT_EQ(square.myAspectRatioVector.y, 1.0f);
}

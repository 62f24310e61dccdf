#pragma once
// Frame timing in ticks of 100 ns over a performance counter. Variable step is the mode
// in use; the fixed step exists but nothing turns it on.
#include <cstdint>
#include <functional>

namespace Kiln
{
    class StepTimer
    {
    public:
        static constexpr uint64_t TicksPerSecond = 10'000'000;

        // The counter source: counts and their frequency. The default is the monotonic
        // clock in nanoseconds; tests inject their own.
        struct Counter
        {
            std::function<uint64_t()> now;
            uint64_t frequency = 0;
        };
        static Counter MonotonicCounter();

        StepTimer();
        explicit StepTimer(Counter aCounter);

        // Measures the time since the last tick and runs anUpdate once per step.
        void Tick(const std::function<void()>& anUpdate);

        uint64_t GetElapsedTicks() const { return myElapsedTicks; }
        double GetElapsedSeconds() const { return static_cast<double>(myElapsedTicks) / TicksPerSecond; }
        uint64_t GetTotalTicks() const { return myTotalTicks; }
        uint64_t GetLeftOverTicks() const { return myLeftOverTicks; }
        uint32_t GetFrameCount() const { return myFrameCount; }
        uint32_t GetFramesPerSecond() const { return myFramesPerSecond; }

        void SetFixedTimeStep(bool anIsFixed) { myIsFixedTimeStep = anIsFixed; }
        void SetTargetElapsedTicks(uint64_t aTicks) { myTargetElapsedTicks = aTicks; }

    private:
        Counter myCounter;
        uint64_t myQpcFrequency = 0;
        uint64_t myQpcLastTime = 0;
        uint64_t myQpcMaxDelta = 0;
        uint64_t myElapsedTicks = 0;
        uint64_t myTotalTicks = 0;
        uint64_t myLeftOverTicks = 0;
        uint32_t myFrameCount = 0;
        uint32_t myFramesPerSecond = 0;
        uint32_t myFramesThisSecond = 0;
        uint64_t myQpcSecondCounter = 0;
        bool myIsFixedTimeStep = false;
        uint64_t myTargetElapsedTicks = TicksPerSecond / 60;
    };
}

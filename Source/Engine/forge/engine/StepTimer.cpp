#include "forge/engine/StepTimer.h"

#include <chrono>

namespace Kiln
{
    StepTimer::Counter StepTimer::MonotonicCounter()
    {
        return {[] {
                    const auto now = std::chrono::steady_clock::now().time_since_epoch();
                    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
                },
                1'000'000'000ull};
    }

    StepTimer::StepTimer() : StepTimer(MonotonicCounter())
    {
    }

    StepTimer::StepTimer(Counter aCounter)
        : myCounter(std::move(aCounter))
    {
        myQpcFrequency = myCounter.frequency;
        myQpcLastTime = myCounter.now();
        myQpcMaxDelta = myQpcFrequency / 10;
    }

    void StepTimer::Tick(const std::function<void()>& anUpdate)
    {
        const uint64_t now = myCounter.now();
        uint64_t delta = now - myQpcLastTime;
        myQpcLastTime = now;
        myQpcSecondCounter += delta;

        // A long pause (a debugger stop) counts as a tenth of a second.
        if (delta > myQpcMaxDelta)
            delta = myQpcMaxDelta;
        delta = myQpcFrequency != 0 ? delta * TicksPerSecond / myQpcFrequency : 0;

        const uint32_t lastFrameCount = myFrameCount;
        if (myIsFixedTimeStep)
        {
            // Within a quarter of a millisecond of the target counts as the target, so a
            // display running near 60 Hz does not drift into dropped or doubled steps.
            const uint64_t difference = delta > myTargetElapsedTicks ? delta - myTargetElapsedTicks : myTargetElapsedTicks - delta;
            if (difference < TicksPerSecond / 4000)
                delta = myTargetElapsedTicks;

            myLeftOverTicks += delta;
            while (myLeftOverTicks >= myTargetElapsedTicks)
            {
                myElapsedTicks = myTargetElapsedTicks;
                myTotalTicks += myTargetElapsedTicks;
                myLeftOverTicks -= myTargetElapsedTicks;
                ++myFrameCount;
                if (anUpdate)
                    anUpdate();
            }
        }
        else
        {
            myElapsedTicks = delta;
            myTotalTicks += delta;
            myLeftOverTicks = 0;
            ++myFrameCount;
            if (anUpdate)
                anUpdate();
        }

        if (myFrameCount != lastFrameCount)
            ++myFramesThisSecond;
        if (myQpcFrequency != 0 && myQpcSecondCounter >= myQpcFrequency)
        {
            myFramesPerSecond = myFramesThisSecond;
            myFramesThisSecond = 0;
            myQpcSecondCounter %= myQpcFrequency;
        }
    }
}

#include "Timer.h"

#include <chrono>

namespace
{
    int64_t NowNanoseconds()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
}

Timer::Timer()
    : myStart(NowNanoseconds()), myPrevious(myStart), myCurrent(myStart)
{
}

void Timer::Update()
{
    myPrevious = myCurrent;
    myCurrent = NowNanoseconds();
}

float Timer::GetDeltaTime() const
{
    return static_cast<float>(myCurrent - myPrevious) / 1e9f;
}

#pragma once
// The game's frame timer: wall-clock length of the last complete frame.
#include <cstdint>

class Timer
{
public:
    Timer();
    // previous := current; current := now.
    void Update();
    // Seconds between the last two updates; 0 before the first update.
    float GetDeltaTime() const;

private:
    int64_t myStart = 0;
    int64_t myPrevious = 0;
    int64_t myCurrent = 0;
};

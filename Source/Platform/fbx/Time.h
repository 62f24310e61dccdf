#pragma once
// Time in FBX ticks (46,186,158,000 per second) and the frame-rate modes of a scene.
#include <cstdint>

namespace Plat::Fbx
{
    enum class ETimeMode : int
    {
        DefaultMode = 0,
        Frames120 = 1,
        Frames100 = 2,
        Frames60 = 3,
        Frames50 = 4,
        Frames48 = 5,
        Frames30 = 6,
        Frames30Drop = 7,
        NTSCDropFrame = 8,
        NTSCFullFrame = 9,
        PAL = 10,
        Frames24 = 11,
        Frames1000 = 12,
        FilmFullFrame = 13,
        Custom = 14,
        Frames96 = 15,
        Frames72 = 16,
        Frames59dot94 = 17,
        Frames119dot88 = 18,
    };

    // A mode with the scene's custom rate, used when the mode is Custom.
    struct TimeMode
    {
        ETimeMode mode = ETimeMode::Frames30;
        double customFrameRate = 30.0;
    };

    class Time
    {
    public:
        static constexpr int64_t TicksPerSecond = 46186158000;

        Time() = default;
        explicit Time(int64_t someTicks) : myTicks(someTicks) {}

        int64_t Get() const { return myTicks; }
        void Set(int64_t someTicks) { myTicks = someTicks; }

        double GetSecondDouble() const;
        void SetSecondDouble(double aSeconds);

        static double GetFrameRate(const TimeMode& aMode);
        // Whole frames since time 0 (rounded down, tolerant of tick rounding).
        int64_t GetFrameCount(const TimeMode& aMode) const;
        void SetFrame(int64_t aFrame, const TimeMode& aMode);

        auto operator<=>(const Time&) const = default;

    private:
        int64_t myTicks = 0;
    };

    struct TimeSpan
    {
        Time start;
        Time stop;

        Time GetStart() const { return start; }
        Time GetStop() const { return stop; }
    };
}

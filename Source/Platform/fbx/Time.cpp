#include "Platform/fbx/Time.h"

#include <cmath>
#include <cstdint>

namespace Plat::Fbx
{
    double Time::GetSecondDouble() const
    {
        return static_cast<double>(myTicks) / static_cast<double>(TicksPerSecond);
    }

    void Time::SetSecondDouble(double aSeconds)
    {
        myTicks = std::llround(aSeconds * static_cast<double>(TicksPerSecond));
    }

    double Time::GetFrameRate(const TimeMode& aMode)
    {
        switch (aMode.mode)
        {
        case ETimeMode::Frames120: return 120.0;
        case ETimeMode::Frames100: return 100.0;
        case ETimeMode::Frames60: return 60.0;
        case ETimeMode::Frames50: return 50.0;
        case ETimeMode::Frames48: return 48.0;
        case ETimeMode::Frames30:
        case ETimeMode::Frames30Drop: return 30.0;
        case ETimeMode::NTSCDropFrame:
        case ETimeMode::NTSCFullFrame: return 29.9700262;
        case ETimeMode::PAL: return 25.0;
        case ETimeMode::Frames24: return 24.0;
        case ETimeMode::Frames1000: return 1000.0;
        case ETimeMode::FilmFullFrame: return 23.976;
        case ETimeMode::Custom:
            return std::isfinite(aMode.customFrameRate) && aMode.customFrameRate > 0.0 ? aMode.customFrameRate : 30.0;
        case ETimeMode::Frames96: return 96.0;
        case ETimeMode::Frames72: return 72.0;
        case ETimeMode::Frames59dot94: return 59.94;
        case ETimeMode::Frames119dot88: return 119.88;
        case ETimeMode::DefaultMode: break;
        }
        return 30.0;
    }

    int64_t Time::GetFrameCount(const TimeMode& aMode) const
    {
        const double frames = static_cast<double>(myTicks) * GetFrameRate(aMode) / static_cast<double>(TicksPerSecond);
        const double whole = std::floor(frames + 1e-6);
        if (!(whole > -9.0e18 && whole < 9.0e18))
            return whole < 0 ? INT64_MIN / 2 : INT64_MAX / 2;
        return static_cast<int64_t>(whole);
    }

    void Time::SetFrame(int64_t aFrame, const TimeMode& aMode)
    {
        myTicks = std::llround(static_cast<double>(aFrame) * static_cast<double>(TicksPerSecond) / GetFrameRate(aMode));
    }
}

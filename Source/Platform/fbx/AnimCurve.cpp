#include "Platform/fbx/Animation.h"

#include <algorithm>
#include <cmath>

namespace Plat::Fbx
{
    namespace
    {
        double Bezier(double p0, double p1, double p2, double p3, double s)
        {
            const double u = 1.0 - s;
            return u * u * u * p0 + 3.0 * u * u * s * p1 + 3.0 * u * s * s * p2 + s * s * s * p3;
        }

        // The Bezier parameter at which the time curve (0, x1, x2, 1) reaches aFraction.
        double SolveTime(double x1, double x2, double aFraction)
        {
            double low = 0.0, high = 1.0;
            for (int i = 0; i < 40; ++i)
            {
                const double mid = 0.5 * (low + high);
                if (Bezier(0.0, x1, x2, 1.0, mid) < aFraction)
                    low = mid;
                else
                    high = mid;
            }
            return 0.5 * (low + high);
        }
    }

    double AnimCurve::Evaluate(Time aTime) const
    {
        if (myKeys.empty())
            return myDefault;
        const int64_t t = aTime.Get();
        if (t <= myKeys.front().time)
            return myKeys.front().value;
        if (t >= myKeys.back().time)
            return myKeys.back().value;

        // The segment [k0, k1] with k0.time <= t < k1.time.
        const auto next = std::upper_bound(myKeys.begin(), myKeys.end(), t,
                                           [](int64_t aTicks, const AnimKey& aKey) { return aTicks < aKey.time; });
        const AnimKey& k1 = *next;
        const AnimKey& k0 = *(next - 1);
        const double span = static_cast<double>(k1.time - k0.time);
        if (span <= 0.0)
            return k1.value;
        const double fraction = static_cast<double>(t - k0.time) / span;

        switch (k0.interpolation)
        {
        case AnimKey::Interpolation::Constant: return k0.constantNext ? k1.value : k0.value;
        case AnimKey::Interpolation::Linear: return k0.value + (k1.value - k0.value) * fraction;
        case AnimKey::Interpolation::Cubic: break;
        }

        const double seconds = span / static_cast<double>(Time::TicksPerSecond);
        const double w0 = k0.weighted ? std::clamp<double>(k0.rightWeight, 0.0, 1.0) : 1.0 / 3.0;
        const double w1 = k0.weighted ? std::clamp<double>(k0.nextLeftWeight, 0.0, 1.0) : 1.0 / 3.0;
        const double p1 = k0.value + k0.rightSlope * seconds * w0;
        const double p2 = k1.value - k0.nextLeftSlope * seconds * w1;
        const double s = k0.weighted ? SolveTime(w0, 1.0 - w1, fraction) : fraction;
        return Bezier(k0.value, p1, p2, k1.value, s);
    }
}

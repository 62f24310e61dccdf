#pragma once
// EXPECT_PIXEL(pixel, r, g, b, a[, tolerance]): each channel within the tolerance (1 by
// default); a failure names the call it came from.
#include "Support/GpuTestContext.h"

#include <gtest/gtest.h>

#define EXPECT_PIXEL(...)                          \
    do                                             \
    {                                              \
        SCOPED_TRACE(#__VA_ARGS__);                \
        KilnTest::ExpectPixelNear(__VA_ARGS__);    \
    } while (false)

namespace KilnTest
{
    inline void ExpectPixelNear(const Rgba8& aPixel, int aR, int aG, int aB, int anA, int aTolerance = 1)
    {
        EXPECT_NEAR(aPixel.r, aR, aTolerance);
        EXPECT_NEAR(aPixel.g, aG, aTolerance);
        EXPECT_NEAR(aPixel.b, aB, aTolerance);
        EXPECT_NEAR(aPixel.a, anA, aTolerance);
    }
}

#include "forge/math/Matrix4x4.h"
#include "forge/math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

using Kiln::Matrix4x4;
using Kiln::Quaternion;
using Kiln::Vector3;

namespace
{
    constexpr float HALF_SQRT2 = 0.70710678f;

    void ExpectNear(const Quaternion& q, float w, float x, float y, float z, float aTolerance = 1e-6f)
    {
        EXPECT_NEAR(q.w, w, aTolerance);
        EXPECT_NEAR(q.x, x, aTolerance);
        EXPECT_NEAR(q.y, y, aTolerance);
        EXPECT_NEAR(q.z, z, aTolerance);
    }
}

TEST(Slerp, TheSameRotationWithOppositeSignsBlendsToTheFirstForEveryT)
{
    const Quaternion q(0.5f, 0.5f, -0.5f, 0.5f);
    const Quaternion minusQ(-0.5f, -0.5f, 0.5f, -0.5f);
    for (const float t : {0.0f, 0.25f, 0.5f, 1.0f})
    {
        Quaternion out;
        const Quaternion& result = Quaternion::Slerp(out, q, minusQ, t);
        EXPECT_EQ(&result, &out);
        ExpectNear(out, q.w, q.x, q.y, q.z);
    }
}

TEST(Slerp, PerpendicularQuaternionsTakeTheTrigonometricPath)
{
    // A 180-degree turn between the two rotations: the linear blend would pass through a
    // shorter, unnormalised quaternion; the trigonometric path keeps unit length and the
    // angle proportional to t.
    const Quaternion a(1.0f, 0.0f, 0.0f, 0.0f);
    const Quaternion b(0.0f, 0.0f, 0.0f, 1.0f);
    Quaternion out;
    Quaternion::Slerp(out, a, b, 0.5f);
    ExpectNear(out, HALF_SQRT2, 0.0f, 0.0f, HALF_SQRT2);
    Quaternion::Slerp(out, a, b, 1.0f / 3.0f);
    ExpectNear(out, std::cos(3.14159265f / 6.0f), 0.0f, 0.0f, std::sin(3.14159265f / 6.0f));
}

TEST(Slerp, AboveTheThresholdTheBlendIsLinearAndNormalised)
{
    const Quaternion a(1.0f, 0.0f, 0.0f, 0.0f);
    const Quaternion b(0.3f, 0.0f, std::sqrt(1.0f - 0.09f), 0.0f);   // a . b = 0.3
    Quaternion out;
    Quaternion::Slerp(out, a, b, 0.25f);
    const float w = 0.75f + 0.25f * 0.3f;
    const float y = 0.25f * b.y;
    const float length = std::sqrt(w * w + y * y);
    ExpectNear(out, w / length, 0.0f, y / length, 0.0f);
    // The true spherical blend differs here, which shows which path was taken.
    EXPECT_GT(std::fabs(out.y - std::sin(0.25f * std::acos(0.3f))), 1e-3f);
}

TEST(Slerp, TheThresholdIsTheStoredSinglePrecisionValue)
{
    // d just above the threshold: linear; exactly at it: trigonometric. Both give unit
    // quaternions; they differ measurably at t = 0.5 only in the last bits, so compare
    // against each formula directly.
    const float threshold = Quaternion::SLERP_LINEAR_THRESHOLD;
    EXPECT_FLOAT_EQ(threshold, 0.000500023365f);
    const Quaternion a(1.0f, 0.0f, 0.0f, 0.0f);
    const float d = threshold;
    const Quaternion b(d, std::sqrt(1.0f - d * d), 0.0f, 0.0f);
    Quaternion out;
    Quaternion::Slerp(out, a, b, 0.3f);
    const float theta = std::acos(d);
    ExpectNear(out, (std::sin(0.7f * theta) + d * std::sin(0.3f * theta)) / std::sin(theta),
               b.x * std::sin(0.3f * theta) / std::sin(theta), 0.0f, 0.0f);
}

TEST(FromRotationMatrix, EachLargestCandidateBuildsTheRotation)
{
    // Identity: w is largest.
    ExpectNear(Quaternion::FromRotationMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), 1, 0, 0, 0);
    // 180 degrees about x, y and z: x, y and z are largest in turn.
    ExpectNear(Quaternion::FromRotationMatrix({1, 0, 0}, {0, -1, 0}, {0, 0, -1}), 0, 1, 0, 0);
    ExpectNear(Quaternion::FromRotationMatrix({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}), 0, 0, 1, 0);
    ExpectNear(Quaternion::FromRotationMatrix({-1, 0, 0}, {0, -1, 0}, {0, 0, 1}), 0, 0, 0, 1);
    // 90 degrees about z in the row-vector convention: x goes to y.
    ExpectNear(Quaternion::FromRotationMatrix({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}), HALF_SQRT2, 0, 0, HALF_SQRT2);
}

TEST(FromRotationMatrix, TiesKeepTheEarlierCandidate)
{
    // A half turn about (1, -1, 0)/sqrt(2): tx = ty = 1. With x kept, x is the positive
    // "big" value and y follows from it; picking y would flip both signs.
    const Quaternion q = Quaternion::FromRotationMatrix({0, -1, 0}, {-1, 0, 0}, {0, 0, -1});
    ExpectNear(q, 0.0f, HALF_SQRT2, -HALF_SQRT2, 0.0f);
    // 90 degrees about x: tw = tx = 1; w is kept.
    const Quaternion r = Quaternion::FromRotationMatrix({1, 0, 0}, {0, 0, 1}, {0, -1, 0});
    ExpectNear(r, HALF_SQRT2, HALF_SQRT2, 0.0f, 0.0f);
}

TEST(Decompose, SplitsTranslationRotationAndScale)
{
    const Matrix4x4<float> m = Matrix4x4<float>::CreateScale({2.0f, 3.0f, 4.0f}) *
                               Matrix4x4<float>::CreateRotationAroundZ(3.14159265f / 2.0f) *
                               Matrix4x4<float>::CreateTranslation({5.0f, -6.0f, 7.0f});
    Vector3<float> translation;
    Quaternion rotation;
    Vector3<float> scale;
    Matrix4x4<float>::Decompose(m, translation, rotation, scale);
    EXPECT_EQ(translation, Vector3<float>(5.0f, -6.0f, 7.0f));
    EXPECT_NEAR(scale.x, 2.0f, 1e-5f);
    EXPECT_NEAR(scale.y, 3.0f, 1e-5f);
    EXPECT_NEAR(scale.z, 4.0f, 1e-5f);
    ExpectNear(rotation, HALF_SQRT2, 0, 0, HALF_SQRT2, 1e-5f);
}

TEST(Decompose, RowLengthsIncludeTheFourthColumnAndAZeroRowGivesNoNaN)
{
    Matrix4x4<float> m;
    m(0, 3) = 1.0f;   // row 0 = (1, 0, 0, 1): length sqrt(2)
    m(2, 2) = 0.0f;   // row 2 = 0: no scale along z
    Vector3<float> translation;
    Quaternion rotation;
    Vector3<float> scale;
    Matrix4x4<float>::Decompose(m, translation, rotation, scale);
    EXPECT_FLOAT_EQ(scale.x, std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(scale.z, 0.0f);
    EXPECT_FALSE(std::isnan(rotation.w) || std::isnan(rotation.x) || std::isnan(rotation.y) || std::isnan(rotation.z));
}

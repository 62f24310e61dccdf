#pragma once
// A rotation quaternion, stored w, x, y, z as transforms keep it.
#include "forge/math/Vector.h"

#include <cmath>

namespace Kiln
{
    struct Quaternion
    {
        float w = 1.0f;
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;

        constexpr Quaternion() = default;
        constexpr Quaternion(float aW, float aX, float aY, float aZ) : w(aW), x(aX), y(aY), z(aZ) {}

        // From the three rotation rows of a row-vector matrix (r[i][j] is element j of row i).
        // Builds from the largest of the four diagonal combinations for precision; the
        // comparisons are strict, so a tie keeps the earlier of w, x, y, z.
        static Quaternion FromRotationMatrix(const Vector3<float>& aRow0, const Vector3<float>& aRow1,
                                             const Vector3<float>& aRow2)
        {
            const float r00 = aRow0.x, r01 = aRow0.y, r02 = aRow0.z;
            const float r10 = aRow1.x, r11 = aRow1.y, r12 = aRow1.z;
            const float r20 = aRow2.x, r21 = aRow2.y, r22 = aRow2.z;

            const float candidates[4] = {r00 + r11 + r22, r00 - r11 - r22, r11 - r00 - r22, r22 - r00 - r11};
            int largest = 0;
            for (int i = 1; i < 4; ++i)
            {
                if (candidates[i] > candidates[largest])
                {
                    largest = i;
                }
            }
            const float big = std::sqrt(candidates[largest] + 1.0f) * 0.5f;
            const float mult = 0.25f / big;
            switch (largest)
            {
            case 0:
                return {big, (r12 - r21) * mult, (r20 - r02) * mult, (r01 - r10) * mult};
            case 1:
                return {(r12 - r21) * mult, big, (r01 + r10) * mult, (r20 + r02) * mult};
            case 2:
                return {(r20 - r02) * mult, (r01 + r10) * mult, big, (r12 + r21) * mult};
            default:
                return {(r01 - r10) * mult, (r20 + r02) * mult, (r12 + r21) * mult, big};
            }
        }

        constexpr bool operator==(const Quaternion& o) const = default;

        // Blends a towards b by t along the shorter arc; writes and returns anOut. Above
        // this dot product the blend is linear and renormalised (exact enough and cheap);
        // only nearly perpendicular quaternions take the trigonometric path.
        static constexpr float SLERP_LINEAR_THRESHOLD = 0.000500023365f;
        static Quaternion& Slerp(Quaternion& anOut, const Quaternion& a, const Quaternion& b, float t)
        {
            float d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
            Quaternion to = b;
            if (d < 0.0f)
            {
                to = {-b.w, -b.x, -b.y, -b.z};
                d = -d;
            }
            float fromWeight = 1.0f - t;
            float toWeight = t;
            if (d > SLERP_LINEAR_THRESHOLD)
            {
                Quaternion q(a.w * fromWeight + to.w * toWeight, a.x * fromWeight + to.x * toWeight,
                             a.y * fromWeight + to.y * toWeight, a.z * fromWeight + to.z * toWeight);
                const float length = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
                anOut = {q.w / length, q.x / length, q.y / length, q.z / length};
                return anOut;
            }
            const float theta = std::acos(d);
            const float sinTheta = std::sin(theta);
            fromWeight = std::sin(fromWeight * theta) / sinTheta;
            toWeight = std::sin(toWeight * theta) / sinTheta;
            anOut = {a.w * fromWeight + to.w * toWeight, a.x * fromWeight + to.x * toWeight,
                     a.y * fromWeight + to.y * toWeight, a.z * fromWeight + to.z * toWeight};
            return anOut;
        }
    };
}

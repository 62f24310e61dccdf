#include "forge/drawers/SpriteInstanceRecord.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kiln
{
    namespace
    {
        // sRGB to linear by linear interpolation in a table of the exact curve: within 1e-7
        // of the formula on 0 to 1 and several times faster than three pow calls per
        // instance. Values outside 0 to 1 take the formula.
        constexpr int SRGB_TABLE_STEPS = 4096;

        double SrgbToLinearExact(double c)
        {
            return c >= 0.04045 ? std::pow((c + 0.055) / 1.055, 2.4) : c / 12.92;
        }

        const std::array<float, SRGB_TABLE_STEPS + 2> theSrgbTable = [] {
            std::array<float, SRGB_TABLE_STEPS + 2> table{};
            for (int i = 0; i <= SRGB_TABLE_STEPS; ++i)
                table[static_cast<size_t>(i)] = static_cast<float>(
                    SrgbToLinearExact(static_cast<double>(i) / SRGB_TABLE_STEPS));
            table[SRGB_TABLE_STEPS + 1] = table[SRGB_TABLE_STEPS];
            return table;
        }();

        inline float ToLinear(float c)
        {
            if (!(c >= 0.0f && c <= 1.0f))
                return SrgbToLinear(c);
            const float position = c * SRGB_TABLE_STEPS;
            const int index = static_cast<int>(position);
            const float fraction = position - static_cast<float>(index);
            const float a = theSrgbTable[static_cast<size_t>(index)];
            const float b = theSrgbTable[static_cast<size_t>(index) + 1];
            return a + (b - a) * fraction;
        }

        // Sine and cosine of a sprite's rotation, inline: a library call per sprite cost more
        // than the rest of the record. The angle is split into the nearest of 256 steps
        // round the circle, whose sine and cosine come from a table, and a remainder below
        // 0.0123 rad, whose short series are exact to double precision; the two combine by
        // the angle-sum rule. Well inside a float ulp, so the results round to the library's
        // values but in rare near-ties. Angles beyond ten thousand turns take the library.
        constexpr int SINE_TABLE_STEPS = 256;
        constexpr long double theExactStep = 0.024543692606170259675489401431871L;   // 2 pi / 256
        // The step in two parts; the high one has few enough bits that a step count times it
        // is exact.
        constexpr double theStepHigh = std::bit_cast<double>(std::bit_cast<uint64_t>(static_cast<double>(theExactStep)) & ~((uint64_t(1) << 24) - 1));
        constexpr double theStepLow = static_cast<double>(theExactStep - static_cast<long double>(theStepHigh));

        struct SineCosine
        {
            double sine;
            double cosine;
        };

        const std::array<SineCosine, SINE_TABLE_STEPS> theSineTable = [] {
            std::array<SineCosine, SINE_TABLE_STEPS> table{};
            for (int i = 0; i < SINE_TABLE_STEPS; ++i)
            {
                const long double angle = theExactStep * i;
                table[static_cast<size_t>(i)] = {static_cast<double>(std::sin(angle)), static_cast<double>(std::cos(angle))};
            }
            return table;
        }();

        inline void SinCos(float anAngle, float& aSin, float& aCos)
        {
            const double x = anAngle;
            if (!(std::fabs(x) < 6.0e4))
            {
                aSin = std::sin(anAngle);
                aCos = std::cos(anAngle);
                return;
            }
            // Rounds to the nearest whole step without a library call.
            constexpr double roundingShift = 6755399441055744.0;    // 1.5 * 2^52
            const double steps = (x * static_cast<double>(1.0L / theExactStep) + roundingShift) - roundingShift;
            const double d = (x - steps * theStepHigh) - steps * theStepLow;
            const double d2 = d * d;
            const double sineD = d + d * d2 * (-1.0 / 6 + d2 * (1.0 / 120));
            const double cosineD = 1.0 + d2 * (-0.5 + d2 * (1.0 / 24 + d2 * (-1.0 / 720)));
            const SineCosine& at = theSineTable[static_cast<size_t>(static_cast<long long>(steps) & (SINE_TABLE_STEPS - 1))];
            aSin = static_cast<float>(at.sine * cosineD + at.cosine * sineD);
            aCos = static_cast<float>(at.cosine * cosineD - at.sine * sineD);
        }

        // The three colour channels at once: the same steps as ToLinear, lane by lane, so
        // the values are the same to the bit.
        inline void WriteLinearColor(float* aTarget, const Color& aColor)
        {
#if defined(__SSE2__)
            const __m128 c = _mm_set_ps(aColor.a, aColor.b, aColor.g, aColor.r);
            const __m128 inRange = _mm_and_ps(_mm_cmpge_ps(c, _mm_setzero_ps()), _mm_cmple_ps(c, _mm_set1_ps(1.0f)));
            if ((_mm_movemask_ps(inRange) & 7) == 7)
            {
                const __m128 position = _mm_mul_ps(c, _mm_set1_ps(static_cast<float>(SRGB_TABLE_STEPS)));
                const __m128i index = _mm_cvttps_epi32(position);
                const __m128 fraction = _mm_sub_ps(position, _mm_cvtepi32_ps(index));
                alignas(16) int32_t at[4];
                _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
                const float* table = theSrgbTable.data();
                const __m128 a = _mm_set_ps(0.0f, table[at[2]], table[at[1]], table[at[0]]);
                const __m128 b = _mm_set_ps(0.0f, table[at[2] + 1], table[at[1] + 1], table[at[0] + 1]);
                const __m128 linear = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), fraction));
                _mm_storeu_ps(aTarget, linear);
                aTarget[3] = aColor.a;
                return;
            }
#endif
            aTarget[0] = ToLinear(aColor.r);
            aTarget[1] = ToLinear(aColor.g);
            aTarget[2] = ToLinear(aColor.b);
            aTarget[3] = aColor.a;
        }

        inline void WriteColorAndData(SpriteInstanceRecord& aRecord, const Color& aColor, const Vector4f& aRect,
                                      const Vector4f& aCustom)
        {
            WriteLinearColor(aRecord.myColor, aColor);
            aRecord.myTextureRect[0] = aRect.x;
            aRecord.myTextureRect[1] = aRect.y;
            aRecord.myTextureRect[2] = aRect.z;
            aRecord.myTextureRect[3] = aRect.w;
            aRecord.myCustomData[0] = aCustom.x;
            aRecord.myCustomData[1] = aCustom.w;
            aRecord.myCustomData[2] = aCustom.z;
            aRecord.myCustomData[3] = aCustom.y;
        }

        inline void WriteRow(float* aRow, float a, float b, float c, float d)
        {
            aRow[0] = a;
            aRow[1] = b;
            aRow[2] = c;
            aRow[3] = d;
        }

        // Row i of (L x W) for a row (l0, l1, l2, l3) of L.
        inline void WriteRowTimes(float* aRow, float l0, float l1, float l2, float l3, const Matrix4x4f& w)
        {
            for (int col = 0; col < 4; ++col)
                aRow[col] = l0 * w[col] + l1 * w[4 + col] + l2 * w[8 + col] + l3 * w[12 + col];
        }
    }

    Matrix4x4f GetSpriteLocalMatrix(const Sprite2DInstanceData& anInstance)
    {
        const float sx = anInstance.mySize.x * anInstance.mySizeMultiplier.x;
        const float sy = anInstance.mySize.y * anInstance.mySizeMultiplier.y;
        const float c = std::cos(anInstance.myRotation);
        const float s = std::sin(anInstance.myRotation);
        const float pvx = anInstance.myPivot.x;
        const float pvy = anInstance.myPivot.y;
        return Matrix4x4f({c * sx, s * sx, 0.0f, 0.0f,
                           -s * sy, c * sy, 0.0f, 0.0f,
                           0.0f, 0.0f, 1.0f, 0.0f,
                           anInstance.myPosition.x - c * sx * pvx - s * sy * pvy,
                           anInstance.myPosition.y - s * sx * pvx + c * sy * pvy, 0.0f, 1.0f});
    }

    void WriteSpriteInstance(SpriteInstanceRecord& aRecord, const Sprite2DInstanceData& anInstance,
                             const Matrix4x4f& aWorld, bool aWorldIsIdentity)
    {
        const float sx = anInstance.mySize.x * anInstance.mySizeMultiplier.x;
        const float sy = anInstance.mySize.y * anInstance.mySizeMultiplier.y;
        float c = 1.0f;
        float s = 0.0f;
        if (anInstance.myRotation != 0.0f)
            SinCos(anInstance.myRotation, s, c);
        const float pvx = anInstance.myPivot.x;
        const float pvy = anInstance.myPivot.y;
        const float tx = anInstance.myPosition.x - c * sx * pvx - s * sy * pvy;
        const float ty = anInstance.myPosition.y - s * sx * pvx + c * sy * pvy;

        // L has rows (c sx, s sx, 0, 0), (-s sy, c sy, 0, 0), (0, 0, 1, 0), (tx, ty, 0, 1).
        float* m = aRecord.myMatrix;
        if (aWorldIsIdentity)
        {
            WriteRow(m + 0, c * sx, s * sx, 0.0f, 0.0f);
            WriteRow(m + 4, -s * sy, c * sy, 0.0f, 0.0f);
            WriteRow(m + 8, 0.0f, 0.0f, 1.0f, 0.0f);
            WriteRow(m + 12, tx, ty, 0.0f, 1.0f);
        }
        else
        {
            WriteRowTimes(m + 0, c * sx, s * sx, 0.0f, 0.0f, aWorld);
            WriteRowTimes(m + 4, -s * sy, c * sy, 0.0f, 0.0f, aWorld);
            WriteRowTimes(m + 8, 0.0f, 0.0f, 1.0f, 0.0f, aWorld);
            WriteRowTimes(m + 12, tx, ty, 0.0f, 1.0f, aWorld);
        }
        WriteColorAndData(aRecord, anInstance.myColor, anInstance.myTextureRect, anInstance.myCustomData);
    }

    void WriteSpriteInstance(SpriteInstanceRecord& aRecord, const Sprite3DInstanceData& anInstance,
                             const Matrix4x4f& aWorld, bool aWorldIsIdentity)
    {
        const Matrix4x4f& t = anInstance.myTransform;
        float* m = aRecord.myMatrix;
        if (aWorldIsIdentity)
        {
            for (int i = 0; i < 16; ++i)
                m[i] = t[static_cast<size_t>(i)];
        }
        else
        {
            for (int row = 0; row < 4; ++row)
                WriteRowTimes(m + row * 4, t[row * 4], t[row * 4 + 1], t[row * 4 + 2], t[row * 4 + 3], aWorld);
        }
        WriteColorAndData(aRecord, anInstance.myColor, anInstance.myTextureRect, anInstance.myCustomData);
    }
}

#include "forge/drawers/SpriteInstanceRecord.h"

#include <array>
#include <cmath>

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

        inline void WriteColorAndData(SpriteInstanceRecord& aRecord, const Color& aColor, const Vector4f& aRect,
                                      const Vector4f& aCustom)
        {
            aRecord.myColor[0] = ToLinear(aColor.r);
            aRecord.myColor[1] = ToLinear(aColor.g);
            aRecord.myColor[2] = ToLinear(aColor.b);
            aRecord.myColor[3] = aColor.a;
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
        {
            c = std::cos(anInstance.myRotation);
            s = std::sin(anInstance.myRotation);
        }
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

#include "forge/drawers/SpriteInstanceRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
    using Kiln::SpriteInstanceRecord;

    void ExpectRow(const SpriteInstanceRecord& r, int aRow, float a, float b, float c, float d)
    {
        EXPECT_NEAR(r.myMatrix[aRow * 4 + 0], a, 1e-4f) << "row " << aRow;
        EXPECT_NEAR(r.myMatrix[aRow * 4 + 1], b, 1e-4f) << "row " << aRow;
        EXPECT_NEAR(r.myMatrix[aRow * 4 + 2], c, 1e-4f) << "row " << aRow;
        EXPECT_NEAR(r.myMatrix[aRow * 4 + 3], d, 1e-4f) << "row " << aRow;
    }

    TEST(SpriteInstanceRecord, TwoDimensionalMatrixRows)
    {
        Kiln::Sprite2DInstanceData s;
        s.myPosition = {5.0f, 5.0f};
        s.myPivot = {0.0f, 0.0f};
        s.mySize = {10.0f, 20.0f};
        SpriteInstanceRecord r{};
        Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
        ExpectRow(r, 0, 10, 0, 0, 0);
        ExpectRow(r, 1, 0, 20, 0, 0);
        ExpectRow(r, 2, 0, 0, 1, 0);
        ExpectRow(r, 3, 5, 5, 0, 1);

        // Pivot, multiplier and rotation: the pivot point of the quad lands on the position.
        s.myPivot = {0.5f, 0.25f};
        s.mySizeMultiplier = {2.0f, -1.0f};
        s.myRotation = 0.7f;
        Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
        const Kiln::Matrix4x4f local = Kiln::GetSpriteLocalMatrix(s);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(r.myMatrix[i], local[static_cast<size_t>(i)], 1e-5f) << i;
        // The quad point (pvx, -pvy) is where the pivot sits.
        const Kiln::Vector4f pivot = Kiln::Vector4f(0.5f, -0.25f, 0.0f, 1.0f) * local;
        EXPECT_NEAR(pivot.x, 5.0f, 1e-4f);
        EXPECT_NEAR(pivot.y, 5.0f, 1e-4f);
    }

    TEST(SpriteInstanceRecord, WorldTransformAppliesAfterTheSprite)
    {
        Kiln::Sprite2DInstanceData s;
        s.myPosition = {3.0f, 4.0f};
        s.mySize = {2.0f, 6.0f};
        s.myRotation = -1.1f;
        Kiln::Matrix4x4f world = Kiln::Matrix4x4f::CreateRotationAroundZ(0.3f);
        world.SetPosition({100.0f, -50.0f, 2.0f});
        SpriteInstanceRecord r{};
        Kiln::WriteSpriteInstance(r, s, world, false);
        const Kiln::Matrix4x4f expected = Kiln::GetSpriteLocalMatrix(s) * world;
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(r.myMatrix[i], expected[static_cast<size_t>(i)], 1e-4f) << i;

        Kiln::Sprite3DInstanceData s3;
        s3.myTransform = Kiln::Matrix4x4f::CreateScale({2.0f, 3.0f, 4.0f});
        s3.myTransform.SetPosition({1.0f, 2.0f, 3.0f});
        Kiln::WriteSpriteInstance(r, s3, world, false);
        const Kiln::Matrix4x4f expected3 = s3.myTransform * world;
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(r.myMatrix[i], expected3[static_cast<size_t>(i)], 1e-4f) << i;
        Kiln::WriteSpriteInstance(r, s3, Kiln::Matrix4x4f(), true);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(r.myMatrix[i], s3.myTransform[static_cast<size_t>(i)]) << i;
    }

    TEST(SpriteInstanceRecord, ColourIsLinearisedAndCustomDataSwizzled)
    {
        Kiln::Sprite2DInstanceData s;
        s.myColor = {0.5f, 0.04f, 0.8f, 0.5f};
        s.myTextureRect = {0.1f, 0.2f, 0.3f, 0.4f};
        s.myCustomData = {1.0f, 2.0f, 3.0f, 4.0f};
        SpriteInstanceRecord r{};
        Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
        EXPECT_NEAR(r.myColor[0], 0.214f, 0.001f);
        EXPECT_NEAR(r.myColor[1], 0.04f / 12.92f, 1e-6f);
        EXPECT_NEAR(r.myColor[2], 0.6038f, 0.0005f);
        EXPECT_FLOAT_EQ(r.myColor[3], 0.5f);
        EXPECT_EQ(r.myTextureRect[0], 0.1f);
        EXPECT_EQ(r.myTextureRect[3], 0.4f);
        EXPECT_EQ(r.myCustomData[0], 1.0f);
        EXPECT_EQ(r.myCustomData[1], 4.0f);
        EXPECT_EQ(r.myCustomData[2], 3.0f);
        EXPECT_EQ(r.myCustomData[3], 2.0f);

        Kiln::Sprite3DInstanceData s3;
        s3.myColor = s.myColor;
        s3.myCustomData = s.myCustomData;
        Kiln::WriteSpriteInstance(r, s3, Kiln::Matrix4x4f(), true);
        EXPECT_NEAR(r.myColor[0], 0.214f, 0.001f);
        EXPECT_NEAR(r.myColor[2], 0.6038f, 0.0005f);
        EXPECT_EQ(r.myCustomData[1], 4.0f);
        EXPECT_EQ(r.myCustomData[3], 2.0f);
    }

    TEST(SpriteInstanceRecord, RotationsAreTheCorrectlyRoundedSineAndCosine)
    {
        Kiln::Sprite2DInstanceData s;
        s.myPivot = {0.0f, 0.0f};
        SpriteInstanceRecord r{};
        std::mt19937 random(7);
        for (const float limit : {1.0f, 7.0f, 1000.0f, 50000.0f})
        {
            std::uniform_real_distribution<float> angle(-limit, limit);
            int wrong = 0;
            for (int i = 0; i < 20000; ++i)
            {
                s.myRotation = angle(random);
                Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
                const long double exact = s.myRotation;
                wrong += r.myMatrix[0] != static_cast<float>(std::cos(exact)) ? 1 : 0;
                wrong += r.myMatrix[1] != static_cast<float>(std::sin(exact)) ? 1 : 0;
                wrong += r.myMatrix[4] != -static_cast<float>(std::sin(exact)) ? 1 : 0;
            }
            EXPECT_EQ(wrong, 0) << "angles up to " << limit;
        }
        // Far beyond any sprite's turn the values stay sine and cosine.
        s.myRotation = 3.0e6f;
        Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
        EXPECT_NEAR(r.myMatrix[0], std::cos(3.0e6), 1e-6);
        EXPECT_NEAR(r.myMatrix[1], std::sin(3.0e6), 1e-6);
    }

    TEST(SpriteInstanceRecord, ColourConversionFollowsTheSrgbCurveClosely)
    {
        Kiln::Sprite2DInstanceData s;
        SpriteInstanceRecord r{};
        double worst = 0.0;
        for (int i = 0; i <= 100000; ++i)
        {
            const float c = static_cast<float>(i) / 100000.0f;
            s.myColor = {c, c, c, 1.0f};
            Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
            const double exact = c >= 0.04045 ? std::pow((c + 0.055) / 1.055, 2.4) : c / 12.92;
            worst = std::max(worst, std::abs(r.myColor[0] - exact));
        }
        EXPECT_LT(worst, 1e-6);
        // Outside 0 to 1 the formula itself applies.
        s.myColor = {2.0f, -0.5f, 1.0f, 3.0f};
        Kiln::WriteSpriteInstance(r, s, Kiln::Matrix4x4f(), true);
        EXPECT_NEAR(r.myColor[0], std::pow((2.0 + 0.055) / 1.055, 2.4), 1e-5);
        EXPECT_NEAR(r.myColor[1], -0.5 / 12.92, 1e-7);
        EXPECT_FLOAT_EQ(r.myColor[2], 1.0f);
        EXPECT_FLOAT_EQ(r.myColor[3], 3.0f);
    }
}

#include "forge/math/Color.h"
#include "forge/math/Matrix4x4.h"

#include <gtest/gtest.h>

#include <cmath>

using Kiln::Matrix4x4f;
using Kiln::Vector3f;

namespace
{
    void ExpectNear(const Matrix4x4f& a, const Matrix4x4f& b, float eps = 1e-5f)
    {
        for (size_t i = 0; i < 16; ++i)
            EXPECT_NEAR(a[i], b[i], eps) << "element " << i;
    }
}

TEST(Matrix4x4, RowVectorsComposeLeftToRight)
{
    // Scale then translate: the translation must not be scaled.
    const Matrix4x4f m = Matrix4x4f::CreateScale({2, 2, 2}) * Matrix4x4f::CreateTranslation({1, 2, 3});
    const Vector3f p = m.TransformPoint({1, 1, 1});
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    EXPECT_FLOAT_EQ(p.y, 4.0f);
    EXPECT_FLOAT_EQ(p.z, 5.0f);
    EXPECT_EQ(m.TransformDirection({1, 0, 0}), Vector3f(2, 0, 0));
}

TEST(Matrix4x4, FastInverseUndoesRigidTransforms)
{
    const Matrix4x4f t = Matrix4x4f::CreateTranslation({1, 2, 3});
    ExpectNear(Matrix4x4f::GetFastInverse(t), Matrix4x4f::CreateTranslation({-1, -2, -3}));

    const float quarter = 3.14159265f / 2.0f;
    const Matrix4x4f r = Matrix4x4f::CreateRotationAroundY(quarter) * t;
    ExpectNear(Matrix4x4f::GetFastInverse(r) * r, Matrix4x4f());
    ExpectNear(Matrix4x4f::GetFastInverse(Matrix4x4f::CreateRotationAroundZ(quarter)),
               Matrix4x4f::CreateRotationAroundZ(-quarter));
}

TEST(Matrix4x4, GeneralInverseOfScaledMatrixAndSingularCase)
{
    const Matrix4x4f m = Matrix4x4f::CreateScale({2, 4, 0.5f}) * Matrix4x4f::CreateRotationAroundX(0.3f) *
                         Matrix4x4f::CreateTranslation({5, -1, 2});
    ExpectNear(Matrix4x4f::GetInverse(m) * m, Matrix4x4f());

    const Matrix4x4f singular = Matrix4x4f::CreateScale({1, 0, 1});
    const Matrix4x4f inv = Matrix4x4f::GetInverse(singular);
    bool anyNonFinite = false;
    for (size_t i = 0; i < 16; ++i)
        anyNonFinite |= !std::isfinite(inv[i]);
    EXPECT_TRUE(anyNonFinite);
}

TEST(Color, SrgbToLinearUsesBothBranches)
{
    const Kiln::Color c(0.04045f, 0.04f, 1.0f, 0.25f);
    const Kiln::Color l = c.AsLinear();
    EXPECT_NEAR(l.r, std::pow((0.04045f + 0.055f) / 1.055f, 2.4f), 1e-7f);
    EXPECT_NEAR(l.g, 0.04f / 12.92f, 1e-7f);
    EXPECT_NEAR(l.g, 0.003095f, 1e-6f);
    EXPECT_FLOAT_EQ(l.b, 1.0f);
    EXPECT_FLOAT_EQ(l.a, 0.25f);
}

#include "SceneTestSupport.h"

#include "forge/math/Quaternion.h"
#include "forge/scene/SceneTransform.h"

#include <gtest/gtest.h>

using Kiln::SceneTransform;
using KilnTest::ComposeObjectMatrix;

TEST(SceneTransform, DecomposesEulerDegreesScaleAndTranslation)
{
    const float angles[][3] = {{0, 0, 0}, {30, 0, 0}, {0, 45, 0}, {0, 0, -60}, {10, 20, 30}, {-75, 40, 170}, {120, -80, 5}};
    for (const auto& angle : angles)
    {
        const SceneTransform transform =
            SceneTransform::FromMatrix(ComposeObjectMatrix(angle[0], angle[1], angle[2], 2.5f, 1, -2, 300));
        EXPECT_NEAR(transform.myRotation.x, angle[0], 2e-3f) << angle[0] << " " << angle[1] << " " << angle[2];
        EXPECT_NEAR(transform.myRotation.y, angle[1], 2e-3f);
        EXPECT_NEAR(transform.myRotation.z, angle[2], 2e-3f);
        EXPECT_NEAR(transform.myScale.x, 2.5f, 1e-5f);
        EXPECT_NEAR(transform.myScale.z, 2.5f, 1e-5f);
        EXPECT_EQ(transform.myTranslation, Kiln::Vector3<float>(1, -2, 300));
    }
}

TEST(SceneTransform, APitchOfNinetyDegreesTakesTheBranchWithoutZ)
{
    for (const float pitch : {90.0f, -90.0f})
    {
        const SceneTransform transform = SceneTransform::FromMatrix(ComposeObjectMatrix(25, pitch, 0));
        EXPECT_NEAR(transform.myRotation.y, pitch, 1e-3f);
        EXPECT_EQ(transform.myRotation.z, 0.0f);
        // x and z are one axis here: the whole turn shows up in x.
        EXPECT_NEAR(transform.myRotation.x, 25.0f, 0.05f);
    }
    Kiln::Matrix4x4<float> exact;
    exact(0, 0) = 0; exact(0, 2) = -1;
    exact(2, 0) = 1; exact(2, 2) = 0;
    const SceneTransform transform = SceneTransform::FromMatrix(exact);
    EXPECT_NEAR(transform.myRotation.y, 90.0f, 1e-4f);
    EXPECT_EQ(transform.myRotation.z, 0.0f);
}

TEST(SceneTransform, TheFourthEntryOfARowCountsIntoItsScale)
{
    Kiln::Matrix4x4<float> matrix;
    matrix(0, 3) = 1.0f;
    matrix(1, 3) = 2.0f;
    const SceneTransform transform = SceneTransform::FromMatrix(matrix);
    EXPECT_FLOAT_EQ(transform.myScale.x, std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(transform.myScale.y, std::sqrt(5.0f));
    EXPECT_FLOAT_EQ(transform.myScale.z, 1.0f);
}

TEST(SceneTransform, AZeroRowLeavesTheRotationFinite)
{
    Kiln::Matrix4x4<float> matrix;
    matrix(1, 1) = 0.0f;
    const SceneTransform transform = SceneTransform::FromMatrix(matrix);
    EXPECT_EQ(transform.myScale.y, 0.0f);
    EXPECT_TRUE(std::isfinite(transform.myRotation.x));
    EXPECT_TRUE(std::isfinite(transform.myRotation.y));
    EXPECT_TRUE(std::isfinite(transform.myRotation.z));
}

TEST(Quaternion, FromRotationMatrixPicksTheLargestComponentAndKeepsTiesInOrder)
{
    const Kiln::Vector3<float> x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    EXPECT_EQ(Kiln::Quaternion::FromRotationMatrix(x, y, z), Kiln::Quaternion(1, 0, 0, 0));
    // 180 degrees about x: w and y, z candidates lose to x.
    const Kiln::Quaternion aboutX = Kiln::Quaternion::FromRotationMatrix(x, -y, -z);
    EXPECT_EQ(aboutX, Kiln::Quaternion(0, 1, 0, 0));
    const Kiln::Quaternion aboutZ = Kiln::Quaternion::FromRotationMatrix(-x, -y, z);
    EXPECT_EQ(aboutZ, Kiln::Quaternion(0, 0, 0, 1));
    // 90 degrees about y, where tw = 1 and ty = 1 tie: w is kept.
    const Kiln::Quaternion aboutY = Kiln::Quaternion::FromRotationMatrix({0, 0, -1}, y, {1, 0, 0});
    EXPECT_NEAR(aboutY.w, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(aboutY.y, std::sqrt(0.5f), 1e-6f);
}

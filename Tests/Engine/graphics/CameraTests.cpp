#include "forge/graphics/Camera.h"

#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <cmath>

using Kiln::Camera;
using Kiln::Matrix4x4f;

namespace
{
    std::vector<std::string> CaptureAssertions(const std::function<void()>& aBody)
    {
        std::vector<std::string> expressions;
        Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { expressions.push_back(r.expression); });
        aBody();
        Plat::Runtime::SetAssertionHandler({});
        return expressions;
    }
}

TEST(Camera, DefaultsAreIdentityWithNearAndFarValuesAndTheFlagSet)
{
    const Camera camera;
    EXPECT_EQ(camera.GetTransform(), Matrix4x4f());
    EXPECT_EQ(camera.GetProjection(), Matrix4x4f());
    EXPECT_EQ(camera.GetSecondaryMatrix(), Matrix4x4f());
    EXPECT_FLOAT_EQ(camera.GetNearValue(), 1.0f);
    EXPECT_FLOAT_EQ(camera.GetFarValue(), 10000.0f);
    EXPECT_TRUE(camera.GetUpdatedFlag());
}

TEST(Camera, OrthographicOverTheBackBufferMapsToClipSpace)
{
    Camera camera;
    camera.SetOrthographicProjection(0, 1280, 0, 720, -1, 1);
    const Matrix4x4f& p = camera.GetProjection();
    EXPECT_FLOAT_EQ(p[0], 1.0f / 640.0f);
    EXPECT_FLOAT_EQ(p[5], 1.0f / 360.0f);
    EXPECT_FLOAT_EQ(p[10], 0.5f);
    EXPECT_FLOAT_EQ(p[12], -1.0f);
    EXPECT_FLOAT_EQ(p[13], -1.0f);
    EXPECT_FLOAT_EQ(p[14], 0.5f);
    EXPECT_FLOAT_EQ(p[15], 1.0f);
    // Corners: (0,0) to (-1,-1), (1280,720) to (1,1); y grows upwards; z 0 lands mid-depth.
    const auto a = p.TransformPoint({0, 0, 0});
    const auto b = p.TransformPoint({1280, 720, 1});
    EXPECT_FLOAT_EQ(a.x, -1.0f);
    EXPECT_FLOAT_EQ(a.y, -1.0f);
    EXPECT_FLOAT_EQ(a.z, 0.5f);
    EXPECT_FLOAT_EQ(b.x, 1.0f);
    EXPECT_FLOAT_EQ(b.y, 1.0f);
    EXPECT_FLOAT_EQ(b.z, 1.0f);
    // The two camera values are not projection parameters.
    EXPECT_FLOAT_EQ(camera.GetNearValue(), 1.0f);
    EXPECT_FLOAT_EQ(camera.GetFarValue(), 10000.0f);
}

TEST(Camera, PerspectiveUsesAHorizontalFieldOfView)
{
    Camera camera;
    const auto reports = CaptureAssertions([&] { camera.SetPerspectiveProjection(90.0f, {1920, 1080}, 1.0f, 100.0f); });
    EXPECT_TRUE(reports.empty());
    const Matrix4x4f& p = camera.GetProjection();
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[5], 1920.0f / 1080.0f, 1e-5f);
    EXPECT_FLOAT_EQ(p[10], 100.0f / 99.0f);
    EXPECT_FLOAT_EQ(p[14], -100.0f / 99.0f);
    EXPECT_FLOAT_EQ(p[11], 1.0f);
    EXPECT_FLOAT_EQ(p[15], 0.0f);
    // Depth runs 0 at the near plane to 1 at the far plane after the divide.
    const auto nearPoint = p.Transform({0, 0, 1, 1});
    const auto farPoint = p.Transform({0, 0, 100, 1});
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(camera.GetFarValue(), 10000.0f);
}

TEST(Camera, PerspectiveAssertsOnBadPlanes)
{
    Camera camera;
    EXPECT_EQ(CaptureAssertions([&] { camera.SetPerspectiveProjection(90, {16, 9}, 0.00005f, 10); }),
              std::vector<std::string>{"aNearPlane >= FMath::KindaSmallNumber"});
    EXPECT_EQ(CaptureAssertions([&] { camera.SetPerspectiveProjection(90, {16, 9}, 5, 5); }),
              std::vector<std::string>{"aNearPlane < aFarPlane"});
    EXPECT_TRUE(CaptureAssertions([&] { camera.SetPerspectiveProjection(90, {16, 9}, 0.0001f, 10); }).empty());
}

TEST(Camera, ViewIsTheFastInverseOfTheTransform)
{
    Camera camera;
    Matrix4x4f transform = Matrix4x4f::CreateRotationAroundY(0.7f) * Matrix4x4f::CreateTranslation({10, -4, 3});
    camera.SetTransform(transform);
    const Matrix4x4f identity = camera.GetView() * transform;
    for (size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(identity[i], Matrix4x4f()[i], 1e-5f);
    const auto local = camera.GetView().TransformPoint({10, -4, 3});
    EXPECT_NEAR(local.LengthSqr(), 0.0f, 1e-8f);
}

TEST(Matrix4x4, FastInverseOfTranslationAndQuarterTurn)
{
    const Matrix4x4f t = Matrix4x4f::GetFastInverse(Matrix4x4f::CreateTranslation({1, 2, 3}));
    EXPECT_EQ(t, Matrix4x4f::CreateTranslation({-1, -2, -3}));

    const float quarter = 3.14159265f / 2.0f;
    const Matrix4x4f r = Matrix4x4f::GetFastInverse(Matrix4x4f::CreateRotationAroundZ(quarter));
    const Matrix4x4f expected = Matrix4x4f::CreateRotationAroundZ(-quarter);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(r[i], expected[i], 1e-6f);

    // Element 15 is carried over as it is.
    Matrix4x4f odd;
    odd[15] = 2.0f;
    EXPECT_FLOAT_EQ(Matrix4x4f::GetFastInverse(odd)[15], 2.0f);
}

TEST(Matrix4x4, GeneralInverseOfAPerspectiveProjection)
{
    Camera camera;
    camera.SetPerspectiveProjection(70.0f, {1280, 720}, 0.1f, 50000.0f);
    const Matrix4x4f inv = Matrix4x4f::GetInverse(camera.GetProjection());
    const Matrix4x4f product = camera.GetProjection() * inv;
    for (size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(product[i], Matrix4x4f()[i], 1e-3f) << i;

    Matrix4x4f singular;
    singular[5] = 0.0f;
    const Matrix4x4f bad = Matrix4x4f::GetInverse(singular);
    bool anyNonFinite = false;
    for (size_t i = 0; i < 16; ++i)
        anyNonFinite |= !std::isfinite(bad[i]);
    EXPECT_TRUE(anyNonFinite);
}

#include "engine/camera.h"

#include "engine/curves.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
::testing::AssertionResult NearPoint(const Vector3& a, const Vector3& b, float tol = 1e-4f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a << ") is not within " << tol << " of (" << b << ")";
}

::testing::AssertionResult NearMatrix(const Matrix4x4& a, const Matrix4x4& b, float tol = 1e-4f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(a.m[r][c] - b.m[r][c]) <= tol))
                return ::testing::AssertionFailure() << "element " << r << c << ": " << a.m[r][c] << " against "
                                                     << b.m[r][c];
    return ::testing::AssertionSuccess();
}

Matrix4x4 Translation(float x, float y, float z)
{
    Matrix4x4 m;
    m.SetTranslation(x, y, z);
    return m;
}

// Two straight paths, one for the position and one for the target.
struct CameraOnPaths : ::testing::Test
{
    CameraOnPaths()
    {
        positionPath.AddPoint({0, 0, 0});
        positionPath.AddPoint({10, 0, 0});
        targetPath.AddPoint({0, 0, 10});
        targetPath.AddPoint({0, 20, 10});
        camera.SetPaths(&positionPath, &targetPath, 100, 200);
        camera.SetCamera({-1, -1, -1}, {-2, -2, -2}, {0, 1, 0});
    }

    void ExpectUntouched()
    {
        EXPECT_TRUE(NearPoint(camera.GetPosition(), {-1, -1, -1}, 0.0f));
        EXPECT_TRUE(NearPoint(camera.GetTarget(), {-2, -2, -2}, 0.0f));
    }

    CatmullRomSpline positionPath;
    CatmullRomSpline targetPath;
    Camera camera;
};
} // namespace

TEST(Camera, ANewCameraLooksAlongZWithTheIdentityView)
{
    Camera camera;
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {0, 0, 0}, 0.0f));
    EXPECT_TRUE(NearPoint(camera.GetTarget(), {0, 0, 5}, 0.0f));
    EXPECT_TRUE(NearPoint(camera.GetUpVector(), {0, 1, 0}, 0.0f));
    float nearPlane = 0, farPlane = 0;
    camera.GetClipPlanes(&nearPlane, &farPlane);
    EXPECT_EQ(nearPlane, 1.0f);
    EXPECT_EQ(farPlane, 10000.0f);
    EXPECT_FLOAT_EQ(camera.FOV, 0.7853982f);
    EXPECT_TRUE(NearMatrix(camera.GetViewMatrix(), Matrix4x4(), 0.0f));
}

TEST(Camera, LookAtFromAboveAndBehind)
{
    Camera camera;
    camera.SetCamera({0, 100, -100}, {0, 0, 0}, {0, 1, 0});
    const Matrix4x4& view = camera.CreateViewMatrix();
    const float h = 0.70710678f;
    EXPECT_TRUE(NearMatrix(view, Matrix4x4(1, 0, 0, 0,
                                           0, h, -h, 0,
                                           0, h, h, 0,
                                           0, 0, 141.42136f, 1)));
    // The target lies straight ahead at its distance.
    Vector3 target(0, 0, 0);
    target.Transform(view);
    EXPECT_TRUE(NearPoint(target, {0, 0, 141.42136f}));
    EXPECT_EQ(&view, &camera.GetViewMatrix());
}

TEST(Camera, TheViewChangesOnlyWhenRebuilt)
{
    Camera camera;
    camera.SetPosition({3, 4, 5});
    EXPECT_TRUE(NearMatrix(camera.GetViewMatrix(), Matrix4x4(), 0.0f));
    camera.CreateViewMatrix();
    EXPECT_FALSE(NearMatrix(camera.GetViewMatrix(), Matrix4x4()));
}

TEST(Camera, OrbitingKeepsDistanceHeightAndUp)
{
    Camera camera;
    camera.SetCamera({0, 100, -100}, {0, 0, 0}, {0, 1, 0});
    for (float a : {0.02f, -0.3f, 1.0f, 3.0f})
    {
        camera.Rotate(0, a, 0);
        const Vector3 p = camera.GetPosition();
        EXPECT_NEAR(p.y, 100.0f, 1e-3f);
        EXPECT_NEAR((p - camera.GetTarget()).Length(), 141.42136f, 1e-2f);
        EXPECT_TRUE(NearPoint(camera.GetUpVector(), {0, 1, 0}, 1e-6f));
    }
}

TEST(Camera, OrbitingTurnsAboutTheTargetAndKeepsItsSteps)
{
    Camera camera;
    camera.SetCamera({5, 0, 0}, {5, 0, 10}, {0, 1, 0});
    camera.Rotate(0, 3.14159265f / 2, 0);
    // Position - Target = (0, 0, -10) turns to (-10, 0, 0) under Ry(pi/2).
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {-5, 0, 10}));
    EXPECT_TRUE(NearMatrix(camera.Transforms[0], Translation(-10, 0, 10)));
    Matrix4x4 rotation;
    rotation.Rotate(0, 3.14159265f / 2, 0);
    EXPECT_TRUE(NearMatrix(camera.Transforms[5], rotation));
}

TEST(Camera, ZoomMovesAFractionOfTheDistance)
{
    Camera camera;
    camera.SetCamera({0, 0, -100}, {0, 0, 0}, {0, 1, 0});
    camera.Zoom(0.05f);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {0, 0, -95}));
    camera.Zoom(-0.05f);
    // Backing off by the same fraction of the shorter distance does not undo it.
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {0, 0, -99.75f}));
}

TEST(Camera, RollTurnsTheUpVectorAboutTheView)
{
    Camera camera;
    camera.Roll(3.14159265f / 2);
    const Vector3 up = camera.GetUpVector();
    EXPECT_NEAR(up.Length(), 1.0f, 1e-6f);
    EXPECT_NEAR(up.z, 0.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(up.x), 1.0f, 1e-6f);
}

TEST(Camera, BasisFollowsTheView)
{
    Camera camera;
    camera.SetCamera({0, 100, -100}, {0, 0, 0}, {0, 1, 0});
    const Basis b = camera.GetCameraBasisMatrix();
    const float h = 0.70710678f;
    EXPECT_TRUE(NearPoint(b.k, {0, -h, h}));
    // Up is not at right angles to the view, so i and j come out shortened
    // (nothing normalises them); their directions are the camera's.
    EXPECT_TRUE(NearPoint(b.i, {h, 0, 0}));
    EXPECT_TRUE(NearPoint(b.j, {0, 0.5f, 0.5f}));
}

TEST(Camera, TranslateAndMoveToShiftOnlyTheirTransforms)
{
    Camera camera;
    camera.SetPosition({1, 2, 3});
    camera.Translate(1, 0, 0);
    camera.MoveTo(4, 2, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(NearMatrix(camera.Transforms[i], Translation(4, 0, 0))) << "transform " << i;
    for (int i = 3; i < 9; ++i)
        EXPECT_TRUE(NearMatrix(camera.Transforms[i], Matrix4x4(), 0.0f)) << "transform " << i;
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {1, 2, 3}, 0.0f));
    camera.Transforms[3] = Translation(1, 1, 1);
    camera.ResetMatrix();
    EXPECT_TRUE(NearMatrix(camera.Transforms[3], Matrix4x4(), 0.0f));
}

TEST_F(CameraOnPaths, OutsideTheSpanNothingMoves)
{
    EXPECT_EQ(camera.GetPathStartTime(), 100u);
    EXPECT_EQ(camera.GetPathEndTime(), 200u);
    for (std::uint32_t time : {0u, 99u, 200u, 300u})
    {
        camera.FollowPath(time, false);
        ExpectUntouched();
    }
}

TEST_F(CameraOnPaths, InsideTheSpanBothPathsAreFollowed)
{
    camera.FollowPath(100, false);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {0, 0, 0}));
    EXPECT_TRUE(NearPoint(camera.GetTarget(), {0, 0, 10}));
    camera.FollowPath(150, false);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {5, 0, 0}));
    EXPECT_TRUE(NearPoint(camera.GetTarget(), {0, 10, 10}));
}

TEST_F(CameraOnPaths, LoopingWrapsTheTime)
{
    camera.FollowPath(350, true);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {5, 0, 0}));
    camera.FollowPath(200, true);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {0, 0, 0}));
}

TEST_F(CameraOnPaths, ASpanOfNoLengthDoesNothingEvenWhenLooping)
{
    camera.SetPaths(&positionPath, &targetPath, 100, 100);
    for (bool loop : {false, true})
        for (std::uint32_t time : {0u, 100u, 150u})
        {
            camera.FollowPath(time, loop);
            ExpectUntouched();
        }
}

TEST_F(CameraOnPaths, PathTimeIsClamped)
{
    camera.SetPathTime(-1.0f);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {0, 0, 0}));
    camera.SetPathTime(2.0f);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {10, 0, 0}));
    EXPECT_TRUE(NearPoint(camera.GetTarget(), {0, 20, 10}));
}

TEST_F(CameraOnPaths, AMissingPathLeavesItsVectorAlone)
{
    camera.SetPaths(&positionPath, nullptr, 100, 200);
    camera.SetPathTime(0.5f);
    EXPECT_TRUE(NearPoint(camera.GetPosition(), {5, 0, 0}));
    EXPECT_TRUE(NearPoint(camera.GetTarget(), {-2, -2, -2}, 0.0f));
}

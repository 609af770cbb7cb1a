#include "game/picking.h"

#include "game/rules.h"

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

// The game's view: from (0, 100, -100) onto the origin, a 1024 x 768 window.
// Every sphere starts out of the way, so a test places only those it needs.
struct Picking : ::testing::Test
{
    Picking()
    {
        MainCamera = Camera();
        MainCamera.SetCamera({0, 100, -100}, {0, 0, 0}, {0, 1, 0});
        CameraToWorld = MainCamera.CreateViewMatrix().Inverse();
        ScreenWidth = 1024;
        ScreenHeight = 768;
        for (auto& row : PickSpheres)
            for (PickSphere& s : row)
                s = Sphere({1e4f, 1e4f, 1e4f}, 0.0f);
    }

    static PickSphere Sphere(const Vector3& centre, float radius)
    {
        PickSphere s;
        s.Centre = centre;
        s.Radius = radius;
        return s;
    }

    static void ExpectPick(std::int32_t x, std::int32_t y, std::int32_t row, std::int32_t col)
    {
        const GridPoint p = PickPoint(x, y);
        EXPECT_EQ(p.Row, row) << "at pixel " << x << ", " << y;
        EXPECT_EQ(p.Col, col) << "at pixel " << x << ", " << y;
    }
};

// Along +z from the origin.
Ray AlongZ()
{
    return Ray({0, 0, 0}, {0, 0, 1});
}
} // namespace

TEST(PickSphere, IntersectFindsTheNearerCrossingInFront)
{
    struct Case
    {
        const char* what;
        Ray ray;
        Vector3 centre;
        float radius;
        bool limit;
        double maxdist;
        float expected;
    };
    const Case cases[] = {
        {"straight ahead", AlongZ(), {0, 0, 10}, 1, true, 100, 9},
        {"origin inside: the far side", AlongZ(), {0, 0, 0.5f}, 1, true, 100, 1.5f},
        {"entirely behind", AlongZ(), {0, 0, -10}, 1, true, 100, -1},
        {"beyond maxdist", AlongZ(), {0, 0, 10}, 1, true, 5, -1},
        {"beyond maxdist without the limit", AlongZ(), {0, 0, 10}, 1, false, 5, 9},
        {"just within maxdist", AlongZ(), {0, 0, 10}, 1, true, 9, 9},
        {"tangent: a hit at -b / 2", AlongZ(), {1, 0, 10}, 1, true, 100, 10},
        {"passing by", AlongZ(), {3, 0, 10}, 1, true, 100, -1},
        {"nearer than the near limit", AlongZ(), {0, 0, 1.0003f}, 1, true, 100, -1},
        {"just past the near limit", AlongZ(), {0, 0, 1.0005f}, 1, true, 100, 0.0005f},
        {"from an offset origin", Ray({5, 5, 5}, {0, -1, 0}), {5, -5, 5}, 2, true, 100, 8},
    };
    for (const Case& c : cases)
    {
        PickSphere s;
        s.Centre = c.centre;
        s.Radius = c.radius;
        EXPECT_NEAR(s.Intersect(c.ray, c.limit, c.maxdist), c.expected, 1e-5f) << c.what;
    }
}

TEST_F(Picking, TheWindowCentreLooksAlongTheView)
{
    float maxdist = 0;
    const Ray ray = PickRay(512, 384, maxdist);
    const Vector3 view = MainCamera.GetViewVector().Normalized();
    EXPECT_TRUE(NearPoint(ray.Direction, view, 1e-5f));
    EXPECT_TRUE(NearPoint(ray.Origin, MainCamera.GetPosition() + view * 1.0f, 1e-3f));
    EXPECT_NEAR(maxdist, 10000.0f - 1.0f, 1e-2f);
}

TEST_F(Picking, TheRightEdgeUsesTheFixedAspect)
{
    // In view space the ray at the right edge runs tan(pi/8) x 4/3 out per
    // unit of depth, at any window size.
    for (std::int32_t width : {1024, 800, 1600})
    {
        ScreenWidth = width;
        float maxdist = 0;
        Ray ray = PickRay(width, ScreenHeight / 2, maxdist);
        Vector3 inView = ray.Direction;
        Matrix4x4 rotation = MainCamera.GetViewMatrix();
        rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0.0f;
        inView.Transform(rotation);
        EXPECT_NEAR(inView.x / inView.z, 0.5522847f, 1e-5f) << "width " << width;
        EXPECT_NEAR(inView.y, 0.0f, 1e-5f);
    }
}

TEST_F(Picking, NothingHitGivesNoPoint)
{
    PickSpheres[4][4] = Sphere({50, 0, 0}, 2);
    ExpectPick(512, 384, -1, -1);
}

TEST_F(Picking, TheNearestSphereWins)
{
    PickSpheres[0][0] = Sphere({0, 0, 0}, 2);
    PickSpheres[18][18] = Sphere({0, 50, -50}, 2);
    ExpectPick(512, 384, 18, 18);
}

TEST_F(Picking, SpheresBehindTheNearPlaneOrBeyondTheFarPlaneAreIgnored)
{
    MainCamera.SetClipPlanes(10.0f, 200.0f);
    PickSpheres[1][1] = Sphere({0, 97, -97}, 1);   // about 4 from the camera
    PickSpheres[2][2] = Sphere({0, -100, 100}, 2); // about 283 away
    ExpectPick(512, 384, -1, -1);
    PickSpheres[3][3] = Sphere({0, 0, 0}, 2);
    ExpectPick(512, 384, 3, 3);
}

TEST_F(Picking, EqualDistancesKeepTheSmallerRowThenColumn)
{
    const PickSphere same = Sphere({0, 0, 0}, 2);
    PickSpheres[7][1] = same;
    PickSpheres[3][5] = same;
    ExpectPick(512, 384, 3, 5);
    PickSpheres[3][2] = same;
    ExpectPick(512, 384, 3, 2);
}

TEST_F(Picking, EveryIntersectionOfTheCentreLineIsPickedWhereItIsDrawn)
{
    // A 19 x 19 board of spacing 4 in the plane y = 0, centred on the origin.
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
            PickSpheres[row][col] = Sphere({(col - 9) * 4.0f, 0.0f, (row - 9) * 4.0f}, 2.0f);

    // Where the drawn image puts each point of the line x = 0: the view, then
    // the default projection (only its x and y scales and w = z matter).
    const float m00 = 1.73205078f, m11 = 2.41421342f;
    for (int row = 0; row < BoardSize; ++row)
    {
        Vector3 v(0.0f, 0.0f, (row - 9) * 4.0f);
        v.Transform(MainCamera.GetViewMatrix());
        const float ndcX = v.x * m00 / v.z;
        const float ndcY = v.y * m11 / v.z;
        const auto px = std::int32_t(std::lround((ndcX + 1.0f) * ScreenWidth / 2.0f));
        const auto py = std::int32_t(std::lround((1.0f - ndcY) * ScreenHeight / 2.0f));
        ExpectPick(px, py, row, 9);
    }
}

// From a client pixel to the back-buffer pixel under its centre.
TEST(ToBackBuffer, TakesAClientPixelToTheBackBufferPixelUnderItsCentre)
{
    struct Case
    {
        std::int32_t p;
        std::int64_t client;
        std::int32_t back, expected;
    };
    const Case cases[] = {
        // The same size: the identity, also outside the client area, where a
        // held button reports the pointer.
        {0, 1024, 1024, 0},
        {1023, 1024, 1024, 1023},
        {-1, 1024, 1024, -1},
        {-2, 1024, 1024, -2},
        {-700, 1024, 1024, -700},
        {1500, 1024, 1024, 1500},
        // Twice as wide a window: two client pixels to one.
        {0, 2048, 1024, 0},
        {1, 2048, 1024, 0},
        {2047, 2048, 1024, 1023},
        {-1, 2048, 1024, -1},
        {-2, 2048, 1024, -1},
        {-3, 2048, 1024, -2},
        // Half as wide: the centre of client pixel 1 lies in back pixel 3.
        {1, 512, 1024, 3},
        {-1, 512, 1024, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToBackBuffer(c.p, c.client, c.back), c.expected)
            << "client pixel " << c.p << " of " << c.client << " over " << c.back;
}

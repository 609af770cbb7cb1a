#include "math/basis.h"
#include "math/matrix4x4.h"
#include "math/quaternion.h"
#include "math/ray.h"
#include "math_expect.h"

#include <functional>

namespace
{

struct Axes
{
    Vector3 i, j, k;
};

::testing::AssertionResult AxesNear(const Basis& b, const Axes& e)
{
    auto ok = Near(b.i, e.i) && Near(b.j, e.j) && Near(b.k, e.k);
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "i = (" << b.i << "), j = (" << b.j << "), k = (" << b.k << ")";
}

} // namespace

TEST(Ray, Defaults)
{
    Ray ray;
    EXPECT_TRUE(Same(ray.Origin, Vector3(0, 0, 0)));
    EXPECT_TRUE(Same(ray.Direction, Vector3(0, 0, 1)));
    EXPECT_EQ(ray.Extra1, 1.0f);
    EXPECT_EQ(ray.Extra2, 1.0f);

    Ray given(Vector3(1, 2, 3), Vector3(0, -3, 4));
    EXPECT_TRUE(Same(given.Origin, Vector3(1, 2, 3)));
    EXPECT_TRUE(Same(given.Direction, Vector3(0, -3, 4)));
}

TEST(Basis, WorkedFrames)
{
    struct Case
    {
        const char* what;
        std::function<Basis()> build;
        Axes expected;
    };
    const Case cases[] = {
        {"default", [] { return Basis(); }, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"given axes", [] { return Basis(Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9)); }, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
        {"from x", [] { return Basis(Vector3(1, 0, 0), 1); }, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}},
        {"from z is the default", [] { return Basis(Vector3(0, 0, 1), 1); }, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"from (0, 0, 2), lengths kept", [] { return Basis(Vector3(0, 0, 2), 1); }, {{2, 0, 0}, {0, 4, 0}, {0, 0, 2}}},
        {"from up is degenerate", [] { return Basis(Vector3(0, 2, 0), 1); }, {{0, 0, 0}, {0, 0, 0}, {0, 2, 0}}},
        {"Euler (0, 0, pi/2)",
         [] {
             Basis b;
             b.Rotate(0, 0, HalfPi);
             return b;
         },
         {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}},
        {"matrix translation reaches the axes",
         [] {
             Matrix4x4 t;
             t.SetTranslation(1, 2, 3);
             Basis b;
             b.Rotate(t);
             return b;
         },
         {{2, 2, 3}, {1, 3, 3}, {1, 2, 4}}},
        {"quaternion about z by pi/2",
         [] {
             Quaternion q;
             q.SetRotation(Vector3(0, 0, 1), HalfPi);
             Basis b;
             b.Rotate(q);
             return b;
         },
         {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(AxesNear(c.build(), c.expected)) << c.what;
}

TEST(Basis, RotationMatrixHasTheAxesAsRows)
{
    EXPECT_TRUE(Same(Basis().CreateRotationMatrix(), Matrix3x3()));

    Basis b(Vector3(0, 0, -1), Vector3(0, 1, 0), Vector3(1, 0, 0));
    Matrix3x3 m = b.CreateRotationMatrix();
    EXPECT_TRUE(Same(m, Matrix3x3(0, 0, -1, 0, 1, 0, 1, 0, 0)));
    Vector3 x(1, 0, 0);
    x.Transform(Matrix4x4(m));
    EXPECT_TRUE(Same(x, b.i));
}

#include "math/matrix3x3.h"
#include "math/vector2.h"
#include "math_expect.h"

#include <sstream>

TEST(Vector2, LengthsAndConversion)
{
    EXPECT_EQ(Vector2(3, 4).Length(), 5.0f);
    EXPECT_EQ(Vector2(3, 4).LengthSq(), 25.0f);
    EXPECT_EQ(DotProduct(Vector2(1, 2), Vector2(3, 4)), 11.0f);
    EXPECT_EQ(Vector2(1, 2).DotProduct(Vector2(3, 4)), 11.0f);
    EXPECT_TRUE(Same(Vector2(3, 4).Normalized(), Vector2(0.6f, 0.8f)));
    Vector3 homogeneous = Vector2(2, 3);
    EXPECT_TRUE(Same(homogeneous, Vector3(2, 3, 1)));
}

TEST(Vector2, OrderingAndToleranceComparisons)
{
    const Outcome<bool> cases[] = {
        // Against a float, the squared length meets the float as it stands.
        {"(3, 4) > 20", Vector2(3, 4) > 20.0f, true},
        {"(3, 4) < 20", Vector2(3, 4) < 20.0f, false},
        {"(2, 0) > 3", Vector2(2, 0) > 3.0f, true},
        {"(2, 0) < 3", Vector2(2, 0) < 3.0f, false},
        {"(3, 4) > (4, 3), equal lengths", Vector2(3, 4) > Vector2(4, 3), false},
        {"(3, 4) < (4, 3), equal lengths", Vector2(3, 4) < Vector2(4, 3), false},
        {"(1, 0) < (0, -2)", Vector2(1, 0) < Vector2(0, -2), true},
        {"(0, -2) > (1, 0)", Vector2(0, -2) > Vector2(1, 0), true},
        // Equality against a float compares the length itself.
        {"(3, 4) == 5", Vector2(3, 4) == 5.0f, true},
        {"(3, 4) == 6", Vector2(3, 4) == 6.0f, false},
        {"(3, 4) == 4.99", Vector2(3, 4) == 4.99f, false},
        {"(3, 4) == 25", Vector2(3, 4) == 25.0f, false},
        {"(0, 0) == (0, 5e-9)", Vector2(0, 0) == Vector2(0, 5e-9f), true},
        {"(0, 0) == (0, 2e-8)", Vector2(0, 0) == Vector2(0, 2e-8f), false},
        {"(0, 0) == (0, 1e-8), strict", Vector2(0, 0) == Vector2(0, 1e-8f), false},
        {"(1, 2) == (1, 2.001)", Vector2(1, 2) == Vector2(1, 2.001f), false},
        {"(1, 2) == (1, 2)", Vector2(1, 2) == Vector2(1, 2), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what;
}

TEST(Vector2, InPlaceOperations)
{
    Vector2 v(1, 2);
    v += Vector2(1, 1);
    v -= Vector2(0, 2);
    v *= 3.0f;
    v /= 2.0f;
    EXPECT_TRUE(Same(v, Vector2(3, 1.5f)));
    v.Translate(1, -1);
    v.Scale(2, -2);
    EXPECT_TRUE(Same(v, Vector2(8, -1)));
    EXPECT_TRUE(Same(-v + Vector2(1, 1) - Vector2(0, 1), Vector2(-7, 1)));
    EXPECT_TRUE(Same(v * 0.5f, Vector2(4, -0.5f)));
    EXPECT_TRUE(Same(v / 2.0f, Vector2(4, -0.5f)));
}

TEST(Vector2, RotateAndTransform)
{
    Vector2 v(1, 0);
    v.Rotate(HalfPi);
    EXPECT_TRUE(Near(v, Vector2(0, 1)));

    // Column 2 of the 3x3 matrix is never read and nothing is divided.
    Matrix3x3 m(2, 0, 7,
                0, 3, 7,
                5, 6, 9);
    Vector2 p(1, 1);
    p.Transform(m);
    EXPECT_TRUE(Same(p, Vector2(7, 9)));
}

TEST(Vector2, IndexGivesXOrY)
{
    Vector2 v(1, 2);
    for (int i : {1, 7, -1})
        EXPECT_EQ(v[i], 2.0f) << i;
    v[0] = 5;
    EXPECT_EQ(v.x, 5.0f);
}

TEST(Vector2, StreamsAndNonFinite)
{
    std::ostringstream os;
    os << Vector2(1, 2.5f);
    EXPECT_EQ(os.str(), "1, 2.5");

    Vector2 zero;
    zero.Normalize();
    EXPECT_TRUE(AllNaN(&zero.x, 2));
}

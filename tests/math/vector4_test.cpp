#include "math/matrix4x4.h"
#include "math/vector4.h"
#include "math_expect.h"

#include <functional>
#include <sstream>

namespace
{

Matrix4x4 Translation(float x, float y, float z)
{
    Matrix4x4 t;
    t.SetTranslation(x, y, z);
    return t;
}

} // namespace

TEST(Vector4, WorkedValues)
{
    struct Case
    {
        const char* what;
        std::function<Vector4()> compute;
        Vector4 expected;
    };
    const Case cases[] = {
        {"from Vector3", [] { return Vector4(Vector3(2, 3, 4)); }, {2, 3, 4, 1}},
        {"Translate",
         [] {
             Vector4 v(1, 2, 3, 4);
             v.Translate(1, 1, 1, 1);
             return v;
         },
         {2, 3, 4, 5}},
        {"cross of three unit axes", [] { return CrossProduct(Vector4(1, 0, 0, 0), Vector4(0, 1, 0, 0), Vector4(0, 0, 1, 0)); }, {0, 0, 0, -1}},
        {"member cross", [] { return Vector4(1, 0, 0, 0).CrossProduct(Vector4(0, 1, 0, 0), Vector4(0, 0, 1, 0)); }, {0, 0, 0, -1}},
        {"translated point", [] { return Transformed(Vector4(1, 2, 3, 1), Translation(10, 20, 30)); }, {11, 22, 33, 1}},
        {"translated direction", [] { return Transformed(Vector4(1, 2, 3, 0), Translation(10, 20, 30)); }, {1, 2, 3, 0}},
        {"last column is read",
         [] {
             Matrix4x4 m;
             m.m[3][3] = 2;
             m.m[0][3] = 1;
             return Transformed(Vector4(1, 2, 3, 1), m);
         },
         {1, 2, 3, 3}},
        {"Normalize divides w too", [] { return Vector4(1, 1, 1, 1).Normalized(); }, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"Euler rotation keeps w",
         [] {
             Vector4 v(1, 0, 0, 1);
             v.Rotate(0, 0, HalfPi);
             return v;
         },
         {0, 1, 0, 1}},
        {"axis rotation turns the other way",
         [] {
             Vector4 v(1, 0, 0, 0);
             v.Rotate(Vector3(0, 0, 1), HalfPi);
             return v;
         },
         {0, -1, 0, 0}},
        {"in-place arithmetic",
         [] {
             Vector4 v(1, 2, 3, 4);
             v += Vector4(1, 1, 1, 1);
             v -= Vector4(0, 1, 2, 3);
             v *= 4.0f;
             v /= 2.0f;
             return v;
         },
         {4, 4, 4, 4}},
        {"value arithmetic", [] { return -(Vector4(1, 2, 3, 4) - Vector4(1, 1, 1, 1)) * 2.0f / 4.0f; }, {0, -0.5f, -1, -1.5f}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(c.compute(), c.expected)) << c.what;

    Vector3 dropped = Vector4(2, 3, 4, 9);
    EXPECT_TRUE(Same(dropped, Vector3(2, 3, 4)));
    EXPECT_EQ(Vector4(1, 1, 1, 1).Length(), 2.0f);
    EXPECT_EQ(Vector4(1, 1, 1, 1).LengthSq(), 4.0f);
    EXPECT_EQ(DotProduct(Vector4(1, 2, 3, 4), Vector4(4, 3, 2, 1)), 20.0f);
}

TEST(Vector4, ComparisonsUseSquaredLengthAndTolerance)
{
    EXPECT_TRUE(Vector4(1, 1, 1, 1) > 3.0f);
    EXPECT_FALSE(Vector4(1, 1, 1, 1) < 3.0f);
    EXPECT_TRUE(Vector4(0, 0, 0, 1) < Vector4(0, 0, 2, 0));
    EXPECT_FALSE(Vector4(0, 0, 0, 1) > Vector4(0, 0, 2, 0));
    EXPECT_TRUE(Vector4(1, 1, 1, 1) == 2.0f);
    EXPECT_FALSE(Vector4(1, 1, 1, 1) == 4.0f);
    EXPECT_TRUE(Vector4(0, 0, 0, 0) == Vector4(0, 0, 0, 5e-9f));
    EXPECT_FALSE(Vector4(0, 0, 0, 0) == Vector4(0, 0, 0, 2e-8f));
}

TEST(Vector4, MatrixRowsAndColumns)
{
    Matrix4x4 t;
    t.SetTranslation(4, 5, 6);
    EXPECT_TRUE(Same(t.GetRow(3), Vector4(4, 5, 6, 1)));
    EXPECT_TRUE(Same(t.GetColumn(3), Vector4(0, 0, 0, 1)));
    EXPECT_TRUE(Same(t.GetColumn(0), Vector4(1, 0, 0, 4)));

    Matrix4x4 m;
    m.SetRow(Vector4(1, 2, 3, 4), 2);
    EXPECT_EQ(m.m[2][0], 1.0f);
    EXPECT_EQ(m.m[2][3], 4.0f);
    EXPECT_TRUE(Same(m.GetRow(1), Vector4(0, 1, 0, 0)));
}

TEST(Vector4, IndexGivesAComponent)
{
    Vector4 v(1, 2, 3, 4);
    for (int i : {3, 9, -1})
        EXPECT_EQ(v[i], 4.0f) << i;
    EXPECT_EQ(v[2], 3.0f);
    v[1] = 7;
    EXPECT_EQ(v.y, 7.0f);
}

TEST(Vector4, CrossProductIsPerpendicularToItsInputs)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        Vector4 t = random.Vector4D(), a = random.Vector4D(), b = random.Vector4D();
        Vector4 n = CrossProduct(t, a, b);
        ASSERT_NEAR(n.DotProduct(t), 0.0f, 1e-5f) << run;
        ASSERT_NEAR(n.DotProduct(a), 0.0f, 1e-5f) << run;
        ASSERT_NEAR(n.DotProduct(b), 0.0f, 1e-5f) << run;
    }
}

TEST(Vector4, StreamsAndNonFinite)
{
    std::ostringstream os;
    os << Vector4(1, 2.5f, -3, 0.25f);
    EXPECT_EQ(os.str(), "1, 2.5, -3, 0.25");

    Vector4 zero(0, 0, 0, 0);
    zero.Normalize();
    EXPECT_TRUE(AllNaN(&zero.x, 4));
}

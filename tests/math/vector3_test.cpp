#include "math/matrix4x4.h"
#include "math/vector3.h"
#include "math_expect.h"

#include <functional>
#include <iomanip>
#include <sstream>

namespace
{

struct Vector3Case
{
    const char* what;
    std::function<Vector3()> compute;
    Vector3 expected;
};

const Vector3 UnitNormal = Vector3(1.0f, 2.0f, 2.0f) / 3.0f;

} // namespace

TEST(Vector3, WorkedValues)
{
    const Vector3Case cases[] = {
        {"default", [] { return Vector3(); }, {0, 0, 0}},
        {"Normalized (3, 0, 4)", [] { return Vector3(3, 0, 4).Normalized(); }, {0.6f, 0, 0.8f}},
        {"member cross", [] { return Vector3(1, 0, 0).CrossProduct(Vector3(0, 1, 0)); }, {0, 0, 1}},
        {"free cross", [] { return CrossProduct(Vector3(1, 0, 0), Vector3(0, 1, 0)); }, {0, 0, 1}},
        {"cross anticommutes", [] { return CrossProduct(Vector3(0, 1, 0), Vector3(1, 0, 0)); }, {0, 0, -1}},
        {"translate-only matrix",
         [] {
             Matrix4x4 t;
             t.SetTranslation(10, 20, 30);
             return Transformed(Vector3(1, 2, 3), t);
         },
         {11, 22, 33}},
        {"Euler (0, 0, pi/2) on x",
         [] {
             Vector3 v(1, 0, 0);
             v.Rotate(0, 0, HalfPi);
             return v;
         },
         {0, 1, 0}},
        {"Euler (pi/2, 0, 0) on y",
         [] {
             Vector3 v(0, 1, 0);
             v.Rotate(HalfPi, 0, 0);
             return v;
         },
         {0, 0, 1}},
        {"axis z by pi/2 on x turns the other way",
         [] {
             Vector3 v(1, 0, 0);
             v.Rotate(Vector3(0, 0, 1), HalfPi);
             return v;
         },
         {0, -1, 0}},
        {"Refract straight through, equal indices", [] { return (-UnitNormal).Refract(UnitNormal, 1, 1); }, -UnitNormal},
        {"Refract into the denser medium", [] { return (-UnitNormal).Refract(UnitNormal, 1, 2); }, UnitNormal * -4.0f},
        {"Translate",
         [] {
             Vector3 v(1, 2, 3);
             v.Translate(-1, 0.5f, 2);
             return v;
         },
         {0, 2.5f, 5}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(c.compute(), c.expected, 1e-6f)) << c.what;
}

TEST(Vector3, NormalizeDividesByTheRoundedLength)
{
    // 3 * (1 / 7) and 3 / 7 differ in the last bit: the three components
    // must come from divisions, not from a multiplied reciprocal.
    Vector3 v(2, 3, 6);
    v.Normalize();
    EXPECT_TRUE(Same(v, Vector3(2.0f / 7.0f, 3.0f / 7.0f, 6.0f / 7.0f)));
    EXPECT_NE(3.0f / 7.0f, 3.0f * (1.0f / 7.0f));
    EXPECT_TRUE(Same(Vector3(2, 3, 6).Normalized(), v));
}

TEST(Vector3, ValueOperatorsLeaveOperandsAlone)
{
    const Vector3 a(1, 2, 3);
    const Vector3 b(4, 5, 6);
    EXPECT_TRUE(Same(a + b, Vector3(5, 7, 9)));
    EXPECT_TRUE(Same(a - b, Vector3(-3, -3, -3)));
    EXPECT_TRUE(Same(a * 2.0f, Vector3(2, 4, 6)));
    EXPECT_TRUE(Same(b / 2.0f, Vector3(2, 2.5f, 3)));
    EXPECT_TRUE(Same(a, Vector3(1, 2, 3)));
    EXPECT_TRUE(Same(b, Vector3(4, 5, 6)));
    EXPECT_EQ(DotProduct(a, b), 32.0f);

    Vector3 c = a;
    c += b;
    c *= 2.0f;
    c /= 4.0f;
    EXPECT_TRUE(Same(c, Vector3(2.5f, 3.5f, 4.5f)));
}

TEST(Vector3, TransformIgnoresTheLastColumn)
{
    Matrix4x4 affine;
    affine.SetRotation(0.3f, -1.1f, 2.0f);
    affine.Translate(5, -6, 7);
    Matrix4x4 projective = affine;
    projective.m[0][3] = 1;
    projective.m[1][3] = 1;
    projective.m[2][3] = 1;
    projective.m[3][3] = 5;
    EXPECT_TRUE(Same(Transformed(Vector3(1, 2, 3), projective), Transformed(Vector3(1, 2, 3), affine)));
}

TEST(Vector3, TransformReadsOnlyTheOldComponents)
{
    // A swap of x and y shows whether a new x leaks into the new y.
    Matrix4x4 swap(0, 1, 0, 0,
                   1, 0, 0, 0,
                   0, 0, 1, 0,
                   0, 0, 0, 1);
    EXPECT_TRUE(Same(Transformed(Vector3(1, 2, 3), swap), Vector3(2, 1, 3)));
}

TEST(Vector3, IndexGivesXYOrZ)
{
    Vector3 v(1, 2, 3);
    for (int i : {2, 5, -1, 1000})
        EXPECT_EQ(v[i], 3.0f) << i;
    EXPECT_EQ(v[1], 2.0f);
    v[0] = 9;
    EXPECT_EQ(v.x, 9.0f);
}

TEST(Vector3, StreamsThroughTheStreamsOwnFormat)
{
    std::ostringstream plain;
    plain << Vector3(1, 2.5f, -3);
    EXPECT_EQ(plain.str(), "1, 2.5, -3");

    std::ostringstream fixed;
    fixed << std::fixed << std::setprecision(2) << Vector3(1, 2.5f, -3);
    EXPECT_EQ(fixed.str(), "1.00, 2.50, -3.00");
}

TEST(Vector3, NonFiniteWithoutGuards)
{
    Vector3 zero;
    zero.Normalize();
    EXPECT_TRUE(AllNaN(&zero.x, 3));
    Vector3 divided = Vector3(1, 0, -1) / 0.0f;
    EXPECT_TRUE(std::isinf(divided.x));
    EXPECT_TRUE(std::isnan(divided.y));
    EXPECT_TRUE(std::isinf(divided.z));
    // Past the critical angle the radicand is negative.
    Vector3 grazing = Vector3(1, -0.1f, 0).Refract(Vector3(0, 1, 0), 2, 1);
    EXPECT_TRUE(AllNaN(&grazing.x, 3));
}

#include "math/matrix4x4.h"
#include "math/quaternion.h"
#include "math_expect.h"

#include <functional>

namespace
{

Quaternion Rotation(const Vector3& axis, float angle)
{
    Quaternion q;
    q.SetRotation(axis, angle);
    return q;
}

} // namespace

TEST(Quaternion, WorkedValues)
{
    struct Case
    {
        const char* what;
        std::function<Quaternion()> compute;
        Quaternion expected;
    };
    const Case cases[] = {
        {"default", [] { return Quaternion(); }, {1, 0, 0, 0}},
        {"ResetRotation",
         [] {
             Quaternion q(2, 3, 4, 5);
             q.ResetRotation();
             return q;
         },
         {1, 0, 0, 0}},
        {"i * j", [] { return Quaternion(0, 1, 0, 0) * Quaternion(0, 0, 1, 0); }, {0, 0, 0, 1}},
        {"j * i", [] { return Quaternion(0, 0, 1, 0) * Quaternion(0, 1, 0, 0); }, {0, 0, 0, -1}},
        {"general product", [] { return Quaternion(1, 2, 3, 4) * Quaternion(5, 6, 7, 8); }, {-60, 12, 30, 24}},
        {"Inverse of (2, 0, 0, 0)", [] { return Quaternion(2, 0, 0, 0).Inverse(); }, {0.5f, 0, 0, 0}},
        {"Inverse divides the conjugate by the squared length", [] { return Quaternion(1, 1, 1, 1).Inverse(); }, {0.25f, -0.25f, -0.25f, -0.25f}},
        {"Conjugate", [] { return Quaternion(1, 2, 3, 4).Conjugate(); }, {1, -2, -3, -4}},
        {"axis length stays", [] { return Rotation(Vector3(0, 0, 2), Pi); }, {0, 0, 0, 2}},
        {"Normalized (0, 3, 0, 4)", [] { return Quaternion(0, 3, 0, 4).Normalized(); }, {0, 0.6f, 0, 0.8f}},
        {"sum, difference, negation", [] { return -(Quaternion(1, 2, 3, 4) + Quaternion(1, 1, 1, 1) - Quaternion(0, 0, 0, 5)); }, {-2, -3, -4, 0}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(c.compute(), c.expected, 1e-6f)) << c.what;

    EXPECT_NEAR(Rotation(Vector3(0, 0, 2), Pi).Length(), 2.0f, 1e-6f);
    EXPECT_EQ(Quaternion(1, 2, 3, 4).LengthSq(), 30.0f);
    EXPECT_TRUE(Same(Quaternion(2.0f, Vector3(3, 4, 5)), Quaternion(2, 3, 4, 5)));
}

TEST(Quaternion, CompoundOperatorsMatchTheirValueForms)
{
    const Quaternion a(1, 2, 3, 4);
    const Quaternion b(-0.5f, 0.25f, 2, -1);
    Quaternion q = a;
    q *= b;
    EXPECT_TRUE(Same(q, a * b));
    q = a;
    q *= q;
    EXPECT_TRUE(Same(q, a * a));
    q = a;
    q += b;
    EXPECT_TRUE(Same(q, a + b));
    q -= b;
    EXPECT_TRUE(Same(q, a));
    q.Normalize();
    EXPECT_TRUE(Same(q, a.Normalized()));
}

TEST(Quaternion, TurningVectors)
{
    EXPECT_TRUE(Near(Transformed(Vector3(1, 0, 0), Rotation(Vector3(0, 0, 1), HalfPi)), Vector3(0, 1, 0)));

    // The turn added by Rotate acts first: x takes y to z, then z leaves it.
    Quaternion q;
    q.Rotate(Vector3(0, 0, 1), HalfPi);
    q.Rotate(Vector3(1, 0, 0), HalfPi);
    EXPECT_TRUE(Near(Transformed(Vector3(0, 1, 0), q), Vector3(0, 0, 1)));

    Matrix3x3 identity;
    EXPECT_TRUE(Same(Quaternion().GetRotationMatrix(), identity));
    Matrix3x3 aboutZ = Rotation(Vector3(0, 0, 1), HalfPi).GetRotationMatrix();
    EXPECT_TRUE(Near(aboutZ.GetRow(0), Vector3(0, 1, 0)));
}

TEST(Quaternion, NonFiniteWithoutGuards)
{
    Quaternion zero(0, 0, 0, 0);
    Quaternion inverse = zero.Inverse();
    EXPECT_TRUE(AllNaN(&inverse.s, 4));
    Quaternion normalized = zero.Normalized();
    EXPECT_TRUE(AllNaN(&normalized.s, 4));
    zero.Normalize();
    EXPECT_TRUE(AllNaN(&zero.s, 4));
}

TEST(Quaternion, AgreesWithItsMatrixAndTheAxisAngleMatrix)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        Vector3 axis = random.UnitAxis();
        float angle = random.Angle();
        Vector3 p = random.Vector(5.0f);

        Quaternion q = Rotation(axis, angle);
        Vector3 byQuaternion = Transformed(p, q);
        Vector3 byItsMatrix = Transformed(p, Matrix4x4(q.GetRotationMatrix()));
        // The axis-angle matrix turns the other way.
        Matrix4x4 axisAngle;
        axisAngle.SetRotation(axis, -angle);
        Vector3 byAxisAngle = Transformed(p, axisAngle);

        ASSERT_TRUE(Near(byQuaternion, byItsMatrix, 1e-4f)) << run;
        ASSERT_TRUE(Near(byQuaternion, byAxisAngle, 1e-4f)) << run;
        ASSERT_NEAR(byQuaternion.Length(), p.Length(), 1e-4f) << run;
    }
}

TEST(Quaternion, MatrixOfAProductIsTheReversedMatrixProduct)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        Quaternion a = random.UnitQuaternion();
        Quaternion b = random.UnitQuaternion();
        ASSERT_TRUE(Near((a * b).GetRotationMatrix(), b.GetRotationMatrix() * a.GetRotationMatrix(), 1e-5f)) << run;
        // For a unit quaternion the inverse is the conjugate.
        ASSERT_TRUE(Near(a.Inverse(), a.Conjugate(), 1e-6f)) << run;
    }
}

#include "engine/motioncontroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
::testing::AssertionResult NearMatrix(const Matrix4x4& a, const Matrix4x4& b, float tol = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(a.m[r][c] - b.m[r][c]) <= tol))
                return ::testing::AssertionFailure() << "element " << r << c << ": " << a.m[r][c] << " against "
                                                     << b.m[r][c];
    return ::testing::AssertionSuccess();
}

float One(float) { return 1.0f; }
float Two(float) { return 2.0f; }
float Three(float) { return 3.0f; }
float Identity(float t) { return t; }

// Records which function ran, and with which time.
std::string Calls;
float Seen[9];
template <char Name, int Slot>
float Record(float t)
{
    Calls += Name;
    Seen[Slot] = t;
    return Slot < 3 ? 1.0f : 0.0f; // scaling by one, no turn or shift
}
} // namespace

TEST(MotionController, ANewControllerScalesEverythingToZero)
{
    MotionController mc;
    EXPECT_TRUE(NearMatrix(mc.Matrix, Matrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0.0f));
    for (float t : {0.0f, 1.0f, 123.0f})
        EXPECT_TRUE(NearMatrix(mc.Evaluate(t), Matrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1), 0.0f));
}

TEST(MotionController, FrozenGivesTheIdentityAndCallsNothing)
{
    MotionController mc;
    mc.SetScaling(Record<'s', 0>, Record<'s', 1>, Record<'s', 2>, 1.0f);
    mc.SetTranslation(Record<'t', 6>, nullptr, nullptr, 1.0f);
    mc.Freeze(0xDEADBEEF);
    Calls.clear();
    EXPECT_TRUE(NearMatrix(mc.Evaluate(5.0f), Matrix4x4(), 0.0f));
    EXPECT_EQ(Calls, "");
}

TEST(MotionController, ScalesThenRotatesThenTranslates)
{
    MotionController mc;
    mc.SetScaling(One, One, One, 1.0f);
    mc.SetTranslation(Identity, nullptr, nullptr, 2.0f);
    Matrix4x4 t6;
    t6.SetTranslation(6, 0, 0);
    EXPECT_TRUE(NearMatrix(mc.Evaluate(3.0f), t6, 0.0f));

    mc.SetScaling(Two, Two, Two, 1.0f);
    mc.SetTranslation(One, nullptr, nullptr, 1.0f);
    Vector3 p(1, 0, 0);
    p.Transform(mc.Evaluate(0.0f));
    EXPECT_FLOAT_EQ(p.x, 3.0f);

    // A quarter turn about y after the scaling, before the shift.
    mc.SetRotation(nullptr, [](float) { return 3.14159265f / 2; }, nullptr, 1.0f);
    p = Vector3(1, 0, 0);
    p.Transform(mc.Evaluate(0.0f));
    Vector3 expected(2, 0, 0);
    expected.Rotate(0, 3.14159265f / 2, 0);
    EXPECT_NEAR(p.x, expected.x + 1.0f, 1e-5f);
    EXPECT_NEAR(p.y, expected.y, 1e-5f);
    EXPECT_NEAR(p.z, expected.z, 1e-5f);
}

TEST(MotionController, EachAxisTakesItsOwnFunction)
{
    MotionController mc;
    mc.SetScaling(One, One, One, 0.0f);
    mc.SetTranslation(One, Two, Three, 1.0f);
    const Matrix4x4& m = mc.Evaluate(0.0f);
    EXPECT_EQ(m.m[3][0], 1.0f);
    EXPECT_EQ(m.m[3][1], 2.0f);
    EXPECT_EQ(m.m[3][2], 3.0f);
}

TEST(MotionController, CallsEachFunctionOnceInOrderWithItsOwnTime)
{
    MotionController mc;
    mc.SetScaling(Record<'a', 0>, Record<'b', 1>, Record<'c', 2>, 3.0f);
    mc.SetRotation(Record<'d', 3>, Record<'e', 4>, Record<'f', 5>, 5.0f);
    mc.SetTranslation(Record<'g', 6>, Record<'h', 7>, Record<'i', 8>, 7.0f);
    Calls.clear();
    mc.Evaluate(2.0f);
    EXPECT_EQ(Calls, "cbafedihg");
    const float expected[9] = {6, 6, 6, 10, 10, 10, 14, 14, 14};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Seen[i], expected[i]) << "function " << i;

    // Changing one step's factor leaves the others' times alone.
    mc.SetScaling(Record<'a', 0>, Record<'b', 1>, Record<'c', 2>, 0.5f);
    mc.Evaluate(2.0f);
    EXPECT_EQ(Seen[0], 1.0f);
    EXPECT_EQ(Seen[3], 10.0f);
    EXPECT_EQ(Seen[6], 14.0f);
}

TEST(MotionController, EachEvaluationStartsAfresh)
{
    MotionController mc;
    mc.SetScaling(One, One, One, 1.0f);
    mc.SetTranslation(Identity, nullptr, nullptr, 1.0f);
    mc.Evaluate(4.0f);
    EXPECT_EQ(mc.Evaluate(1.0f).m[3][0], 1.0f);
}

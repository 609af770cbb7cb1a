#include "math/matrix4x4.h"
#include "math_expect.h"

#include <functional>

namespace
{

const Matrix4x4 General(1, 2, 3, 4,
                        5, 6, 7, 8,
                        2, 6, 4, 8,
                        3, 1, 1, 2);

bool AllFinite(const Matrix4x4& m)
{
    for (const auto& row : m.m)
        for (float e : row)
            if (!std::isfinite(e))
                return false;
    return true;
}

} // namespace

TEST(Matrix4x4, BuilderOrders)
{
    struct Case
    {
        const char* what;
        std::function<Matrix4x4()> build;
        Vector3 point;
        Vector3 expected;
    };
    const Case cases[] = {
        {"translate, then rotate about z",
         [] {
             Matrix4x4 m;
             m.Translate(1, 0, 0);
             m.Rotate(0, 0, HalfPi);
             return m;
         },
         {0, 0, 0}, {0, 1, 0}},
        {"rotate about z, then translate",
         [] {
             Matrix4x4 m;
             m.SetRotation(0, 0, HalfPi);
             m.Translate(1, 0, 0);
             return m;
         },
         {0, 0, 0}, {1, 0, 0}},
        {"translate, then scale scales the offset",
         [] {
             Matrix4x4 m;
             m.SetTranslation(1, 2, 3);
             m.Scale(2, 2, 2);
             return m;
         },
         {0, 0, 0}, {2, 4, 6}},
        {"scale, then translate",
         [] {
             Matrix4x4 m;
             m.SetScaling(2, 2, 2);
             m.Translate(1, 2, 3);
             return m;
         },
         {1, 1, 1}, {3, 4, 5}},
        {"axis z by pi/2", [] { Matrix4x4 m; m.SetRotation(Vector3(0, 0, 1), HalfPi); return m; }, {1, 0, 0}, {0, -1, 0}},
        {"Euler z by pi/2", [] { Matrix4x4 m; m.SetRotation(0, 0, HalfPi); return m; }, {1, 0, 0}, {0, 1, 0}},
        {"Euler x by pi/2", [] { Matrix4x4 m; m.SetRotation(HalfPi, 0, 0); return m; }, {0, 1, 0}, {0, 0, 1}},
        {"Euler y by pi/2", [] { Matrix4x4 m; m.SetRotation(0, HalfPi, 0); return m; }, {0, 0, 1}, {1, 0, 0}},
        // x acts first: (0, 0, 1) -> (0, -1, 0) -> (1, 0, 0); z first would
        // give (0, -1, 0).
        {"Euler x before z", [] { Matrix4x4 m; m.SetRotation(HalfPi, 0, HalfPi); return m; }, {0, 0, 1}, {1, 0, 0}},
        {"accumulated Euler x before z",
         [] {
             Matrix4x4 m;
             m.Rotate(HalfPi, 0, HalfPi);
             return m;
         },
         {0, 0, 1}, {1, 0, 0}},
        {"accumulated axis rotation after translation",
         [] {
             Matrix4x4 m;
             m.SetTranslation(1, 0, 0);
             m.Rotate(Vector3(0, 0, 1), HalfPi);
             return m;
         },
         {0, 0, 0}, {0, -1, 0}},
        {"Set builders replace",
         [] {
             Matrix4x4 m;
             m.SetScaling(5, 5, 5);
             m.Translate(9, 9, 9);
             m.SetTranslation(1, 2, 3);
             return m;
         },
         {1, 1, 1}, {2, 3, 4}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(Transformed(c.point, c.build()), c.expected)) << c.what;
}

TEST(Matrix4x4, WorkedElements)
{
    Matrix4x4 identity;
    EXPECT_TRUE(Same(identity, Matrix4x4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)));
    Matrix4x4 reset = General;
    reset.ResetIdentity();
    EXPECT_TRUE(Same(reset, identity));

    // The axis is used unnormalised.
    const float a = 0.7f;
    Matrix4x4 axis;
    axis.SetRotation(Vector3(0, 0, 2), a);
    const float c = static_cast<float>(std::cos(double(a)));
    EXPECT_FLOAT_EQ(axis.m[0][0], c);
    EXPECT_FLOAT_EQ(axis.m[2][2], 4.0f - 3.0f * c);
    EXPECT_EQ(axis.m[3][3], 1.0f);
    EXPECT_EQ(axis.m[0][3], 0.0f);

    // A((1, 0, 0), a) is Rx(-a).
    Matrix4x4 aboutX;
    aboutX.SetRotation(Vector3(1, 0, 0), a);
    Matrix4x4 euler;
    euler.SetRotation(-a, 0, 0);
    EXPECT_TRUE(Near(aboutX, euler));
}

TEST(Matrix4x4, MemoryIsRowByRow)
{
    Matrix4x4 t;
    t.SetTranslation(7, 8, 9);
    const float* p = &t.m[0][0];
    EXPECT_EQ(p[12], 7.0f);
    EXPECT_EQ(p[13], 8.0f);
    EXPECT_EQ(p[14], 9.0f);
    EXPECT_EQ(p[15], 1.0f);
    const float* g = &General.m[0][0];
    EXPECT_EQ(g[1], 2.0f);
    EXPECT_EQ(g[4], 5.0f);
}

TEST(Matrix4x4, DeterminantAdjointInverse)
{
    EXPECT_EQ(Matrix4x4(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1).Determinant(), 24.0f);
    EXPECT_EQ(General.Determinant(), 72.0f);
    EXPECT_EQ(General.Transposed().Determinant(), 72.0f);
    EXPECT_TRUE(Same(General.Adjoint(), Matrix4x4(-12, 4, -4, 24,
                                                  -60, 20, 16, -24,
                                                  12, 20, -20, -24,
                                                  42, -26, 8, 24)));

    Matrix4x4 t;
    t.SetTranslation(1, 2, 3);
    Matrix4x4 back;
    back.SetTranslation(-1, -2, -3);
    EXPECT_TRUE(Near(t.Inverse(), back));
}

TEST(Matrix4x4, ProductsAndSelfMultiplication)
{
    Matrix4x4 copy = General;
    Matrix4x4 squared = General;
    squared *= squared;
    EXPECT_TRUE(Same(squared, General * copy));

    Matrix4x4 product = General;
    product *= Matrix4x4(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    // Post-multiplying by a column swap swaps columns 0 and 1.
    EXPECT_TRUE(Same(product.GetColumn(0), General.GetColumn(1)));
    EXPECT_TRUE(Same(product.GetColumn(1), General.GetColumn(0)));

    Matrix4x4 sum = General + General;
    EXPECT_TRUE(Same(sum, General * 2.0f));
    Matrix4x4 scaled = General;
    scaled *= 2.0f;
    EXPECT_TRUE(Same(scaled, sum));
    scaled -= General;
    EXPECT_TRUE(Same(scaled, General));
    scaled += General;
    EXPECT_TRUE(Same(scaled - General, General));

    Matrix4x4 transposed = General;
    transposed.Transpose();
    EXPECT_EQ(transposed.m[0][1], 5.0f);
    EXPECT_EQ(transposed.m[3][0], 4.0f);
    EXPECT_TRUE(Same(transposed, General.Transposed()));
}

TEST(Matrix4x4, InverseOfZeroIsNonFinite)
{
    Matrix4x4 zero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    Matrix4x4 inverse = zero.Inverse();
    for (const auto& row : inverse.m)
        for (float e : row)
            EXPECT_FALSE(std::isfinite(e));
}

TEST(Matrix4x4, InverseUndoesWellConditionedMatrices)
{
    RandomInputs random;
    Matrix4x4 identity;
    for (int run = 0; run < PropertyRuns; ++run) {
        // Diagonally dominant: far from singular.
        Matrix4x4 m = random.Matrix4();
        for (int i = 0; i < 4; ++i)
            m.m[i][i] += 4.0f;
        ASSERT_TRUE(Near(m * m.Inverse(), identity, 1e-5f)) << run;
        ASSERT_TRUE(Near(m.Inverse() * m, identity, 1e-5f)) << run;

        // A placement as the engine builds them.
        Matrix4x4 placement;
        placement.SetScaling(random.Uniform(0.5f, 2.0f), random.Uniform(0.5f, 2.0f), random.Uniform(0.5f, 2.0f));
        placement.Rotate(random.Angle(), random.Angle(), random.Angle());
        placement.Rotate(random.UnitAxis(), random.Angle());
        placement.Translate(random.Uniform(-50, 50), random.Uniform(-50, 50), random.Uniform(-50, 50));
        Matrix4x4 inverse = placement.Inverse();
        ASSERT_TRUE(AllFinite(inverse)) << run;
        Vector3 p = random.Vector(10.0f);
        ASSERT_TRUE(Near(Transformed(Transformed(p, placement), inverse), p, 1e-3f)) << run;
    }
}

TEST(Matrix4x4, AdjointTimesMatrixIsTheDeterminant)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        Matrix4x4 m = random.Matrix4(2.0f);
        Matrix4x4 expected;
        expected *= m.Determinant();
        ASSERT_TRUE(Near(m * m.Adjoint(), expected, 1e-4f)) << run;
    }
}

TEST(Matrix4x4, TransposedTwiceIsTheSameMatrix)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        Matrix4x4 m = random.Matrix4(100.0f);
        ASSERT_TRUE(Same(m.Transposed().Transposed(), m)) << run;
        Matrix4x4 t = m.Transposed();
        ASSERT_EQ(t.m[1][3], m.m[3][1]) << run;
    }
}

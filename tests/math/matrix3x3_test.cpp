#include "math/matrix3x3.h"
#include "math/matrix4x4.h"
#include "math/quaternion.h"
#include "math/vector2.h"
#include "math_expect.h"

#include <functional>

namespace
{

const Matrix3x3 Counting(1, 2, 3,
                         4, 5, 6,
                         7, 8, 9);

} // namespace

TEST(Matrix3x3, TwoDimensionalBuilders)
{
    struct Case
    {
        const char* what;
        std::function<Matrix3x3()> build;
        Vector2 point;
        Vector2 expected;
    };
    const Case cases[] = {
        {"SetRotation by pi/2", [] { Matrix3x3 m; m.SetRotation(HalfPi); return m; }, {1, 0}, {0, 1}},
        {"SetTranslation", [] { Matrix3x3 m; m.SetTranslation(3, 4); return m; }, {1, 1}, {4, 5}},
        {"SetScaling", [] { Matrix3x3 m; m.SetScaling(2, -3); return m; }, {1, 1}, {2, -3}},
        {"Set builders replace",
         [] {
             Matrix3x3 m = Counting;
             m.SetTranslation(3, 4);
             return m;
         },
         {1, 1}, {4, 5}},
        {"translate, then rotate",
         [] {
             Matrix3x3 m;
             m.Translate(1, 0);
             m.Rotate(HalfPi);
             return m;
         },
         {0, 0}, {0, 1}},
        {"rotate, then translate",
         [] {
             Matrix3x3 m;
             m.SetRotation(HalfPi);
             m.Translate(1, 0);
             return m;
         },
         {0, 0}, {1, 0}},
        {"scale, then translate",
         [] {
             Matrix3x3 m;
             m.SetScaling(2, 3);
             m.Translate(1, 1);
             return m;
         },
         {1, 1}, {3, 4}},
        {"translate, then scale",
         [] {
             Matrix3x3 m;
             m.SetTranslation(1, 1);
             m.Scale(2, 3);
             return m;
         },
         {1, 1}, {4, 6}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(Transformed(c.point, c.build()), c.expected)) << c.what;

    Matrix3x3 reset = Counting;
    reset.ResetIdentity();
    EXPECT_TRUE(Same(reset, Matrix3x3()));
    EXPECT_TRUE(Same(Matrix3x3(), Matrix3x3(1, 0, 0, 0, 1, 0, 0, 0, 1)));
}

TEST(Matrix3x3, ProductsAndElementwiseOperators)
{
    Matrix3x3 squared = Counting;
    squared *= squared;
    EXPECT_TRUE(Same(squared, Matrix3x3(30, 36, 42, 66, 81, 96, 102, 126, 150)));
    Matrix3x3 copy = Counting;
    EXPECT_TRUE(Same(Counting * copy, squared));

    Matrix3x3 other(0, 1, 0, 2, 0, 0, 0, 0, 3);
    Matrix3x3 product = Counting;
    product *= other;
    EXPECT_TRUE(Same(product, Counting * other));
    EXPECT_TRUE(Same(product, Matrix3x3(4, 1, 9, 10, 4, 18, 16, 7, 27)));

    Matrix3x3 m = Counting;
    m += Counting;
    EXPECT_TRUE(Same(m, Counting * 2.0f));
    EXPECT_TRUE(Same(m, Counting + Counting));
    m -= Counting;
    EXPECT_TRUE(Same(m, Counting));
    m *= 3.0f;
    EXPECT_TRUE(Same(m - Counting, Counting * 2.0f));
}

TEST(Matrix3x3, RowsColumnsAndTranspose)
{
    EXPECT_TRUE(Same(Counting.Transposed(), Matrix3x3(1, 4, 7, 2, 5, 8, 3, 6, 9)));
    EXPECT_TRUE(Same(Counting.GetColumn(1), Vector3(2, 5, 8)));
    EXPECT_TRUE(Same(Counting.GetRow(1), Vector3(4, 5, 6)));
    Matrix3x3 t = Counting;
    t.Transpose();
    EXPECT_TRUE(Same(t, Counting.Transposed()));

    Matrix3x3 m;
    m.SetRow(Vector3(1, 2, 3), 2);
    m.SetColumn(Vector3(7, 8, 9), 0);
    EXPECT_TRUE(Same(m, Matrix3x3(7, 0, 0, 8, 1, 0, 9, 2, 3)));
}

TEST(Matrix3x3, Orthogonalize)
{
    Matrix3x3 identity;
    EXPECT_TRUE(Same(identity.Orthogonalized(), identity));
    Matrix3x3 diagonal(2, 0, 0, 0, 3, 0, 0, 0, 4);
    EXPECT_TRUE(Same(diagonal.Orthogonalized(), Matrix3x3(12, 0, 0, 0, 48, 0, 0, 0, 576)));
    EXPECT_TRUE(Same(diagonal, Matrix3x3(2, 0, 0, 0, 3, 0, 0, 0, 4)));
    diagonal.Orthogonalize();
    EXPECT_TRUE(Same(diagonal, Matrix3x3(12, 0, 0, 0, 48, 0, 0, 0, 576)));
}

TEST(Matrix3x3, InsideAMatrix4x4)
{
    Matrix3x3 twoD;
    twoD.SetTranslation(5, 6);
    twoD.Rotate(0.5f);
    Matrix4x4 m(twoD);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(m.m[i][j], twoD.m[i][j]) << i << j;
    EXPECT_TRUE(Same(m.GetColumn(3), Vector4(0, 0, 0, 1)));
    EXPECT_TRUE(Same(m.GetRow(3), Vector4(0, 0, 0, 1)));
}

TEST(Matrix3x3, TransposedTwiceIsTheSameMatrix)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        Matrix3x3 m = random.Matrix3(100.0f);
        ASSERT_TRUE(Same(m.Transposed().Transposed(), m)) << run;
    }
}

TEST(Matrix3x3, OrthogonalizeKeepsRotationsAndSquaresUpOthers)
{
    RandomInputs random;
    for (int run = 0; run < PropertyRuns; ++run) {
        // A right-handed orthonormal matrix comes back unchanged.
        Matrix3x3 rotation = random.UnitQuaternion().GetRotationMatrix();
        ASSERT_TRUE(Near(rotation.Orthogonalized(), rotation, 1e-5f)) << run;

        // Any other comes back with mutually orthogonal columns.
        Matrix3x3 m = random.Matrix3();
        Matrix3x3 o = m.Orthogonalized();
        Vector3 i = o.GetColumn(0), j = o.GetColumn(1), k = o.GetColumn(2);
        float scale = i.Length() * j.Length() * k.Length();
        ASSERT_NEAR(i.DotProduct(j), 0.0f, 1e-5f * scale + 1e-7f) << run;
        ASSERT_NEAR(j.DotProduct(k), 0.0f, 1e-5f * scale + 1e-7f) << run;
        ASSERT_NEAR(k.DotProduct(i), 0.0f, 1e-5f * scale + 1e-7f) << run;
    }
}

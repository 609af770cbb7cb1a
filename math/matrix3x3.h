#pragma once

#include "math/vector3.h"

#include <type_traits>

// Nine floats row by row, with the conventions of Matrix4x4. It serves as a
// 3D orientation and as the 2D homogeneous transform of Vector2, whose
// translation sits in row 2.
struct Matrix3x3
{
    float m[3][3];

    Matrix3x3();
    Matrix3x3(float m00, float m01, float m02,
              float m10, float m11, float m12,
              float m20, float m21, float m22);

    Matrix3x3 operator+(const Matrix3x3& o) const;
    Matrix3x3 operator-(const Matrix3x3& o) const;
    Matrix3x3 operator*(const Matrix3x3& o) const;
    Matrix3x3 operator*(float f) const;

    void operator+=(const Matrix3x3& o);
    void operator-=(const Matrix3x3& o);
    // Safe with o being this matrix.
    void operator*=(const Matrix3x3& o);
    void operator*=(float f);

    void ResetIdentity();

    // 2D builders: the accumulating ones post-multiply, the Set ones replace.
    void Translate(float x, float y);
    void Rotate(float angle);
    void Scale(float x, float y);
    void SetTranslation(float x, float y);
    // A positive angle turns the x axis towards the y axis.
    void SetRotation(float angle);
    void SetScaling(float x, float y);

    void SetRow(const Vector3& row, int i);
    void SetColumn(const Vector3& column, int j);
    Vector3 GetRow(int i) const;
    Vector3 GetColumn(int j) const;

    void Transpose();
    Matrix3x3 Transposed() const;

    // Rebuilds the columns from cross products without normalising them, so
    // only a right-handed orthonormal matrix comes back unchanged.
    void Orthogonalize();
    Matrix3x3 Orthogonalized() const;
};

static_assert(sizeof(Matrix3x3) == 9 * sizeof(float), "Matrix3x3 must be nine floats");
static_assert(std::is_standard_layout_v<Matrix3x3>);
static_assert(std::is_trivially_copyable_v<Matrix3x3>);

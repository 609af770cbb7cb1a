#pragma once

#include "math/vector3.h"
#include "math/vector4.h"

#include <type_traits>

struct Matrix3x3;

// Sixteen floats row by row, exactly the memory form the graphics device
// takes. Row vectors: a point is (x, y, z, 1) * M and the translation sits in
// row 3; in A * B the left matrix acts first. The accumulating builders
// post-multiply (this = this * step), the Set builders replace the matrix.
struct Matrix4x4
{
    float m[4][4];

    Matrix4x4();
    Matrix4x4(float m00, float m01, float m02, float m03,
              float m10, float m11, float m12, float m13,
              float m20, float m21, float m22, float m23,
              float m30, float m31, float m32, float m33);
    // m in the upper left, the rest from the identity.
    Matrix4x4(const Matrix3x3& m);

    Matrix4x4 operator+(const Matrix4x4& o) const;
    Matrix4x4 operator-(const Matrix4x4& o) const;
    Matrix4x4 operator*(float f) const;
    Matrix4x4 operator*(const Matrix4x4& o) const;

    void operator+=(const Matrix4x4& o);
    void operator-=(const Matrix4x4& o);
    void operator*=(float f);
    // Safe with o being this matrix: m *= m squares it.
    void operator*=(const Matrix4x4& o);

    void ResetIdentity();

    void Translate(float x, float y, float z);
    // this * Rx(ax) * Ry(ay) * Rz(az), three products in that order.
    void Rotate(float ax, float ay, float az);
    // this * A(axis, angle); see SetRotation.
    void Rotate(const Vector3& axis, float angle);
    void Scale(float x, float y, float z);

    void SetTranslation(float x, float y, float z);
    // Rx(ax) * Ry(ay) * Rz(az), each turning by the right-hand rule.
    void SetRotation(float ax, float ay, float az);
    // The axis-angle matrix, with the axis as passed. It turns the other way
    // from the Euler matrices: A((1, 0, 0), a) equals Rx(-a).
    void SetRotation(const Vector3& axis, float angle);
    void SetScaling(float x, float y, float z);

    void SetRow(const Vector4& row, int i);
    Vector4 GetRow(int i) const;
    Vector4 GetColumn(int j) const;

    void Transpose();
    Matrix4x4 Transposed() const;

    float Determinant() const;
    Matrix4x4 Adjoint() const;
    // Adjoint / Determinant; a singular matrix gives non-finite elements.
    Matrix4x4 Inverse() const;
};

static_assert(sizeof(Matrix4x4) == 16 * sizeof(float), "Matrix4x4 must be sixteen floats");
static_assert(std::is_standard_layout_v<Matrix4x4>);
static_assert(std::is_trivially_copyable_v<Matrix4x4>);

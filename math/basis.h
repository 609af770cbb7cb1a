#pragma once

#include "math/matrix3x3.h"
#include "math/vector3.h"

#include <type_traits>

struct Matrix4x4;
struct Quaternion;

// A frame of three axes. Nothing here normalises them.
struct Basis
{
    Vector3 i{1.0f, 0.0f, 0.0f};
    Vector3 j{0.0f, 1.0f, 0.0f};
    Vector3 k{0.0f, 0.0f, 1.0f};

    Basis() = default;
    Basis(const Vector3& I, const Vector3& J, const Vector3& K) : i(I), j(J), k(K) {}
    // k = dir, with i and j from cross products with the up axis (0, 1, 0);
    // a dir along that axis gives i = j = 0. The integer is not used.
    Basis(const Vector3& dir, int);

    void Rotate(float ax, float ay, float az);
    // Each axis is transformed as a point, so m's translation is added too.
    void Rotate(const Matrix4x4& m);
    void Rotate(const Quaternion& q);

    // Rows i, j, k: it takes the unit axes to i, j and k.
    Matrix3x3 CreateRotationMatrix() const;
};

static_assert(sizeof(Basis) == 9 * sizeof(float));
static_assert(std::is_standard_layout_v<Basis>);

#pragma once

#include "math/matrix3x3.h"
#include "math/vector3.h"

#include <type_traits>

// A rotation quaternion, scalar part first. A vector is turned by
// q * (0, v) * q^-1 (Vector3::Transform).
struct Quaternion
{
    float s;
    Vector3 v;

    Quaternion() : s(1.0f), v() {}
    Quaternion(float S, float x, float y, float z) : s(S), v(x, y, z) {}
    Quaternion(float S, const Vector3& V) : s(S), v(V) {}

    Quaternion operator+(const Quaternion& q) const { return Quaternion(s + q.s, v + q.v); }
    Quaternion operator-(const Quaternion& q) const { return Quaternion(s - q.s, v - q.v); }
    Quaternion operator-() const { return Quaternion(-s, -v); }
    // The Hamilton product this * q.
    Quaternion operator*(const Quaternion& q) const;

    void operator+=(const Quaternion& q) { *this = *this + q; }
    void operator-=(const Quaternion& q) { *this = *this - q; }
    // Safe with q being this quaternion.
    void operator*=(const Quaternion& q) { *this = *this * q; }

    void ResetRotation() { s = 1.0f; v = Vector3(); }

    Quaternion Conjugate() const { return Quaternion(s, -v); }
    float Length() const;
    float LengthSq() const { return s * s + v.x * v.x + v.y * v.y + v.z * v.z; }
    void Normalize();
    Quaternion Normalized() const;
    Quaternion Inverse() const;

    // (cos(angle/2), axis * sin(angle/2)), the axis used as passed: the
    // result is a unit quaternion only for a unit axis.
    void SetRotation(const Vector3& axis, float angle);
    // this * rotation: the new turn acts on a vector before the old ones.
    void Rotate(const Vector3& axis, float angle);

    // For row vectors and a unit quaternion; it turns the same way as
    // Vector3::Transform by this quaternion.
    Matrix3x3 GetRotationMatrix() const;
};

static_assert(sizeof(Quaternion) == 4 * sizeof(float), "Quaternion must be four floats");
static_assert(std::is_standard_layout_v<Quaternion>);
static_assert(std::is_trivially_copyable_v<Quaternion>);

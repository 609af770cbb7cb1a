#pragma once

#include "math/vector3.h"

#include <iosfwd>
#include <type_traits>

struct Matrix4x4;

// A homogeneous point or a row or column of a Matrix4x4. Ordering compares
// squared lengths; equality allows a tolerance of 1e-8.
struct Vector4
{
    float x, y, z, w;

    // w starts at 0 like the others, so no component is ever indeterminate.
    Vector4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    Vector4(float X, float Y, float Z, float W) : x(X), y(Y), z(Z), w(W) {}
    // The point (x, y, z, 1).
    Vector4(const Vector3& v) : x(v.x), y(v.y), z(v.z), w(1.0f) {}

    // Drops w.
    operator Vector3() const { return Vector3(x, y, z); }

    Vector4 operator-(const Vector4& v) const { return Vector4(x - v.x, y - v.y, z - v.z, w - v.w); }
    Vector4 operator-() const { return Vector4(-x, -y, -z, -w); }
    Vector4 operator*(float f) const { return Vector4(f * x, f * y, f * z, f * w); }
    Vector4 operator/(float f) const { return Vector4(x / f, y / f, z / f, w / f); }

    void operator+=(const Vector4& v) { x += v.x; y += v.y; z += v.z; w += v.w; }
    void operator-=(const Vector4& v) { x -= v.x; y -= v.y; z -= v.z; w -= v.w; }
    void operator*=(float f) { x *= f; y *= f; z *= f; w *= f; }
    void operator/=(float f) { x /= f; y /= f; z /= f; w /= f; }

    bool operator>(const Vector4& v) const { return LengthSq() > v.LengthSq(); }
    bool operator<(const Vector4& v) const { return LengthSq() < v.LengthSq(); }
    // The float is compared with the squared length as it stands.
    bool operator>(float f) const { return LengthSq() > f; }
    bool operator<(float f) const { return LengthSq() < f; }
    bool operator==(const Vector4& v) const;
    bool operator==(float f) const;

    float Length() const;
    float LengthSq() const { return x * x + y * y + z * z + w * w; }
    // Divides all four components, w included.
    void Normalize();
    Vector4 Normalized() const;

    float DotProduct(const Vector4& v) const { return x * v.x + y * v.y + z * v.z + w * v.w; }
    // The 4D cross product of this, a and b: perpendicular to all three.
    Vector4 CrossProduct(const Vector4& a, const Vector4& b) const;

    // The full row-vector product (x, y, z, w) times m.
    void Transform(const Matrix4x4& m);
    void Translate(float dx, float dy, float dz, float dw) { x += dx; y += dy; z += dz; w += dw; }
    void Rotate(float ax, float ay, float az);
    void Rotate(const Vector3& axis, float angle);

    // 0 is x, 1 is y, 2 is z, anything else is w.
    float& operator[](int i)
    {
        if (i == 0)
            return x;
        if (i == 1)
            return y;
        if (i == 2)
            return z;
        return w;
    }
};

static_assert(sizeof(Vector4) == 4 * sizeof(float), "Vector4 must be four floats");
static_assert(std::is_standard_layout_v<Vector4>);
static_assert(std::is_trivially_copyable_v<Vector4>);

inline float DotProduct(const Vector4& a, const Vector4& b)
{
    return a.DotProduct(b);
}

inline Vector4 CrossProduct(const Vector4& t, const Vector4& a, const Vector4& b)
{
    return t.CrossProduct(a, b);
}

// Writes "x, y, z, w" with the stream's own float formatting.
std::ostream& operator<<(std::ostream& os, const Vector4& v);

#pragma once

#include <iosfwd>
#include <type_traits>

struct Matrix4x4;
struct Quaternion;

// Three floats and nothing else: vertex records embed this type and are
// copied into device buffers unchanged.
struct Vector3
{
    float x, y, z;

    Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    Vector3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}

    Vector3 operator+(const Vector3& v) const { return Vector3(x + v.x, y + v.y, z + v.z); }
    Vector3 operator-(const Vector3& v) const { return Vector3(x - v.x, y - v.y, z - v.z); }
    Vector3 operator-() const { return Vector3(-x, -y, -z); }
    Vector3 operator*(float f) const { return Vector3(f * x, f * y, f * z); }
    Vector3 operator/(float f) const { return Vector3(x / f, y / f, z / f); }

    void operator+=(const Vector3& v) { x += v.x; y += v.y; z += v.z; }
    void operator*=(float f) { x *= f; y *= f; z *= f; }
    void operator/=(float f) { x /= f; y /= f; z /= f; }

    float Length() const;
    // Divides by the length (three divisions); the zero vector becomes NaN.
    void Normalize();
    Vector3 Normalized() const;

    float DotProduct(const Vector3& v) const { return x * v.x + y * v.y + z * v.z; }
    Vector3 CrossProduct(const Vector3& v) const;

    // Point transform: row vector (x, y, z, 1) times m; column 3 is never read.
    void Transform(const Matrix4x4& m);
    // Turns the vector by q * (0, v) * q^-1.
    void Transform(const Quaternion& q);
    void Translate(float dx, float dy, float dz) { x += dx; y += dy; z += dz; }
    // Euler angles, x first; each turn follows the right-hand rule.
    void Rotate(float ax, float ay, float az);
    // Through the axis-angle matrix, which turns the other way from the Euler
    // angles and from quaternions; the axis is used as passed.
    void Rotate(const Vector3& axis, float angle);
    Vector3 Refract(const Vector3& normal, float index1, float index2) const;

    // 0 is x, 1 is y, anything else is z.
    float& operator[](int i)
    {
        if (i == 0)
            return x;
        if (i == 1)
            return y;
        return z;
    }
};

static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 must be three floats");
static_assert(std::is_standard_layout_v<Vector3>);
static_assert(std::is_trivially_copyable_v<Vector3>);

inline float DotProduct(const Vector3& a, const Vector3& b)
{
    return a.DotProduct(b);
}

inline Vector3 CrossProduct(const Vector3& a, const Vector3& b)
{
    return a.CrossProduct(b);
}

// Writes "x, y, z" with the stream's own float formatting.
std::ostream& operator<<(std::ostream& os, const Vector3& v);

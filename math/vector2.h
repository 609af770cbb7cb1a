#pragma once

#include "math/vector3.h"

#include <iosfwd>
#include <type_traits>

struct Matrix3x3;

// A 2D point, offset or texture coordinate. Ordering compares squared
// lengths; equality allows a tolerance of 1e-8.
struct Vector2
{
    float x, y;

    Vector2() : x(0.0f), y(0.0f) {}
    Vector2(float X, float Y) : x(X), y(Y) {}

    // The homogeneous point (x, y, 1).
    operator Vector3() const { return Vector3(x, y, 1.0f); }

    Vector2 operator+(const Vector2& v) const { return Vector2(x + v.x, y + v.y); }
    Vector2 operator-(const Vector2& v) const { return Vector2(x - v.x, y - v.y); }
    Vector2 operator-() const { return Vector2(-x, -y); }
    Vector2 operator*(float f) const { return Vector2(f * x, f * y); }
    Vector2 operator/(float f) const { return Vector2(x / f, y / f); }

    void operator+=(const Vector2& v) { x += v.x; y += v.y; }
    void operator-=(const Vector2& v) { x -= v.x; y -= v.y; }
    void operator*=(float f) { x *= f; y *= f; }
    void operator/=(float f) { x /= f; y /= f; }

    bool operator>(const Vector2& v) const { return LengthSq() > v.LengthSq(); }
    bool operator<(const Vector2& v) const { return LengthSq() < v.LengthSq(); }
    // The float is compared with the squared length as it stands.
    bool operator>(float f) const { return LengthSq() > f; }
    bool operator<(float f) const { return LengthSq() < f; }
    bool operator==(const Vector2& v) const;
    bool operator==(float f) const;

    float Length() const;
    float LengthSq() const { return x * x + y * y; }
    void Normalize();
    Vector2 Normalized() const;

    float DotProduct(const Vector2& v) const { return x * v.x + y * v.y; }

    // The row (x, y, 1) times m, without the third result.
    void Transform(const Matrix3x3& m);
    void Translate(float dx, float dy) { x += dx; y += dy; }
    void Rotate(float angle);
    void Scale(float sx, float sy) { x *= sx; y *= sy; }

    // 0 is x, anything else is y.
    float& operator[](int i) { return i == 0 ? x : y; }
};

static_assert(sizeof(Vector2) == 2 * sizeof(float), "Vector2 must be two floats");
static_assert(std::is_standard_layout_v<Vector2>);
static_assert(std::is_trivially_copyable_v<Vector2>);

inline float DotProduct(const Vector2& a, const Vector2& b)
{
    return a.DotProduct(b);
}

// Writes "x, y" with the stream's own float formatting.
std::ostream& operator<<(std::ostream& os, const Vector2& v);

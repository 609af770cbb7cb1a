#include "math/vector4.h"

#include "math/matrix4x4.h"
#include "math/precise.h"
#include "math/tolerance.h"

#include <cmath>
#include <ostream>

bool Vector4::operator==(const Vector4& v) const
{
    return (*this - v).Length() < EqualityTolerance;
}

bool Vector4::operator==(float f) const
{
    return std::fabs(Length() - f) < EqualityTolerance;
}

float Vector4::Length() const
{
    return precise::Sqrt(LengthSq());
}

void Vector4::Normalize()
{
    float length = Length();
    x /= length;
    y /= length;
    z /= length;
    w /= length;
}

Vector4 Vector4::Normalized() const
{
    Vector4 copy = *this;
    copy.Normalize();
    return copy;
}

Vector4 Vector4::CrossProduct(const Vector4& a, const Vector4& b) const
{
    const Vector4& t = *this;
    float m01 = a.x * b.y - a.y * b.x;
    float m02 = a.x * b.z - a.z * b.x;
    float m03 = a.x * b.w - a.w * b.x;
    float m12 = a.y * b.z - a.z * b.y;
    float m13 = a.y * b.w - a.w * b.y;
    float m23 = a.z * b.w - a.w * b.z;
    return Vector4(m23 * t.y - m13 * t.z + m12 * t.w,
                   -m23 * t.x + m03 * t.z - m02 * t.w,
                   m13 * t.x - m03 * t.y + m01 * t.w,
                   -m12 * t.x + m02 * t.y - m01 * t.z);
}

void Vector4::Transform(const Matrix4x4& m)
{
    const auto& e = m.m;
    Vector4 old = *this;
    x = old.x * e[0][0] + old.y * e[1][0] + old.z * e[2][0] + old.w * e[3][0];
    y = old.x * e[0][1] + old.y * e[1][1] + old.z * e[2][1] + old.w * e[3][1];
    z = old.x * e[0][2] + old.y * e[1][2] + old.z * e[2][2] + old.w * e[3][2];
    w = old.x * e[0][3] + old.y * e[1][3] + old.z * e[2][3] + old.w * e[3][3];
}

void Vector4::Rotate(float ax, float ay, float az)
{
    Matrix4x4 rotation;
    rotation.SetRotation(ax, ay, az);
    Transform(rotation);
}

void Vector4::Rotate(const Vector3& axis, float angle)
{
    Matrix4x4 rotation;
    rotation.SetRotation(axis, angle);
    Transform(rotation);
}

std::ostream& operator<<(std::ostream& os, const Vector4& v)
{
    return os << v.x << ", " << v.y << ", " << v.z << ", " << v.w;
}

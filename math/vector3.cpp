#include "math/vector3.h"

#include "math/matrix4x4.h"
#include "math/precise.h"
#include "math/quaternion.h"

#include <ostream>

float Vector3::Length() const
{
    return precise::Sqrt(x * x + y * y + z * z);
}

void Vector3::Normalize()
{
    float length = Length();
    x /= length;
    y /= length;
    z /= length;
}

Vector3 Vector3::Normalized() const
{
    Vector3 copy = *this;
    copy.Normalize();
    return copy;
}

Vector3 Vector3::CrossProduct(const Vector3& v) const
{
    return Vector3(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
}

void Vector3::Transform(const Matrix4x4& m)
{
    const auto& e = m.m;
    Vector3 old = *this;
    x = old.x * e[0][0] + old.y * e[1][0] + old.z * e[2][0] + e[3][0];
    y = old.x * e[0][1] + old.y * e[1][1] + old.z * e[2][1] + e[3][1];
    z = old.x * e[0][2] + old.y * e[1][2] + old.z * e[2][2] + e[3][2];
}

void Vector3::Transform(const Quaternion& q)
{
    Quaternion p(0.0f, *this);
    Quaternion turned = q * p * q.Inverse();
    *this = turned.v;
}

void Vector3::Rotate(float ax, float ay, float az)
{
    Matrix4x4 rotation;
    rotation.SetRotation(ax, ay, az);
    Transform(rotation);
}

void Vector3::Rotate(const Vector3& axis, float angle)
{
    Matrix4x4 rotation;
    rotation.SetRotation(axis, angle);
    Transform(rotation);
}

Vector3 Vector3::Refract(const Vector3& normal, float index1, float index2) const
{
    float r = index1 / index2;
    Vector3 d = Normalized();
    float c = d.DotProduct(normal);
    // A negative radicand (total internal reflection) is left to give NaN.
    float k = precise::Sqrt(1.0f - r * r * (1.0f - c * c)) * (1.0f / (r * r));
    return d * r - normal * (r * c + k);
}

std::ostream& operator<<(std::ostream& os, const Vector3& v)
{
    return os << v.x << ", " << v.y << ", " << v.z;
}

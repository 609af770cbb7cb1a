#include "math/quaternion.h"

#include "math/precise.h"

Quaternion Quaternion::operator*(const Quaternion& q) const
{
    const float a = s, b = q.s;
    const Vector3& p = v;
    const Vector3& r = q.v;
    return Quaternion(a * b - p.DotProduct(r), r * a + p * b + p.CrossProduct(r));
}

float Quaternion::Length() const
{
    return precise::Sqrt(LengthSq());
}

void Quaternion::Normalize()
{
    float length = Length();
    v.x /= length;
    v.y /= length;
    v.z /= length;
    s /= length;
}

Quaternion Quaternion::Normalized() const
{
    Quaternion copy = *this;
    copy.Normalize();
    return copy;
}

Quaternion Quaternion::Inverse() const
{
    Quaternion r = Conjugate();
    float n = LengthSq();
    r.v /= n;
    r.s /= n;
    return r;
}

void Quaternion::SetRotation(const Vector3& axis, float angle)
{
    double h = angle / 2.0;
    s = precise::Cos(h);
    v = axis * precise::Sin(h);
}

void Quaternion::Rotate(const Vector3& axis, float angle)
{
    Quaternion q;
    q.SetRotation(axis, angle);
    *this *= q;
}

Matrix3x3 Quaternion::GetRotationMatrix() const
{
    const float x = v.x, y = v.y, z = v.z;
    return Matrix3x3(1 - 2 * y * y - 2 * z * z, 2 * x * y + 2 * s * z, 2 * z * x - 2 * s * y,
                     2 * x * y - 2 * s * z, 1 - 2 * x * x - 2 * z * z, 2 * y * z + 2 * s * x,
                     2 * z * x + 2 * s * y, 2 * y * z - 2 * s * x, 1 - 2 * x * x - 2 * y * y);
}

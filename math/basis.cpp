#include "math/basis.h"

#include "math/matrix4x4.h"
#include "math/quaternion.h"

Basis::Basis(const Vector3& dir, int)
{
    k = dir;
    j = Vector3(0.0f, 1.0f, 0.0f);
    i = j.CrossProduct(k);
    j = k.CrossProduct(i);
}

void Basis::Rotate(float ax, float ay, float az)
{
    Matrix4x4 rotation;
    rotation.SetRotation(ax, ay, az);
    Rotate(rotation);
}

void Basis::Rotate(const Matrix4x4& m)
{
    i.Transform(m);
    j.Transform(m);
    k.Transform(m);
}

void Basis::Rotate(const Quaternion& q)
{
    i.Transform(q);
    j.Transform(q);
    k.Transform(q);
}

Matrix3x3 Basis::CreateRotationMatrix() const
{
    return Matrix3x3(i.x, i.y, i.z,
                     j.x, j.y, j.z,
                     k.x, k.y, k.z);
}

#include "math/vector2.h"

#include "math/matrix3x3.h"
#include "math/precise.h"
#include "math/tolerance.h"

#include <cmath>
#include <ostream>

bool Vector2::operator==(const Vector2& v) const
{
    return (*this - v).Length() < EqualityTolerance;
}

bool Vector2::operator==(float f) const
{
    return std::fabs(Length() - f) < EqualityTolerance;
}

float Vector2::Length() const
{
    return precise::Sqrt(LengthSq());
}

void Vector2::Normalize()
{
    float length = Length();
    x /= length;
    y /= length;
}

Vector2 Vector2::Normalized() const
{
    Vector2 copy = *this;
    copy.Normalize();
    return copy;
}

void Vector2::Transform(const Matrix3x3& m)
{
    const auto& e = m.m;
    Vector2 old = *this;
    x = old.x * e[0][0] + old.y * e[1][0] + e[2][0];
    y = old.x * e[0][1] + old.y * e[1][1] + e[2][1];
}

void Vector2::Rotate(float angle)
{
    Matrix3x3 rotation;
    rotation.SetRotation(angle);
    Transform(rotation);
}

std::ostream& operator<<(std::ostream& os, const Vector2& v)
{
    return os << v.x << ", " << v.y;
}

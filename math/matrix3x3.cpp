#include "math/matrix3x3.h"

#include "math/precise.h"

Matrix3x3::Matrix3x3()
{
    ResetIdentity();
}

Matrix3x3::Matrix3x3(float m00, float m01, float m02,
                     float m10, float m11, float m12,
                     float m20, float m21, float m22)
    : m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}}
{
}

Matrix3x3 Matrix3x3::operator+(const Matrix3x3& o) const
{
    Matrix3x3 r = *this;
    r += o;
    return r;
}

Matrix3x3 Matrix3x3::operator-(const Matrix3x3& o) const
{
    Matrix3x3 r = *this;
    r -= o;
    return r;
}

Matrix3x3 Matrix3x3::operator*(const Matrix3x3& o) const
{
    Matrix3x3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
}

Matrix3x3 Matrix3x3::operator*(float f) const
{
    Matrix3x3 r = *this;
    r *= f;
    return r;
}

void Matrix3x3::operator+=(const Matrix3x3& o)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] += o.m[i][j];
}

void Matrix3x3::operator-=(const Matrix3x3& o)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] -= o.m[i][j];
}

void Matrix3x3::operator*=(const Matrix3x3& o)
{
    // The product is formed in a temporary, so o may be this matrix.
    *this = *this * o;
}

void Matrix3x3::operator*=(float f)
{
    for (auto& row : m)
        for (float& e : row)
            e *= f;
}

void Matrix3x3::ResetIdentity()
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
}

void Matrix3x3::Translate(float x, float y)
{
    Matrix3x3 t;
    t.SetTranslation(x, y);
    *this *= t;
}

void Matrix3x3::Rotate(float angle)
{
    Matrix3x3 r;
    r.SetRotation(angle);
    *this *= r;
}

void Matrix3x3::Scale(float x, float y)
{
    Matrix3x3 s;
    s.SetScaling(x, y);
    *this *= s;
}

void Matrix3x3::SetTranslation(float x, float y)
{
    ResetIdentity();
    m[2][0] = x;
    m[2][1] = y;
}

void Matrix3x3::SetRotation(float angle)
{
    float c = precise::Cos(angle);
    float s = precise::Sin(angle);
    *this = Matrix3x3(c, s, 0,
                      -s, c, 0,
                      0, 0, 1);
}

void Matrix3x3::SetScaling(float x, float y)
{
    ResetIdentity();
    m[0][0] = x;
    m[1][1] = y;
}

void Matrix3x3::SetRow(const Vector3& row, int i)
{
    m[i][0] = row.x;
    m[i][1] = row.y;
    m[i][2] = row.z;
}

void Matrix3x3::SetColumn(const Vector3& column, int j)
{
    m[0][j] = column.x;
    m[1][j] = column.y;
    m[2][j] = column.z;
}

Vector3 Matrix3x3::GetRow(int i) const
{
    return Vector3(m[i][0], m[i][1], m[i][2]);
}

Vector3 Matrix3x3::GetColumn(int j) const
{
    return Vector3(m[0][j], m[1][j], m[2][j]);
}

void Matrix3x3::Transpose()
{
    *this = Transposed();
}

Matrix3x3 Matrix3x3::Transposed() const
{
    Matrix3x3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[j][i];
    return r;
}

void Matrix3x3::Orthogonalize()
{
    *this = Orthogonalized();
}

Matrix3x3 Matrix3x3::Orthogonalized() const
{
    Vector3 i = GetColumn(0);
    Vector3 j = GetColumn(1);
    Vector3 k = GetColumn(2);
    i = j.CrossProduct(k);
    j = k.CrossProduct(i);
    k = i.CrossProduct(j);
    Matrix3x3 r;
    r.SetColumn(i, 0);
    r.SetColumn(j, 1);
    r.SetColumn(k, 2);
    return r;
}

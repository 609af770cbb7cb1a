#include "math/matrix4x4.h"

#include "math/matrix3x3.h"
#include "math/precise.h"

namespace
{

// The determinant of the 3x3 matrix left when row r and column c are removed,
// expanded along its own first row.
float Minor(const float (&e)[4][4], int r, int c)
{
    float a[3][3];
    for (int i = 0, ai = 0; i < 4; ++i) {
        if (i == r)
            continue;
        for (int j = 0, aj = 0; j < 4; ++j) {
            if (j == c)
                continue;
            a[ai][aj] = e[i][j];
            ++aj;
        }
        ++ai;
    }
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1])
         - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
         + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

Matrix4x4 RotationX(float angle)
{
    float c = precise::Cos(angle);
    float s = precise::Sin(angle);
    return Matrix4x4(1, 0, 0, 0,
                     0, c, s, 0,
                     0, -s, c, 0,
                     0, 0, 0, 1);
}

Matrix4x4 RotationY(float angle)
{
    float c = precise::Cos(angle);
    float s = precise::Sin(angle);
    return Matrix4x4(c, 0, -s, 0,
                     0, 1, 0, 0,
                     s, 0, c, 0,
                     0, 0, 0, 1);
}

Matrix4x4 RotationZ(float angle)
{
    float c = precise::Cos(angle);
    float s = precise::Sin(angle);
    return Matrix4x4(c, s, 0, 0,
                     -s, c, 0, 0,
                     0, 0, 1, 0,
                     0, 0, 0, 1);
}

Matrix4x4 AxisRotation(const Vector3& axis, float angle)
{
    float x = axis.x, y = axis.y, z = axis.z;
    float c = precise::Cos(angle);
    float s = precise::Sin(angle);
    float t = 1.0f - c;
    return Matrix4x4(x * x + (1.0f - x * x) * c, x * y * t - z * s, x * z * t + y * s, 0,
                     x * y * t + z * s, y * y + (1.0f - y * y) * c, y * z * t - x * s, 0,
                     x * z * t - y * s, y * z * t + x * s, z * z + (1.0f - z * z) * c, 0,
                     0, 0, 0, 1);
}

} // namespace

Matrix4x4::Matrix4x4()
{
    ResetIdentity();
}

Matrix4x4::Matrix4x4(float m00, float m01, float m02, float m03,
                     float m10, float m11, float m12, float m13,
                     float m20, float m21, float m22, float m23,
                     float m30, float m31, float m32, float m33)
    : m{{m00, m01, m02, m03}, {m10, m11, m12, m13}, {m20, m21, m22, m23}, {m30, m31, m32, m33}}
{
}

Matrix4x4::Matrix4x4(const Matrix3x3& o)
    : m{{o.m[0][0], o.m[0][1], o.m[0][2], 0},
        {o.m[1][0], o.m[1][1], o.m[1][2], 0},
        {o.m[2][0], o.m[2][1], o.m[2][2], 0},
        {0, 0, 0, 1}}
{
}

Matrix4x4 Matrix4x4::operator+(const Matrix4x4& o) const
{
    Matrix4x4 r = *this;
    r += o;
    return r;
}

Matrix4x4 Matrix4x4::operator-(const Matrix4x4& o) const
{
    Matrix4x4 r = *this;
    r -= o;
    return r;
}

Matrix4x4 Matrix4x4::operator*(float f) const
{
    Matrix4x4 r = *this;
    r *= f;
    return r;
}

Matrix4x4 Matrix4x4::operator*(const Matrix4x4& o) const
{
    Matrix4x4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j] + m[i][3] * o.m[3][j];
    return r;
}

void Matrix4x4::operator+=(const Matrix4x4& o)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] += o.m[i][j];
}

void Matrix4x4::operator-=(const Matrix4x4& o)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] -= o.m[i][j];
}

void Matrix4x4::operator*=(float f)
{
    for (auto& row : m)
        for (float& e : row)
            e *= f;
}

void Matrix4x4::operator*=(const Matrix4x4& o)
{
    // The product is formed in a temporary, so o may be this matrix.
    *this = *this * o;
}

void Matrix4x4::ResetIdentity()
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
}

void Matrix4x4::Translate(float x, float y, float z)
{
    Matrix4x4 t;
    t.SetTranslation(x, y, z);
    *this *= t;
}

void Matrix4x4::Rotate(float ax, float ay, float az)
{
    *this *= RotationX(ax);
    *this *= RotationY(ay);
    *this *= RotationZ(az);
}

void Matrix4x4::Rotate(const Vector3& axis, float angle)
{
    *this *= AxisRotation(axis, angle);
}

void Matrix4x4::Scale(float x, float y, float z)
{
    Matrix4x4 s;
    s.SetScaling(x, y, z);
    *this *= s;
}

void Matrix4x4::SetTranslation(float x, float y, float z)
{
    ResetIdentity();
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
}

void Matrix4x4::SetRotation(float ax, float ay, float az)
{
    *this = RotationX(ax);
    *this *= RotationY(ay);
    *this *= RotationZ(az);
}

void Matrix4x4::SetRotation(const Vector3& axis, float angle)
{
    *this = AxisRotation(axis, angle);
}

void Matrix4x4::SetScaling(float x, float y, float z)
{
    ResetIdentity();
    m[0][0] = x;
    m[1][1] = y;
    m[2][2] = z;
}

void Matrix4x4::SetRow(const Vector4& row, int i)
{
    m[i][0] = row.x;
    m[i][1] = row.y;
    m[i][2] = row.z;
    m[i][3] = row.w;
}

Vector4 Matrix4x4::GetRow(int i) const
{
    return Vector4(m[i][0], m[i][1], m[i][2], m[i][3]);
}

Vector4 Matrix4x4::GetColumn(int j) const
{
    return Vector4(m[0][j], m[1][j], m[2][j], m[3][j]);
}

void Matrix4x4::Transpose()
{
    *this = Transposed();
}

Matrix4x4 Matrix4x4::Transposed() const
{
    Matrix4x4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m[j][i];
    return r;
}

float Matrix4x4::Determinant() const
{
    return m[0][0] * Minor(m, 0, 0) - m[0][1] * Minor(m, 0, 1)
         + m[0][2] * Minor(m, 0, 2) - m[0][3] * Minor(m, 0, 3);
}

Matrix4x4 Matrix4x4::Adjoint() const
{
    Matrix4x4 minors;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            minors.m[i][j] = Minor(m, i, j);
    Matrix4x4 adj = minors.Transposed();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            if (j % 2 == 1)
                adj.m[i][j] = -adj.m[i][j];
            if (i % 2 == 1)
                adj.m[i][j] = -adj.m[i][j];
        }
    return adj;
}

Matrix4x4 Matrix4x4::Inverse() const
{
    float r = 1.0f / Determinant();
    return Adjoint() * r;
}

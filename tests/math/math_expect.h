#pragma once

// Comparisons and random inputs shared by the math tests.

#include "math/matrix3x3.h"
#include "math/matrix4x4.h"
#include "math/quaternion.h"
#include "math/vector2.h"
#include "math/vector3.h"
#include "math/vector4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <random>

constexpr float HalfPi = std::numbers::pi_v<float> / 2.0f;
constexpr float Pi = std::numbers::pi_v<float>;

inline std::ostream& operator<<(std::ostream& os, const Matrix4x4& m)
{
    for (int i = 0; i < 4; ++i)
        os << (i ? " / " : "") << m.GetRow(i);
    return os;
}

inline std::ostream& operator<<(std::ostream& os, const Matrix3x3& m)
{
    for (int i = 0; i < 3; ++i)
        os << (i ? " / " : "") << m.GetRow(i);
    return os;
}

inline std::ostream& operator<<(std::ostream& os, const Quaternion& q)
{
    return os << q.s << ", " << q.v;
}

namespace detail
{
template <typename T>
::testing::AssertionResult NearFloats(const float* a, const float* b, int n, float tol, const T& av, const T& bv)
{
    for (int i = 0; i < n; ++i)
        if (!(std::fabs(a[i] - b[i]) <= tol))
            return ::testing::AssertionFailure() << "(" << av << ") is not within " << tol << " of (" << bv << ")";
    return ::testing::AssertionSuccess();
}

template <typename T>
::testing::AssertionResult SameFloats(const float* a, const float* b, int n, const T& av, const T& bv)
{
    for (int i = 0; i < n; ++i)
        if (a[i] != b[i])
            return ::testing::AssertionFailure() << "(" << av << ") differs from (" << bv << ")";
    return ::testing::AssertionSuccess();
}
} // namespace detail

// Every component within tol.
template <typename T>
::testing::AssertionResult Near(const T& a, const T& b, float tol = 1e-6f)
{
    static_assert(sizeof(T) % sizeof(float) == 0);
    return detail::NearFloats(reinterpret_cast<const float*>(&a), reinterpret_cast<const float*>(&b),
                              int(sizeof(T) / sizeof(float)), tol, a, b);
}

// Every component bit for bit (as floats compare).
template <typename T>
::testing::AssertionResult Same(const T& a, const T& b)
{
    return detail::SameFloats(reinterpret_cast<const float*>(&a), reinterpret_cast<const float*>(&b),
                              int(sizeof(T) / sizeof(float)), a, b);
}

inline bool AllNaN(const float* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (!std::isnan(p[i]))
            return false;
    return true;
}

// One row of a table of computed values and the values they should be.
template <typename T>
struct Outcome
{
    const char* what;
    T actual;
    T expected;
};

// A copy of v transformed in place by m (a matrix or a quaternion).
template <typename V, typename M>
V Transformed(V v, const M& m)
{
    v.Transform(m);
    return v;
}

// A fixed-seed source of random inputs for the property tests.
class RandomInputs
{
public:
    float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(Engine); }
    Vector3 Vector(float range = 1.0f) { return Vector3(Uniform(-range, range), Uniform(-range, range), Uniform(-range, range)); }
    Vector4 Vector4D(float range = 1.0f) { return Vector4(Uniform(-range, range), Uniform(-range, range), Uniform(-range, range), Uniform(-range, range)); }
    Vector3 UnitAxis()
    {
        for (;;) {
            Vector3 v = Vector();
            if (v.Length() > 0.1f)
                return v.Normalized();
        }
    }
    float Angle() { return Uniform(-Pi, Pi); }
    Quaternion UnitQuaternion()
    {
        Quaternion q;
        q.SetRotation(UnitAxis(), Angle());
        return q;
    }
    Matrix3x3 Matrix3(float range = 1.0f) { return Filled<Matrix3x3>(range); }
    Matrix4x4 Matrix4(float range = 1.0f) { return Filled<Matrix4x4>(range); }

private:
    template <typename M>
    M Filled(float range)
    {
        M m;
        for (auto& row : m.m)
            for (float& e : row)
                e = Uniform(-range, range);
        return m;
    }

    std::mt19937 Engine{20240611u};
};

constexpr int PropertyRuns = 4000;

#pragma once

#include <cmath>

// Square roots, sines and cosines are evaluated in double precision and
// rounded back to float, so every type of the library gets the same values.
namespace precise
{
inline float Sqrt(double v) { return static_cast<float>(std::sqrt(v)); }
inline float Sin(double a) { return static_cast<float>(std::sin(a)); }
inline float Cos(double a) { return static_cast<float>(std::cos(a)); }
}

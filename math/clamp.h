#pragma once

// Returns a reference to one of its arguments, so the result must be used
// before any temporary argument goes away. A NaN compares false both ways and
// comes back unchanged.
template <typename T>
const T& Clamp(const T& v, const T& lo, const T& hi)
{
    if (v > hi)
        return hi;
    if (v < lo)
        return lo;
    return v;
}

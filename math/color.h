#pragma once

#include "math/dword.h"

#include <cstdint>
#include <type_traits>

// An RGBA colour in the layout of the device's colour value. Every
// constructor and operator clamps each channel into [0, 1]; a NaN channel
// passes through unchanged.
struct Color
{
    float r, g, b, a;

    // Grey v with full alpha.
    Color(float v);
    Color(float R, float G, float B, float A);
    // Channels 0..255.
    Color(unsigned int R, unsigned int G, unsigned int B, unsigned int A);
    Color(int R, int G, int B, int A);
    // Packed ARGB, alpha in the high byte.
    Color(dword argb);

    Color& operator=(dword argb);

    Color operator+(const Color& c) const;
    Color operator-(const Color& c) const;
    Color operator*(const Color& c) const;
    // Scales r, g and b; alpha stays.
    Color operator*(float f) const;

    void operator+=(const Color& c);
    void operator-=(const Color& c);
    void operator*=(const Color& c);
    void operator*=(float f);

    // Each channel times its field's largest value, truncated: only 1.0
    // fills a field.
    dword GetPacked32() const;
    std::uint16_t GetPacked16() const;
    std::uint16_t GetPacked15() const;

    // Each entry's first three bytes are red, green and blue. The first of
    // equally near entries wins.
    std::uint8_t GetNearestPaletteIndex(const std::uint8_t* const (&palette)[256]) const;
};

static_assert(sizeof(Color) == 4 * sizeof(float), "Color must be four floats");
static_assert(std::is_standard_layout_v<Color>);
static_assert(std::is_trivially_copyable_v<Color>);

// Channel-wise from a to b; the result always has alpha 1 and t is not
// limited, only clamped through the result.
Color Lerp(const Color& a, const Color& b, float t);

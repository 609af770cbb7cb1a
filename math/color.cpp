#include "math/color.h"

#include "math/clamp.h"

#include <cmath>

namespace
{

float ClampUnit(float c)
{
    return Clamp(c, 0.0f, 1.0f);
}

float FromByte(dword byte)
{
    return static_cast<float>(static_cast<float>(byte) / 255.0);
}

// Scales a channel to a field of the given width and places it at shift.
// A value the integer type cannot hold (a NaN channel, say) fills the field
// with zeros, as the x86 conversion's "indefinite" result would, instead of
// being undefined.
dword PackField(float channel, float scale, int width, int shift)
{
    float scaled = channel * scale;
    std::int32_t n = INT32_MIN;
    if (scaled > -2147483648.0f && scaled < 2147483648.0f)
        n = static_cast<std::int32_t>(scaled);
    dword mask = (dword(1) << width) - 1;
    return (static_cast<dword>(n) & mask) << shift;
}

} // namespace

Color::Color(float v)
    : r(ClampUnit(v)), g(ClampUnit(v)), b(ClampUnit(v)), a(1.0f)
{
}

Color::Color(float R, float G, float B, float A)
    : r(ClampUnit(R)), g(ClampUnit(G)), b(ClampUnit(B)), a(ClampUnit(A))
{
}

Color::Color(unsigned int R, unsigned int G, unsigned int B, unsigned int A)
    : r(FromByte(Clamp(R, 0u, 255u))), g(FromByte(Clamp(G, 0u, 255u))),
      b(FromByte(Clamp(B, 0u, 255u))), a(FromByte(Clamp(A, 0u, 255u)))
{
}

Color::Color(int R, int G, int B, int A)
    : r(FromByte(Clamp(R, 0, 255))), g(FromByte(Clamp(G, 0, 255))),
      b(FromByte(Clamp(B, 0, 255))), a(FromByte(Clamp(A, 0, 255)))
{
}

Color::Color(dword argb)
    : r(FromByte((argb >> 16) & 0xFF)), g(FromByte((argb >> 8) & 0xFF)),
      b(FromByte(argb & 0xFF)), a(FromByte((argb >> 24) & 0xFF))
{
}

Color& Color::operator=(dword argb)
{
    *this = Color(argb);
    return *this;
}

Color Color::operator+(const Color& c) const
{
    return Color(r + c.r, g + c.g, b + c.b, a + c.a);
}

Color Color::operator-(const Color& c) const
{
    return Color(r - c.r, g - c.g, b - c.b, a - c.a);
}

Color Color::operator*(const Color& c) const
{
    return Color(r * c.r, g * c.g, b * c.b, a * c.a);
}

Color Color::operator*(float f) const
{
    return Color(f * r, f * g, f * b, a);
}

void Color::operator+=(const Color& c)
{
    *this = *this + c;
}

void Color::operator-=(const Color& c)
{
    *this = *this - c;
}

void Color::operator*=(const Color& c)
{
    *this = *this * c;
}

void Color::operator*=(float f)
{
    *this = *this * f;
}

dword Color::GetPacked32() const
{
    return PackField(a, 255.0f, 8, 24) | PackField(r, 255.0f, 8, 16)
         | PackField(g, 255.0f, 8, 8) | PackField(b, 255.0f, 8, 0);
}

std::uint16_t Color::GetPacked16() const
{
    return static_cast<std::uint16_t>(PackField(r, 31.0f, 5, 11) | PackField(g, 63.0f, 6, 5)
                                      | PackField(b, 31.0f, 5, 0));
}

std::uint16_t Color::GetPacked15() const
{
    return static_cast<std::uint16_t>(PackField(a, 1.0f, 1, 15) | PackField(r, 31.0f, 5, 10)
                                      | PackField(g, 31.0f, 5, 5) | PackField(b, 31.0f, 5, 0));
}

std::uint8_t Color::GetNearestPaletteIndex(const std::uint8_t* const (&palette)[256]) const
{
    const double halfPi = 1.5707964f;
    float score[256];
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* entry = palette[i];
        Color c(static_cast<int>(entry[0]), static_cast<int>(entry[1]), static_cast<int>(entry[2]), 255);
        score[i] = static_cast<float>(std::cos(std::fabs(static_cast<double>(r - c.r)) * halfPi)
                                      + std::cos(std::fabs(static_cast<double>(g - c.g)) * halfPi)
                                      + std::cos(std::fabs(static_cast<double>(b - c.b)) * halfPi));
    }
    int best = 0;
    for (int i = 0; i < 256; ++i)
        if (score[i] > score[best])
            best = i;
    return static_cast<std::uint8_t>(best);
}

Color Lerp(const Color& a, const Color& b, float t)
{
    return Color((b.r - a.r) * t + a.r, (b.g - a.g) * t + a.g, (b.b - a.b) * t + a.b, 1.0f);
}

// Writes the board's wood image: make_wood [output], by default
// data/wood.jpg. The grain is computed from a fixed hash, so every run
// writes the same picture.

#include "tools/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int Size = 512;

float Hash(int x, int y)
{
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFF) / float(0xFFFFFF);
}

// Smoothly interpolated lattice noise in [0, 1].
float Noise(float x, float y)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const float fx = x - float(ix), fy = y - float(iy);
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = Hash(ix, iy), b = Hash(ix + 1, iy);
    const float c = Hash(ix, iy + 1), d = Hash(ix + 1, iy + 1);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float Fractal(float x, float y)
{
    float sum = 0, amp = 0.5f;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amp * Noise(x, y);
        x *= 2;
        y *= 2;
        amp *= 0.5f;
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "data/wood.jpg";

    // Light kaya-like wood; the grain runs along the image's width, the
    // late-wood lines darker and the fibres faintly streaked.
    const float light[3] = {226, 184, 118};
    const float dark[3] = {176, 122, 62};
    std::vector<unsigned char> rgb(std::size_t(Size) * Size * 3);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const float u = float(x) / Size, v = float(y) / Size;
            const float rings = v * 16.0f + 4.0f * Fractal(u * 0.8f + 7.0f, v * 1.2f) + 1.5f * Fractal(u * 3.0f, v * 6.0f);
            const float wave = 0.5f + 0.5f * std::sin(2.0f * std::numbers::pi_v<float> * rings);
            const float lateWood = std::pow(wave, 5.0f);
            const float fibre = Fractal(u * 4.0f, v * 180.0f);
            const float t = std::clamp(0.55f * lateWood + 0.35f * (fibre - 0.5f) + 0.08f, 0.0f, 1.0f);
            for (int c = 0; c < 3; ++c)
                rgb[(std::size_t(y) * Size + x) * 3 + c] =
                    (unsigned char)std::lround(light[c] + (dark[c] - light[c]) * t);
        }
    }

    const bool ok = tools::WriteJpeg(path, Size, Size, rgb, 90);
    if (!ok)
        std::fprintf(stderr, "make_wood: cannot write %s\n", path);
    return ok ? 0 : 1;
}

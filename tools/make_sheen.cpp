// Writes the black stones' reflection image: make_sheen [output], by default
// data/sheen.jpg.
//
// The game's lamp gives the device no specular colour, so a material's
// specular settings cannot shine; the engine's reflection map can. It is
// a sphere map looked up by the camera-space normal (u = (1 + nx) / 2,
// v = (1 - ny) / 2) and added to the lit colour. The image is the highlight
// the lamp above the board makes on a polished stone seen from the game's
// starting seat, with a faint sheen around it so the stone reads as round.

#include "tools/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace {

constexpr int Size = 128;

// The starting camera at (0, 100, -100) looks at the board's centre: in its
// space the lamp straight above a stone lies up and towards the viewer
// (0, 0.707, -0.707), the eye along -z, and the highlight where the normal
// meets the half-way vector of the two.
constexpr float HalfWayY = 0.38268343f, HalfWayZ = -0.92387953f;

constexpr float Highlight = 0.65f, HighlightPower = 40.0f;
constexpr float Sheen = 0.12f, SheenPower = 6.0f;
// Slate's highlight is a cool grey.
constexpr float Tint[3] = {0.92f, 0.95f, 1.0f};

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "data/sheen.jpg";

    std::vector<unsigned char> rgb(std::size_t(Size) * Size * 3);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            float nx = 2.0f * (float(x) + 0.5f) / Size - 1.0f;
            float ny = 1.0f - 2.0f * (float(y) + 0.5f) / Size;
            // Beyond the disc the rim's value carries on, for filtering.
            const float r = std::sqrt(nx * nx + ny * ny);
            if (r > 1.0f) {
                nx /= r;
                ny /= r;
            }
            const float nz = -std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
            const float d = std::max(0.0f, ny * HalfWayY + nz * HalfWayZ);
            const float value = Highlight * std::pow(d, HighlightPower) + Sheen * std::pow(d, SheenPower);
            for (int c = 0; c < 3; ++c)
                rgb[(std::size_t(y) * Size + x) * 3 + c] =
                    (unsigned char)std::lround(255.0f * std::min(1.0f, value * Tint[c]));
        }
    }

    if (!tools::WriteJpeg(path, Size, Size, rgb, 95)) {
        std::fprintf(stderr, "make_sheen: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

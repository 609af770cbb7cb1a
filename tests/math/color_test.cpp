#include "math/clamp.h"
#include "math/color.h"
#include "math_expect.h"

#include <array>
#include <cmath>
#include <limits>
#include <ostream>
#include <vector>

// Found by argument-dependent lookup from inside GoogleTest.
static std::ostream& operator<<(std::ostream& os, const Color& c)
{
    return os << c.r << ", " << c.g << ", " << c.b << ", " << c.a;
}

namespace
{

::testing::AssertionResult ColorNear(const Color& a, const Color& b, float tol = 1e-6f)
{
    if (std::fabs(a.r - b.r) <= tol && std::fabs(a.g - b.g) <= tol && std::fabs(a.b - b.b) <= tol && std::fabs(a.a - b.a) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a << ") is not (" << b << ")";
}

// 256 entries of three bytes each, all set to one colour to start with.
struct Palette
{
    std::array<std::array<std::uint8_t, 4>, 256> Entries;
    const std::uint8_t* Pointers[256];

    explicit Palette(std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        for (int i = 0; i < 256; ++i) {
            Entries[i] = {r, g, b, 0};
            Pointers[i] = Entries[i].data();
        }
    }
    void Set(int i, std::uint8_t r, std::uint8_t g, std::uint8_t b) { Entries[i] = {r, g, b, 0}; }
};

} // namespace

TEST(Clamp, ReturnsTheBoundOrTheValue)
{
    EXPECT_EQ(Clamp(5, 0, 3), 3);
    EXPECT_EQ(Clamp(-5, 0, 3), 0);
    EXPECT_EQ(Clamp(2u, 0u, 3u), 2u);
    float lo = 0.0f, hi = 1.0f, v = 0.5f;
    EXPECT_EQ(&Clamp(v, lo, hi), &v);
    EXPECT_EQ(&Clamp(2.0f, lo, hi), &hi);
}

TEST(Color, ConstructorsClamp)
{
    const Outcome<Color> cases[] = {
        {"floats", Color(2.0f, -1.0f, 0.5f, 1.5f), Color(1.0f, 0.0f, 0.5f, 1.0f)},
        {"grey below range", Color(-3.0f), Color(0.0f, 0.0f, 0.0f, 1.0f)},
        {"grey", Color(0.25f), Color(0.25f, 0.25f, 0.25f, 1.0f)},
        {"ints", Color(300, -5, 51, 255), Color(1.0f, 0.0f, 0.2f, 1.0f)},
        {"unsigned", Color(300u, 0u, 51u, 0u), Color(1.0f, 0.0f, 0.2f, 0.0f)},
        {"packed", Color(dword(0xFF8040C0)), Color(128 / 255.0f, 64 / 255.0f, 192 / 255.0f, 1.0f)},
        {"packed, alpha apart", Color(dword(0x00FFFFFF)), Color(1.0f, 1.0f, 1.0f, 0.0f)},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(ColorNear(c.actual, c.expected)) << c.what;

    Color assigned(0.0f);
    Color& result = (assigned = dword(0x80FF0000));
    EXPECT_EQ(&result, &assigned);
    EXPECT_TRUE(ColorNear(assigned, Color(1.0f, 0.0f, 0.0f, 128 / 255.0f)));
}

TEST(Color, NaNPassesThroughTheClamp)
{
    float nan = std::numeric_limits<float>::quiet_NaN();
    Color c(nan, 0.5f, 2.0f, 1.0f);
    EXPECT_TRUE(std::isnan(c.r));
    EXPECT_EQ(c.b, 1.0f);
    // Packing such a channel is well defined: its field stays empty.
    EXPECT_EQ(c.GetPacked32(), 0xFF007FFFu);
    EXPECT_EQ(c.GetPacked16(), 0x03FFu);
    Color huge(1.0f, 1.0f, 1.0f, 1.0f);
    huge.g = 1e30f;
    EXPECT_EQ(huge.GetPacked32(), 0xFFFF00FFu);
}

TEST(Color, Packing)
{
    const Outcome<dword> cases[] = {
        {"32: half red truncates to 0x7F", Color(0.5f, 0.0f, 0.0f, 1.0f).GetPacked32(), 0xFF7F0000u},
        {"32: orange", Color(1.0f, 0.5f, 0.0f, 1.0f).GetPacked32(), 0xFFFF7F00u},
        {"32: white", Color(1.0f, 1.0f, 1.0f, 1.0f).GetPacked32(), 0xFFFFFFFFu},
        {"32: round trip", Color(dword(0xFF8040C0)).GetPacked32(), 0xFF8040C0u},
        {"16: white", Color(1.0f, 1.0f, 1.0f, 1.0f).GetPacked16(), 0xFFFFu},
        {"16: red", Color(1.0f, 0.0f, 0.0f, 1.0f).GetPacked16(), 0xF800u},
        {"16: green", Color(0.0f, 1.0f, 0.0f, 0.0f).GetPacked16(), 0x07E0u},
        {"16: blue", Color(0.0f, 0.0f, 1.0f, 1.0f).GetPacked16(), 0x001Fu},
        {"15: alpha just below one", Color(1.0f, 1.0f, 1.0f, 0.99f).GetPacked15(), 0x7FFFu},
        {"15: black, opaque", Color(0.0f, 0.0f, 0.0f, 1.0f).GetPacked15(), 0x8000u},
        {"15: green", Color(0.0f, 1.0f, 0.0f, 0.0f).GetPacked15(), 0x03E0u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what << std::hex << ": 0x" << c.actual;
}

TEST(Color, EveryByteSurvivesUnpackAndPack)
{
    for (dword n = 0; n < 256; ++n) {
        dword argb = (n << 24) | ((255 - n) << 16) | (n << 8) | (n ^ 0x5A);
        ASSERT_EQ(Color(argb).GetPacked32(), argb) << n;
    }
}

TEST(Color, Arithmetic)
{
    const Color c(0.6f, 0.2f, 0.1f, 0.5f);
    const Outcome<Color> cases[] = {
        {"scaled, alpha untouched", c * 2.0f, Color(1.0f, 0.4f, 0.2f, 0.5f)},
        {"sum clamps", c + Color(0.6f, 0.9f, 0.0f, 0.8f), Color(1.0f, 1.0f, 0.1f, 1.0f)},
        {"difference clamps", c - Color(0.1f, 0.5f, 0.0f, 0.5f), Color(0.5f, 0.0f, 0.1f, 0.0f)},
        {"product", c * Color(0.5f, 1.0f, 0.0f, 0.5f), Color(0.3f, 0.2f, 0.0f, 0.25f)},
        {"negative scale", c * -1.0f, Color(0.0f, 0.0f, 0.0f, 0.5f)},
        {"Lerp halfway gives alpha 1", Lerp(Color(0.0f, 0.0f, 0.0f, 0.0f), Color(1.0f, 1.0f, 1.0f, 0.0f), 0.5f), Color(0.5f, 0.5f, 0.5f, 1.0f)},
        {"Lerp past the end clamps", Lerp(Color(0.0f, 0.0f, 0.0f, 0.0f), Color(1.0f, 1.0f, 1.0f, 0.0f), 2.0f), Color(1.0f, 1.0f, 1.0f, 1.0f)},
        {"Lerp before the start clamps", Lerp(Color(0.5f, 0.5f, 0.5f, 0.0f), Color(1.0f, 0.0f, 0.5f, 0.0f), -2.0f), Color(0.0f, 1.0f, 0.5f, 1.0f)},
    };
    for (const auto& t : cases)
        EXPECT_TRUE(ColorNear(t.actual, t.expected)) << t.what;

    Color compound = c;
    compound *= 2.0f;
    EXPECT_TRUE(ColorNear(compound, c * 2.0f));
    compound = c;
    compound += Color(0.6f, 0.9f, 0.0f, 0.8f);
    EXPECT_TRUE(ColorNear(compound, Color(1.0f, 1.0f, 0.1f, 1.0f)));
    compound -= Color(2.0f, 0.5f, 0.0f, 0.0f);
    EXPECT_TRUE(ColorNear(compound, Color(0.0f, 0.5f, 0.1f, 1.0f)));
    compound *= Color(0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(ColorNear(compound, Color(0.0f, 0.25f, 0.05f, 0.5f)));
}

TEST(Color, NearestPaletteIndex)
{
    struct Entry
    {
        int index;
        std::uint8_t r, g, b;
    };
    struct Case
    {
        const char* what;
        std::uint8_t fill;
        std::vector<Entry> entries;
        Color color;
        int expected;
    };
    const Case cases[] = {
        {"identical entries", 0, {}, Color(0.3f, 0.6f, 0.9f, 1.0f), 0},
        {"first exact match", 255, {{7, 10, 20, 30}, {9, 10, 20, 30}}, Color(10, 20, 30, 0), 7},
        {"alpha plays no part", 0, {{200, 255, 255, 255}}, Color(1.0f, 1.0f, 1.0f, 0.0f), 200},
        // One channel off by the full range scores 2; three channels off by
        // 0.55 score 1.95, though they are nearer in straight-line distance.
        {"cosine score", 255, {{3, 140, 140, 140}, {5, 255, 0, 0}}, Color(0.0f, 0.0f, 0.0f, 1.0f), 5},
    };
    for (const auto& c : cases) {
        Palette p(c.fill, c.fill, c.fill);
        for (const auto& e : c.entries)
            p.Set(e.index, e.r, e.g, e.b);
        EXPECT_EQ(c.color.GetNearestPaletteIndex(p.Pointers), c.expected) << c.what;
    }

    Palette ramp(0, 0, 0);
    for (int i = 0; i < 256; ++i)
        ramp.Set(i, std::uint8_t(i), std::uint8_t(i), std::uint8_t(i));
    for (int grey : {0, 1, 100, 254, 255})
        EXPECT_EQ(Color(grey, grey, grey, 255).GetNearestPaletteIndex(ramp.Pointers), grey) << "grey ramp";
}

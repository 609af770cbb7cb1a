// The box filter of the utility library: each level from the one above,
// odd sizes weighted so no texel is lost, formats other than 32 bits, a
// single level left alone, and what it refuses.

#include <string>

#include "device_fixture.h"
#include "platform/d3d/d3dx8.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

struct FilterCase
{
    const char* name;
    UINT width, height;
    std::vector<D3DCOLOR> top;                  // level 0, row by row
    std::vector<std::vector<D3DCOLOR>> levels;  // the levels below, as the filter makes them
    D3DFORMAT format = D3DFMT_A8R8G8B8;
};

void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.name << ": " << c.width << "x" << c.height << " " << FormatName(c.format);
    if (c.levels.empty())
        return;
    *os << ", the smallest level";
    for (D3DCOLOR t : c.levels.back())
        *os << " " << testsupport::Hex{t};
}

class BoxFilter : public DeviceTest, public ::testing::WithParamInterface<FilterCase>
{
};

TEST_P(BoxFilter, EveryLevelAveragesTheOneAbove)
{
    const auto& c = GetParam();
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(c.width, c.height, 0, 0, c.format, D3DPOOL_MANAGED, &t), D3D_OK);
    ASSERT_EQ(t->GetLevelCount(), c.levels.size() + 1);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < c.height; ++y)
        std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, &c.top[y * c.width], c.width * 4);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    ASSERT_EQ(D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_BOX), D3D_OK);
    for (UINT l = 1; l <= c.levels.size(); ++l)
    {
        D3DSURFACE_DESC d{};
        ASSERT_EQ(t->GetLevelDesc(l, &d), D3D_OK);
        ASSERT_EQ(d.Width * d.Height, c.levels[l - 1].size()) << "level " << l;
        ASSERT_EQ(t->LockRect(l, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < d.Height; ++y)
            for (UINT x = 0; x < d.Width; ++x)
            {
                D3DCOLOR got;
                std::memcpy(&got, static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, 4);
                EXPECT_EQ(got, c.levels[l - 1][y * d.Width + x])
                    << c.name << " level " << l << " texel " << x << "," << y << std::hex << " got " << got;
            }
        ASSERT_EQ(t->UnlockRect(l), D3D_OK);
    }
    t->Release();
}

constexpr D3DCOLOR Rd = 0xFFFF0000, Gn = 0xFF00FF00, Bl = 0xFF0000FF, Wh = 0xFFFFFFFF, Bk = 0xFF000000;

INSTANTIATE_TEST_SUITE_P(
    Cases, BoxFilter,
    ::testing::Values(
        // Each channel on its own, the mean rounded to nearest.
        FilterCase{"TwoByTwo", 2, 2, {0x00000000, 0x04080C10, 0xFF00FF00, 0x01020304}, {{0x41034405}}},
        // The unused byte of X8R8G8B8 counts for nothing and comes out 0xFF.
        FilterCase{"NoAlphaByte", 2, 2, {0x00102030, 0x12102030, 0x7F112131, 0x00102030}, {{0xFF102030}},
                   D3DFMT_X8R8G8B8},
        // Halving in both directions at every level down to one texel.
        FilterCase{"EightByTwoChain", 8, 2,
                   {Rd, Rd, Gn, Gn, Bl, Bl, Wh, Wh, Rd, Rd, Gn, Gn, Bl, Bl, Wh, Wh},
                   {{Rd, Gn, Bl, Wh}, {0xFF808000, 0xFF8080FF}, {0xFF808080}}},
        FilterCase{"FourByFourChain", 4, 4,
                   {Rd, Rd, Gn, Gn, Rd, Rd, Gn, Gn, Bl, Bl, Wh, Wh, Bl, Bl, Wh, Wh},
                   {{Rd, Gn, Bl, Wh}, {0xFF808080}}},
        // Three texels to one: all of them count.
        FilterCase{"ThreeByThree", 3, 3, {Wh, Wh, Wh, Wh, Wh, Wh, Wh, Wh, Bk}, {{0xFFE3E3E3}}},
        // Five to two: each box covers two and a half texels.
        FilterCase{"FiveWide", 5, 1, {Wh, Wh, Bk, Bk, Bk}, {{0xFFCCCCCC, Bk}, {0xFF666666}}},
        // One texel wide: only the other axis shrinks.
        FilterCase{"OneWide", 1, 4, {Wh, Bk, Rd, Rd}, {{0xFF808080, Rd}, {0xFFC04040}}}),
    testsupport::NameOfCase());

TEST_F(DeviceTest, BoxFilterKeepsTheFormatOfSixteenBitLevels)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    const std::uint16_t red = 0xF800, blue = 0x001F;
    std::memcpy(lr.pBits, &red, 2);
    std::memcpy(static_cast<BYTE*>(lr.pBits) + 2, &red, 2);
    std::memcpy(static_cast<BYTE*>(lr.pBits) + lr.Pitch, &blue, 2);
    std::memcpy(static_cast<BYTE*>(lr.pBits) + lr.Pitch + 2, &blue, 2);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    ASSERT_EQ(D3DXFilterTexture(t, nullptr, D3DX_DEFAULT, D3DX_DEFAULT), D3D_OK);
    ASSERT_EQ(t->LockRect(1, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::uint16_t got = 0;
    std::memcpy(&got, lr.pBits, 2);
    EXPECT_EQ(got, (16u << 11) | 16u) << "half red, half blue: 128 of 255 in five bits";
    ASSERT_EQ(t->UnlockRect(1), D3D_OK);
    t->Release();
}

TEST_F(DeviceTest, BoxFilterLeavesTheSourceLevelAndAboveAlone)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    const D3DCOLOR fills[3] = {Rd, Gn, Bl};
    for (UINT l = 0; l < 3; ++l)
    {
        D3DSURFACE_DESC d{};
        t->GetLevelDesc(l, &d);
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(t->LockRect(l, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < d.Height; ++y)
            for (UINT x = 0; x < d.Width; ++x)
                std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &fills[l], 4);
        t->UnlockRect(l);
    }
    ASSERT_EQ(D3DXFilterTexture(t, nullptr, 1, D3DX_FILTER_BOX), D3D_OK);
    D3DCOLOR got[3];
    for (UINT l = 0; l < 3; ++l)
    {
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(t->LockRect(l, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
        std::memcpy(&got[l], lr.pBits, 4);
        t->UnlockRect(l);
    }
    EXPECT_EQ(got[0], Rd);
    EXPECT_EQ(got[1], Gn);
    EXPECT_EQ(got[2], Gn) << "level 2 from level 1";

    // A single level has nothing below it to build.
    IDirect3DTexture8* one = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &one), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(one->LockRect(0, &lr, nullptr, 0), D3D_OK);
    std::memcpy(lr.pBits, &Bl, 4);
    one->UnlockRect(0);
    EXPECT_EQ(D3DXFilterTexture(one, nullptr, 0, D3DX_FILTER_BOX), D3D_OK);
    ASSERT_EQ(one->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(lr.pBits, &Bl, 4), 0);
    one->UnlockRect(0);

    EXPECT_EQ(D3DXFilterTexture(t, nullptr, 3, D3DX_FILTER_BOX), D3DERR_INVALIDCALL) << "no level 3";
    EXPECT_EQ(D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_POINT), D3DERR_INVALIDCALL) << "only the box filter";
    EXPECT_EQ(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_FILTER_BOX), D3DERR_INVALIDCALL);
    // A texture whose levels cannot be locked is not half filtered.
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    EXPECT_NE(D3DXFilterTexture(target, nullptr, 0, D3DX_FILTER_BOX), D3D_OK);
    target->Release();
    one->Release();
    t->Release();
}

}  // namespace

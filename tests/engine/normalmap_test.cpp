// Packing vectors into texels, height maps turned into normal maps, and mip
// levels rebuilt from the top one.

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "device_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

TEST(PackVector, ChannelsAreTruncatedFromMinusOneToOne)
{
    struct Case
    {
        Vector3 v;
        float a;
        dword packed;
    } cases[] = {
        {{0, 0, 1}, 1.0f, 0xFF8080FF},
        {{1, 0, 0}, 0.0f, 0x00FF8080},
        {{-1, 0, 0}, 0.5f, 0x7F018080},
        {{0, -1, 0}, 0.25f, 0x3F800180},
        {{0, 0, -1}, 1.0f, 0xFF808001},
    };
    for (const Case& k : cases)
        EXPECT_EQ(PackVector(k.v, k.a), k.packed) << k.v << " " << k.a;
}

namespace
{
class NormalMap : public enginetest::DeviceTest
{
protected:
    // A system-memory A8R8G8B8 texture whose every level is filled by the
    // rule (level, x, y) -> texel.
    IDirect3DTexture8* Make(UINT w, UINT h, UINT levels, const std::function<dword(UINT, UINT, UINT)>& texel,
                            D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(c->Device->CreateTexture(w, h, levels, 0, format, D3DPOOL_SYSTEMMEM, &t), D3D_OK);
        if (t == nullptr || format != D3DFMT_A8R8G8B8)
            return t;
        for (UINT l = 0; l < t->GetLevelCount(); ++l) {
            D3DSURFACE_DESC desc{};
            t->GetLevelDesc(l, &desc);
            D3DLOCKED_RECT r{};
            EXPECT_EQ(t->LockRect(l, &r, nullptr, 0), D3D_OK);
            for (UINT y = 0; y < desc.Height; ++y)
                for (UINT x = 0; x < desc.Width; ++x)
                    Row(r, y)[x] = texel(l, x, y);
            t->UnlockRect(l);
        }
        return t;
    }

    static dword* Row(const D3DLOCKED_RECT& r, UINT y)
    {
        return reinterpret_cast<dword*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch);
    }

    std::vector<dword> Level(IDirect3DTexture8* t, UINT level)
    {
        D3DSURFACE_DESC desc{};
        t->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT r{};
        EXPECT_EQ(t->LockRect(level, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
        std::vector<dword> out;
        for (UINT y = 0; y < desc.Height; ++y)
            out.insert(out.end(), Row(r, y), Row(r, y) + desc.Width);
        t->UnlockRect(level);
        return out;
    }
};
} // namespace

TEST_F(NormalMap, AFlatHeightMapPointsUpEverywhereOnEveryLevel)
{
    // Only red is the height: the other channels are noise.
    struct Case
    {
        dword red;
        dword alpha;
    } cases[] = {{0x00, 0x00}, {0xFF, 0xFF}, {0x80, dword(255.0f * (128 / 255.0f))}};
    for (const Case& k : cases) {
        IDirect3DTexture8* t = Make(8, 4, 0, [&](UINT l, UINT x, UINT y) {
            return 0x5A000000u | k.red << 16 | ((x * 37 + y * 11 + l) & 0xFF) << 8 | (x ^ y);
        });
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(t->GetLevelCount(), 4u);
        CreateNormalMap(t);
        for (UINT l = 0; l < 4; ++l)
            for (dword texel : Level(t, l))
                EXPECT_EQ(texel, k.alpha << 24 | 0x8080FF) << "red " << k.red << " level " << l;
        t->Release();
    }
}

TEST_F(NormalMap, ARampTiltsTheNormalAgainstTheRise)
{
    // Height rising by one step per texel to the right: red 127 inside; the
    // last column, which has no right neighbour, counts as flat.
    IDirect3DTexture8* t = Make(4, 2, 1, [](UINT, UINT x, UINT) { return (100 + x) << 16; });
    CreateNormalMap(t);
    const std::vector<dword> texels = Level(t, 0);
    for (UINT y = 0; y < 2; ++y) {
        for (UINT x = 0; x < 4; ++x) {
            const dword v = texels[y * 4 + x];
            EXPECT_EQ((v >> 16) & 0xFF, x < 3 ? 127u : 128u) << x << ", " << y;
            EXPECT_EQ((v >> 8) & 0xFF, 128u) << x << ", " << y;
        }
    }
    t->Release();
}

TEST_F(NormalMap, EdgesTakeTheLastColumnAndRowAsNeighbours)
{
    // A step up at the last column and at the last row. The texel before a
    // step leans away from it; the step's own texels see no step.
    IDirect3DTexture8* t = Make(2, 2, 1, [](UINT, UINT x, UINT y) { return dword(x == 1 || y == 1 ? 0xFF : 0) << 16; });
    CreateNormalMap(t);
    const std::vector<dword> v = Level(t, 0);
    // (0, 0): neighbours right and below are both 1 higher: (-1, -1, 1) / sqrt 3.
    EXPECT_EQ(v[0], PackVector(Vector3(-1, -1, 1) * (1 / std::sqrt(3.0f)), 0.0f));
    EXPECT_EQ(v[0] & 0xFFFFFF, 0x3636C9u);
    // (1, 0): the column is clamped; below is level with it.
    EXPECT_EQ(v[1], 0xFF8080FFu);
    // (0, 1): the row is clamped; to the right is level with it.
    EXPECT_EQ(v[2], 0xFF8080FFu);
    EXPECT_EQ(v[3], 0xFF8080FFu);
    t->Release();
}

TEST_F(NormalMap, OtherTexelLayoutsAreRefused)
{
    IDirect3DTexture8* t = Make(4, 4, 1, nullptr, D3DFMT_R5G6B5);
    ASSERT_NE(t, nullptr);
    D3DLOCKED_RECT r{};
    ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < 4; ++y)
        std::memset(static_cast<BYTE*>(r.pBits) + y * r.Pitch, 0xAB, 8);
    t->UnlockRect(0);

    std::vector<std::string> reports;
    const AssertionReporter previous =
        SetAssertionReporter([&](const std::string& e, const char*, int) { reports.push_back(e); });
    CreateNormalMap(t);
    SetAssertionReporter(previous);
    EXPECT_EQ(reports, (std::vector<std::string>{"desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8"}));
    ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(r.pBits)[3 * r.Pitch + 7], 0xAB);
    t->UnlockRect(0);
    t->Release();
}

TEST_F(NormalMap, UpdateMipmapsRebuildsTheLowerLevelsOnly)
{
    // One level: nothing changes.
    IDirect3DTexture8* single = Make(4, 4, 1, [](UINT, UINT x, UINT y) { return 0xFF000000u | x << 16 | y; });
    const std::vector<dword> before = Level(single, 0);
    UpdateMipmaps(single);
    EXPECT_EQ(Level(single, 0), before);
    single->Release();

    // A chain: the levels below the top are averaged from it, the top kept.
    IDirect3DTexture8* chain =
        Make(4, 4, 0, [](UINT l, UINT x, UINT) { return l == 0 ? (x % 2 ? 0xFFFFFFFFu : 0xFF000000u) : 0u; });
    const std::vector<dword> top = Level(chain, 0);
    UpdateMipmaps(chain);
    EXPECT_EQ(Level(chain, 0), top);
    for (UINT l = 1; l < chain->GetLevelCount(); ++l) {
        for (dword texel : Level(chain, l)) {
            EXPECT_EQ(texel >> 24, 0xFFu) << "level " << l;
            EXPECT_NEAR(double(texel & 0xFF), 127.5, 1.0) << "level " << l;
        }
    }
    chain->Release();
    UpdateMipmaps(nullptr);
}

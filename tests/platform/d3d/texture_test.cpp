// Textures: each format written through LockRect samples back what was
// written; writes after a draw show at the next draw; UpdateTexture copies
// every level; creation, locking and binding refuse what they cannot do.

#include "tests/support/case_print.h"
#include "texture_fixture.h"

namespace {
using namespace d3dtest;

struct FormatCase
{
    const char* name;
    D3DFORMAT format;
    UINT texelBytes;
    // The 2 x 2 texels in memory order, and what each samples as (ARGB).
    BYTE texels[4][4];
    D3DCOLOR expected[4];
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.name << ": " << FormatName(c.format) << ", " << c.texelBytes << "-byte texels sampled as";
    for (D3DCOLOR e : c.expected)
        *os << " " << testsupport::Hex{e};
}

class Formats : public TextureTest, public ::testing::WithParamInterface<FormatCase>
{
};

TEST_P(Formats, LockedTexelsSampleBack)
{
    const auto& c = GetParam();
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, c.format, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DSURFACE_DESC d{};
    ASSERT_EQ(t->GetLevelDesc(0, &d), D3D_OK);
    EXPECT_EQ(d.Format, c.format);
    EXPECT_EQ(d.Width, 2u);
    EXPECT_EQ(d.Height, 2u);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    ASSERT_GE(lr.Pitch, static_cast<int>(2 * c.texelBytes));
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<BYTE*>(lr.pBits) + (i / 2) * lr.Pitch + (i % 2) * c.texelBytes, c.texels[i],
                    c.texelBytes);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);

    const int at[4][2] = {{16, 16}, {48, 16}, {16, 48}, {48, 48}};
    ASSERT_EQ(TexturedQuad(t), D3D_OK);
    auto frame = Frame();
    for (int i = 0; i < 4; ++i)
    {
        const auto p = frame[at[i][1] * kSize + at[i][0]];
        ExpectColor(p, R(c.expected[i]), G(c.expected[i]), B(c.expected[i]), 1, c.name);
    }
    ASSERT_EQ(TexturedQuad(t, true), D3D_OK);
    frame = Frame();
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(R(frame[at[i][1] * kSize + at[i][0]]), static_cast<int>(c.expected[i] >> 24), 1)
            << c.name << " alpha of texel " << i;
    device->SetTexture(0, nullptr);
    EXPECT_EQ(t->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Formats,
    ::testing::Values(
        FormatCase{"A8R8G8B8", D3DFMT_A8R8G8B8, 4,
                   {{0x30, 0x20, 0x10, 0xFF}, {0x00, 0x00, 0xFF, 0x80}, {0x00, 0xFF, 0x00, 0x40}, {0xFF, 0, 0, 0}},
                   {0xFF102030, 0x80FF0000, 0x4000FF00, 0x000000FF}},
        // The unused byte of X8 formats never reaches alpha.
        FormatCase{"X8R8G8B8", D3DFMT_X8R8G8B8, 4,
                   {{0x30, 0x20, 0x10, 0x00}, {0x00, 0x00, 0xFF, 0x12}, {0x00, 0xFF, 0x00, 0x00}, {0xFF, 0, 0, 0}},
                   {0xFF102030, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
        // Three bytes a texel: rows are a pitch apart, not six bytes.
        FormatCase{"R8G8B8", D3DFMT_R8G8B8, 3,
                   {{0x30, 0x20, 0x10}, {0x00, 0x00, 0xFF}, {0x00, 0xFF, 0x00}, {0xFF, 0x80, 0x40}},
                   {0xFF102030, 0xFFFF0000, 0xFF00FF00, 0xFF4080FF}},
        FormatCase{"R5G6B5", D3DFMT_R5G6B5, 2,
                   {{0x00, 0xF8}, {0xE0, 0x07}, {0x1F, 0x00}, {0x10, 0x84}},
                   {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848284}},
        FormatCase{"X1R5G5B5", D3DFMT_X1R5G5B5, 2,
                   {{0x00, 0x7C}, {0xE0, 0x03}, {0x1F, 0x00}, {0x10, 0x42}},
                   {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848484}},
        FormatCase{"A1R5G5B5", D3DFMT_A1R5G5B5, 2,
                   {{0x00, 0xFC}, {0xE0, 0x03}, {0x1F, 0x80}, {0xFF, 0x7F}},
                   {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0x00FFFFFF}},
        // Alpha only: the colour samples black.
        FormatCase{"A8", D3DFMT_A8, 1, {{0x00}, {0x40}, {0x80}, {0xFF}},
                   {0x00000000, 0x40000000, 0x80000000, 0xFF000000}}),
    testsupport::NameOfCase());

TEST_F(TextureTest, TexelsWrittenAfterADrawShowAtTheNext)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    Fill(t, 0, 0xFF0000FF);
    ASSERT_EQ(TexturedQuad(t), D3D_OK);
    ExpectColor(Pixel(40, 8), 0, 0, 255);
    // One texel, column 2 of row 0, through a rectangle lock.
    RECT r{2, 0, 3, 1};
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, &r, 0), D3D_OK);
    const D3DCOLOR red = 0xFFFF0000;
    std::memcpy(lr.pBits, &red, 4);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    ASSERT_EQ(TexturedQuad(t), D3D_OK);
    ExpectColor(Pixel(40, 8), 255, 0, 0);
    ExpectColor(Pixel(56, 8), 0, 0, 255);
    ExpectColor(Pixel(40, 24), 0, 0, 255);
    // A read-only lock changes nothing.
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(static_cast<BYTE*>(lr.pBits) + 8, &red, 4), 0);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(TextureTest, FullChainHasEveryLevelDownToOneTexel)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 4, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    ASSERT_EQ(t->GetLevelCount(), 5u);
    const UINT sizes[5][2] = {{16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (UINT l = 0; l < 5; ++l)
    {
        D3DSURFACE_DESC d{};
        ASSERT_EQ(t->GetLevelDesc(l, &d), D3D_OK);
        EXPECT_EQ(d.Width, sizes[l][0]) << l;
        EXPECT_EQ(d.Height, sizes[l][1]) << l;
        EXPECT_EQ(d.Pool, static_cast<D3DPOOL>(D3DPOOL_MANAGED));
        EXPECT_EQ(d.Type, D3DRTYPE_SURFACE);
    }
    D3DSURFACE_DESC d{};
    EXPECT_EQ(t->GetLevelDesc(5, &d), D3DERR_INVALIDCALL);
    t->Release();
}

TEST_F(TextureTest, UpdateTextureCopiesEveryLevel)
{
    IDirect3DTexture8 *staging = nullptr, *t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging), D3D_OK);
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t), D3D_OK);
    ASSERT_EQ(staging->GetLevelCount(), 3u);
    const D3DCOLOR colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (UINT l = 0; l < 3; ++l)
        Fill(staging, l, colours[l]);
    // A system-memory texture is not drawn with.
    EXPECT_EQ(device->SetTexture(0, staging), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->UpdateTexture(staging, t), D3D_OK);
    Tss(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    for (UINT l = 0; l < 3; ++l)
    {
        Tss(0, D3DTSS_MAXMIPLEVEL, l);  // the most detailed level drawn
        ASSERT_EQ(TexturedQuad(t), D3D_OK);
        ExpectColor(Pixel(32, 32), R(colours[l]), G(colours[l]), B(colours[l]), 0, "level");
    }
    // The copy is the destination's own: later writes to the source do not show.
    Fill(staging, 0, 0xFFFFFFFF);
    Tss(0, D3DTSS_MAXMIPLEVEL, 0);
    ASSERT_EQ(TexturedQuad(t), D3D_OK);
    ExpectColor(Pixel(32, 32), 255, 0, 0, 0);

    IDirect3DTexture8* other = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &other), D3D_OK);
    EXPECT_EQ(device->UpdateTexture(staging, other), D3DERR_INVALIDCALL) << "formats differ";
    EXPECT_EQ(device->UpdateTexture(t, staging), D3DERR_INVALIDCALL) << "pools reversed";
    IDirect3DTexture8* big = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &big), D3D_OK);
    EXPECT_EQ(device->UpdateTexture(staging, big), D3DERR_INVALIDCALL) << "no source level of 8 x 8";
    device->SetTexture(0, nullptr);
    big->Release();
    other->Release();
    t->Release();
    staging->Release();
}

TEST_F(TextureTest, SurfaceLevelsShareTheTexturesReferences)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    IDirect3DSurface8* s = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(1, &s), D3D_OK);
    D3DSURFACE_DESC d{};
    ASSERT_EQ(s->GetDesc(&d), D3D_OK);
    EXPECT_EQ(d.Width, 4u);
    // Written through the surface, read through the texture.
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
    static_cast<BYTE*>(lr.pBits)[0] = 0x5A;
    EXPECT_EQ(t->LockRect(1, &lr, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
    ASSERT_EQ(s->UnlockRect(), D3D_OK);
    ASSERT_EQ(t->LockRect(1, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(lr.pBits)[0], 0x5A);
    ASSERT_EQ(t->UnlockRect(1), D3D_OK);
    EXPECT_EQ(t->Release(), 1u);  // the surface still holds it
    EXPECT_EQ(s->GetDesc(&d), D3D_OK);
    EXPECT_EQ(s->Release(), 0u);
}

struct CreateCase
{
    const char* name;
    UINT width, height, levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
};

void PrintTo(const CreateCase& c, std::ostream* os)
{
    *os << c.name << ": " << c.width << "x" << c.height << ", levels " << c.levels << ", usage "
        << testsupport::Hex{c.usage} << ", " << FormatName(c.format) << ", pool " << c.pool;
}

class RefusedTextures : public TextureTest, public ::testing::WithParamInterface<CreateCase>
{
};

TEST_P(RefusedTextures, CreateTextureRefusesAndGivesNull)
{
    const auto& c = GetParam();
    IDirect3DTexture8* t = reinterpret_cast<IDirect3DTexture8*>(this);
    EXPECT_EQ(device->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &t),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedTextures,
    ::testing::Values(CreateCase{"ZeroWidth", 0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
                      CreateCase{"TooLarge", 1u << 20, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
                      CreateCase{"MoreLevelsThanTheChain", 4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
                      CreateCase{"PaletteFormat", 4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED},
                      CreateCase{"RenderTargetOutsideDefaultPool", 4, 4, 1, D3DUSAGE_RENDERTARGET,
                                 D3DFMT_X8R8G8B8, D3DPOOL_MANAGED},
                      CreateCase{"RenderTargetInAlphaOnly", 4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8,
                                 D3DPOOL_DEFAULT},
                      CreateCase{"UnknownPool", 4, 4, 1, 0, D3DFMT_A8R8G8B8, 7},
                      CreateCase{"UnknownUsage", 4, 4, 1, 0x4000, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED}),
    testsupport::NameOfCase());

TEST_F(TextureTest, LocksOutsideTheLevelOrOfRenderTargetsAreRefused)
{
    IDirect3DTexture8 *t = nullptr, *target = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    D3DLOCKED_RECT lr{};
    const RECT bad[] = {{0, 0, 5, 1}, {-1, 0, 1, 1}, {2, 2, 2, 3}, {3, 1, 1, 2}};
    for (const RECT& r : bad)
    {
        EXPECT_EQ(t->LockRect(0, &lr, &r, 0), D3DERR_INVALIDCALL) << r.left << "," << r.top;
        EXPECT_EQ(lr.pBits, nullptr);
    }
    EXPECT_EQ(t->LockRect(1, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL) << "not locked";
    EXPECT_EQ(target->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    target->Release();
    t->Release();
}

TEST_F(TextureTest, AddressingAndFilteringFollowTheStage)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    const D3DCOLOR texels[2] = {0xFF000000, 0xFFFFFFFF};
    std::memcpy(lr.pBits, texels, 8);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    // Coordinates 0..2 across the view: wrap repeats, clamp holds the edge.
    auto quad = [&](float u1) {
        std::vector<Vertex> v = {V(-1, 1, 0.5f), V(1, 1, 0.5f), V(-1, -1, 0.5f), V(1, -1, 0.5f)};
        const float u[4] = {0, u1, 0, u1};
        for (int i = 0; i < 4; ++i)
            v[i].uv[0][0] = u[i];
        return Draw(D3DPT_TRIANGLESTRIP, v, 2);
    };
    Unlit();
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    Tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_EQ(quad(2.0f), D3D_OK);
    ExpectColor(Pixel(40, 32), 0, 0, 0, 0, "wrap: second copy, first texel");
    Tss(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    ASSERT_EQ(quad(2.0f), D3D_OK);
    ExpectColor(Pixel(40, 32), 255, 255, 255, 0, "clamp");
    // Linear filtering blends the two texels halfway between their centres.
    Tss(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(quad(1.0f), D3D_OK);
    const int mid = R(Pixel(32, 32));
    EXPECT_GT(mid, 80);
    EXPECT_LT(mid, 175);
    device->SetTexture(0, nullptr);
    t->Release();
}

}  // namespace

// Vertex colours, the texture-stage cascade and the blend factors.

#include "device_fixture.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

TEST_F(DeviceTest, FlatShadingTakesTheFirstVertexGouraudInterpolates)
{
    Unlit();
    Rs(D3DRS_CULLMODE, D3DCULL_NONE);
    std::vector<Vertex> tri = {V(-1, -1, 0.5f, 0xFFFF0000), V(-1, 3, 0.5f, 0xFF00FF00), V(3, -1, 0.5f, 0xFF0000FF)};
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, tri, 1), D3D_OK);
    // Gouraud: the centre of the view is halfway along each screen axis.
    const auto g = Pixel(32, 32);
    EXPECT_NEAR(R(g), 128, 3);
    EXPECT_NEAR(G(g), 64, 3);
    EXPECT_NEAR(B(g), 64, 3);
    Rs(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, tri, 1), D3D_OK);
    ExpectColor(Pixel(32, 32), 255, 0, 0, 0);
    ExpectColor(Pixel(60, 60), 255, 0, 0, 0);
    EXPECT_EQ(device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_PHONG), D3DERR_INVALIDCALL);
}

struct StageCase
{
    const char* name;
    // Stage 0 and 1 colour op and arguments, alpha op and arguments.
    DWORD op0, a01, a02, aop0, aa01, aa02;
    DWORD op1, a11, a12;
    D3DCOLOR diffuse, factor;
    int r, g, b;
};

std::string ArgumentName(DWORD a)
{
    static const char* const names[] = {"DIFFUSE", "CURRENT", "TEXTURE", "TFACTOR", "SPECULAR", "TEMP"};
    const DWORD which = a & D3DTA_SELECTMASK;
    std::string n = which < std::size(names) ? names[which] : "?";
    if (a & D3DTA_COMPLEMENT)
        n += "|COMPLEMENT";
    if (a & D3DTA_ALPHAREPLICATE)
        n += "|ALPHAREPLICATE";
    return n;
}

void PrintTo(const StageCase& c, std::ostream* os)
{
    *os << c.name << ": op " << c.op0 << " of " << ArgumentName(c.a01) << ", " << ArgumentName(c.a02);
    // Most cases leave alpha to the diffuse colour.
    if (c.aop0 != D3DTOP_SELECTARG1 || c.aa01 != D3DTA_DIFFUSE)
        *os << ", alpha op " << c.aop0 << " of " << ArgumentName(c.aa01) << ", " << ArgumentName(c.aa02);
    *os << "; then ";
    if (c.op1 == D3DTOP_DISABLE)
        *os << "off";
    else
        *os << "op " << c.op1 << " of " << ArgumentName(c.a11) << ", " << ArgumentName(c.a12);
    *os << "; diffuse " << testsupport::Hex{c.diffuse} << ", factor " << testsupport::Hex{c.factor} << "; gives "
        << c.r << "," << c.g << "," << c.b;
}

class Stages : public DeviceTest, public ::testing::WithParamInterface<StageCase>
{
};

TEST_P(Stages, CascadeCombinesItsArguments)
{
    const auto& c = GetParam();
    Unlit();
    Rs(D3DRS_TEXTUREFACTOR, c.factor);
    Tss(0, D3DTSS_COLOROP, c.op0);
    Tss(0, D3DTSS_COLORARG1, c.a01);
    Tss(0, D3DTSS_COLORARG2, c.a02);
    Tss(0, D3DTSS_ALPHAOP, c.aop0);
    Tss(0, D3DTSS_ALPHAARG1, c.aa01);
    Tss(0, D3DTSS_ALPHAARG2, c.aa02);
    Tss(1, D3DTSS_COLOROP, c.op1);
    Tss(1, D3DTSS_COLORARG1, c.a11);
    Tss(1, D3DTSS_COLORARG2, c.a12);
    Tss(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    Tss(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    ASSERT_EQ(FullQuad(c.diffuse), D3D_OK);
    ExpectColor(Pixel(32, 32), c.r, c.g, c.b, 2, c.name);
}

constexpr DWORD D = D3DTA_DIFFUSE, C = D3DTA_CURRENT, F = D3DTA_TFACTOR, X = D3DTA_TEXTURE;
constexpr DWORD CMP = D3DTA_COMPLEMENT, REP = D3DTA_ALPHAREPLICATE;
constexpr DWORD S1 = D3DTOP_SELECTARG1, OFF = D3DTOP_DISABLE;

INSTANTIATE_TEST_SUITE_P(
    Cases, Stages,
    ::testing::Values(
        StageCase{"select_diffuse", S1, D, X, S1, D, X, OFF, 0, 0, 0xFF204060, 0, 0x20, 0x40, 0x60},
        StageCase{"select_factor", S1, F, D, S1, D, X, OFF, 0, 0, 0xFF204060, 0xFF804020, 0x80, 0x40, 0x20},
        StageCase{"modulate_no_texture_is_white", D3DTOP_MODULATE, X, D, S1, D, X, OFF, 0, 0, 0xFF204060, 0, 0x20,
                  0x40, 0x60},
        StageCase{"modulate", D3DTOP_MODULATE, D, F, S1, D, X, OFF, 0, 0, 0xFF808080, 0xFF80FF40, 64, 128, 32},
        StageCase{"modulate2x", D3DTOP_MODULATE2X, D, F, S1, D, X, OFF, 0, 0, 0xFF808080, 0xFF40FF20, 64, 255, 32},
        StageCase{"modulate4x", D3DTOP_MODULATE4X, D, F, S1, D, X, OFF, 0, 0, 0xFF404040, 0xFF402010, 64, 32, 16},
        StageCase{"add_saturates", D3DTOP_ADD, D, F, S1, D, X, OFF, 0, 0, 0xFF808080, 0xFF90FF10, 255, 255, 0x90},
        StageCase{"addsigned", D3DTOP_ADDSIGNED, D, F, S1, D, X, OFF, 0, 0, 0xFF808080, 0xFF40C000, 64, 192, 0},
        StageCase{"subtract", D3DTOP_SUBTRACT, D, F, S1, D, X, OFF, 0, 0, 0xFF808080, 0xFF40FF00, 64, 0, 128},
        StageCase{"complement", S1, F | CMP, D, S1, D, X, OFF, 0, 0, 0xFF000000, 0xFF204060, 0xDF, 0xBF, 0x9F},
        StageCase{"alpha_replicate", S1, F | REP, D, S1, D, X, OFF, 0, 0, 0xFF000000, 0x40FF00FF, 0x40, 0x40, 0x40},
        StageCase{"complement_of_replicate", S1, F | REP | CMP, D, S1, D, X, OFF, 0, 0, 0, 0x40FF00FF, 0xBF, 0xBF,
                  0xBF},
        StageCase{"blend_diffuse_alpha", D3DTOP_BLENDDIFFUSEALPHA, F, D, S1, D, X, OFF, 0, 0, 0x40000000,
                  0xFFFFFFFF, 64, 64, 64},
        StageCase{"blend_factor_alpha", D3DTOP_BLENDFACTORALPHA, F, D, S1, D, X, OFF, 0, 0, 0xFF000000, 0x80FFFFFF,
                  128, 128, 128},
        StageCase{"current_carries_to_stage_1", S1, D, X, S1, D, X, D3DTOP_MODULATE, C, F, 0xFF808080, 0xFF00FF80,
                  0, 128, 64},
        StageCase{"blend_current_alpha", S1, D, X, S1, D, X, D3DTOP_BLENDCURRENTALPHA, F, D, 0x40000000,
                  0xFFFFFFFF, 64, 64, 64},
        StageCase{"disabled_stage_ends_cascade", S1, F, D, S1, D, X, OFF, F, D, 0xFF000000, 0xFF102030, 0x10, 0x20,
                  0x30},
        StageCase{"dotproduct3", D3DTOP_DOTPRODUCT3, D, F, S1, D, X, OFF, 0, 0, 0xFFFF8080, 0xFFFF8080, 255, 255,
                  255}),
    testsupport::NameOfCase());

TEST_F(DeviceTest, StageZeroDisabledGivesTheDiffuseColour)
{
    Unlit();
    Tss(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    ASSERT_EQ(FullQuad(0xFF123456), D3D_OK);
    ExpectColor(Pixel(3, 3), 0x12, 0x34, 0x56, 1);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEMP), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
}

struct BlendCase
{
    const char* name;
    DWORD src, dest;
    D3DCOLOR frame, drawn;
    int r, g, b;
};

void PrintTo(const BlendCase& c, std::ostream* os)
{
    using testsupport::Hex;
    *os << c.name << ": source factor " << c.src << ", destination factor " << c.dest << ", " << Hex{c.drawn}
        << " drawn over " << Hex{c.frame} << "; gives " << c.r << "," << c.g << "," << c.b;
}

class Blending : public DeviceTest, public ::testing::WithParamInterface<BlendCase>
{
};

TEST_P(Blending, FactorsMixSourceAndFrame)
{
    const auto& c = GetParam();
    Unlit();
    Tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Tss(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    Tss(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, c.frame, 1, 0);
    Rs(D3DRS_ALPHABLENDENABLE, TRUE);
    Rs(D3DRS_SRCBLEND, c.src);
    Rs(D3DRS_DESTBLEND, c.dest);
    ASSERT_EQ(FullQuad(c.drawn), D3D_OK);
    ExpectColor(Pixel(32, 32), c.r, c.g, c.b, 2, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Blending,
    ::testing::Values(BlendCase{"srcalpha_invsrcalpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFF0000FF,
                                0x40FF0000, 64, 0, 191},
                      BlendCase{"one_one", D3DBLEND_ONE, D3DBLEND_ONE, 0xFF204060, 0x10204080, 0x40, 0x80, 0xE0},
                      BlendCase{"destcolor_zero", D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0xFF80FF40, 0xFF808080, 64,
                                128, 32},
                      BlendCase{"one_zero_is_off", D3DBLEND_ONE, D3DBLEND_ZERO, 0xFFFFFFFF, 0x00102030, 0x10, 0x20,
                                0x30}),
    testsupport::NameOfCase());

TEST_F(DeviceTest, ColorWritesAndAlphaTestMaskWhatReachesTheFrame)
{
    Unlit();
    Tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Tss(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    Tss(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    Rs(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
    ASSERT_EQ(FullQuad(0xFFFFFFFF), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 255, 0, 0);
    Rs(D3DRS_COLORWRITEENABLE, 0xF);
    Rs(D3DRS_ALPHATESTENABLE, TRUE);
    Rs(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    Rs(D3DRS_ALPHAREF, 0x80);
    ASSERT_EQ(FullQuad(0x80FF0000), D3D_OK);  // alpha 0x80 is not greater: discarded
    ExpectColor(Pixel(32, 32), 0, 255, 0, 0);
    ASSERT_EQ(FullQuad(0x81FF0000), D3D_OK);
    ExpectColor(Pixel(32, 32), 255, 0, 0, 0);
}

TEST_F(DeviceTest, LinearVertexFogMixesTowardsTheFogColour)
{
    Unlit();
    Rs(D3DRS_FOGENABLE, TRUE);
    Rs(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    Rs(D3DRS_FOGCOLOR, 0xFF0000FF);
    Rf(D3DRS_FOGSTART, 0.0f);
    Rf(D3DRS_FOGEND, 1.0f);
    // View-space z 0.25: three quarters of the vertex colour.
    ASSERT_EQ(FullQuad(0xFFFF0000, 0.25f), D3D_OK);
    ExpectColor(Pixel(32, 32), 191, 0, 64, 2);
    Rs(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    Rs(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1, 0);
    ASSERT_EQ(FullQuad(0xFFFF0000, 0.75f), D3D_OK);
    ExpectColor(Pixel(32, 32), 64, 0, 191, 2);
}

}  // namespace

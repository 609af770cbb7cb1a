// Where triangles land, which faces are culled and what the depth test keeps.

#include "device_fixture.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

// Screen position of a point by Direct3D's viewport formula (pixel centres
// on integer coordinates).
void ToScreen(const D3DMATRIX& wvp, float x, float y, float z, const D3DVIEWPORT8& vp, float& sx, float& sy)
{
    float c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = x * wvp.m[0][i] + y * wvp.m[1][i] + z * wvp.m[2][i] + wvp.m[3][i];
    sx = vp.X + (1 + c[0] / c[3]) * vp.Width / 2;
    sy = vp.Y + (1 - c[1] / c[3]) * vp.Height / 2;
}

D3DMATRIX Mul(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

TEST_F(DeviceTest, TriangleThroughWorldViewProjectionLandsWhereTheViewportFormulaSays)
{
    Unlit();
    Rs(D3DRS_CULLMODE, D3DCULL_NONE);
    const D3DMATRIX world = Mul(Scaling(2, 2, 2), Translation(1, 0.5f, 0));
    const D3DMATRIX view = Translation(0, 0, 10);
    const D3DMATRIX proj = Perspective(0.785398f, 1.0f, 1, 100);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &proj);
    const D3DVIEWPORT8 vp{8, 4, 48, 40, 0, 1};
    device->SetViewport(&vp);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
    // An axis-aligned square; its edges fall between pixel centres.
    std::vector<Vertex> v = {V(-1, 1, 0, 0xFFFFFFFF), V(1, 1, 0, 0xFFFFFFFF), V(-1, -1, 0, 0xFFFFFFFF),
                             V(1, -1, 0, 0xFFFFFFFF)};
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, v, 2), D3D_OK);
    const D3DMATRIX wvp = Mul(Mul(world, view), proj);
    float left, top, right, bottom;
    ToScreen(wvp, -1, 1, 0, vp, left, top);
    ToScreen(wvp, 1, -1, 0, vp, right, bottom);
    const auto frame = Frame();
    // A pixel is covered when its centre (x, y) lies inside.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            const bool near = std::fabs(x - left) < 0.05f || std::fabs(x - right) < 0.05f ||
                              std::fabs(y - top) < 0.05f || std::fabs(y - bottom) < 0.05f;
            if (!near)
            {
                EXPECT_EQ(G(frame[y * 64 + x]) > 128, inside) << x << "," << y;
            }
        }
}

TEST_F(DeviceTest, FullViewportQuadCoversExactlyTheViewport)
{
    Unlit();
    const D3DVIEWPORT8 vp{10, 20, 30, 16, 0, 1};
    device->SetViewport(&vp);
    ASSERT_EQ(FullQuad(0xFFFFFFFF), D3D_OK);
    const auto frame = Frame();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const bool inside = x >= 10 && x < 40 && y >= 20 && y < 36;
            EXPECT_EQ(G(frame[y * 64 + x]) > 128, inside) << x << "," << y;
        }
}

struct CullCase
{
    const char* name;
    DWORD mode;
    bool clockwiseDrawn, counterClockwiseDrawn;
};

const char* Drawn(bool drawn) { return drawn ? "drawn" : "culled"; }

void PrintTo(const CullCase& c, std::ostream* os)
{
    const char* mode = c.mode == D3DCULL_NONE ? "NONE" : c.mode == D3DCULL_CW ? "CW" : c.mode == D3DCULL_CCW ? "CCW" : "?";
    *os << c.name << ": D3DCULL_" << mode << ", clockwise " << Drawn(c.clockwiseDrawn) << ", counter-clockwise "
        << Drawn(c.counterClockwiseDrawn);
}

class Culling : public DeviceTest, public ::testing::WithParamInterface<CullCase>
{
};

TEST_P(Culling, FrontFacesAreClockwiseOnScreen)
{
    Unlit();
    Rs(D3DRS_CULLMODE, GetParam().mode);
    // Left triangle clockwise on screen (y up in clip space is up on screen).
    std::vector<Vertex> cw = {V(-0.9f, 0.5f, 0.5f), V(-0.1f, 0.5f, 0.5f), V(-0.5f, -0.5f, 0.5f)};
    std::vector<Vertex> ccw = {V(0.1f, 0.5f, 0.5f), V(0.5f, -0.5f, 0.5f), V(0.9f, 0.5f, 0.5f)};
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, cw, 1), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, ccw, 1), D3D_OK);
    EXPECT_EQ(G(Pixel(16, 24)) > 128, GetParam().clockwiseDrawn);
    EXPECT_EQ(G(Pixel(48, 24)) > 128, GetParam().counterClockwiseDrawn);
}

INSTANTIATE_TEST_SUITE_P(Modes, Culling,
                         ::testing::Values(CullCase{"CullCounterClockwise", D3DCULL_CCW, true, false},
                                           CullCase{"CullClockwise", D3DCULL_CW, false, true},
                                           CullCase{"CullNone", D3DCULL_NONE, true, true}),
                         testsupport::NameOfCase());

struct DepthCase
{
    const char* name;
    DWORD func;
    BOOL write;
    float first, second;
    bool secondDrawn;
    bool thirdDrawn;  // a third quad at 0.6 with LESS, to see what was written
};

const char* CompareName(DWORD func)
{
    static const char* const names[] = {"?",       "NEVER",    "LESS",         "EQUAL", "LESSEQUAL",
                                        "GREATER", "NOTEQUAL", "GREATEREQUAL", "ALWAYS"};
    return func < std::size(names) ? names[func] : "?";
}

void PrintTo(const DepthCase& c, std::ostream* os)
{
    *os << c.name << ": D3DCMP_" << CompareName(c.func) << (c.write ? " writing" : " not writing") << ", first at "
        << c.first << ", second at " << c.second << (c.secondDrawn ? " drawn" : " not drawn") << ", a third at 0.6 "
        << (c.thirdDrawn ? "drawn" : "not drawn");
}

class Depth : public DeviceTest, public ::testing::WithParamInterface<DepthCase>
{
};

TEST_P(Depth, FunctionAndWritesDecideWhatStays)
{
    const auto& c = GetParam();
    Unlit();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
    ASSERT_EQ(FullQuad(0xFFFF0000, c.first), D3D_OK);
    Rs(D3DRS_ZFUNC, c.func);
    Rs(D3DRS_ZWRITEENABLE, c.write);
    ASSERT_EQ(FullQuad(0xFF00FF00, c.second), D3D_OK);
    EXPECT_EQ(G(Pixel(32, 32)) > 128, c.secondDrawn);
    Rs(D3DRS_ZFUNC, D3DCMP_LESS);
    ASSERT_EQ(FullQuad(0xFF0000FF, 0.6f), D3D_OK);
    EXPECT_EQ(B(Pixel(32, 32)) > 128, c.thirdDrawn);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Depth,
    ::testing::Values(DepthCase{"LessEqualPassesTheSameDepth", D3DCMP_LESSEQUAL, TRUE, 0.5f, 0.5f, true, false},
                      DepthCase{"LessFailsTheSameDepth", D3DCMP_LESS, TRUE, 0.5f, 0.5f, false, false},
                      DepthCase{"GreaterWritesTheFartherDepth", D3DCMP_GREATER, TRUE, 0.5f, 0.7f, true, true},
                      DepthCase{"GreaterWithoutWritesKeepsTheDepth", D3DCMP_GREATER, FALSE, 0.5f, 0.7f, true, false},
                      DepthCase{"AlwaysPassesAndWrites", D3DCMP_ALWAYS, TRUE, 0.5f, 0.9f, true, true},
                      DepthCase{"NeverPasses", D3DCMP_NEVER, TRUE, 0.5f, 0.1f, false, false},
                      DepthCase{"EqualPassesTheSameDepth", D3DCMP_EQUAL, TRUE, 0.25f, 0.25f, true, false}),
    testsupport::NameOfCase());

TEST_F(DeviceTest, DepthTestOffDrawsEverythingAndWritesNothing)
{
    Unlit();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
    ASSERT_EQ(FullQuad(0xFFFF0000, 0.2f), D3D_OK);
    Rs(D3DRS_ZENABLE, D3DZB_FALSE);
    ASSERT_EQ(FullQuad(0xFF00FF00, 0.9f), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 255, 0);
    Rs(D3DRS_ZENABLE, D3DZB_TRUE);
    ASSERT_EQ(FullQuad(0xFF0000FF, 0.5f), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 255, 0) ;
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW), D3DERR_INVALIDCALL);
}

}  // namespace

// Stencil operations, wrapping included, read through an EQUAL test.

#include "device_fixture.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

struct StencilCase
{
    const char* name;
    DWORD clear;
    std::vector<DWORD> passOps;  // one full-view draw per op, colour writes off
    DWORD expected;
};

void PrintTo(const StencilCase& c, std::ostream* os)
{
    static const char* const names[] = {"?", "KEEP", "ZERO", "REPLACE", "INCRSAT", "DECRSAT", "INVERT", "INCR", "DECR"};
    *os << c.name << ": cleared to " << c.clear << ", then";
    for (DWORD op : c.passOps)
        *os << " " << (op < std::size(names) ? names[op] : "?");
    *os << "; leaves " << c.expected;
}

class Stencil : public DeviceTest, public ::testing::WithParamInterface<StencilCase>
{
protected:
    // Whether a draw with STENCILFUNC EQUAL ref reaches the centre pixel.
    bool Equals(DWORD ref)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
        Rs(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        Rs(D3DRS_STENCILREF, ref);
        Rs(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        Rs(D3DRS_COLORWRITEENABLE, 0xF);
        EXPECT_EQ(FullQuad(0xFF00FF00), D3D_OK);
        return G(Pixel(32, 32)) > 128;
    }
};

TEST_P(Stencil, OperationsLeaveTheExpectedCount)
{
    const auto& c = GetParam();
    Unlit();
    Rs(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1, c.clear), D3D_OK);
    Rs(D3DRS_STENCILENABLE, TRUE);
    Rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    Rs(D3DRS_COLORWRITEENABLE, 0);
    for (DWORD op : c.passOps)
    {
        Rs(D3DRS_STENCILPASS, op);
        ASSERT_EQ(FullQuad(0xFFFFFFFF), D3D_OK);
    }
    // Colour writes were off: the frame is still black.
    ExpectColor(Pixel(32, 32), 0, 0, 0, 0, "colour writes off");
    EXPECT_TRUE(Equals(c.expected)) << c.name;
    EXPECT_FALSE(Equals((c.expected + 1) & 0xFF)) << c.name;
}

constexpr DWORD INCR = D3DSTENCILOP_INCR, DECR = D3DSTENCILOP_DECR;
INSTANTIATE_TEST_SUITE_P(
    Cases, Stencil,
    ::testing::Values(StencilCase{"incr", 0, {INCR, INCR}, 2}, StencilCase{"incr_then_decr", 0, {INCR, DECR}, 0},
                      StencilCase{"decr_wraps", 0, {DECR}, 255}, StencilCase{"incr_wraps", 255, {INCR}, 0},
                      StencilCase{"incrsat_stops", 255, {D3DSTENCILOP_INCRSAT}, 255},
                      StencilCase{"decrsat_stops", 0, {D3DSTENCILOP_DECRSAT}, 0},
                      StencilCase{"replace", 0, {D3DSTENCILOP_REPLACE}, 0},
                      StencilCase{"invert", 0x0F, {D3DSTENCILOP_INVERT}, 0xF0},
                      StencilCase{"zero", 9, {D3DSTENCILOP_ZERO}, 0}),
    testsupport::NameOfCase());

TEST_F(DeviceTest, ShadowVolumeCountsLeaveLightOnlyWhereTheyCancel)
{
    // The scene's recipe: front faces increment, back faces decrement, then
    // an EQUAL 0 pass draws where the counts cancel.
    Unlit();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1, 0);
    Rs(D3DRS_STENCILENABLE, TRUE);
    Rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    Rs(D3DRS_COLORWRITEENABLE, 0);
    Rs(D3DRS_ZWRITEENABLE, FALSE);
    Rs(D3DRS_STENCILPASS, INCR);
    // Left half: a clockwise quad (drawn with CCW culling); right half the same.
    std::vector<Vertex> left = {V(-1, 1, 0.5f), V(0, 1, 0.5f), V(-1, -1, 0.5f), V(0, -1, 0.5f)};
    std::vector<Vertex> right = {V(0, 1, 0.5f), V(1, 1, 0.5f), V(0, -1, 0.5f), V(1, -1, 0.5f)};
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, left, 2), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, right, 2), D3D_OK);
    Rs(D3DRS_CULLMODE, D3DCULL_CW);
    Rs(D3DRS_STENCILPASS, DECR);
    // Only the left half gets a counter-clockwise face back.
    std::vector<Vertex> leftBack = {V(-1, 1, 0.5f), V(-1, -1, 0.5f), V(0, 1, 0.5f), V(0, -1, 0.5f)};
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, leftBack, 2), D3D_OK);
    Rs(D3DRS_CULLMODE, D3DCULL_CCW);
    Rs(D3DRS_COLORWRITEENABLE, 0xF);
    Rs(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    Rs(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    Rs(D3DRS_STENCILREF, 0);
    ASSERT_EQ(FullQuad(0xFFFFFFFF), D3D_OK);
    ExpectColor(Pixel(16, 32), 255, 255, 255, 0, "cancelled");
    ExpectColor(Pixel(48, 32), 0, 0, 0, 0, "in shadow");
}

}  // namespace

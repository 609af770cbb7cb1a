// Point sprites sized by Direct3D's formula from the true eye distance.

#include "device_fixture.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

struct SpriteCase
{
    const char* name;
    float x, y, z;  // view space
    float size;
    bool scale;
    int centreX, halfWidth;  // expected on screen row 32
};

void PrintTo(const SpriteCase& c, std::ostream* os)
{
    *os << c.name << ": size " << c.size << (c.scale ? " scaled" : " in pixels") << " at " << c.x << "," << c.y << ","
        << c.z << "; covers x " << c.centreX << " +-" << c.halfWidth;
}

class Sprites : public DeviceTest, public ::testing::WithParamInterface<SpriteCase>
{
};

TEST_P(Sprites, CoverTheirSizeAroundTheirCentre)
{
    const auto& c = GetParam();
    Unlit();
    D3DMATRIX proj{};
    proj.m[0][0] = proj.m[1][1] = 1;
    proj.m[2][2] = 0.01f;
    proj.m[2][3] = 1;  // w = z
    device->SetTransform(D3DTS_PROJECTION, &proj);
    Rs(D3DRS_POINTSPRITEENABLE, TRUE);
    Rs(D3DRS_POINTSCALEENABLE, c.scale);
    Rf(D3DRS_POINTSIZE, c.size);
    Rf(D3DRS_POINTSCALE_A, 0);
    Rf(D3DRS_POINTSCALE_B, 0);
    Rf(D3DRS_POINTSCALE_C, 1);
    std::vector<Vertex> p = {V(c.x, c.y, c.z, 0xFFFFFFFF)};
    ASSERT_EQ(Draw(D3DPT_POINTLIST, p, 1), D3D_OK);
    const auto frame = Frame();
    for (int x = 0; x < 64; ++x)
    {
        const float d = std::fabs(x - c.centreX + 0.0f);
        if (std::fabs(d - c.halfWidth) < 1.01f)
            continue;  // the edge itself
        EXPECT_EQ(G(frame[32 * 64 + x]) > 128, d < c.halfWidth) << c.name << " x " << x;
    }
}

// Screen size = viewport height (64) x size x sqrt(1 / (C d^2)) = 64 size / d.
INSTANTIATE_TEST_SUITE_P(Cases, Sprites,
                         ::testing::Values(SpriteCase{"centre", 0, 0, 10, 2.5f, true, 32, 8},
                                           SpriteCase{"off_axis_uses_true_distance", 6, 0, 8, 2.5f, true, 56, 8},
                                           SpriteCase{"near_the_edge_is_clipped", 8.75f, 0, 10, 2.5f, true, 60, 8},
                                           SpriteCase{"unscaled_pixels", 0, 0, 10, 6, false, 32, 3}),
                         testsupport::NameOfCase());

}  // namespace

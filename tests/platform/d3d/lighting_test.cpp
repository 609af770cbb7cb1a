// Lit colours against Direct3D 8's lighting equation, computed here by hand.

#include "device_fixture.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

struct Vec
{
    float x, y, z;
};
float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Norm(Vec a)
{
    float l = std::sqrt(Dot(a, a));
    return {a.x / l, a.y / l, a.z / l};
}

struct LightCase
{
    const char* name;
    D3DLIGHT8 light;
    bool specular;
    DWORD ambient;  // D3DRS_AMBIENT
};

void PrintTo(const LightCase& c, std::ostream* os)
{
    const D3DLIGHT8& l = c.light;
    *os << c.name << ": ";
    if (l.Type == D3DLIGHT_DIRECTIONAL) {
        *os << "directional light along " << l.Direction.x << "," << l.Direction.y << "," << l.Direction.z;
    } else {
        *os << (l.Type == D3DLIGHT_SPOT ? "spot" : "point") << " light at " << l.Position.x << "," << l.Position.y
            << "," << l.Position.z << ", range " << l.Range << ", attenuation " << l.Attenuation0 << ","
            << l.Attenuation1 << "," << l.Attenuation2;
        if (l.Type == D3DLIGHT_SPOT)
            *os << ", along " << l.Direction.x << "," << l.Direction.y << "," << l.Direction.z << ", theta "
                << l.Theta << ", phi " << l.Phi;
    }
    *os << "; specular " << (c.specular ? "on" : "off") << ", ambient " << testsupport::Hex{c.ambient};
}

// The colour Direct3D gives a vertex at p with normal n, camera at the origin
// looking along +z (view = identity), local viewer.
void Expected(const LightCase& c, const D3DMATERIAL8& m, Vec p, Vec n, float out[3])
{
    const D3DLIGHT8& l = c.light;
    float att = 1, spot = 1;
    Vec L;
    if (l.Type == D3DLIGHT_DIRECTIONAL)
        L = Norm({-l.Direction.x, -l.Direction.y, -l.Direction.z});
    else
    {
        Vec d = Sub({l.Position.x, l.Position.y, l.Position.z}, p);
        float dist = std::sqrt(Dot(d, d));
        L = Norm(d);
        att = dist > l.Range ? 0 : 1 / (l.Attenuation0 + l.Attenuation1 * dist + l.Attenuation2 * dist * dist);
        if (l.Type == D3DLIGHT_SPOT)
        {
            float rho = Dot(Norm({l.Direction.x, l.Direction.y, l.Direction.z}), {-L.x, -L.y, -L.z});
            float ct = std::cos(l.Theta / 2), cp = std::cos(l.Phi / 2);
            spot = rho > ct ? 1 : rho <= cp ? 0 : std::pow((rho - cp) / (ct - cp), l.Falloff);
        }
    }
    float ndl = std::max(0.0f, Dot(n, L));
    Vec h = Norm({L.x - Norm(p).x, L.y - Norm(p).y, L.z - Norm(p).z});
    float specularTerm = ndl > 0 && c.specular ? std::pow(std::max(0.0f, Dot(n, h)), m.Power) : 0;
    const float ga[3] = {((c.ambient >> 16) & 0xFF) / 255.0f, ((c.ambient >> 8) & 0xFF) / 255.0f,
                         (c.ambient & 0xFF) / 255.0f};
    const float* md = &m.Diffuse.r;
    const float* ma = &m.Ambient.r;
    const float* ms = &m.Specular.r;
    const float* me = &m.Emissive.r;
    const float* ld = &l.Diffuse.r;
    const float* ls = &l.Specular.r;
    const float* la = &l.Ambient.r;
    for (int i = 0; i < 3; ++i)
    {
        float v = me[i] + ma[i] * (ga[i] + att * spot * la[i]) + md[i] * att * spot * ndl * ld[i] +
                  ms[i] * att * spot * specularTerm * ls[i];
        out[i] = std::clamp(v, 0.0f, 1.0f) * 255.0f;
    }
}

D3DLIGHT8 Point(float x, float y, float z, float range, float a0, float a1, float a2)
{
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = {0.9f, 0.7f, 0.5f, 0};
    l.Specular = {0.5f, 0.5f, 0.5f, 0};
    l.Ambient = {0.1f, 0.1f, 0.1f, 0};
    l.Position = {x, y, z};
    l.Range = range;
    l.Attenuation0 = a0;
    l.Attenuation1 = a1;
    l.Attenuation2 = a2;
    return l;
}

D3DLIGHT8 Spot(float dx, float dy, float theta, float phi)
{
    D3DLIGHT8 l = Point(0, 0, 0, 100, 1, 0, 0);
    l.Type = D3DLIGHT_SPOT;
    l.Position = {0, 0, 0};
    l.Direction = {dx, dy, 1};
    l.Theta = theta;
    l.Phi = phi;
    l.Falloff = 2;
    return l;
}

D3DLIGHT8 Directional(float x, float y, float z)
{
    D3DLIGHT8 l = Point(0, 0, 0, 0, 1, 0, 0);
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Direction = {x, y, z};
    return l;
}

class Lighting : public DeviceTest, public ::testing::WithParamInterface<LightCase>
{
};

// A small quad facing the camera at z = 5, centred on the screen centre; the
// projection is the identity apart from w = z, so it fills the view.
TEST_P(Lighting, VertexColourFollowsTheLightingEquation)
{
    const LightCase& c = GetParam();
    D3DMATERIAL8 m{};
    m.Diffuse = {0.8f, 0.6f, 1.0f, 1};
    m.Ambient = {0.5f, 1.0f, 0.25f, 1};
    m.Specular = {1.0f, 0.5f, 0.5f, 1};
    m.Emissive = {0.05f, 0.0f, 0.1f, 0};
    m.Power = 8;
    ASSERT_EQ(device->SetMaterial(&m), D3D_OK);
    ASSERT_EQ(device->SetLight(0, &c.light), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    Rs(D3DRS_SPECULARENABLE, c.specular);
    Rs(D3DRS_AMBIENT, c.ambient);
    Rs(D3DRS_COLORVERTEX, FALSE);
    Rs(D3DRS_CULLMODE, D3DCULL_NONE);
    Tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Tss(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    D3DMATRIX proj{};
    proj.m[0][0] = proj.m[1][1] = 5;  // x/z and y/z scaled so that +-1 at z 5 fills the view
    proj.m[2][3] = 1;
    proj.m[2][2] = 0.01f;
    device->SetTransform(D3DTS_PROJECTION, &proj);
    // Every vertex has the same position as far as lighting is concerned
    // only if the quad is tiny; use flat shading so the first vertex decides.
    Rs(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    const Vec p{0.01f, 0.02f, 5};
    std::vector<Vertex> v = {V(p.x, p.y, p.z, 0, 0, 0, -1), V(1, 1, 5, 0, 0, 0, -1), V(-1, -1, 5, 0, 0, 0, -1),
                             V(1, -1, 5, 0, 0, 0, -1)};
    v[1].x = 5, v[1].y = 5;
    v[2].x = -5, v[2].y = -5;
    v[3].x = 5, v[3].y = -5;
    // A big triangle whose first vertex is p: its colour floods the triangle.
    std::vector<Vertex> tri = {v[0], V(-5, 5, 5, 0, 0, 0, -1), V(5, -5, 5, 0, 0, 0, -1)};
    for (auto& t : tri)
        t.nz = -1;
    tri[1].x = -50, tri[1].y = -50;
    tri[2].x = 50, tri[2].y = -50;
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, tri, 1), D3D_OK);
    float e[3];
    Expected(c, m, p, {0, 0, -1}, e);
    const auto px = Pixel(32, 32);
    EXPECT_NEAR(R(px), e[0], 2.5) << c.name;
    EXPECT_NEAR(G(px), e[1], 2.5) << c.name;
    EXPECT_NEAR(B(px), e[2], 2.5) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Lights, Lighting,
    ::testing::Values(LightCase{"point_inside_range", Point(1, 2, 0, 100, 1, 0, 0), false, 0},
                      LightCase{"point_attenuated", Point(1, 2, 0, 100, 0.5f, 0.1f, 0.02f), false, 0},
                      LightCase{"point_beyond_range", Point(1, 2, 0, 5, 1, 0, 0), false, 0xFF202020},
                      LightCase{"point_specular", Point(0.5f, 0.5f, 0, 100, 1, 0, 0), true, 0},
                      LightCase{"point_behind_surface", Point(0, 0, 10, 100, 1, 0, 0), true, 0},
                      LightCase{"spot_inside_theta", Spot(0, 0, 0.6f, 0.9f), false, 0},
                      LightCase{"spot_between_theta_and_phi", Spot(0.3f, 0, 0.4f, 0.8f), false, 0},
                      LightCase{"spot_outside_phi", Spot(0.6f, 0, 0.2f, 0.4f), false, 0},
                      LightCase{"directional", Directional(0.3f, -0.4f, 1), false, 0},
                      LightCase{"directional_specular", Directional(0, -0.3f, 1), true, 0},
                      LightCase{"ambient_only", Directional(0, 0, -1), false, 0xFF406080}),
    testsupport::NameOfCase());

TEST_F(DeviceTest, LightingOffTakesTheVertexColourAndColorVertexPicksTheSource)
{
    Unlit();
    ASSERT_EQ(FullQuad(0xFF102030), D3D_OK);
    ExpectColor(Pixel(32, 32), 0x10, 0x20, 0x30, 1);
    // Lit with no light: emissive plus ambient; COLORVERTEX makes the
    // vertex diffuse the ambient source.
    Rs(D3DRS_LIGHTING, TRUE);
    D3DMATERIAL8 m{};
    m.Ambient = {1, 0, 0, 1};
    m.Emissive = {0, 0, 0.25f, 0};
    device->SetMaterial(&m);
    Rs(D3DRS_AMBIENT, 0xFF808080);
    Rs(D3DRS_COLORVERTEX, FALSE);
    ASSERT_EQ(FullQuad(0xFF00FF00), D3D_OK);
    ExpectColor(Pixel(32, 32), 128, 0, 64, 2);
    Rs(D3DRS_COLORVERTEX, TRUE);
    Rs(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    ASSERT_EQ(FullQuad(0xFF00FF00), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 128, 64, 2);
}

TEST_F(DeviceTest, LightsAreRefusedWhenTheyCannotBeLit)
{
    D3DLIGHT8 l = Point(0, 0, 0, 10, 0, 0, 0);
    EXPECT_EQ(device->SetLight(0, &l), D3DERR_INVALIDCALL) << "no attenuation at all";
    l = Spot(0, 0, 1.0f, 0.5f);
    EXPECT_EQ(device->SetLight(0, &l), D3DERR_INVALIDCALL) << "theta above phi";
    l = Directional(0, 0, 0);
    EXPECT_EQ(device->SetLight(0, &l), D3DERR_INVALIDCALL);
    for (DWORD i = 0; i < 8; ++i)
        EXPECT_EQ(device->LightEnable(i, TRUE), D3D_OK);
    EXPECT_EQ(device->LightEnable(8, TRUE), D3DERR_INVALIDCALL) << "a ninth active light";
    BOOL on = FALSE;
    EXPECT_EQ(device->GetLightEnable(3, &on), D3D_OK);
    EXPECT_TRUE(on);
    D3DLIGHT8 got{};
    ASSERT_EQ(device->GetLight(3, &got), D3D_OK) << "enabling an unset light gives it the default light";
    EXPECT_EQ(got.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(got.Direction.z, 1.0f);
    EXPECT_EQ(device->GetLight(20, &got), D3DERR_INVALIDCALL);
}

}  // namespace

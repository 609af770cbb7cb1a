// Drawing on the real device: object recipes, a light's halo and lit
// surfaces, and a particle burst, checked by the pixels they leave.

#include "device_fixture.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/particles.h"
#include "engine/textureman.h"
#include "math/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
int R(std::uint32_t p) { return (p >> 16) & 0xFF; }
int G(std::uint32_t p) { return (p >> 8) & 0xFF; }
int B(std::uint32_t p) { return p & 0xFF; }

class Render : public enginetest::DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        // The camera 10 in front of the origin, looking along +z.
        Matrix4x4 view;
        view.SetTranslation(0, 0, 10);
        c->SetViewMatrix(view);
        c->Clear(0xFF000000);
        c->ClearZBufferStencil(1.0f, 0);
    }

    DWORD Rs(D3DRENDERSTATETYPE s)
    {
        DWORD v = 0;
        c->Device->GetRenderState(s, &v);
        return v;
    }

    // A texture of one colour, through the cache's own maker.
    IDirect3DTexture8* Solid(D3DCOLOR colour)
    {
        IDirect3DTexture8* t = c->TextureManager->CreateTexture(4, 4, 0, false, false);
        EXPECT_NE(t, nullptr);
        D3DLOCKED_RECT r{};
        EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch + 4 * x, &colour, 4);
        t->UnlockRect(0);
        c->TextureManager->AddTexture(t, nullptr); // the cache keeps it for the test's teardown
        return t;
    }

    static int Count(const std::vector<std::string>& calls, const std::string& prefix)
    {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                              [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
    }
};

// A plane of side 4 facing the camera.
void MakePanel(Object& o)
{
    o.CreatePlane(4.0f, 0);
}
}

TEST_F(Render, AnUntexturedObjectDrawsItsColourOnce)
{
    c->SetAmbientLight(Color(1.0f));
    Object o(c, 1);
    MakePanel(o);
    o.Material = Material(1.0f, 0.0f, 0.0f, 1.0f);
    o.Material.SetDiffuse(0.0f, 0.0f, 0.0f);
    const auto calls = Calls([&] { o.Render(); });
    EXPECT_EQ(Count(calls, "DrawIndexedPrimitive("), 1);
    const std::uint32_t p = Pixel(32, 32);
    EXPECT_NEAR(R(p), 255, 2);
    EXPECT_NEAR(G(p), 0, 2);
    EXPECT_EQ(Rs(D3DRS_ALPHABLENDENABLE), 0u);
    DWORD op = 0;
    c->Device->GetTextureStageState(1, D3DTSS_COLOROP, &op);
    EXPECT_EQ(op, D3DTOP_DISABLE);
}

TEST_F(Render, ThePanelRecipe)
{
    c->SetLighting(false); // vertex colour white: the texture shows as it is
    Object panel(c, 1);
    MakePanel(panel);
    panel.Material.SetTexture(Solid(0xFF4080C0), TextureMap);
    panel.Material.SetAlpha(0.99f);
    panel.SetBlendingMode(D3DBLEND_ONE, D3DBLEND_ONE);
    const auto calls = Calls([&] { panel.Render(); });

    EXPECT_FALSE(panel.ZWrite); // the transparent material switched it off for good
    EXPECT_EQ(Rs(D3DRS_ZWRITEENABLE), 1u); // and the recipe put it back on the device
    const auto draw = std::find_if(calls.begin(), calls.end(),
                                   [](const std::string& s) { return s.rfind("DrawIndexedPrimitive(", 0) == 0; });
    ASSERT_NE(draw, calls.end());
    const auto zoff = std::find(calls.begin(), draw, std::string("SetRenderState(14, 0)"));
    EXPECT_NE(zoff, draw) << "depth writes off before the draw";
    EXPECT_NE(std::find(calls.begin(), draw, "SetRenderState(60, " + std::to_string(0xFCFCFCFCu) + ")"), draw);
    EXPECT_NE(std::find(calls.begin(), draw, std::string("SetTextureStageState(0, 4, 4)")), draw);

    const std::uint32_t p = Pixel(32, 32);
    EXPECT_NEAR(R(p), 0x40, 3);
    EXPECT_NEAR(G(p), 0x80, 3);
    EXPECT_NEAR(B(p), 0xC0, 3);
}

TEST_F(Render, SelfIlluminationMultipliesTheFrame)
{
    c->SetLighting(false);
    Object o(c, 1);
    MakePanel(o);
    o.Material.SetTexture(Solid(0xFFFFFFFF), TextureMap);
    o.Material.SetTexture(Solid(0xFF808080), SelfIlluminationMap);
    o.SetBlendingMode(D3DBLEND_ONE, D3DBLEND_ZERO);
    const auto calls = Calls([&] { o.Render(); });
    EXPECT_EQ(Count(calls, "DrawIndexedPrimitive("), 2);
    const std::uint32_t p = Pixel(32, 32);
    EXPECT_NEAR(R(p), 0x80, 3);
    EXPECT_NEAR(B(p), 0x80, 3);
}

TEST_F(Render, OnlyAnUndrawnMapFallsBackToTheUntexturedPath)
{
    c->SetAmbientLight(Color(1.0f));
    Object o(c, 1);
    MakePanel(o);
    o.Material = Material(0.0f, 1.0f, 0.0f, 1.0f);
    o.Material.SetTexture(Solid(0xFFFFFFFF), BumpMap);
    const auto calls = Calls([&] { o.Render(); });
    EXPECT_EQ(Count(calls, "DrawIndexedPrimitive("), 1);
    EXPECT_NEAR(G(Pixel(32, 32)), 255, 2);
}

TEST_F(Render, StageCountChoosesTheRecipe)
{
    struct Case
    {
        dword stages;
        bool secondMapDrawn;
    } cases[] = {{2, false}, {4, true}, {8, true}};
    for (const Case& k : cases) {
        c->MaxTextureStages = k.stages;
        Object o(c, 1);
        MakePanel(o);
        IDirect3DTexture8* base = Solid(0xFF202020);
        IDirect3DTexture8* second = Solid(0xFF404040);
        o.Material.SetTexture(base, TextureMap);
        o.Material.SetTexture(second, TextureMap2);
        const auto calls = Calls([&] { o.Render(); });
        const std::string setSecond = "SetTexture(1, " + go3d::d3d::FormatArg(static_cast<const void*>(second)) + ")";
        EXPECT_EQ(std::find(calls.begin(), calls.end(), setSecond) != calls.end(), k.secondMapDrawn) << k.stages;
    }
}

TEST_F(Render, TheReflectionStageKeepsItsCoordinateGeneration)
{
    Object o(c, 1);
    MakePanel(o);
    o.Material.SetTexture(Solid(0xFF101010), ReflectionMap);
    o.Render();
    DWORD index = 0, flags = 0;
    c->Device->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &index);
    c->Device->GetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
    EXPECT_EQ(index, D3DTSS_TCI_CAMERASPACENORMAL);
    EXPECT_EQ(flags, D3DTTFF_COUNT2);
}

TEST_F(Render, ADestroyedObjectDeletesOnlyAShaderOfItsOwn)
{
    auto* o = new Object(c, 1);
    EXPECT_EQ(Count(Calls([&] { delete o; }), "DeleteVertexShader("), 0);
    o = new Object(c, 1);
    o->SetVertexShader(7);
    EXPECT_EQ(Calls([&] { delete o; }), (std::vector<std::string>{"DeleteVertexShader(7)"}));
}

TEST_F(Render, ALitSurfaceUnderAPointLight)
{
    // A plane facing the camera, the light straight in front of its centre.
    // Lighting is per vertex: each corner (2, 2) off the axis sees the light
    // at cos = 5 / sqrt(33), and the centre takes that value.
    PointLight light(Vector3(0, 0, -5), 100.0f, 1.0f, 0.0f, 0.0f);
    light.SetIntensity(0.5f);
    light.SetLight(0, c);
    c->SetAmbientLight(Color(0.0f));
    Object o(c, 1);
    MakePanel(o);
    o.Material.Ambient = Color(0.0f, 0.0f, 0.0f, 1.0f);
    o.Render();
    const int expected = static_cast<int>(255.0 * 0.5 * 5.0 / std::sqrt(33.0));
    const std::uint32_t p = Pixel(32, 32);
    EXPECT_NEAR(R(p), expected, 2);
    EXPECT_NEAR(G(p), expected, 2);
    EXPECT_NEAR(B(p), expected, 2);
}

TEST_F(Render, APointLightHalo)
{
    PointLight light(Vector3(0, 0, 0), 100.0f, 1.0f, 0.0f, 0.0f);
    light.SetColor(Color(1.0f, 0.5f, 0.0f, 1.0f));
    // Side 20 at distance 10 fills the view; the blob's bright disc is a
    // few pixels around the centre.
    c->SetVertexShader(0x1458); // the halo draws with the shader the frame left set
    light.Draw(c, 20.0f);
    const std::uint32_t centre = Pixel(32, 32);
    EXPECT_GT(R(centre), 200);
    EXPECT_NEAR(G(centre), R(centre) / 2, 8);
    EXPECT_LT(B(centre), 5);
    EXPECT_LT(R(Pixel(2, 2)), 8); // the blob fades to nothing at its edges
    EXPECT_EQ(Rs(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(Rs(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(Rs(D3DRS_LIGHTING), 1u);
    EXPECT_EQ(Rs(D3DRS_COLORVERTEX), 0u);
    IDirect3DBaseTexture8* t = reinterpret_cast<IDirect3DBaseTexture8*>(1);
    c->Device->GetTexture(0, &t);
    EXPECT_EQ(t, nullptr);
    EXPECT_FALSE(c->Billboarding);
}

TEST_F(Render, ABurstLightsPixelsAroundItsPoint)
{
    ResetRand();
    ParticleSystem ps(c);
    ps.SetPosition(Vector3(0, 0, 0));
    ps.SetVelocity(Vector3(0, 0.05f, 0));
    ps.SetGravity(0.0f);
    ps.SetSpawnRate(25);
    ps.SetParticleLife(60);
    ps.SetParticleSize(1.0f);
    ps.SetPositionVariation(0.5f);
    ps.SetStartColor(1.0f, 0.3f, 0.1f);
    ps.SetEndColor(0, 0, 0);
    ps.SetTexture(c->TextureManager->LoadTexture(STOCKTEX_BLOB));
    ps.Update(0.0f);
    ps.Render();
    const std::uint32_t p = Pixel(32, 32);
    EXPECT_GT(R(p), 60);
    EXPECT_GT(R(p), G(p));
    EXPECT_GT(G(p), B(p));
    EXPECT_EQ(Pixel(1, 62) & 0xFFFFFF, 0u);
}

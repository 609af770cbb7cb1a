// The layer filters what a driver would: an object drawn again with the
// values it already set sends GL nothing but the draw, while every changed
// value still shows in the pixels, also when set back; and the call log
// still records each call the engine made.

#include <functional>

#include "texture_fixture.h"
#include "platform/d3d/gl_work.h"

namespace {
using namespace d3dtest;

constexpr D3DCOLOR kClear = 0xFF0000FF;  // blue

// A white light shining along +z, the way the camera looks.
D3DLIGHT8 WhiteLight()
{
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1, 1, 1, 1};
    l.Direction = {0, 0, 1};
    return l;
}

// What an object sets before it draws; a case changes one of them.
struct Look
{
    IDirect3DTexture8* texture = nullptr;
    D3DLIGHT8 light = WhiteLight();
    D3DMATERIAL8 material{{1, 1, 1, 1}, {}, {}, {}, 0};
    D3DMATRIX world = Identity(), view = Identity(), projection = Perspective(1.5707964f, 1, 1, 100);
    D3DVIEWPORT8 viewport{0, 0, 64, 64, 0, 1};
    DWORD lighting = TRUE, blend = FALSE, cull = D3DCULL_CCW, colorWrite = 0xF, colorOp = D3DTOP_MODULATE;
};

// A lit quad with a yellow texture, drawn from buffers the way an engine
// object draws: every state it needs set on every draw, the stream and
// indices bound around the draw. Blue around it.
class Redundant : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        // Clockwise on screen, at z = 2 in front of the camera, half the view.
        const std::vector<Vertex> v = {V(-1, 1, 2, 0xFF808080), V(1, 1, 2, 0xFF808080), V(-1, -1, 2, 0xFF808080),
                                       V(1, -1, 2, 0xFF808080)};
        const std::uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
        ASSERT_EQ(device->CreateVertexBuffer(sizeof(Vertex) * 4, 0, kFvf, D3DPOOL_DEFAULT, &vb), D3D_OK);
        ASSERT_EQ(device->CreateIndexBuffer(sizeof idx, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib), D3D_OK);
        BYTE* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, v.data(), sizeof(Vertex) * 4);
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, idx, sizeof idx);
        ASSERT_EQ(ib->Unlock(), D3D_OK);
        for (auto [t, c] : {std::pair{&yellow, 0xFFFFFF00u}, std::pair{&cyan, 0xFF00FFFFu}})
        {
            ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3D_OK);
            Fill(*t, 0, c);
        }
        look.texture = yellow;
    }

    void TearDown() override
    {
        if (device)
        {
            device->SetTexture(0, nullptr);
            device->SetStreamSource(0, nullptr, 0);
            device->SetIndices(nullptr, 0);
        }
        if (vb)
            vb->Release();
        if (ib)
            ib->Release();
        for (IDirect3DTexture8* t : {yellow, cyan})
            if (t)
                t->Release();
        TextureTest::TearDown();
    }

    // The object's draw; returns the number of device calls it made.
    int Render()
    {
        const Look& l = look;
        int calls = 0;
        auto rs = [&](D3DRENDERSTATETYPE s, DWORD v) {
            device->SetRenderState(s, v);
            ++calls;
        };
        auto tss = [&](D3DTEXTURESTAGESTATETYPE t, DWORD v) {
            device->SetTextureStageState(0, t, v);
            ++calls;
        };
        device->SetViewport(&l.viewport);
        device->SetTransform(D3DTS_PROJECTION, &l.projection);
        device->SetTransform(D3DTS_VIEW, &l.view);
        device->SetTransform(D3DTS_WORLD, &l.world);
        device->SetLight(0, &l.light);
        device->LightEnable(0, TRUE);
        device->SetMaterial(&l.material);
        device->SetTexture(0, l.texture);
        device->SetVertexShader(kFvf);
        calls += 9;
        rs(D3DRS_LIGHTING, l.lighting);
        rs(D3DRS_ZENABLE, TRUE);
        rs(D3DRS_ZWRITEENABLE, TRUE);
        rs(D3DRS_ALPHABLENDENABLE, l.blend);
        rs(D3DRS_SRCBLEND, D3DBLEND_ONE);
        rs(D3DRS_DESTBLEND, D3DBLEND_ONE);
        rs(D3DRS_CULLMODE, l.cull);
        rs(D3DRS_COLORWRITEENABLE, l.colorWrite);
        rs(D3DRS_AMBIENT, 0);
        rs(D3DRS_COLORVERTEX, FALSE);
        tss(D3DTSS_COLOROP, l.colorOp);
        tss(D3DTSS_COLORARG1, D3DTA_TEXTURE);
        tss(D3DTSS_COLORARG2, D3DTA_CURRENT);
        tss(D3DTSS_MINFILTER, D3DTEXF_POINT);
        tss(D3DTSS_MAGFILTER, D3DTEXF_POINT);
        device->SetStreamSource(0, vb, sizeof(Vertex));
        device->SetIndices(ib, 0);
        EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
        device->SetIndices(nullptr, 0);
        device->SetStreamSource(0, nullptr, 0);
        return calls + 5;
    }

    void NewFrame()
    {
        const D3DVIEWPORT8 all{0, 0, kSize, kSize, 0, 1};
        device->SetViewport(&all);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0), D3D_OK);
        Render();
    }

    std::uint32_t Centre() { return Pixel(kSize / 2, kSize / 2); }

    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    IDirect3DTexture8 *yellow = nullptr, *cyan = nullptr;
    Look look;
};

TEST_F(Redundant, DrawingAgainWithTheSameValuesSendsNothing)
{
    NewFrame();
    const std::uint64_t before = D3DGlCalls(device);
    Render();
    EXPECT_EQ(D3DGlCalls(device) - before, 0u) << "states, program, uniforms and bindings are all in place";
    ExpectColor(Centre(), 255, 255, 0);
}

TEST_F(Redundant, TheCallLogStillHasEveryCall)
{
    NewFrame();
    go3d::d3d::CallLog* log = GetDeviceCallLog(device);
    ASSERT_NE(log, nullptr);
    log->Enable(true);
    log->Clear();
    const int calls = Render() + Render();
    EXPECT_EQ(log->Records().size(), static_cast<std::size_t>(calls));
    log->Enable(false);
}

TEST_F(Redundant, ANewWorldMatrixSendsOnlyTheWorldView)
{
    NewFrame();
    const std::uint64_t before = D3DGlCalls(device);
    look.world = Translation(0.5f, 0, 0);
    Render();
    EXPECT_EQ(D3DGlCalls(device) - before, 2u) << "the world-view and normal matrices, nothing else";
}

TEST_F(Redundant, TogglingBlendingSendsOnlyTheSwitch)
{
    look.blend = TRUE;
    NewFrame();
    look.blend = FALSE;
    Render();
    for (DWORD on : {TRUE, FALSE})
    {
        look.blend = on;
        const std::uint64_t before = D3DGlCalls(device);
        Render();
        EXPECT_EQ(D3DGlCalls(device) - before, 1u) << "blending " << on;
    }
}

// Each changed value shows, and setting it back shows the first picture
// again: the layer's copy of GL follows both ways.
TEST_F(Redundant, EveryChangedValueTakesEffectBothWays)
{
    struct Change
    {
        const char* name;
        std::function<void(Look&)> apply;
        int r, g, b;  // the centre pixel afterwards
    };
    IDirect3DTexture8* other = cyan;
    const Change cases[] = {
        {"material", [](Look& l) { l.material.Diffuse = {0, 1, 1, 1}; }, 0, 255, 0},
        {"texture", [other](Look& l) { l.texture = other; }, 0, 255, 255},
        {"texture taken away", [](Look& l) { l.texture = nullptr; }, 255, 255, 255},
        {"texture stage", [](Look& l) { l.colorOp = D3DTOP_SELECTARG2; }, 255, 255, 255},
        {"lighting off", [](Look& l) { l.lighting = FALSE; }, 128, 128, 0},
        {"light", [](Look& l) { l.light.Diffuse = {1, 0, 0, 1}; }, 255, 0, 0},
        {"world", [](Look& l) { l.world = Translation(5, 0, 0); }, 0, 0, 255},
        {"view", [](Look& l) { l.view = Translation(0, 5, 0); }, 0, 0, 255},
        {"projection", [](Look& l) { l.projection = Scaling(0.1f, 0.1f, 1); }, 0, 0, 255},
        {"viewport", [](Look& l) { l.viewport = {0, 0, 16, 16, 0, 1}; }, 0, 0, 255},
        {"blending", [](Look& l) { l.blend = TRUE; }, 255, 255, 255},
        {"culling", [](Look& l) { l.cull = D3DCULL_CW; }, 0, 0, 255},
        {"colour writes", [](Look& l) { l.colorWrite = 1; }, 255, 0, 255},
    };
    for (const Change& c : cases)
    {
        SCOPED_TRACE(c.name);
        NewFrame();
        ExpectColor(Centre(), 255, 255, 0, 2, "before");
        c.apply(look);
        NewFrame();
        ExpectColor(Centre(), c.r, c.g, c.b, 2, "changed");
        look = Look{};
        look.texture = yellow;
        NewFrame();
        ExpectColor(Centre(), 255, 255, 0, 2, "set back");
    }
}

}  // namespace

// Drawing the back buffer straight into the window: when the device does
// it, that its pixels are those of the copied frame, and that render
// targets, pairings and reading back keep working around it.

#include "texture_fixture.h"
#include "platform/d3d/gl_work.h"

namespace {
using namespace d3dtest;

class WindowFramebuffer : public TextureTest
{
protected:
    // A popup's client area is the back buffer's size.
    void SetUp() override { Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, WS_POPUP); }

    // Overlapping quads with depth, blending and a lit one: what a frame has.
    void DrawScene()
    {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF203040,
                                1.0f, 0),
                  D3D_OK);
        Unlit();
        std::vector<Vertex> tri = {V(-0.9f, 0.9f, 0.3f, 0xFFFF0000), V(0.7f, 0.2f, 0.3f, 0xFF00FF00),
                                   V(-0.4f, -0.8f, 0.3f, 0xFF0000FF)};
        ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, tri, 1), D3D_OK);
        Rs(D3DRS_ALPHABLENDENABLE, TRUE);
        Rs(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Rs(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        ASSERT_EQ(FullQuad(0x80FFFF00, 0.6f), D3D_OK);  // behind the triangle where it is
        Rs(D3DRS_ALPHABLENDENABLE, FALSE);
        Rs(D3DRS_LIGHTING, TRUE);
        D3DLIGHT8 l{};
        l.Type = D3DLIGHT_POINT;
        l.Diffuse = {1, 0.5f, 0.25f, 1};
        l.Position = {0.5f, 0.5f, -1};
        l.Range = 10;
        l.Attenuation0 = 1;
        D3DMATERIAL8 m{};
        m.Diffuse = {1, 1, 1, 1};
        ASSERT_EQ(device->SetLight(0, &l), D3D_OK);
        ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
        ASSERT_EQ(device->SetMaterial(&m), D3D_OK);
        std::vector<Vertex> lit = {V(0, 0.9f, 0.1f), V(0.9f, 0.9f, 0.1f), V(0, 0, 0.1f), V(0.9f, 0, 0.1f)};
        ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, lit, 2), D3D_OK);
    }
};

// Each case opens its own device.
class WindowFramebufferChoice : public DeviceTest
{
protected:
    void SetUp() override {}
};

TEST_F(WindowFramebufferChoice, OnlyAWindowThatHoldsTheBackBufferIsDrawnInto)
{
    struct Case
    {
        const char* name;
        DWORD style;
        D3DFORMAT back, depth;
        D3DMULTISAMPLE_TYPE samples;
        bool direct;
    };
    const Case cases[] = {
        {"the window's size and formats", WS_POPUP, D3DFMT_X8R8G8B8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, true},
        {"no depth buffer", WS_POPUP, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN, D3DMULTISAMPLE_NONE, true},
        {"a smaller window", WS_OVERLAPPEDWINDOW, D3DFMT_X8R8G8B8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, false},
        {"16-bit colour", WS_POPUP, D3DFMT_R5G6B5, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, false},
        {"destination alpha", WS_POPUP, D3DFMT_A8R8G8B8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, false},
        {"16-bit depth", WS_POPUP, D3DFMT_X8R8G8B8, D3DFMT_D16, D3DMULTISAMPLE_NONE, false},
        {"multisampling", WS_POPUP, D3DFMT_X8R8G8B8, D3DFMT_D24S8, 4, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        if (c.samples != D3DMULTISAMPLE_NONE)
        {
            IDirect3D8* probe = Direct3DCreate8(D3D_SDK_VERSION);
            const bool can = probe->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, c.back, TRUE, c.samples) == D3D_OK;
            probe->Release();
            if (!can)
                continue;
        }
        Open(c.depth, c.back, c.samples, c.style);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(D3DDrawsIntoWindow(device), c.direct);
        Close();
    }
}

TEST_F(WindowFramebuffer, PixelsAreThoseOfTheCopiedFrame)
{
    ASSERT_TRUE(D3DDrawsIntoWindow(device));
    DrawScene();
    const std::vector<std::uint32_t> direct = Frame();
    Close();
    Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, WS_OVERLAPPEDWINDOW);
    ASSERT_FALSE(D3DDrawsIntoWindow(device));
    DrawScene();
    const std::vector<std::uint32_t> copied = Frame();
    ASSERT_EQ(direct.size(), copied.size());
    int differing = 0;
    for (std::size_t i = 0; i < direct.size(); ++i)
        differing += direct[i] != copied[i];
    EXPECT_EQ(differing, 0);
}

TEST_F(WindowFramebufferChoice, ANewBackBufferIsBlackWithDepthOneAndStencilZero)
{
    for (const DWORD style : {WS_POPUP, WS_OVERLAPPEDWINDOW})
    {
        SCOPED_TRACE(style == WS_POPUP ? "in the window" : "copied");
        Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, style);
        EXPECT_EQ(Pixel(3, 3), 0xFF000000u);
        EXPECT_EQ(Pixel(kSize - 1, kSize - 1), 0xFF000000u);
        Unlit();
        Rs(D3DRS_ZFUNC, D3DCMP_LESS);
        Rs(D3DRS_STENCILENABLE, TRUE);
        Rs(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        Rs(D3DRS_STENCILREF, 0);
        ASSERT_EQ(FullQuad(0xFF00FF00, 0.99f), D3D_OK);
        ExpectColor(Pixel(32, 32), 0, 255, 0);
        ExpectColor(Pixel(kSize - 1, kSize - 1), 0, 255, 0);
        Close();
    }
}

TEST_F(WindowFramebufferChoice, ABackBufferPairedBeforeAnythingIsDrawnHoldsTheWholeFrame)
{
    for (const DWORD style : {WS_POPUP, WS_OVERLAPPEDWINDOW})
    {
        SCOPED_TRACE(style == WS_POPUP ? "from the window" : "copied");
        Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, style);
        IDirect3DSurface8 *frame = nullptr, *other = nullptr;
        ASSERT_EQ(device->GetRenderTarget(&frame), D3D_OK);
        ASSERT_EQ(device->CreateDepthStencilSurface(kSize, kSize, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &other),
                  D3D_OK);
        ASSERT_EQ(device->SetRenderTarget(frame, other), D3D_OK);
        Unlit();
        Rs(D3DRS_ZENABLE, FALSE);  // the other depth holds nothing defined yet
        ASSERT_EQ(FullQuad(0xFF00FF00, 0.5f), D3D_OK);
        const int n = kSize;
        for (const auto& [x, y] : {std::pair{1, 1}, std::pair{n - 2, n - 2}, std::pair{n / 2, 3}})
            ExpectColor(Pixel(x, y), 0, 255, 0, 2, "drawn");
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ExpectColor(Pixel(kSize - 2, kSize - 2), 0, 255, 0, 2, "after Present");
        frame->Release();
        other->Release();
        Close();
    }
}

TEST_F(WindowFramebuffer, TheFrameReadsBackAfterPresentAndAsTheFrontBuffer)
{
    Unlit();
    ASSERT_EQ(FullQuad(0xFF00FF00), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_TRUE(D3DDrawsIntoWindow(device));
    ExpectColor(Pixel(10, 50), 0, 255, 0);
    IDirect3DSurface8* front = nullptr;
    ASSERT_EQ(device->CreateImageSurface(kSize, kSize, D3DFMT_A8R8G8B8, &front), D3D_OK);
    ASSERT_EQ(device->GetFrontBuffer(front), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(front->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::uint32_t p = 0;
    std::memcpy(&p, static_cast<BYTE*>(lr.pBits) + 20 * lr.Pitch + 20 * 4, 4);
    front->UnlockRect();
    front->Release();
    ExpectColor(p, 0, 255, 0);
}

TEST_F(WindowFramebuffer, ATextureTargetAndBackLeaveTheWindowItsFrame)
{
    Unlit();
    ASSERT_EQ(FullQuad(0xFFFF0000), D3D_OK);
    IDirect3DSurface8 *frame = nullptr, *depth = nullptr, *level = nullptr;
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&frame), D3D_OK);
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(level, nullptr), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(frame, depth), D3D_OK);
    EXPECT_TRUE(D3DDrawsIntoWindow(device));
    ExpectColor(Pixel(5, 5), 255, 0, 0, 2, "the frame drawn before");
    // The right half shows what the target got.
    std::vector<Vertex> v = {V(0, 1, 0.5f), V(1, 1, 0.5f), V(0, -1, 0.5f), V(1, -1, 0.5f)};
    ASSERT_EQ(device->SetTexture(0, target), D3D_OK);
    Tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Tss(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, v, 2), D3D_OK);
    ExpectColor(Pixel(50, 30), 0, 0, 255, 2, "the target");
    ExpectColor(Pixel(10, 30), 255, 0, 0, 2, "the frame");
    device->SetTexture(0, nullptr);
    for (IDirect3DSurface8* s : {frame, depth, level})
        s->Release();
    target->Release();
}

TEST_F(WindowFramebuffer, TheBackBufferWithoutDepthStaysInTheWindowAndKeepsItsDepth)
{
    Unlit();
    ASSERT_EQ(FullQuad(0xFFFF0000, 0.2f), D3D_OK);
    IDirect3DSurface8 *frame = nullptr, *depth = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&frame), D3D_OK);
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(frame, nullptr), D3D_OK);
    EXPECT_TRUE(D3DDrawsIntoWindow(device));
    ASSERT_EQ(FullQuad(0xFF00FF00, 0.5f), D3D_OK);
    ExpectColor(Pixel(30, 30), 0, 255, 0, 2, "no depth test without a depth surface");
    ASSERT_EQ(device->SetRenderTarget(frame, depth), D3D_OK);
    ASSERT_EQ(FullQuad(0xFF0000FF, 0.5f), D3D_OK);
    ExpectColor(Pixel(30, 30), 0, 255, 0, 2, "the depth of the first quad is still there");
    for (IDirect3DSurface8* s : {frame, depth})
        s->Release();
}

TEST_F(WindowFramebuffer, PairingTheBackBufferWithAnotherDepthMovesItOutWithItsPixels)
{
    Unlit();
    ASSERT_EQ(FullQuad(0xFFFF0000, 0.2f), D3D_OK);
    IDirect3DSurface8 *frame = nullptr, *depth = nullptr, *other = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&frame), D3D_OK);
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(kSize, kSize, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &other), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(frame, other), D3D_OK);
    EXPECT_FALSE(D3DDrawsIntoWindow(device));
    ExpectColor(Pixel(30, 30), 255, 0, 0, 2, "the frame came along");
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(FullQuad(0xFF00FF00, 0.5f), D3D_OK);
    ExpectColor(Pixel(30, 30), 0, 255, 0, 2, "drawn against the other depth");
    // Its own depth still holds the first quad's 0.2.
    ASSERT_EQ(device->SetRenderTarget(frame, depth), D3D_OK);
    ASSERT_EQ(FullQuad(0xFF0000FF, 0.5f), D3D_OK);
    ExpectColor(Pixel(30, 30), 0, 255, 0, 2, "behind the depth of the first quad");
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_FALSE(D3DDrawsIntoWindow(device)) << "a back buffer once paired stays in the copy";
    ExpectColor(Pixel(30, 30), 0, 255, 0, 2, "after Present");
    for (IDirect3DSurface8* s : {frame, depth, other})
        s->Release();
}

}  // namespace

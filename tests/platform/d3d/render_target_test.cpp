// Render targets: drawing into a texture level and sampling it, with and
// without a depth surface; switching back to the window's pair; the
// references the getters hand out; pairs the device refuses.

#include "tests/support/case_print.h"
#include "texture_fixture.h"

namespace {
using namespace d3dtest;

class RenderTarget : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        ASSERT_EQ(device->GetRenderTarget(&frame), D3D_OK);
        ASSERT_EQ(device->GetDepthStencilSurface(&frameDepth), D3D_OK);
        ASSERT_EQ(device->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                        &texture),
                  D3D_OK);
        ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    }
    void TearDown() override
    {
        if (device)
        {
            device->SetTexture(0, nullptr);
            device->SetRenderTarget(frame, frameDepth);
        }
        for (IDirect3DSurface8* s : {level, frame, frameDepth})
            if (s)
                s->Release();
        if (texture)
            texture->Release();
        TextureTest::TearDown();
    }

    // A quad in clip space from (x0, y0) to (x1, y1), y up.
    HRESULT Quad(float x0, float y0, float x1, float y1, D3DCOLOR c, float z = 0.5f)
    {
        std::vector<Vertex> v = {V(x0, y1, z, c), V(x1, y1, z, c), V(x0, y0, z, c), V(x1, y0, z, c)};
        return Draw(D3DPT_TRIANGLESTRIP, v, 2);
    }

    IDirect3DSurface8 *frame = nullptr, *frameDepth = nullptr, *level = nullptr;
    IDirect3DTexture8* texture = nullptr;
};

TEST_F(RenderTarget, DrawnTextureSamplesTheRightWayUp)
{
    ASSERT_EQ(device->SetRenderTarget(level, nullptr), D3D_OK);
    D3DVIEWPORT8 vp{};
    ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, 32u) << "a new target gets a viewport over all of it";
    EXPECT_EQ(vp.Height, 32u);
    Unlit();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL) << "no depth surface";
    ASSERT_EQ(Quad(-1, 0, 1, 1, 0xFF00FF00), D3D_OK);         // the top half green
    ASSERT_EQ(Quad(-1, -1, 0, 0, 0xFF0000FF), D3D_OK);        // the lower left quarter blue
    // A clear rectangle lands where Direct3D puts it: top left is (0, 0).
    D3DRECT r{24, 0, 32, 8};
    ASSERT_EQ(device->Clear(1, &r, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);

    ASSERT_EQ(device->SetRenderTarget(frame, frameDepth), D3D_OK);
    ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, kSize);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(TexturedQuad(texture), D3D_OK);
    const auto f = Frame();
    auto at = [&](int x, int y) { return f[static_cast<std::size_t>(y) * kSize + x]; };
    ExpectColor(at(20, 24), 0, 255, 0, 2, "top half");
    ExpectColor(at(16, 48), 0, 0, 255, 2, "lower left");
    ExpectColor(at(48, 48), 255, 0, 0, 2, "lower right");
    ExpectColor(at(56, 4), 255, 255, 255, 2, "cleared rectangle, top right");
}

TEST_F(RenderTarget, DepthSurfaceTestsInsideTheTexture)
{
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(32, 32, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(level, depth), D3D_OK);
    IDirect3DSurface8* got = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&got), D3D_OK);
    EXPECT_EQ(got, depth);
    got->Release();
    Unlit();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(Quad(-1, -1, 1, 1, 0xFF00FF00, 0.3f), D3D_OK);  // near
    ASSERT_EQ(Quad(-1, -1, 1, 1, 0xFFFF0000, 0.6f), D3D_OK);  // far: hidden
    ASSERT_EQ(device->SetRenderTarget(frame, frameDepth), D3D_OK);
    ASSERT_EQ(TexturedQuad(texture), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 255, 0);
    depth->Release();
}

struct WindingCase
{
    const char* name;
    bool texture;    // drawn into the texture, else into the frame
    bool clockwise;  // as seen on screen
    bool visible;
};

void PrintTo(const WindingCase& c, std::ostream* os)
{
    *os << c.name << ": " << (c.clockwise ? "clockwise" : "counter-clockwise") << " on screen, drawn into the "
        << (c.texture ? "texture" : "frame") << ", " << (c.visible ? "shows" : "culled");
}

class Winding : public RenderTarget, public ::testing::WithParamInterface<WindingCase>
{
};

TEST_P(Winding, CullingSeesTheWindingOnScreen)
{
    const auto& c = GetParam();
    if (c.texture)
    {
        ASSERT_EQ(device->SetRenderTarget(level, nullptr), D3D_OK);
    }
    Unlit();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    // Default culling removes counter-clockwise triangles.
    std::vector<Vertex> tri = {V(-1, 1, 0.5f, 0xFFFFFFFF), V(1, 1, 0.5f, 0xFFFFFFFF), V(-1, -1, 0.5f, 0xFFFFFFFF)};
    if (!c.clockwise)
        std::swap(tri[1], tri[2]);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, tri, 1), D3D_OK);
    if (c.texture)
    {
        ASSERT_EQ(device->SetRenderTarget(frame, frameDepth), D3D_OK);
        ASSERT_EQ(TexturedQuad(texture), D3D_OK);
    }
    ExpectColor(Pixel(8, 8), c.visible ? 255 : 0, c.visible ? 255 : 0, c.visible ? 255 : 0, 2, c.name);
}

INSTANTIATE_TEST_SUITE_P(Cases, Winding,
                         ::testing::Values(WindingCase{"FrameClockwise", false, true, true},
                                           WindingCase{"FrameCounterClockwise", false, false, false},
                                           WindingCase{"TextureClockwise", true, true, true},
                                           WindingCase{"TextureCounterClockwise", true, false, false}),
                         testsupport::NameOfCase());

TEST_F(RenderTarget, GettersAddAReference)
{
    ASSERT_EQ(device->SetRenderTarget(level, nullptr), D3D_OK);
    IDirect3DSurface8* got = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&got), D3D_OK);
    EXPECT_EQ(got, level);
    got->Release();
    IDirect3DSurface8* none = reinterpret_cast<IDirect3DSurface8*>(this);
    EXPECT_NE(device->GetDepthStencilSurface(&none), D3D_OK);
    EXPECT_EQ(none, nullptr);
    // The device keeps the target alive after the caller lets go of it.
    level->Release();
    level = nullptr;
    EXPECT_EQ(texture->Release(), 1u);
    texture = nullptr;
    Unlit();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(frame, frameDepth), D3D_OK);  // frees the texture
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(back, frame);
    back->Release();
}

TEST_F(RenderTarget, PairsThatCannotDrawAreRefusedAndTheOldPairStays)
{
    IDirect3DSurface8 *small = nullptr, *image = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &small), D3D_OK);
    ASSERT_EQ(device->CreateImageSurface(32, 32, D3DFMT_X8R8G8B8, &image), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(level, small), D3DERR_INVALIDCALL) << "depth smaller than colour";
    EXPECT_EQ(device->SetRenderTarget(image, nullptr), D3DERR_INVALIDCALL) << "image surfaces are not drawn into";
    EXPECT_EQ(device->SetRenderTarget(small, nullptr), D3DERR_INVALIDCALL) << "depth as colour";
    EXPECT_EQ(device->SetRenderTarget(level, image), D3DERR_INVALIDCALL) << "colour as depth";
    IDirect3DSurface8* got = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&got), D3D_OK);
    EXPECT_EQ(got, frame);
    got->Release();
    // The frame still draws.
    Unlit();
    ASSERT_EQ(Quad(-1, -1, 1, 1, 0xFF00FF00), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 255, 0);
    // Image surfaces lock; a render target made by the device does not.
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(image->LockRect(&lr, nullptr, 0), D3D_OK);
    EXPECT_GE(lr.Pitch, 32 * 4);
    ASSERT_EQ(image->UnlockRect(), D3D_OK);
    EXPECT_EQ(level->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, &got),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(got, nullptr);
    image->Release();
    small->Release();
}

}  // namespace

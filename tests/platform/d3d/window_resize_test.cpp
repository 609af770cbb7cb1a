// A device made on a window smaller than its back buffer, the window then
// sized to hold it, as the game does at start-up: where its frames are drawn
// and that no pixel is lost on the way. Needs an X server: the offscreen
// driver's windows keep the size they were made with.

#include "device_fixture.h"
#include "platform/d3d/gl_work.h"

#include <cstdlib>

namespace {
using namespace d3dtest;

class WindowResize : public DeviceTest
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no X display";
    }

    void GrowClientToBackBuffer()
    {
        RECT r{0, 0, kSize, kSize};
        ASSERT_TRUE(AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0));
        ASSERT_TRUE(MoveWindow(window, 0, 0, r.right - r.left, r.bottom - r.top, FALSE));
    }
};

TEST_F(WindowResize, AWindowSizedBeforeTheFirstDrawIsDrawnIntoFromTheStart)
{
    struct Case
    {
        const char* name;
        bool clearFirst;
    };
    for (const Case c : {Case{"first a draw", false}, Case{"first a clear of the colour alone", true}})
    {
        SCOPED_TRACE(c.name);
        Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, WS_OVERLAPPEDWINDOW);
        ASSERT_FALSE(D3DDrawsIntoWindow(device));
        GrowClientToBackBuffer();
        if (c.clearFirst)
        {
            ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
            EXPECT_TRUE(D3DDrawsIntoWindow(device));
        }
        // It still holds what a new back buffer holds: depth 1, stencil 0,
        // black where nothing is drawn.
        Unlit();
        Rs(D3DRS_ZFUNC, D3DCMP_LESS);
        Rs(D3DRS_STENCILENABLE, TRUE);
        Rs(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        Rs(D3DRS_STENCILREF, 0);
        std::vector<Vertex> right = {V(0, 1, 0.99f, 0xFF00FF00), V(1, 1, 0.99f, 0xFF00FF00),
                                     V(0, -1, 0.99f, 0xFF00FF00), V(1, -1, 0.99f, 0xFF00FF00)};
        ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, right, 2), D3D_OK);
        EXPECT_TRUE(D3DDrawsIntoWindow(device));
        ExpectColor(Pixel(50, 30), 0, 255, 0, 0, "drawn against depth 1 and stencil 0");
        const std::uint32_t left = c.clearFirst ? 0xFF0000FFu : 0xFF000000u;
        EXPECT_EQ(Pixel(10, 30), left) << "the clear, or black where nothing was drawn";
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_TRUE(D3DDrawsIntoWindow(device));
        Close();
    }
}

TEST_F(WindowResize, AWindowSizedAfterDrawingTakesTheFrameWithItsPixelsAtPresent)
{
    Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, WS_OVERLAPPEDWINDOW);
    Unlit();
    ASSERT_EQ(FullQuad(0xFFFF0000, 0.2f), D3D_OK);
    GrowClientToBackBuffer();
    ASSERT_EQ(FullQuad(0xFF00FF00, 0.5f), D3D_OK);
    EXPECT_FALSE(D3DDrawsIntoWindow(device)) << "the frame under way stays where it is drawn";
    ExpectColor(Pixel(30, 30), 255, 0, 0, 0, "behind the first quad");
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_TRUE(D3DDrawsIntoWindow(device));
    ExpectColor(Pixel(30, 30), 255, 0, 0, 0, "moved with the frame");
    ASSERT_EQ(FullQuad(0xFF0000FF, 0.5f), D3D_OK);
    ExpectColor(Pixel(30, 30), 255, 0, 0, 0, "the depth moved too");
    Close();
}

}  // namespace

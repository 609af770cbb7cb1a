// A frame whose draws switch between two programs, as a board of black and
// white stones does, makes the software rasteriser keep a copy of the pixel
// state per draw: many megabytes a frame. Drawing the same frame again must
// reuse that memory, not fault it in afresh every frame.

#include <sys/resource.h>

#include "texture_fixture.h"

namespace {
using namespace d3dtest;

long MinorFaults()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

class FrameMemory : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &yellow), D3D_OK);
        Fill(yellow, 0, 0xFFFFFF00);
    }

    void TearDown() override
    {
        if (device)
            device->SetTexture(0, nullptr);
        if (yellow)
            yellow->Release();
        TextureTest::TearDown();
    }

    // Textured and untextured quads in turn, each its own program: a few
    // times a full board's draws, so that the pixel states kept fill more
    // than the rasteriser's own working memory.
    void DrawFrame()
    {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0), D3D_OK);
        for (int i = 0; i < 1000; ++i)
        {
            ASSERT_EQ(TexturedQuad(yellow), D3D_OK);
            ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
            Tss(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            Tss(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
            ASSERT_EQ(FullQuad(0xFF00FF00), D3D_OK);
        }
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }

    IDirect3DTexture8* yellow = nullptr;
};

TEST_F(FrameMemory, RepeatedFramesReuseTheirMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory in quarantine and hands out fresh pages";
#endif
    for (int i = 0; i < 3; ++i)
        DrawFrame();
    ExpectColor(Pixel(kSize / 2, kSize / 2), 0, 255, 0, 2, "the last quad drawn");
    constexpr int kFrames = 10;
    const long before = MinorFaults();
    for (int i = 0; i < kFrames; ++i)
        DrawFrame();
    Frame();  // the last frame drawn through
    // The pixel states alone fill thousands of pages a frame; the
    // rasteriser's threads fault a few hundred of their own.
    EXPECT_LT((MinorFaults() - before) / kFrames, 1000);
}

}  // namespace

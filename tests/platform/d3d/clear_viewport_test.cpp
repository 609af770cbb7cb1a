// Clearing covers the viewport (or rectangles inside it) and nothing else.

#include "device_fixture.h"
#include "tests/support/case_print.h"

namespace {
using namespace d3dtest;

struct ClearCase
{
    const char* name;
    D3DVIEWPORT8 viewport;
    std::vector<D3DRECT> rects;
    int insideX, insideY, outsideX, outsideY;
};

void PrintTo(const ClearCase& c, std::ostream* os)
{
    const D3DVIEWPORT8& v = c.viewport;
    *os << c.name << ": viewport " << v.X << "," << v.Y << " " << v.Width << "x" << v.Height;
    for (const D3DRECT& r : c.rects)
        *os << ", rect " << r.x1 << "," << r.y1 << " to " << r.x2 << "," << r.y2;
    *os << "; cleared at " << c.insideX << "," << c.insideY;
    if (c.outsideX >= 0)
        *os << ", not at " << c.outsideX << "," << c.outsideY;
}

class Clearing : public DeviceTest, public ::testing::WithParamInterface<ClearCase>
{
};

TEST_P(Clearing, TouchesOnlyTheViewportOrItsRectangles)
{
    const ClearCase& c = GetParam();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->SetViewport(&c.viewport), D3D_OK);
    ASSERT_EQ(device->Clear(static_cast<DWORD>(c.rects.size()), c.rects.empty() ? nullptr : c.rects.data(),
                            D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0),
              D3D_OK);
    ExpectColor(Pixel(c.insideX, c.insideY), 0, 255, 0, 0, "inside");
    if (c.outsideX >= 0)
        ExpectColor(Pixel(c.outsideX, c.outsideY), 0, 0, 255, 0, "outside");
}

INSTANTIATE_TEST_SUITE_P(Cases, Clearing,
                         ::testing::Values(ClearCase{"whole", {0, 0, 64, 64, 0, 1}, {}, 0, 0, -1, -1},
                                           ClearCase{"viewport", {8, 4, 16, 8, 0, 1}, {}, 8, 4, 7, 4},
                                           ClearCase{"viewport bottom edge", {8, 4, 16, 8, 0, 1}, {}, 23, 11, 23, 12},
                                           ClearCase{"rect", {0, 0, 64, 64, 0, 1}, {{10, 20, 12, 22}}, 11, 21, 12, 21},
                                           ClearCase{"rect clipped by viewport",
                                                     {0, 0, 32, 32, 0, 1},
                                                     {{30, 0, 40, 4}},
                                                     31,
                                                     0,
                                                     32,
                                                     0}),
                         testsupport::NameOfCase());

TEST_F(DeviceTest, ClearRefusesBuffersTheDeviceDoesNotHave)
{
    Close();
    Open(D3DFMT_D16, D3DFMT_X8R8G8B8);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    Close();
    Open(D3DFMT_UNKNOWN, D3DFMT_R5G6B5);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ExpectColor(Pixel(5, 5), 255, 0, 0, 0);
}

TEST_F(DeviceTest, ViewportOutsideTheTargetIsRefusedAndKeepsTheOldOne)
{
    const D3DVIEWPORT8 bad[] = {{0, 0, 65, 64, 0, 1}, {60, 0, 8, 8, 0, 1}, {0, 0, 0, 8, 0, 1}, {0, 0, 8, 8, 0.5f, 2}};
    for (const auto& v : bad)
        EXPECT_EQ(device->SetViewport(&v), D3DERR_INVALIDCALL);
    D3DVIEWPORT8 got{};
    device->GetViewport(&got);
    EXPECT_EQ(got.Width, 64u);
    EXPECT_EQ(got.Height, 64u);
    EXPECT_EQ(got.MaxZ, 1.0f);
}

TEST_F(DeviceTest, PresentShowsTheFrameAndKeepsTheBackBuffer)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ExpectColor(Pixel(1, 1), 0x33, 0x66, 0x99, 0);
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(device->Present(&r, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, SixteenBitAndMultisampledTargetsClearAndReadBack)
{
    Close();
    Open(D3DFMT_D24S8, D3DFMT_R5G6B5);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ExpectColor(Pixel(0, 0), 255, 0, 0, 0);
    D3DCAPS8 caps{};
    d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
    if (d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, 4) != D3D_OK)
        GTEST_SKIP() << "no 4-sample targets";
    Close();
    Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8, 4);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    ExpectColor(Pixel(63, 63), 0, 255, 0, 0);
}

}  // namespace

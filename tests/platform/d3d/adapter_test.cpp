// The adapter: identity, modes, formats, device types and capabilities.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/d3d/d3d8.h"
#include "platform/win/win32.h"

namespace {

class Adapter : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(d3d = Direct3DCreate8(D3D_SDK_VERSION), nullptr); }
    void TearDown() override { d3d->Release(); }
    IDirect3D8* d3d = nullptr;
};

TEST(Direct3DCreate8, AnotherSdkVersionGetsNoInterface) { EXPECT_EQ(Direct3DCreate8(120), nullptr); }

TEST_F(Adapter, OneAdapterNamedByTheGlStrings)
{
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    D3DADAPTER_IDENTIFIER8 id{};
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, D3DENUM_NO_WHQL_LEVEL, &id), D3D_OK);
    EXPECT_GT(std::strlen(id.Driver), 0u);
    EXPECT_NE(std::string(id.Description).find("OpenGL"), std::string::npos);
    EXPECT_EQ(d3d->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
}

TEST_F(Adapter, ModesFitTheDesktopInBothDepthsAtItsRefreshRate)
{
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    const UINT n = d3d->GetAdapterModeCount(0);
    ASSERT_GT(n, 0u);
    int at640[2] = {0, 0};
    bool desktopListed = false;
    for (UINT i = 0; i < n; ++i)
    {
        D3DDISPLAYMODE m{};
        ASSERT_EQ(d3d->EnumAdapterModes(0, i, &m), D3D_OK);
        EXPECT_LE(m.Width, desktop.Width);
        EXPECT_LE(m.Height, desktop.Height);
        EXPECT_EQ(m.RefreshRate, desktop.RefreshRate);
        EXPECT_TRUE(m.Format == D3DFMT_R5G6B5 || m.Format == D3DFMT_X8R8G8B8);
        if (m.Width == 640 && m.Height == 480)
            ++at640[m.Format == D3DFMT_R5G6B5 ? 0 : 1];
        desktopListed |= m.Width == desktop.Width && m.Height == desktop.Height;
        const D3DFORMAT display = m.Format;
        EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, display, m.Format, FALSE), D3D_OK);
    }
    EXPECT_EQ(at640[0], 1);
    EXPECT_EQ(at640[1], 1);
    EXPECT_TRUE(desktopListed);
    D3DDISPLAYMODE m{};
    EXPECT_EQ(d3d->EnumAdapterModes(0, n, &m), D3DERR_INVALIDCALL);
}

TEST_F(Adapter, DeviceTypesOtherThanHalAndRefAreRefused)
{
    const D3DDEVTYPE types[] = {0, D3DDEVTYPE_SW, 7};
    for (auto t : types)
    {
        EXPECT_EQ(d3d->CheckDeviceType(0, t, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), D3DERR_INVALIDCALL) << t;
        D3DCAPS8 caps{};
        EXPECT_EQ(d3d->GetDeviceCaps(0, t, &caps), D3DERR_INVALIDCALL) << t;
        D3DPRESENT_PARAMETERS pp{};
        pp.Windowed = TRUE;
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
        EXPECT_EQ(d3d->CreateDevice(0, t, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(device, nullptr);
    }
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, FALSE), D3DERR_NOTAVAILABLE);
}

struct FormatCase
{
    D3DFORMAT format;
    HRESULT expected;
};

TEST_F(Adapter, DepthFormatsAreAnsweredForWhatFramebuffersTake)
{
    const FormatCase cases[] = {{D3DFMT_D16, D3D_OK},
                                {D3DFMT_D24X8, D3D_OK},
                                {D3DFMT_D24S8, D3D_OK},
                                {D3DFMT_D15S1, D3DERR_NOTAVAILABLE},
                                {D3DFMT_D24X4S4, D3DERR_NOTAVAILABLE},
                                {D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE}};
    for (const auto& c : cases)
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                         c.format),
                  c.expected)
            << c.format;
    // D32 depends on the driver; it is either offered or not, never an error.
    const HRESULT d32 =
        d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32);
    EXPECT_TRUE(d32 == D3D_OK || d32 == D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, 0), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, 1), D3DERR_INVALIDCALL);
}

TEST_F(Adapter, CapsOfferHardwareTransformEightStagesAndLights)
{
    D3DCAPS8 c{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &c), D3D_OK);
    EXPECT_TRUE(c.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(c.MaxSimultaneousTextures, 8u);
    EXPECT_EQ(c.MaxTextureBlendStages, 8u);
    EXPECT_EQ(c.MaxActiveLights, 8u);
    EXPECT_EQ(c.VertexShaderVersion, D3DVS_VERSION(1, 1));
    EXPECT_GT(c.MaxPointSize, 1.0f);
    EXPECT_TRUE(c.FVFCaps & D3DFVFCAPS_PSIZE);
    EXPECT_TRUE(c.StencilCaps & D3DSTENCILCAPS_INCR);
    EXPECT_TRUE(c.StencilCaps & D3DSTENCILCAPS_DECR);
}

}  // namespace

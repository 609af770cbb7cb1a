#pragma once

// A 64x64 windowed device on the offscreen driver, the engine's vertex
// layout, and reading pixels back.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d/call_log.h"
#include "platform/d3d/d3d8.h"
#include "platform/d3d/readback.h"
#include "platform/win/win32.h"

namespace d3dtest {

constexpr DWORD kFvf = 0x1458;

struct Vertex
{
    float x, y, z;
    float weight;
    BYTE indices[4];
    float nx, ny, nz;
    D3DCOLOR color;
    float uv[4][2];
};
static_assert(sizeof(Vertex) == 68);

inline Vertex V(float x, float y, float z, D3DCOLOR c = 0xFFFFFFFF, float nx = 0, float ny = 0, float nz = -1)
{
    Vertex v{};
    v.x = x;
    v.y = y;
    v.z = z;
    v.nx = nx;
    v.ny = ny;
    v.nz = nz;
    v.color = c;
    return v;
}

inline D3DMATRIX Identity()
{
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1;
    return m;
}

inline D3DMATRIX Translation(float x, float y, float z)
{
    D3DMATRIX m = Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

inline D3DMATRIX Scaling(float x, float y, float z)
{
    D3DMATRIX m{};
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    m.m[3][3] = 1;
    return m;
}

// Left-handed perspective, the engine's own form.
inline D3DMATRIX Perspective(float fovY, float aspect, float zn, float zf)
{
    D3DMATRIX m{};
    m.m[1][1] = 1.0f / std::tan(fovY / 2);
    m.m[0][0] = m.m[1][1] / aspect;
    m.m[2][2] = zf / (zf - zn);
    m.m[3][2] = -zn * zf / (zf - zn);
    m.m[2][3] = 1;
    return m;
}

inline int R(std::uint32_t p) { return (p >> 16) & 0xFF; }
inline int G(std::uint32_t p) { return (p >> 8) & 0xFF; }
inline int B(std::uint32_t p) { return p & 0xFF; }

// A texture format as the test cases print it.
inline std::string FormatName(D3DFORMAT f)
{
    switch (f)
    {
    case D3DFMT_R8G8B8: return "R8G8B8";
    case D3DFMT_A8R8G8B8: return "A8R8G8B8";
    case D3DFMT_X8R8G8B8: return "X8R8G8B8";
    case D3DFMT_R5G6B5: return "R5G6B5";
    case D3DFMT_X1R5G5B5: return "X1R5G5B5";
    case D3DFMT_A1R5G5B5: return "A1R5G5B5";
    case D3DFMT_A4R4G4B4: return "A4R4G4B4";
    case D3DFMT_A8: return "A8";
    case D3DFMT_P8: return "P8";
    case D3DFMT_L8: return "L8";
    default: return "format " + std::to_string(f);
    }
}

class DeviceTest : public ::testing::Test
{
protected:
    static constexpr UINT kSize = 64;

    void SetUp() override { Open(D3DFMT_D24S8, D3DFMT_X8R8G8B8); }
    void TearDown() override { Close(); }

    // A framed window's client area is smaller than the back buffer, so its
    // frames are copied and scaled; a popup's is the back buffer's size.
    void Open(D3DFORMAT depth, D3DFORMAT back, D3DMULTISAMPLE_TYPE samples = 0, DWORD style = WS_OVERLAPPEDWINDOW)
    {
        static bool registered = false;
        if (!registered)
        {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "D3DTest";
            RegisterClassExA(&wc);
            registered = true;
        }
        window = CreateWindowExA(0, "D3DTest", "d3d", style, 0, 0, kSize, kSize, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kSize;
        pp.BackBufferHeight = kSize;
        pp.BackBufferFormat = back;
        pp.BackBufferCount = 1;
        pp.MultiSampleType = samples;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN;
        pp.AutoDepthStencilFormat = depth;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        ASSERT_EQ(device->SetVertexShader(kFvf), D3D_OK);
    }

    void Close()
    {
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
        if (window)
            DestroyWindow(window);
        device = nullptr;
        d3d = nullptr;
        window = nullptr;
    }

    std::vector<std::uint32_t> Frame()
    {
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        EXPECT_EQ(D3DReadBackBuffer(device, pixels, w, h), D3D_OK);
        EXPECT_EQ(w, kSize);
        EXPECT_EQ(h, kSize);
        return pixels;
    }

    std::uint32_t Pixel(int x, int y) { return Frame()[static_cast<std::size_t>(y) * kSize + x]; }

    void Rs(D3DRENDERSTATETYPE s, DWORD v) { ASSERT_EQ(device->SetRenderState(s, v), D3D_OK) << s; }
    void Tss(DWORD stage, D3DTEXTURESTAGESTATETYPE t, DWORD v)
    {
        ASSERT_EQ(device->SetTextureStageState(stage, t, v), D3D_OK) << t;
    }
    void Rf(D3DRENDERSTATETYPE s, float f)
    {
        DWORD v;
        std::memcpy(&v, &f, 4);
        Rs(s, v);
    }

    // Unlit drawing in clip space: positions pass through every transform.
    void Unlit() { Rs(D3DRS_LIGHTING, FALSE); }

    HRESULT Draw(D3DPRIMITIVETYPE type, const std::vector<Vertex>& v, UINT count)
    {
        return device->DrawPrimitiveUP(type, count, v.data(), sizeof(Vertex));
    }

    // A quad covering the whole viewport at depth z, one colour.
    HRESULT FullQuad(D3DCOLOR c, float z = 0.5f)
    {
        std::vector<Vertex> v = {V(-1, 1, z, c), V(1, 1, z, c), V(-1, -1, z, c), V(1, -1, z, c)};
        return Draw(D3DPT_TRIANGLESTRIP, v, 2);
    }

    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
};

inline void ExpectColor(std::uint32_t p, int r, int g, int b, int tolerance = 2, const char* what = "")
{
    EXPECT_NEAR(R(p), r, tolerance) << what;
    EXPECT_NEAR(G(p), g, tolerance) << what;
    EXPECT_NEAR(B(p), b, tolerance) << what;
}

}  // namespace d3dtest

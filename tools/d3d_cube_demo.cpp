// A lit, spinning cube through the Direct3D 8 layer: d3d_cube_demo [seconds].

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/d3d/d3d8.h"
#include "platform/win/win32.h"

namespace {

struct Vertex
{
    float x, y, z, weight;
    BYTE indices[4];
    float nx, ny, nz;
    D3DCOLOR color;
    float uv[4][2];
};

bool running = true;

LRESULT Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_CLOSE || (msg == WM_KEYDOWN && w == VK_ESCAPE))
        running = false;
    return DefWindowProcA(hwnd, msg, w, l);
}

std::vector<Vertex> Cube()
{
    // Each face: normal n, axes u and v, corners n + (+-u) + (+-v), clockwise
    // seen from outside.
    const float faces[6][3][3] = {{{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
                                  {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                                  {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}}};
    std::vector<Vertex> v;
    const float corners[6][2] = {{-1, -1}, {-1, 1}, {1, 1}, {-1, -1}, {1, 1}, {1, -1}};
    for (const auto& f : faces)
        for (const auto& c : corners)
        {
            Vertex x{};
            x.x = f[0][0] + c[0] * f[1][0] + c[1] * f[2][0];
            x.y = f[0][1] + c[0] * f[1][1] + c[1] * f[2][1];
            x.z = f[0][2] + c[0] * f[1][2] + c[1] * f[2][2];
            x.nx = f[0][0];
            x.ny = f[0][1];
            x.nz = f[0][2];
            x.color = 0xFFFFFFFF;
            v.push_back(x);
        }
    return v;
}

D3DMATRIX Spin(float t)
{
    const float a = t, b = t * 0.7f;
    const float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    // Rotation about y by a, then about x by b.
    D3DMATRIX m{};
    m.m[0][0] = ca;
    m.m[0][1] = sa * sb;
    m.m[0][2] = -sa * cb;
    m.m[1][1] = cb;
    m.m[1][2] = sb;
    m.m[2][0] = sa;
    m.m[2][1] = -ca * sb;
    m.m[2][2] = ca * cb;
    m.m[3][3] = 1;
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "CubeDemo";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "CubeDemo", "Direct3D 8 layer: lit cube", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!window || !d3d)
    {
        std::fprintf(stderr, "no window or no Direct3D\n");
        if (d3d)
            d3d->Release();
        if (window)
            DestroyWindow(window);
        return 1;
    }
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* device = nullptr;
    if (d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device) != D3D_OK)
    {
        std::fprintf(stderr, "no device\n");
        d3d->Release();
        DestroyWindow(window);
        return 1;
    }
    D3DMATRIX view{};
    view.m[0][0] = view.m[1][1] = view.m[2][2] = view.m[3][3] = 1;
    view.m[3][2] = 5;
    D3DMATRIX proj{};
    const float h = 1.0f / std::tan(0.785398f / 2);
    proj.m[0][0] = h * 0.75f;
    proj.m[1][1] = h;
    proj.m[2][2] = 100.0f / 99.0f;
    proj.m[3][2] = -100.0f / 99.0f;
    proj.m[2][3] = 1;
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &proj);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1, 0.9f, 0.8f, 0};
    light.Specular = {1, 1, 1, 0};
    light.Position = {-3, 3, -4};
    light.Range = 100;
    light.Attenuation0 = 1;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    D3DMATERIAL8 material{{0.2f, 0.5f, 1.0f, 1}, {0.2f, 0.5f, 1.0f, 1}, {0.6f, 0.6f, 0.6f, 1}, {0, 0, 0, 0}, 16};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF303030);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetVertexShader(0x1458);
    const std::vector<Vertex> cube = Cube();
    const auto start = std::chrono::steady_clock::now();
    while (running)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                running = false;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (t > seconds)
            break;
        const D3DMATRIX world = Spin(static_cast<float>(0.6 + t));
        device->SetTransform(D3DTS_WORLD, &world);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202838, 1.0f, 0);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 12, cube.data(), sizeof(Vertex));
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    device->Release();
    d3d->Release();
    DestroyWindow(window);
    return 0;
}

#include "tools/demo_window.h"

#include "engine/exceptions.h"

#include <cstdio>

namespace demo {
namespace {

bool running = true;

LRESULT Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_CLOSE || (msg == WM_KEYDOWN && w == VK_ESCAPE))
        running = false;
    return DefWindowProcA(hwnd, msg, w, l);
}

}  // namespace

HWND OpenWindow(const char* className, const char* title, int width, int height)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr)
        std::fprintf(stderr, "no window\n");
    return window;
}

bool PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            running = false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return running;
}

GraphicsContext* OpenDevice(HWND window, int width, int height, std::unique_ptr<Engine3D>& engine)
{
    GraphicsContext* gc = nullptr;
    try {
        engine = std::make_unique<Engine3D>();
        GraphicsInitParameters p;
        p.XRes = width;
        p.YRes = height;
        p.Bpp = 32;
        p.DepthBits = 24;  // with a stencil buffer, for shadows
        p.DevType = D3DDEVTYPE_HAL;
        p.HardwareTnL = true;
        p.NumBuffers = 1;
        p.DontCareFlags = DONT_CARE_BPP | DONT_CARE_REFRESH | DONT_CARE_ALPHA | DONT_CARE_TNL;
        gc = engine->CreateGraphicsContext(window, 0, &p);
    } catch (const EngineInitException& e) {
        std::fprintf(stderr, "%s\n", e.GetErrorString().c_str());
        return nullptr;
    }
    if (gc == nullptr)
        std::fprintf(stderr, "no graphics context\n");
    return gc;
}

}  // namespace demo

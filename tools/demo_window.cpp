#include "tools/demo_window.h"

#include "engine/exceptions.h"
#include "tools/context_release.h"

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

Window::Window(const char* className, const char* title, int width, int height)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
    handle_ = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    if (handle_ == nullptr)
        std::fprintf(stderr, "no window\n");
}

Window::~Window()
{
    if (handle_ != nullptr)
        DestroyWindow(handle_);
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

Device::Device(HWND window, int width, int height)
{
    try {
        engine_ = std::make_unique<Engine3D>();
        GraphicsInitParameters p;
        p.XRes = width;
        p.YRes = height;
        p.Bpp = 32;
        p.DepthBits = 24;  // with a stencil buffer, for shadows
        p.DevType = D3DDEVTYPE_HAL;
        p.HardwareTnL = true;
        p.NumBuffers = 1;
        p.DontCareFlags = DONT_CARE_BPP | DONT_CARE_REFRESH | DONT_CARE_ALPHA | DONT_CARE_TNL;
        gc_ = engine_->CreateGraphicsContext(window, 0, &p);
    } catch (const EngineInitException& e) {
        std::fprintf(stderr, "%s\n", e.GetErrorString().c_str());
        return;
    }
    if (gc_ == nullptr)
        std::fprintf(stderr, "no graphics context\n");
}

Device::~Device()
{
    // engine_ goes after this body: the root keeps a pointer to the context.
    tools::ReleaseContext(gc_);
}

}  // namespace demo

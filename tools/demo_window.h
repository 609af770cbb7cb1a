#pragma once

// What the engine demos share: a window that Escape or the close box ends,
// its message pump, and a device on the first adapter.
//
// A demo declares its Window, then its Device, then what it draws: leaving
// main then releases the objects and buffers first, the device next (while
// its window is still there to make its GL context current) and the window
// last.

#include "engine/3dengine.h"
#include "platform/win/win32.h"

#include <memory>

namespace demo {

// A visible window of width x height, destroyed with this object.
class Window
{
public:
    // Reported when no window was made; Handle() is then null.
    Window(const char* className, const char* title, int width, int height);
    ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return handle_; }

private:
    HWND handle_ = nullptr;
};

// Dispatches the waiting messages; false once the demo should end.
bool PumpMessages();

// The engine root and a 32-bit device with a 24-bit depth buffer and stencil
// in the window. The engine keeps its contexts for the life of the process
// and its texture cache never frees a texture: this object releases the
// cache's textures, the context's surfaces and device, the context and the
// root when it goes.
class Device
{
public:
    // Reported when there is none; Context() is then null.
    Device(HWND window, int width, int height);
    ~Device();

    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    GraphicsContext* Context() const { return gc_; }

private:
    std::unique_ptr<Engine3D> engine_;
    GraphicsContext* gc_ = nullptr;
};

}  // namespace demo

#pragma once

// The OpenGL context of one device, shared by the device and the resources
// it made, so that a resource that outlives its device still frees its GL
// names in the right context. It also carries the device's call log.

#include <SDL.h>

#include <memory>

#include "platform/d3d/call_log.h"

namespace go3d::d3d {

class Device;

struct GlContext
{
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    Device* device = nullptr;  // null once the device is gone
    CallLog log;

    void MakeCurrent() const
    {
        if (context && SDL_GL_GetCurrentContext() != context)
            SDL_GL_MakeCurrent(window, context);
    }
    ~GlContext();

    template <typename... A>
    void Log(const char* method, const A&... args)
    {
        if (log.Enabled())
            log.Add(method, FormatArgs(args...));
    }
};

// The size of the window's framebuffer, which is not always the window's.
void WindowDrawableSize(SDL_Window* window, int& width, int& height);

}  // namespace go3d::d3d

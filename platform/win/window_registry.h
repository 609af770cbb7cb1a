#pragma once

// Inside the layer: the records behind window handles and class names.

#include "platform/win/win32.h"

#include <SDL.h>

#include <memory>
#include <string>

namespace win {

struct SdlWindowDeleter
{
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
using SdlWindowPtr = std::unique_ptr<SDL_Window, SdlWindowDeleter>;

struct Window
{
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT outer{}; // the window rectangle as the frame model sees it
    SdlWindowPtr sdl;
    bool showPending = false; // created visible, not on screen yet
};

// Starts SDL's video subsystem on first use; false if it cannot start.
bool EnsureVideo();

// The live window of a handle, or null.
Window* FindWindow(HWND hwnd);
// The live window behind an SDL window id, or null.
Window* FindWindowBySdlId(Uint32 id);

// The frame the model puts around a client area for a style.
struct Frame
{
    int left, top, right, bottom;
};
Frame FrameForStyle(DWORD style);

// Puts on screen the windows created visible that are not there yet.
void ShowPendingWindows();

// Keeps the outer rectangle in step with where the SDL window now is.
void SyncOuterFromSdl(Window& w);

} // namespace win

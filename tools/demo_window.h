#pragma once

// What the engine demos share: a window that Escape or the close box ends,
// its message pump, and a device on the first adapter.

#include "engine/3dengine.h"
#include "platform/win/win32.h"

#include <memory>

namespace demo {

// A visible window of width x height; null, reported, when none was made.
HWND OpenWindow(const char* className, const char* title, int width, int height);
// Dispatches the waiting messages; false once the demo should end.
bool PumpMessages();
// A 32-bit device with a 24-bit depth buffer and stencil; the engine root
// goes to engine. Null, reported, when there is none.
GraphicsContext* OpenDevice(HWND window, int width, int height, std::unique_ptr<Engine3D>& engine);

}  // namespace demo

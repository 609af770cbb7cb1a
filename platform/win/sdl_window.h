#pragma once

// Inside the platform layer only: the SDL window behind a window handle, so
// that the graphics device can make its OpenGL context on it.

#include "platform/win/win32.h"

#include <string>

struct SDL_Window;

// The SDL window of a live window handle (created with SDL_WINDOW_OPENGL),
// or null for a null, unknown or destroyed handle.
SDL_Window* GetSDLWindow(HWND hwnd);

// The title the window shows now, for tests that check what the program
// wrote there; empty for an unknown handle.
std::string GetShownWindowTitle(HWND hwnd);

#pragma once

// What a device made by the layer does in GL, for tests and benchmarks: the
// GL calls it made to bring GL up to date for draws and clears (not the draws
// themselves), and whether it draws the back buffer into the window itself.

#include <cstdint>

#include "platform/d3d/d3d8.h"

// 0 for a device of another kind.
std::uint64_t D3DGlCalls(IDirect3DDevice8* device);
bool D3DDrawsIntoWindow(IDirect3DDevice8* device);

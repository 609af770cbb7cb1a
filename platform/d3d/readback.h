#pragma once

// Reading a device's frame back, for tests and screenshots: the back buffer
// of a device made by the layer as A8R8G8B8 values, top row first.

#include <cstdint>
#include <vector>

#include "platform/d3d/d3d8.h"

HRESULT D3DReadBackBuffer(IDirect3DDevice8* device, std::vector<std::uint32_t>& pixels, UINT& width, UINT& height);

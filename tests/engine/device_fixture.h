#pragma once

// A graphics context made by the engine on a fake adapter whose devices come
// from the real layer, 64 x 64 and windowed, released after each test
// (tools::ReleaseContext), since the engine keeps every context alive.

#include "engine/3dengine.h"
#include "fake_adapter.h"
#include "platform/d3d/call_log.h"
#include "tools/context_release.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace enginetest {

// The view, the lamp and the texture filtering of the game's first frame:
// the camera at (0, 100, -100) looking at the origin, the point light above
// the board, grey ambient light, blending between mip levels.
void LookAsTheGameStarts(GraphicsContext* context);
// The same with the camera moved to eye, as the wheel and the right button
// move it, still looking at the origin.
void LookAsTheGameFrom(GraphicsContext* context, const Vector3& eye);

// The pixel (column, row) of a frame of this size where a world point lands
// under the context's view and projection.
std::array<int, 2> ToPixel(const GraphicsContext* context, const Vector3& point, int width, int height);

class DeviceTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The calls the operation made on the device, "Method(args)" each.
    std::vector<std::string> Calls(const std::function<void()>& operation);
    // A pixel of the frame as drawn so far, as 0xAARRGGBB.
    std::uint32_t Pixel(int x, int y);

    FakeAdapter fake{{Mode(64, 64, 60, D3DFMT_X8R8G8B8)}};
    Engine3D* engine = nullptr;
    HWND window = nullptr;
    GraphicsContext* c = nullptr;
    go3d::d3d::CallLog* log = nullptr;
};

}  // namespace enginetest

#pragma once

// From a mouse position to the board intersection under it: a ray through the
// camera, tested against the pick sphere of every intersection.

#include "engine/camera.h"
#include "game/picksphere.h"
#include "math/matrix4x4.h"
#include "math/ray.h"

#include <cstdint>

// A board coordinate, row then column; (-1, -1) for none.
struct GridPoint
{
    std::int32_t Row = -1;
    std::int32_t Col = -1;
};

extern Camera MainCamera;
// The inverse of MainCamera's view, refreshed by every frame.
extern Matrix4x4 CameraToWorld;
// The tangent of half the vertical field of view.
extern float HalfFovTan;
// The configured back-buffer size.
extern std::int32_t ScreenWidth;
extern std::int32_t ScreenHeight;

// The world ray through the client pixel (x, y) from the near to the far
// plane, direction normalised; maxdist receives the distance between the two.
// Horizontally it takes the fixed aspect 4:3.
Ray PickRay(std::int32_t x, std::int32_t y, float& maxdist);

// The back-buffer pixel under the centre of client pixel p, along an axis of
// client pixels stretched over back pixels (client > 0). Rounded down, so
// that at the same size it is p itself, also left of or above the client
// area, where a held button still reports the pointer.
std::int32_t ToBackBuffer(std::int32_t p, std::int64_t client, std::int32_t back);

// The nearest intersection whose sphere the ray through (x, y) hits; of equal
// distances the smaller row, then the smaller column.
GridPoint PickPoint(std::int32_t x, std::int32_t y);

#pragma once

#include "math/vector3.h"

// The sphere around one intersection: what the mouse ray is tested against,
// and where a captured stone stood.
struct PickSphere
{
    Vector3 Centre;
    float Radius = 0.0f;
};

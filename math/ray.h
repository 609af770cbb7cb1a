#pragma once

#include "math/vector3.h"

#include <type_traits>

// A picking ray. The direction is kept as given, not normalised.
struct Ray
{
    Vector3 Origin;
    Vector3 Direction{0.0f, 0.0f, 1.0f};
    // Part of the record's layout; nothing reads them.
    float Extra1 = 1.0f;
    float Extra2 = 1.0f;

    Ray() = default;
    Ray(const Vector3& origin, const Vector3& direction) : Origin(origin), Direction(direction) {}
};

static_assert(sizeof(Ray) == 8 * sizeof(float));
static_assert(std::is_standard_layout_v<Ray>);

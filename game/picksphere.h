#pragma once

#include "math/ray.h"
#include "math/vector3.h"

// The sphere around one intersection: what the mouse ray is tested against,
// and where a captured stone stood.
struct PickSphere
{
    Vector3 Centre;
    float Radius = 0.0f;

    // The distance along the ray (whose direction must be of unit length) to
    // the nearer crossing in front of its origin, in double precision; -1 for
    // no hit, a hit within 0.0004 of the origin, or, with limit, one beyond
    // maxdist. From inside the sphere that is the far side.
    float Intersect(const Ray& ray, bool limit, double maxdist) const;
};

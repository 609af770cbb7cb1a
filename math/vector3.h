#pragma once

// Three floats and nothing else: vertex records embed this type and are
// copied into device buffers unchanged.
struct Vector3
{
    float x, y, z;

    Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    Vector3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
};

static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 must be three floats");

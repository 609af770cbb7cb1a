#pragma once

// A transform driven by time: per axis one function each for scaling,
// rotation (radians) and translation, combined as S * Rx * Ry * Rz * T.

#include "math/matrix4x4.h"

#include <cstdint>

// The value of one component at a time; null means no function (0.0).
using TimeFunction = float (*)(float);

class MotionController
{
public:
    // All zeros until the first Evaluate.
    Matrix4x4 Matrix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bool Frozen = false;
    float TranslationFactor = 0.0f;
    float RotationFactor = 0.0f;
    float ScalingFactor = 0.0f;
    TimeFunction TranslationFunctions[3] = {};
    TimeFunction RotationFunctions[3] = {};
    TimeFunction ScalingFunctions[3] = {};

    MotionController() = default;

    // Each setter replaces the three functions of its step and the factor
    // that scales the time handed to them.
    void SetTranslation(TimeFunction fx, TimeFunction fy, TimeFunction fz, float factor);
    void SetRotation(TimeFunction fx, TimeFunction fy, TimeFunction fz, float factor);
    void SetScaling(TimeFunction fx, TimeFunction fy, TimeFunction fz, float factor);
    // For good: Evaluate then gives the identity. The value is not read.
    void Freeze(std::uint32_t);

    // Calls every function once, z before y before x, scaling before
    // rotation before translation; none when frozen.
    Matrix4x4& Evaluate(float t);
};

#include "engine/motioncontroller.h"

namespace
{
void Store(TimeFunction (&functions)[3], TimeFunction fx, TimeFunction fy, TimeFunction fz)
{
    functions[0] = fx;
    functions[1] = fy;
    functions[2] = fz;
}

float Call(TimeFunction f, float t)
{
    return f ? f(t) : 0.0f;
}

// z first, for callers whose functions have side effects.
void CallAll(const TimeFunction (&functions)[3], float t, float& x, float& y, float& z)
{
    z = Call(functions[2], t);
    y = Call(functions[1], t);
    x = Call(functions[0], t);
}
} // namespace

void MotionController::SetTranslation(TimeFunction fx, TimeFunction fy, TimeFunction fz, float factor)
{
    Store(TranslationFunctions, fx, fy, fz);
    TranslationFactor = factor;
}

void MotionController::SetRotation(TimeFunction fx, TimeFunction fy, TimeFunction fz, float factor)
{
    Store(RotationFunctions, fx, fy, fz);
    RotationFactor = factor;
}

void MotionController::SetScaling(TimeFunction fx, TimeFunction fy, TimeFunction fz, float factor)
{
    Store(ScalingFunctions, fx, fy, fz);
    ScalingFactor = factor;
}

void MotionController::Freeze(std::uint32_t)
{
    Frozen = true;
}

Matrix4x4& MotionController::Evaluate(float t)
{
    Matrix.ResetIdentity();
    if (Frozen)
        return Matrix;

    const float tt = t * TranslationFactor;
    const float tr = t * RotationFactor;
    const float ts = t * ScalingFactor;
    float x, y, z;

    CallAll(ScalingFunctions, ts, x, y, z);
    Matrix.Scale(x, y, z);
    CallAll(RotationFunctions, tr, x, y, z);
    Matrix.Rotate(x, y, z);
    CallAll(TranslationFunctions, tt, x, y, z);
    Matrix.Translate(x, y, z);
    return Matrix;
}

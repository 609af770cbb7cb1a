#include "game/picking.h"

#include "game/rules.h"

#include <cmath>
#include <limits>

Camera MainCamera;
Matrix4x4 CameraToWorld;
float HalfFovTan = float(std::tan(0.7853982 / 2.0));
std::int32_t ScreenWidth = 0;
std::int32_t ScreenHeight = 0;

Ray PickRay(std::int32_t x, std::int32_t y, float& maxdist)
{
    float nearPlane, farPlane;
    MainCamera.GetClipPlanes(&nearPlane, &farPlane);

    float nx = (float(x) / float(ScreenWidth / 2) - 1.0f) * 1.3333334f;
    float ny = 1.0f - float(y) / float(ScreenHeight / 2);
    nx *= HalfFovTan;
    ny *= HalfFovTan;

    Vector3 p1(nx * nearPlane, ny * nearPlane, nearPlane);
    Vector3 p2(nx * farPlane, ny * farPlane, farPlane);
    p1.Transform(CameraToWorld);
    p2.Transform(CameraToWorld);

    Ray ray;
    ray.Origin = p1;
    ray.Direction = p2 - p1;
    maxdist = ray.Direction.Length();
    ray.Direction.Normalize();
    return ray;
}

GridPoint PickPoint(std::int32_t x, std::int32_t y)
{
    float maxdist;
    const Ray ray = PickRay(x, y, maxdist);

    float best = std::numeric_limits<float>::max();
    GridPoint result;
    for (std::int32_t row = 0; row < BoardSize; ++row)
        for (std::int32_t col = 0; col < BoardSize; ++col)
        {
            const float t = PickSpheres[row][col].Intersect(ray, true, maxdist);
            if (t != -1.0f && t < best)
            {
                best = t;
                result.Row = row;
                result.Col = col;
            }
        }
    return result;
}

std::int32_t ToBackBuffer(std::int32_t p, std::int64_t client, std::int32_t back)
{
    const std::int64_t n = (2 * std::int64_t{p} + 1) * back, d = 2 * client;
    // Division rounds towards zero; below zero that is up, not down.
    return static_cast<std::int32_t>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

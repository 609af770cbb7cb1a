#include "engine/camera.h"

#include "engine/curves.h"

#include <cmath>

Camera::Camera()
{
    CreateViewMatrix();
}

void Camera::SetCamera(const Vector3& position, const Vector3& target, const Vector3& up)
{
    Position = position;
    Target = target;
    Up = up;
}

void Camera::SetClipPlanes(float nearPlane, float farPlane)
{
    Near = nearPlane;
    Far = farPlane;
}

void Camera::GetClipPlanes(float* nearPlane, float* farPlane) const
{
    *nearPlane = Near;
    *farPlane = Far;
}

Basis Camera::GetCameraBasisMatrix() const
{
    const Vector3 k = (Target - Position).Normalized();
    Vector3 j = Up.Normalized();
    const Vector3 i = j.CrossProduct(k);
    j = k.CrossProduct(i);
    return Basis(i, j, k);
}

Matrix4x4& Camera::BuildLookAt(Matrix4x4& out, const Vector3& position, const Vector3& target, const Vector3& up)
{
    const Vector3 n = (target - position).Normalized();
    const Vector3 u = up.CrossProduct(n).Normalized();
    const Vector3 v = n.CrossProduct(u);

    out.ResetIdentity();
    out.m[0][0] = u.x; out.m[0][1] = v.x; out.m[0][2] = n.x;
    out.m[1][0] = u.y; out.m[1][1] = v.y; out.m[1][2] = n.y;
    out.m[2][0] = u.z; out.m[2][1] = v.z; out.m[2][2] = n.z;
    out.m[3][0] = -u.DotProduct(position);
    out.m[3][1] = -v.DotProduct(position);
    out.m[3][2] = -n.DotProduct(position);
    return out;
}

Matrix4x4& Camera::CreateViewMatrix()
{
    return BuildLookAt(ViewMatrix, Position, Target, Up);
}

void Camera::Rotate(float ax, float ay, float az)
{
    const Vector3 ilook = Position - Target;
    Matrix4x4 rot;
    rot.Rotate(ax, ay, az);
    Vector3 newilook = ilook;
    newilook.Transform(rot);
    const Vector3 transl = newilook - ilook;

    Transforms[0].ResetIdentity();
    Transforms[0].Translate(transl.x, transl.y, transl.z);
    Transforms[5].ResetIdentity();
    Transforms[5].Rotate(ax, ay, az);

    Position.Transform(Transforms[0]);
    Up.Transform(Transforms[5]);
}

void Camera::Zoom(float f)
{
    Position += (Target - Position) * f;
}

void Camera::Roll(float angle)
{
    Up.Rotate((Target - Position).Normalized(), angle);
}

void Camera::Translate(float x, float y, float z)
{
    for (int i = 0; i < 3; ++i)
        Transforms[i].Translate(x, y, z);
}

void Camera::MoveTo(float x, float y, float z)
{
    const Vector3 d = Vector3(x, y, z) - Position;
    Translate(d.x, d.y, d.z);
}

void Camera::ResetMatrix()
{
    Transforms[3].ResetIdentity();
}

void Camera::SetPaths(Curve* positionPath, Curve* targetPath, std::uint32_t startTime, std::uint32_t endTime)
{
    PositionPath = positionPath;
    TargetPath = targetPath;
    StartTime = startTime;
    EndTime = endTime;
}

void Camera::FollowPath(std::uint32_t time, bool loop)
{
    if (!loop && (time < StartTime || time >= EndTime))
        return;
    // An empty span has no position in it to loop over.
    if (EndTime == StartTime)
        return;

    float t = float(time - StartTime) / float(EndTime - StartTime);
    if (loop)
        t = std::fmod(t, 1.0f);
    else if (t < 0.0f)
        t = 0.0f;
    else if (t > 1.0f)
        t = 1.0f;
    PlaceOnPaths(t);
}

void Camera::SetPathTime(float t)
{
    if (t < 0.0f)
        t = 0.0f;
    else if (t > 1.0f)
        t = 1.0f;
    PlaceOnPaths(t);
}

void Camera::PlaceOnPaths(float t)
{
    if (PositionPath)
        Position = PositionPath->Interpolate(t);
    if (TargetPath)
        Target = TargetPath->Interpolate(t);
}

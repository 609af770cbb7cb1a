#pragma once

// A look-at camera with a left-handed view matrix: it orbits and zooms about
// its target, rolls, and can follow one path with its position and another
// with its target.

#include "math/basis.h"
#include "math/matrix4x4.h"
#include "math/vector3.h"

#include <cstdint>
#include <string>

class Curve;

class Camera
{
public:
    Vector3 Position;
    Vector3 Target{0.0f, 0.0f, 5.0f};
    Vector3 Up{0.0f, 1.0f, 0.0f};
    // Kept for the camera's users; nothing here reads it.
    float FOV = 0.7853982f;
    float Near = 1.0f;
    float Far = 10000.0f;
    // Never part of the view matrix: 0 holds the latest orbit's translation,
    // 0 to 2 follow Translate and MoveTo, 3 is reset by ResetMatrix, 5 holds
    // the latest orbit's rotation.
    Matrix4x4 Transforms[9];
    bool PathFlag = false;
    // Not owned.
    Curve* PositionPath = nullptr;
    Curve* TargetPath = nullptr;
    std::uint32_t StartTime = 0;
    std::uint32_t EndTime = 0;
    std::string Name;
    Matrix4x4 ViewMatrix;

    Camera();

    void SetCamera(const Vector3& position, const Vector3& target, const Vector3& up);
    void SetClipPlanes(float nearPlane, float farPlane);
    void GetClipPlanes(float* nearPlane, float* farPlane) const;
    void SetFOV(float fov) { FOV = fov; }
    float GetFOV() const { return FOV; }

    // As of the latest CreateViewMatrix.
    const Matrix4x4& GetViewMatrix() const { return ViewMatrix; }
    // Target - Position, not normalised.
    Vector3 GetViewVector() const { return Target - Position; }
    Vector3 GetPosition() const { return Position; }
    Vector3 GetTarget() const { return Target; }
    Vector3 GetUpVector() const { return Up; }
    void SetPosition(const Vector3& position) { Position = position; }
    void SetTarget(const Vector3& target) { Target = target; }
    void SetUpVector(const Vector3& up) { Up = up; }

    // k along the view, j from the up vector, i = j x k.
    Basis GetCameraBasisMatrix() const;

    // The left-handed look-at matrix; uses nothing of this camera.
    Matrix4x4& BuildLookAt(Matrix4x4& out, const Vector3& position, const Vector3& target, const Vector3& up);
    Matrix4x4& CreateViewMatrix();

    // Turns Position about Target by the Euler angles (radians), and Up with it.
    void Rotate(float ax, float ay, float az);
    // Moves Position the fraction f of the way to Target; negative f backs off.
    void Zoom(float f);
    // Turns Up about the view direction.
    void Roll(float angle);
    void Translate(float x, float y, float z);
    // Translates the transforms by the way from Position to (x, y, z);
    // Position itself stays.
    void MoveTo(float x, float y, float z);
    void ResetMatrix();

    void SetPathFlag(bool flag) { PathFlag = flag; }
    void SetPaths(Curve* positionPath, Curve* targetPath, std::uint32_t startTime, std::uint32_t endTime);
    // Places the camera on its paths at Time within [StartTime, EndTime);
    // outside that span nothing happens, unless Loop wraps it round. A span
    // of no length does nothing either way.
    void FollowPath(std::uint32_t time, bool loop);
    // Places the camera at the path parameter t, clamped to [0, 1].
    void SetPathTime(float t);
    std::uint32_t GetPathStartTime() const { return StartTime; }
    std::uint32_t GetPathEndTime() const { return EndTime; }

private:
    void PlaceOnPaths(float t);
};

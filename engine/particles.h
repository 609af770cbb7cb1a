#pragma once

// A point-sprite particle emitter: spawns at a fixed number of updates per
// second, damps and drifts its particles, and draws them all in one call with
// a colour that fades from a start to an end colour over each life.

#include "math/dword.h"
#include "math/matrix4x4.h"
#include "math/vector3.h"
#include "platform/d3d/d3d8.h"

#include <cstdint>
#include <list>

class GraphicsContext;

// The bit pattern of a float, for the float-valued render states.
dword FloatToDword(float f);

struct Particle
{
    Vector3 Position;
    Vector3 Velocity; // world units per update
    dword Life;       // updates left

    explicit Particle(dword life);
    Particle(const Vector3& position, dword life);
    Particle(const Vector3& position, const Vector3& velocity, dword life);

    // Damps the velocity, moves by it and by gravity, and ages one update.
    // Gravity moves the position directly; it never builds up speed.
    void Update(const Vector3& gravity, float friction);
};

struct RGBColor
{
    float r, g, b;
};

class ParticleSystem
{
public:
    GraphicsContext* gc;
    bool RateLimited;
    float UpdateRate;
    float LastTime;
    dword SrcBlend;
    dword DestBlend;
    Vector3 Position;
    Vector3 LastPosition;
    Vector3 Velocity;
    std::list<Particle> Particles;
    float Size;
    float Friction;
    std::int32_t SpawnRate;
    float PositionVariation;
    float Gravity;
    float SpreadAngle;
    dword ParticleLife;
    bool InheritMotion;
    float VelocityJitter;
    std::int32_t SpawnRateChange;
    RGBColor StartColor;
    RGBColor EndColor;
    IDirect3DTexture8* Texture; // not owned
    dword ParticleCount;
    // Kept for callers; particles live in world coordinates.
    Matrix4x4 TranslationMatrix;
    Matrix4x4 RotationMatrix;

    explicit ParticleSystem(GraphicsContext* gc);

    void SetGraphicsContext(GraphicsContext* context) { gc = context; }
    void SetPosition(const Vector3& p) { Position = p; }
    void SetVelocity(const Vector3& v) { Velocity = v; }
    void SetGravity(float g) { Gravity = g; }
    void SetFriction(float f) { Friction = f; }
    // Truncated toward zero; a negative rate spawns nothing.
    void SetSpawnRate(float rate);
    void SetSpawnRateChange(std::int32_t change) { SpawnRateChange = change; }
    void SetParticleLife(dword life) { ParticleLife = life; }
    void SetParticleSize(float size) { Size = size; }
    void SetPositionVariation(float v) { PositionVariation = v; }
    void SetSpreadAngle(float radians) { SpreadAngle = radians; }
    void SetVelocityJitter(float j) { VelocityJitter = j; }
    void SetInheritMotion(bool on) { InheritMotion = on; }
    void SetStartColor(float r, float g, float b) { StartColor = {r, g, b}; }
    void SetEndColor(float r, float g, float b) { EndColor = {r, g, b}; }
    void SetTexture(IDirect3DTexture8* texture) { Texture = texture; }
    void SetBlendFactors(dword src, dword dest)
    {
        SrcBlend = src;
        DestBlend = dest;
    }

    void Translate(float x, float y, float z) { TranslationMatrix.Translate(x, y, z); }
    void Rotate(float x, float y, float z) { RotationMatrix.Rotate(x, y, z); }
    void Rotate(const Vector3& axis, float angle) { RotationMatrix.Rotate(axis, angle); }
    void ResetTranslation() { TranslationMatrix.ResetIdentity(); }
    void ResetRotation() { RotationMatrix.ResetIdentity(); }

    // One simulation step when one is due; time in seconds from any origin.
    void Update(float time);
    void Render();
    dword CountParticles();
};

#pragma once

// The light sources: each keeps its colour, geometry and transforms, installs
// itself in a device light slot, and can draw a small marker of itself.

#include "engine/3dgeom.h"
#include "math/color.h"
#include "math/dword.h"
#include "math/matrix4x4.h"
#include "math/vector3.h"

#include <string>

class GraphicsContext;

// The directional marker: a tetrahedron with a red tip along the direction.
extern Vertex LightMarkerVertices[4];
extern const Index LightMarkerIndices[12];
extern const Index LightHaloIndices[6];

// Direct3D light type numbers, as GetType answers.
constexpr dword LightType_Point = 1;
constexpr dword LightType_Spot = 2;
constexpr dword LightType_Directional = 3;

class Light
{
public:
    float Intensity = 1.0f;
    ::Color Color{1.0f, 1.0f, 1.0f, 1.0f};
    bool CastShadows = false;
    std::string Name;

    virtual ~Light() = default;

    virtual void SetPosition(const Vector3& v) = 0;
    virtual void SetDirection(const Vector3& v) = 0;
    virtual void SetColor(const ::Color& c);
    virtual void SetIntensity(float i);
    virtual void SetRange(float r) = 0;
    virtual void SetAttenuation(float constant, float linear, float quadratic) = 0;
    virtual void SetShadowCasting(bool on);
    virtual Vector3 GetPosition() = 0;
    virtual Vector3 GetDirection() = 0;
    virtual const ::Color& GetColor();
    virtual float GetIntensity();
    virtual float GetRange() = 0;
    virtual float GetAttenuation(dword index) = 0;
    virtual bool GetShadowCasting();
    virtual dword GetType() = 0;
    virtual void SetCone(float theta, float phi) = 0;
    virtual float GetTheta() = 0;
    virtual float GetPhi() = 0;
    virtual void SetFalloff(float f) = 0;
    virtual float GetFalloff() = 0;
    virtual void ResetTransform() = 0;
    virtual void ResetTranslation() = 0;
    virtual void ResetRotation() = 0;
    virtual void Transform(const Matrix4x4& m) = 0;
    virtual void Translate(float x, float y, float z) = 0;
    virtual void Rotate(const Vector3& axis, float angle) = 0;
    virtual void Rotate(float x, float y, float z) = 0;
    virtual void ResetDirectionTransform() = 0;
    virtual void ResetDirectionRotation() = 0;
    virtual void TransformDirection(const Matrix4x4& m) = 0;
    virtual void RotateDirection(const Vector3& axis, float angle) = 0;
    virtual void RotateDirection(float x, float y, float z) = 0;
    virtual void ResetTargetTransform() = 0;
    virtual void ResetTargetTranslation() = 0;
    virtual void ResetTargetRotation() = 0;
    virtual void TransformTarget(const Matrix4x4& m) = 0;
    virtual void TranslateTarget(float x, float y, float z) = 0;
    virtual void RotateTarget(const Vector3& axis, float angle) = 0;
    virtual void RotateTarget(float x, float y, float z) = 0;
    virtual void SetLight(dword index, GraphicsContext* gc) = 0;
    virtual void Draw(GraphicsContext* gc, float size) = 0;
};

class DirectionalLight : public Light
{
public:
    Vector3 Direction{0.0f, -1.0f, 0.0f};
    Matrix4x4 DirectionRotation;

    DirectionalLight() = default;
    explicit DirectionalLight(const Vector3& direction) : Direction(direction) {}

    void SetPosition(const Vector3&) override {}
    void SetDirection(const Vector3& v) override { Direction = v; }
    void SetRange(float) override {}
    void SetAttenuation(float, float, float) override {}
    // The stored direction, untransformed.
    Vector3 GetPosition() override { return Direction; }
    Vector3 GetDirection() override;
    float GetRange() override { return 0.0f; }
    float GetAttenuation(dword) override { return 0.0f; }
    dword GetType() override { return LightType_Directional; }
    void SetCone(float, float) override {}
    float GetTheta() override { return 0.0f; }
    float GetPhi() override { return 0.0f; }
    void SetFalloff(float) override {}
    float GetFalloff() override { return 0.0f; }
    void ResetTransform() override {}
    void ResetTranslation() override {}
    void ResetRotation() override {}
    void Transform(const Matrix4x4&) override {}
    void Translate(float, float, float) override {}
    void Rotate(const Vector3&, float) override {}
    void Rotate(float, float, float) override {}
    void ResetDirectionTransform() override { DirectionRotation.ResetIdentity(); }
    void ResetDirectionRotation() override { DirectionRotation.ResetIdentity(); }
    void TransformDirection(const Matrix4x4& m) override { DirectionRotation = DirectionRotation * m; }
    void RotateDirection(const Vector3& axis, float angle) override { DirectionRotation.Rotate(axis, angle); }
    void RotateDirection(float x, float y, float z) override { DirectionRotation.Rotate(x, y, z); }
    void ResetTargetTransform() override {}
    void ResetTargetTranslation() override {}
    void ResetTargetRotation() override {}
    void TransformTarget(const Matrix4x4&) override {}
    void TranslateTarget(float, float, float) override {}
    void RotateTarget(const Vector3&, float) override {}
    void RotateTarget(float, float, float) override {}
    void SetLight(dword index, GraphicsContext* gc) override;
    // The tetrahedron marker; the size is not used.
    void Draw(GraphicsContext* gc, float size) override;
};

class PointLight : public Light
{
public:
    Vector3 Position{0.0f, 100.0f, 0.0f};
    float Range = 300.0f;
    float Attenuation[3] = {1.0f, 0.0f, 0.0f};
    Matrix4x4 Rotation;
    Matrix4x4 Translation;
    Matrix4x4 UserTransform;

    PointLight() = default;
    PointLight(const Vector3& position, float range, float attenuation0, float attenuation1, float attenuation2);

    void SetPosition(const Vector3& v) override { Position = v; }
    void SetDirection(const Vector3&) override {}
    void SetRange(float r) override { Range = r; }
    void SetAttenuation(float constant, float linear, float quadratic) override;
    // The position through the light's transform.
    Vector3 GetPosition() override;
    // The stored position, untransformed.
    Vector3 GetDirection() override { return Position; }
    float GetRange() override { return Range; }
    // index 0 to 2; another gives 0.
    float GetAttenuation(dword index) override { return index < 3 ? Attenuation[index] : 0.0f; }
    dword GetType() override { return LightType_Point; }
    void SetCone(float, float) override {}
    float GetTheta() override { return 0.0f; }
    float GetPhi() override { return 0.0f; }
    void SetFalloff(float) override {}
    float GetFalloff() override { return 0.0f; }
    void ResetTransform() override;
    void ResetTranslation() override { Translation.ResetIdentity(); }
    void ResetRotation() override { Rotation.ResetIdentity(); }
    void Transform(const Matrix4x4& m) override { UserTransform = UserTransform * m; }
    void Translate(float x, float y, float z) override { Translation.Translate(x, y, z); }
    void Rotate(const Vector3& axis, float angle) override { Rotation.Rotate(axis, angle); }
    void Rotate(float x, float y, float z) override { Rotation.Rotate(x, y, z); }
    void ResetDirectionTransform() override {}
    void ResetDirectionRotation() override {}
    void TransformDirection(const Matrix4x4&) override {}
    void RotateDirection(const Vector3&, float) override {}
    void RotateDirection(float, float, float) override {}
    void ResetTargetTransform() override {}
    void ResetTargetTranslation() override {}
    void ResetTargetRotation() override {}
    void TransformTarget(const Matrix4x4&) override {}
    void TranslateTarget(float, float, float) override {}
    void RotateTarget(const Vector3&, float) override {}
    void RotateTarget(float, float, float) override {}
    void SetLight(dword index, GraphicsContext* gc) override;
    // An additive camera-facing square of side size at the light.
    void Draw(GraphicsContext* gc, float size) override;
    // UserTransform x Rotation x Translation: the user transform acts first.
    virtual Matrix4x4 GetTransformMatrix();
};

class SpotLight : public PointLight
{
public:
    Vector3 Direction{0.0f, -1.0f, 0.0f};
    Matrix4x4 DirectionRotation;
    float Falloff = 1.0f;
    float Theta = 0.7853982f - 0.7853982f / 9.0f; // 40 degrees
    float Phi = 0.7853982f;                        // 45 degrees

    SpotLight() = default;
    SpotLight(const Vector3& position, const Vector3& direction, float theta, float phi, float range,
              float attenuation0, float attenuation1, float attenuation2);

    void SetDirection(const Vector3& v) override { Direction = v; }
    Vector3 GetDirection() override;
    dword GetType() override { return LightType_Spot; }
    void SetCone(float theta, float phi) override;
    float GetTheta() override { return Theta; }
    float GetPhi() override { return Phi; }
    void SetFalloff(float f) override { Falloff = f; }
    float GetFalloff() override { return Falloff; }
    void ResetDirectionTransform() override { DirectionRotation.ResetIdentity(); }
    void ResetDirectionRotation() override { DirectionRotation.ResetIdentity(); }
    void TransformDirection(const Matrix4x4& m) override { DirectionRotation = DirectionRotation * m; }
    void RotateDirection(const Vector3& axis, float angle) override { DirectionRotation.Rotate(axis, angle); }
    void RotateDirection(float x, float y, float z) override { DirectionRotation.Rotate(x, y, z); }
    void SetLight(dword index, GraphicsContext* gc) override;

protected:
    // The cone, range and attenuation of the full constructors; falloff 1.
    void SetGeometry(float theta, float phi, float range, float attenuation0, float attenuation1,
                     float attenuation2);
};

class TargetSpotLight : public SpotLight
{
public:
    Vector3 Target{0.0f, 0.0f, 0.0f};
    Matrix4x4 TargetRotation;
    Matrix4x4 TargetTranslation;
    Matrix4x4 TargetUserTransform;

    TargetSpotLight() = default;
    TargetSpotLight(const Vector3& position, const Vector3& target, float theta, float phi, float range,
                    float attenuation0, float attenuation1, float attenuation2);

    // The direction follows the target.
    void SetDirection(const Vector3&) override {}
    // The aim: transformed target minus transformed position, normalised.
    Vector3 GetDirection() override;
    void ResetDirectionTransform() override {}
    void ResetDirectionRotation() override {}
    void TransformDirection(const Matrix4x4&) override {}
    void RotateDirection(const Vector3&, float) override {}
    void RotateDirection(float, float, float) override {}
    void ResetTargetTransform() override;
    void ResetTargetTranslation() override { TargetTranslation.ResetIdentity(); }
    void ResetTargetRotation() override { TargetRotation.ResetIdentity(); }
    void TransformTarget(const Matrix4x4& m) override { TargetUserTransform = TargetUserTransform * m; }
    void TranslateTarget(float x, float y, float z) override { TargetTranslation.Translate(x, y, z); }
    void RotateTarget(const Vector3& axis, float angle) override { TargetRotation.Rotate(axis, angle); }
    void RotateTarget(float x, float y, float z) override { TargetRotation.Rotate(x, y, z); }
    void SetLight(dword index, GraphicsContext* gc) override;
    void Draw(GraphicsContext* gc, float size) override;
    virtual Matrix4x4 GetTargetTransformMatrix();

private:
    void Aim();
};

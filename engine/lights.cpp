#include "engine/lights.h"

#include "engine/3dengine.h"
#include "engine/material.h"
#include "engine/textureman.h"
#include "math/basis.h"
#include "math/vector4.h"

namespace
{
Vertex MarkerVertex(float x, float y, float z, dword colour)
{
    return Vertex(Vector3(x, y, z), 0.0f, 0.0f, colour);
}

Vector3 Transformed(Vector3 v, const Matrix4x4& m)
{
    v.Transform(m);
    return v;
}

D3DVECTOR AsD3D(const Vector3& v)
{
    return D3DVECTOR{v.x, v.y, v.z};
}

// Zeroed, with the diffuse colour scaled by the intensity; the lights give no
// specular or ambient light of their own.
D3DLIGHT8 BaseRecord(const Light& light)
{
    D3DLIGHT8 record{};
    record.Diffuse.r = light.Color.r * light.Intensity;
    record.Diffuse.g = light.Color.g * light.Intensity;
    record.Diffuse.b = light.Color.b * light.Intensity;
    return record;
}

void Install(GraphicsContext* gc, dword index, const D3DLIGHT8& record)
{
    gc->Device->SetLight(index, &record);
    gc->Device->LightEnable(index, TRUE);
}
}

Vertex LightMarkerVertices[4] = {
    MarkerVertex(0.0f, 0.0f, 0.1f, 0x00FF0000),
    MarkerVertex(0.03f, 0.03f, 0.0f, 0x000000FF),
    MarkerVertex(-0.03f, 0.03f, 0.0f, 0x000000FF),
    MarkerVertex(0.0f, -0.03f, 0.0f, 0x000000FF),
};
const Index LightMarkerIndices[12] = {0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2};
const Index LightHaloIndices[6] = {0, 2, 1, 0, 3, 2};

// ---------------------------------------------------------------------------

void Light::SetColor(const ::Color& c)
{
    Color = c;
}

void Light::SetIntensity(float i) { Intensity = i; }
void Light::SetShadowCasting(bool on) { CastShadows = on; }
const ::Color& Light::GetColor() { return Color; }
float Light::GetIntensity() { return Intensity; }
bool Light::GetShadowCasting() { return CastShadows; }

// ---------------------------------------------------------------------------

Vector3 DirectionalLight::GetDirection()
{
    return Transformed(Direction, DirectionRotation);
}

void DirectionalLight::SetLight(dword index, GraphicsContext* gc)
{
    D3DLIGHT8 record = BaseRecord(*this);
    record.Type = LightType_Directional;
    record.Direction = AsD3D(Transformed(Direction, DirectionRotation));
    Install(gc, index, record);
}

void DirectionalLight::Draw(GraphicsContext* gc, float)
{
    gc->SetMaterial(Material(0.9f, 0.8f, 0.3f, 1.0f));
    gc->SetTexture(0, nullptr);
    gc->SetColorVertex(true);
    gc->SetLighting(false);
    gc->SetZBuffering(false);

    const Matrix4x4 WorldMat = Matrix4x4(Basis(Direction, 1).CreateRotationMatrix()) * DirectionRotation;
    gc->SetWorldMatrix(WorldMat, 0);

    // Each view row scaled to unit length: the marker, at the world origin,
    // stays within a unit of the eye however far the camera is.
    const Matrix4x4 ViewMat = *gc->GetViewMatrix();
    Matrix4x4 AugViewMat;
    for (int r = 0; r < 4; ++r)
        AugViewMat.SetRow(ViewMat.GetRow(r).Normalized(), r);
    gc->SetViewMatrix(AugViewMat);
    gc->Draw(LightMarkerVertices, LightMarkerIndices, 4, 12);
    gc->SetViewMatrix(ViewMat);

    gc->SetZBuffering(true);
    gc->SetLighting(true);
    gc->SetColorVertex(false);
}

// ---------------------------------------------------------------------------

PointLight::PointLight(const Vector3& position, float range, float attenuation0, float attenuation1,
                       float attenuation2)
    : Position(position), Range(range), Attenuation{attenuation0, attenuation1, attenuation2}
{
}

void PointLight::SetAttenuation(float constant, float linear, float quadratic)
{
    Attenuation[0] = constant;
    Attenuation[1] = linear;
    Attenuation[2] = quadratic;
}

Vector3 PointLight::GetPosition()
{
    return Transformed(Position, GetTransformMatrix());
}

void PointLight::ResetTransform()
{
    Rotation.ResetIdentity();
    Translation.ResetIdentity();
    UserTransform.ResetIdentity();
}

Matrix4x4 PointLight::GetTransformMatrix()
{
    return UserTransform * Rotation * Translation;
}

void PointLight::SetLight(dword index, GraphicsContext* gc)
{
    D3DLIGHT8 record = BaseRecord(*this);
    record.Type = LightType_Point;
    record.Position = AsD3D(Transformed(Position, GetTransformMatrix()));
    record.Range = Range;
    record.Attenuation0 = Attenuation[0];
    record.Attenuation1 = Attenuation[1];
    record.Attenuation2 = Attenuation[2];
    Install(gc, index, record);
}

void PointLight::Draw(GraphicsContext* gc, float size)
{
    const dword colour = (Color * Intensity).GetPacked32();
    const float h = size / 2;
    const Vertex square[4] = {
        Vertex(Vector3(-h, h, 0.0f), 0.0f, 0.0f, colour),
        Vertex(Vector3(h, h, 0.0f), 1.0f, 0.0f, colour),
        Vertex(Vector3(h, -h, 0.0f), 1.0f, 1.0f, colour),
        Vertex(Vector3(-h, -h, 0.0f), 0.0f, 1.0f, colour),
    };
    IDirect3DTexture8* texture =
        gc->TextureManager != nullptr ? gc->TextureManager->LoadTexture("STOCKTEX_BLOB") : nullptr;

    gc->SetTexture(0, texture);
    gc->SetTextureStageColor(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, 0);
    gc->SetTexture(1, nullptr);
    gc->SetAlphaBlending(true);
    gc->SetBlendFunc(D3DBLEND_ONE, D3DBLEND_ONE);
    gc->SetColorVertex(true);
    gc->SetLighting(false);

    Matrix4x4 World;
    World.Translate(Position.x, Position.y, Position.z);
    gc->SetWorldMatrix(World * GetTransformMatrix(), 0);

    gc->SetZWrite(false);
    gc->SetBillboarding(true);
    gc->Draw(square, LightHaloIndices, 4, 6);
    gc->SetBillboarding(false);
    gc->SetZWrite(true);
    gc->SetAlphaBlending(false);
    gc->SetLighting(true);
    gc->SetColorVertex(false);
    gc->SetTexture(0, nullptr);
}

// ---------------------------------------------------------------------------

SpotLight::SpotLight(const Vector3& position, const Vector3& direction, float theta, float phi, float range,
                     float attenuation0, float attenuation1, float attenuation2)
{
    Position = position;
    Direction = direction;
    SetGeometry(theta, phi, range, attenuation0, attenuation1, attenuation2);
}

void SpotLight::SetGeometry(float theta, float phi, float range, float attenuation0, float attenuation1,
                            float attenuation2)
{
    SetCone(theta, phi);
    Range = range;
    SetAttenuation(attenuation0, attenuation1, attenuation2);
    Falloff = 1.0f;
}

Vector3 SpotLight::GetDirection()
{
    return Transformed(Direction, DirectionRotation);
}

void SpotLight::SetCone(float theta, float phi)
{
    Theta = theta;
    Phi = phi;
}

void SpotLight::SetLight(dword index, GraphicsContext* gc)
{
    D3DLIGHT8 record = BaseRecord(*this);
    record.Type = LightType_Spot;
    record.Position = AsD3D(Transformed(Position, GetTransformMatrix()));
    record.Direction = AsD3D(Transformed(Direction, DirectionRotation));
    record.Range = Range;
    record.Falloff = Falloff;
    record.Attenuation0 = Attenuation[0];
    record.Attenuation1 = Attenuation[1];
    record.Attenuation2 = Attenuation[2];
    record.Theta = Theta;
    record.Phi = Phi;
    Install(gc, index, record);
}

// ---------------------------------------------------------------------------

TargetSpotLight::TargetSpotLight(const Vector3& position, const Vector3& target, float theta, float phi,
                                 float range, float attenuation0, float attenuation1, float attenuation2)
{
    Position = position;
    Target = target;
    SetGeometry(theta, phi, range, attenuation0, attenuation1, attenuation2);
}

Matrix4x4 TargetSpotLight::GetTargetTransformMatrix()
{
    return TargetUserTransform * TargetRotation * TargetTranslation;
}

void TargetSpotLight::ResetTargetTransform()
{
    TargetRotation.ResetIdentity();
    TargetTranslation.ResetIdentity();
    TargetUserTransform.ResetIdentity();
}

Vector3 TargetSpotLight::GetDirection()
{
    const Vector3 targ = Transformed(Target, GetTargetTransformMatrix());
    const Vector3 pos = Transformed(Position, GetTransformMatrix());
    return (targ - pos).Normalized();
}

void TargetSpotLight::Aim()
{
    Direction = TargetSpotLight::GetDirection();
}

void TargetSpotLight::SetLight(dword index, GraphicsContext* gc)
{
    Aim();
    SpotLight::SetLight(index, gc);
}

void TargetSpotLight::Draw(GraphicsContext* gc, float size)
{
    Aim();
    SpotLight::Draw(gc, size);
}

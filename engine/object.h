#pragma once

// A renderable thing: a mesh with a material, the settings it is drawn with,
// four transforms that compose its world transform, and its shadow volumes.

#include "engine/3dgeom.h"
#include "engine/material.h"
#include "engine/motioncontroller.h"
#include "math/dword.h"
#include "math/matrix4x4.h"
#include "math/vector3.h"

#include <cstdint>
#include <string>

class GraphicsContext;
class Light;

class Object
{
public:
    GraphicsContext* gc; // not owned
    dword ShadingMode;
    dword VertexShader;
    dword PixelShader;
    bool ZWrite;
    dword SrcBlend;
    dword DestBlend;
    TriMesh* Mesh;             // owned
    TriMesh** ShadowVolumes;   // owned, with every mesh in it
    int ShadowVolumeCount;
    bool CastShadows;
    Matrix4x4 TextureMatrix;
    bool UseTextureMatrix;
    bool AutoSetZWrite;
    std::string Name;
    ::Material Material;
    ::MotionController MotionController;
    Matrix4x4 TranslationMatrix;
    Matrix4x4 RotationMatrix;
    Matrix4x4 ScalingMatrix;
    Matrix4x4 OrbitMatrix;

    Object(GraphicsContext* gc, std::uint8_t levels);
    ~Object();

    // The object owns its meshes; a copy would free them twice.
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    TriMesh* GetTriMesh() { return Mesh; }
    // Replace the mesh with a generated one of the same level count.
    void CreatePlane(float size, dword subdivisions);
    void CreateCube(float size);

    // Compose: multiply on the right. Set: replace.
    void Translate(float x, float y, float z);
    void Rotate(float ax, float ay, float az);
    void Rotate(const Vector3& axis, float angle);
    void Rotate(const Matrix4x4& m);
    void Orbit(float ax, float ay, float az);
    void Orbit(const Vector3& axis, float angle);
    void Orbit(const Matrix4x4& m);
    void Scale(float x, float y, float z);
    void SetTranslation(float x, float y, float z);
    void SetRotation(float ax, float ay, float az);
    void SetRotation(const Vector3& axis, float angle);
    void SetRotation(const Matrix4x4& m);
    void SetOrbit(float ax, float ay, float az);
    void SetOrbit(const Vector3& axis, float angle);
    void SetOrbit(const Matrix4x4& m);
    void SetScaling(float x, float y, float z);
    void ResetTranslation();
    void ResetRotation();
    void ResetOrbit();
    void ResetScaling();
    void ResetTransform();
    // Scaling, then rotation, then translation, then the orbit about the
    // world origin.
    Matrix4x4 GetWorldTransform() const;

    void SetTextureMatrix(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
                          float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33);
    Matrix4x4 GetTextureMatrix() const { return TextureMatrix; }
    void SetVertexShader(dword handle) { VertexShader = handle; }
    void SetPixelShader(dword handle) { PixelShader = handle; }
    void SetShadingMode(dword mode) { ShadingMode = mode; }
    // An explicit choice, never overridden by a transparent material.
    void SetZWrite(bool on);
    void SetBlendingMode(dword src, dword dest);
    void GetBlendingMode(dword& src, dword& dest) const;
    void SetShadowCasting(bool on) { CastShadows = on; }
    bool GetShadowCasting() const { return CastShadows; }
    // One shadow volume per light, replacing those of an earlier call.
    void CalculateShadows(Light** lights, int count);
    // Null outside 0 .. ShadowVolumeCount - 1.
    TriMesh* GetShadowVolume(int index);

    // Drawing.
    void SetRenderStates();
    void Render();
    void Render2TexUnits();
    void Render4TexUnits();
    void Render8TexUnits();
    void RenderBare();

private:
    void DeleteShadowVolumes();
    void RenderRecipe(bool secondMap);
};

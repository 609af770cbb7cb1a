#include "engine/object.h"

#include "engine/3dengine.h"
#include "engine/shadowvolume.h"

Object::Object(GraphicsContext* context, std::uint8_t levels)
    : gc(context),
      ShadingMode(D3DSHADE_GOURAUD),
      VertexShader(0x1458),
      PixelShader(0),
      ZWrite(true),
      SrcBlend(D3DBLEND_SRCALPHA),
      DestBlend(D3DBLEND_INVSRCALPHA),
      Mesh(new TriMesh(levels, context)),
      ShadowVolumes(nullptr),
      ShadowVolumeCount(0),
      CastShadows(false),
      UseTextureMatrix(false),
      AutoSetZWrite(true)
{
    SetShadingMode(D3DSHADE_GOURAUD);
    SetVertexShader(0x1458);
    SetPixelShader(0);
}

Object::~Object()
{
    delete Mesh;
    DeleteShadowVolumes();
    if (VertexShader != 0x1458 && gc != nullptr)
        gc->DeleteVertexShader(VertexShader);
}

void Object::DeleteShadowVolumes()
{
    if (ShadowVolumes == nullptr)
        return;
    for (int i = 0; i < ShadowVolumeCount; ++i)
        delete ShadowVolumes[i];
    delete[] ShadowVolumes;
    ShadowVolumes = nullptr;
    ShadowVolumeCount = 0;
}

void Object::CreatePlane(float size, dword subdivisions)
{
    TriMesh* plane = nullptr;
    ::CreatePlane(gc, size, subdivisions, &plane, Mesh->GetLevelCount());
    // A refused plane (too many subdivisions) leaves the mesh as it was.
    if (plane == nullptr)
        return;
    delete Mesh;
    Mesh = plane;
}

void Object::CreateCube(float size)
{
    TriMesh* cube = nullptr;
    ::CreateCube(gc, size, &cube, Mesh->GetLevelCount());
    if (cube == nullptr)
        return;
    delete Mesh;
    Mesh = cube;
}

void Object::Translate(float x, float y, float z) { TranslationMatrix.Translate(x, y, z); }
void Object::Rotate(float ax, float ay, float az) { RotationMatrix.Rotate(ax, ay, az); }
void Object::Rotate(const Vector3& axis, float angle) { RotationMatrix.Rotate(axis, angle); }
void Object::Rotate(const Matrix4x4& m) { RotationMatrix *= m; }
void Object::Orbit(float ax, float ay, float az) { OrbitMatrix.Rotate(ax, ay, az); }
void Object::Orbit(const Vector3& axis, float angle) { OrbitMatrix.Rotate(axis, angle); }
void Object::Orbit(const Matrix4x4& m) { OrbitMatrix *= m; }
void Object::Scale(float x, float y, float z) { ScalingMatrix.Scale(x, y, z); }
void Object::SetTranslation(float x, float y, float z) { TranslationMatrix.SetTranslation(x, y, z); }
void Object::SetRotation(float ax, float ay, float az) { RotationMatrix.SetRotation(ax, ay, az); }
void Object::SetRotation(const Vector3& axis, float angle) { RotationMatrix.SetRotation(axis, angle); }
void Object::SetRotation(const Matrix4x4& m) { RotationMatrix = m; }
void Object::SetOrbit(float ax, float ay, float az) { OrbitMatrix.SetRotation(ax, ay, az); }
void Object::SetOrbit(const Vector3& axis, float angle) { OrbitMatrix.SetRotation(axis, angle); }
void Object::SetOrbit(const Matrix4x4& m) { OrbitMatrix = m; }
void Object::SetScaling(float x, float y, float z) { ScalingMatrix.SetScaling(x, y, z); }
void Object::ResetTranslation() { TranslationMatrix.ResetIdentity(); }
void Object::ResetRotation() { RotationMatrix.ResetIdentity(); }
void Object::ResetOrbit() { OrbitMatrix.ResetIdentity(); }
void Object::ResetScaling() { ScalingMatrix.ResetIdentity(); }

void Object::ResetTransform()
{
    ResetTranslation();
    ResetRotation();
    ResetOrbit();
    ResetScaling();
}

Matrix4x4 Object::GetWorldTransform() const
{
    return ScalingMatrix * RotationMatrix * TranslationMatrix * OrbitMatrix;
}

void Object::SetTextureMatrix(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
                              float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33)
{
    TextureMatrix = Matrix4x4(m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33);
    UseTextureMatrix = true;
}

void Object::SetZWrite(bool on)
{
    ZWrite = on;
    AutoSetZWrite = false;
}

void Object::SetBlendingMode(dword src, dword dest)
{
    SrcBlend = src;
    DestBlend = dest;
}

void Object::GetBlendingMode(dword& src, dword& dest) const
{
    src = SrcBlend;
    dest = DestBlend;
}

void Object::CalculateShadows(Light** lights, int count)
{
    DeleteShadowVolumes();
    if (count <= 0)
        return;
    ShadowVolumes = new TriMesh*[count];
    const Matrix4x4 world = GetWorldTransform();
    for (int i = 0; i < count; ++i)
        ShadowVolumes[i] = CreateShadowVolume(Mesh, lights[i], world);
    ShadowVolumeCount = count;
}

TriMesh* Object::GetShadowVolume(int index)
{
    if (index < 0 || index >= ShadowVolumeCount)
        return nullptr;
    return ShadowVolumes[index];
}

// ---------------------------------------------------------------------------
// Drawing

void Object::SetRenderStates()
{
    gc->SetWorldMatrix(GetWorldTransform(), 0);
    gc->SetMaterial(Material);
    if (AutoSetZWrite && Material.Alpha < 1.0f)
        ZWrite = false;
    gc->SetSpecular(Material.SpecularEnabled);
    gc->SetVertexShader(VertexShader);
    gc->SetPixelShader(PixelShader);
    gc->SetShadingMode(ShadingMode);
}

void Object::Render()
{
    const dword stages = gc->GetMaxTextureStages();
    if (stages < 4)
        Render2TexUnits();
    else if (stages >= 8)
        Render8TexUnits();
    else
        Render4TexUnits();
}

void Object::Render2TexUnits() { RenderRecipe(false); }
void Object::Render4TexUnits() { RenderRecipe(true); }
void Object::Render8TexUnits() { RenderRecipe(true); }

void Object::RenderBare()
{
    gc->Draw(Mesh->GetVertexBuffer(0), Mesh->GetIndexBuffer(0));
}

void Object::RenderRecipe(bool secondMap)
{
    SetRenderStates();
    IDirect3DVertexBuffer8* vb = Mesh->GetVertexBuffer(0);
    IDirect3DIndexBuffer8* ib = Mesh->GetIndexBuffer(0);
    // A mesh without buffers has nothing to draw.
    auto draw = [&] {
        if (vb != nullptr && ib != nullptr)
            gc->Draw(vb, ib);
    };

    const float A = Material.Alpha;
    const dword alphaFactor = Color(A, A, A, A).GetPacked32();
    IDirect3DTexture8* const* maps = Material.Textures;

    // Only maps some pass draws make the object textured: one whose maps all
    // lie in undrawn slots would otherwise set up no stage and stay unseen.
    const bool textured = maps[TextureMap] != nullptr || maps[ReflectionMap] != nullptr ||
                          maps[SelfIlluminationMap] != nullptr || (secondMap && maps[TextureMap2] != nullptr);

    if (!ZWrite)
        gc->SetZWrite(false);

    if (!textured) {
        gc->SetTexture(0, nullptr);
        gc->SetTextureStageColor(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
        if (A >= 1.0f) {
            gc->SetTextureStageAlpha(0, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE);
        } else {
            gc->SetTextureFactor(alphaFactor);
            gc->SetTextureStageAlpha(0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE);
        }
        gc->DisableTextureStage(1);
        gc->SetAlphaBlending(true);
        gc->SetBlendFunc(SrcBlend, DestBlend);
        draw();
        gc->SetAlphaBlending(false);
    } else {
        dword s = 0;
        if (maps[TextureMap] != nullptr) {
            if (UseTextureMatrix)
                gc->SetTextureMatrix(TextureMatrix, 0);
            gc->SetTexture(s, maps[TextureMap]);
            gc->SetTextureStageColor(s, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE);
            if (A >= 1.0f) {
                gc->SetTextureStageAlpha(s, D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_TEXTURE);
            } else {
                gc->SetTextureFactor(alphaFactor);
                gc->SetTextureStageAlpha(s, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR);
            }
            gc->SetTextureCoordIndex(s, 0);
            ++s;
        }
        if (secondMap && maps[TextureMap2] != nullptr) {
            gc->SetTexture(s, maps[TextureMap2]);
            gc->SetTextureStageColor(s, D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEXTURE);
            gc->SetTextureStageAlpha(s, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE);
            gc->SetTextureCoordIndex(s, 1);
            ++s;
        }
        if (maps[ReflectionMap] != nullptr) {
            gc->SetTexture(s, maps[ReflectionMap]);
            gc->SetTextureStageColor(s, D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEXTURE);
            gc->SetTextureStageAlpha(s, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE);
            // A sphere map of the camera-space normal.
            const Matrix4x4 TexMat(0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0, 1);
            gc->SetTextureMatrix(TexMat, s);
            gc->Device->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
            gc->Device->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
            ++s;
        }
        gc->SetTexture(s, nullptr);
        gc->DisableTextureStage(s);
        if (s > 0) {
            gc->SetAlphaBlending(true);
            gc->SetBlendFunc(SrcBlend, DestBlend);
            draw();
            gc->SetAlphaBlending(false);
            const Matrix4x4 identity;
            gc->SetTextureMatrix(identity, 0);
            gc->SetTextureMatrix(identity, 1);
            if (secondMap)
                gc->SetTextureMatrix(identity, 2);
        }
        if (s > 0) {
            gc->SetAlphaBlending(true);
            gc->SetBlendFunc(D3DBLEND_DESTCOLOR, D3DBLEND_ZERO);
        }

        s = 0;
        if (maps[SelfIlluminationMap] != nullptr) {
            gc->SetTexture(0, maps[SelfIlluminationMap]);
            gc->SetTextureStageColor(0, D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_TEXTURE);
            gc->SetTextureStageAlpha(0, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE);
            gc->SetTextureCoordIndex(0, 1);
            s = 1;
        }
        gc->SetTexture(s, nullptr);
        gc->DisableTextureStage(s);
        if (s > 0)
            draw();
        gc->SetAlphaBlending(false);
    }

    if (!ZWrite)
        gc->SetZWrite(true);
}

#include "engine/scene.h"

#include "engine/3dengine.h"
#include "engine/camera.h"
#include "engine/curves.h"
#include "engine/lights.h"
#include "engine/object.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Names read from a 3DS file keep their terminating zero as their last
// character: compared as zero-terminated strings, "Box01" finds them.
bool NameIs(const std::string& stored, const char* name)
{
    return name != nullptr && std::strcmp(stored.c_str(), name) == 0;
}

template <typename T>
T* FindByName(const std::vector<T*>& list, const char* name)
{
    for (T* element : list)
        if (element != nullptr && NameIs(element->Name, name))
            return element;
    return nullptr;
}

}  // namespace

Scene::Scene(GraphicsContext* context) : gc(context) {}

Scene::~Scene()
{
    if (!ManageData)
        return;
    for (Object* object : Objects)
        delete object;
    for (Camera* camera : Cameras)
        delete camera;
    for (Light* light : Lights)
        delete light;
    for (Curve* curve : Curves)
        delete curve;
    for (TriMesh* mesh : StaticMeshes)
        delete mesh;
}

void Scene::AddCamera(Camera* camera)
{
    Cameras.push_back(camera);
    if (ActiveCamera == nullptr)
        ActiveCamera = camera;
}

void Scene::AddLight(Light* light)
{
    for (Light*& slot : Lights) {
        if (slot == nullptr) {
            slot = light;
            return;
        }
    }
}

void Scene::AddObject(Object* object)
{
    if (object->Material.Alpha < 1.0f)
        Objects.push_back(object);
    else
        Objects.insert(Objects.begin(), object);
}

void Scene::AddStaticMesh(TriMesh* mesh) { StaticMeshes.push_back(mesh); }

void Scene::AddCurve(Curve* curve) { Curves.push_back(curve); }

void Scene::RemoveObject(Object* object)
{
    const auto found = std::find(Objects.begin(), Objects.end(), object);
    if (found != Objects.end())
        Objects.erase(found);
}

void Scene::RemoveLight(Light* light)
{
    if (light == nullptr)
        return;
    for (Light*& slot : Lights) {
        if (slot == light) {
            slot = nullptr;
            return;
        }
    }
}

Camera* Scene::GetCamera(const char* name) { return FindByName(Cameras, name); }
Object* Scene::GetObject(const char* name) { return FindByName(Objects, name); }
Curve* Scene::GetCurve(const char* name) { return FindByName(Curves, name); }

Light* Scene::GetLight(const char* name)
{
    for (Light* light : Lights)
        if (light != nullptr && NameIs(light->Name, name))
            return light;
    return nullptr;
}

void Scene::SetFog(bool enable, Color colour, float nearPlane, float farPlane)
{
    Fog = enable;
    if (!enable)
        return;
    FogColor = colour;
    FogNear = nearPlane;
    FogFar = farPlane;
}

int Scene::DeviceLightOf(int slot) const
{
    int number = 0;
    for (int i = 0; i < slot; ++i)
        if (Lights[i] != nullptr)
            ++number;
    return number;
}

void Scene::SetupLighting()
{
    dword k = 0;
    for (Light* light : Lights) {
        if (light == nullptr)
            continue;
        light->SetLight(k, gc);
        ++k;
    }
    gc->Device->LightEnable(k, FALSE);
}

void Scene::Render()
{
    gc->SetAmbientLight(AmbientLight);
    if (ActiveCamera == nullptr)
        return;

    ActiveCamera->CreateViewMatrix();
    gc->SetViewMatrix(ActiveCamera->GetViewMatrix());
    float nearClip = 0.0f, farClip = 0.0f;
    ActiveCamera->GetClipPlanes(&nearClip, &farClip);
    Matrix4x4 ProjMat;
    CreateProjectionMatrix(ProjMat, ActiveCamera->GetFOV(), 1.33333325f, nearClip, farClip);
    gc->SetProjectionMatrix(ProjMat);

    SetupLighting();

    if (Shadows) {
        Light* ShadowCasters[MaxLights];
        int count = 0;
        for (Light* light : Lights)
            if (light != nullptr && light->GetShadowCasting())
                ShadowCasters[count++] = light;
        for (Object* object : Objects)
            if (object->GetShadowCasting())
                object->CalculateShadows(ShadowCasters, count);
        RenderShadows();
    }

    // After a shadow pass the stencil test (equal to 0) is still on: this
    // fully lit pass reaches only the pixels no volume covers.
    for (Object* object : Objects)
        object->Render();

    if (Shadows) {
        gc->SetStencilBuffering(false);
        gc->SetStencilFunc(D3DCMP_ALWAYS);
    }

    if (LightHalos)
        for (Light* light : Lights)
            if (light != nullptr)
                light->Draw(gc, HaloSize);
}

namespace {

// Volume v of every casting object, unindexed, in the object's own space.
// An object that has stopped casting still holds the volumes of its last
// render: they belong to old light positions and are not drawn.
void DrawShadowVolumes(GraphicsContext* gc, const std::vector<Object*>& objects, int v)
{
    for (Object* object : objects) {
        if (!object->GetShadowCasting())
            continue;
        TriMesh* volume = object->GetShadowVolume(v);
        if (volume == nullptr)
            continue;
        gc->SetWorldMatrix(object->GetWorldTransform(), 0);
        gc->Draw(volume->GetVertexArray(0), volume->GetVertexCount(0));
    }
}

}  // namespace

void Scene::RenderShadows()
{
    int v = 0;
    for (int i = 0; i < MaxLights; ++i) {
        Light* light = Lights[i];
        if (light == nullptr || !light->GetShadowCasting())
            continue;
        // After a RemoveLight has left a gap the slot index is no longer the
        // device light's number: switch off the one SetupLighting gave it.
        const dword deviceLight = static_cast<dword>(DeviceLightOf(i));

        // The scene as it looks without this light.
        gc->SetAlphaBlending(true);
        gc->Device->LightEnable(deviceLight, FALSE);
        for (Object* object : Objects)
            object->Render();
        gc->Device->LightEnable(deviceLight, TRUE);

        // Count the volume faces in front of the scene into the stencil
        // buffer: up for those facing the viewer, down for the others.
        gc->SetAlphaBlending(false);
        gc->SetZWrite(false);
        gc->SetColorWrite(false, false, false, false);
        gc->SetLighting(false);
        gc->SetStencilBuffering(true);
        gc->SetStencilFunc(D3DCMP_ALWAYS);
        gc->SetStencilOp(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_INCR);
        DrawShadowVolumes(gc, Objects, v);
        gc->SetFrontFace(D3DCULL_CCW);
        gc->SetStencilOp(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_DECR);
        DrawShadowVolumes(gc, Objects, v);
        gc->SetFrontFace(D3DCULL_CW);

        gc->SetLighting(true);
        gc->SetZWrite(true);
        gc->SetColorWrite(true, true, true, true);
        gc->SetStencilOp(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP);
        gc->SetStencilFunc(D3DCMP_EQUAL);
        gc->SetStencilReference(0);
        gc->SetLighting(true);
        ++v;
    }
}

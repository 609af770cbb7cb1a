#pragma once

// A loaded scene: cameras, up to eight lights, objects, static meshes and
// path curves, with its ambient colour and fog settings. It draws itself in
// one call: camera and projection, device lights, stencil shadows from the
// shadow-casting lights, the objects, and the light halos.

#include "math/color.h"

#include <vector>

class Camera;
class Curve;
class GraphicsContext;
class Light;
class Object;
class TriMesh;

class Scene
{
public:
    static constexpr int MaxLights = 8;

    GraphicsContext* gc;            // not owned
    Light* Lights[MaxLights] = {};  // filled from the front
    std::vector<Camera*> Cameras;
    std::vector<Object*> Objects;   // opaque ones first, transparent ones at the back
    std::vector<TriMesh*> StaticMeshes;
    std::vector<Curve*> Curves;
    bool ManageData = true;         // the scene owns everything added to it
    Camera* ActiveCamera = nullptr;
    bool Shadows = false;
    bool LightHalos = false;
    float HaloSize = 10.0f;
    Color AmbientLight{0.0f, 0.0f, 0.0f, 1.0f};
    // Kept for the scene's users: Render sets no fog state.
    bool Fog = false;
    Color FogColor{1.0f, 1.0f, 1.0f, 1.0f};
    // No value until fog is first switched on.
    float FogNear;
    float FogFar;

    explicit Scene(GraphicsContext* gc);
    ~Scene();

    // It holds owning pointers: a copy would delete them twice.
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void SetGraphicsContext(GraphicsContext* context) { gc = context; }

    // The first camera added becomes the active one.
    void AddCamera(Camera* camera);
    // Into the first free slot; with all eight taken the light stays the
    // caller's and is not added.
    void AddLight(Light* light);
    // A material alpha below 1 puts the object at the back, else the front.
    void AddObject(Object* object);
    void AddStaticMesh(TriMesh* mesh);
    void AddCurve(Curve* curve);
    // Take out without deleting; nothing happens for what is not held.
    void RemoveObject(Object* object);
    void RemoveLight(Light* light);

    // The first whose name equals this one as a zero-terminated string (a
    // name read from a 3DS file keeps its zero as its last character), in
    // list or slot order; null when none does.
    Camera* GetCamera(const char* name);
    Light* GetLight(const char* name);
    Object* GetObject(const char* name);
    Curve* GetCurve(const char* name);
    std::vector<Object*>& GetObjectsList() { return Objects; }

    void SetActiveCamera(Camera* camera) { ActiveCamera = camera; }
    Camera* GetActiveCamera() { return ActiveCamera; }
    void SetShadows(bool on) { Shadows = on; }
    void SetLightHalos(bool on) { LightHalos = on; }
    void SetHaloSize(float size) { HaloSize = size; }
    void SetAmbientLight(Color c) { AmbientLight = c; }
    // Off keeps the colour and distances for the next time it is switched on.
    void SetFog(bool enable, Color colour, float nearPlane, float farPlane);

    // Device lights numbered from 0 over the occupied slots; the one after
    // the last is switched off.
    void SetupLighting();
    // Draws into the current frame; the stencil buffer must hold 0.
    void Render();
    void RenderShadows();

private:
    // The device light SetupLighting gave the light in this slot.
    int DeviceLightOf(int slot) const;
};
